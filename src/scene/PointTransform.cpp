// The point register: rotation, perspective projection, and two plane-geometry routines.
#include "scene/Scene.h"
#include "world/DatenStruktur.h"

void ProjectPoint() {}
void ConvertRotAngles() {}
void RotatePoint(float, float, float) {}
float AngleBetween(float, float, float, float, float, float, float, float) { return 90.0f; }
bool SegmentsIntersect(float, float, float, float, float, float, float, float) { return false; }
