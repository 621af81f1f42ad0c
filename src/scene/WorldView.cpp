// The 3D wire-frame view of the nine cells around the current actor.
#include "scene/Scene.h"
#include "world/DatenStruktur.h"

void DrawWorldView() {}
