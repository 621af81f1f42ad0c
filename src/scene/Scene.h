// Scene geometry and drawing: the point register, projection and plane geometry, the 3D view, the
// surface contact test and the outline passes of the line view.
#pragma once

#include <cstdint>

// Turns the point register about x, then y, then z by the given radians.
void RotatePoint(float ax, float ay, float az);
// The cosines and sines of one angle triple, for turning many points by the same angles.
struct TTurn {
    bool None; // all three angles 0: RotatePoint leaves the point exactly as it is
    double Cx, Sx, Cy, Sy, Cz, Sz;
};
TTurn TurnFor(float ax, float ay, float az);
// RotatePoint with the angles' turn worked out beforehand: the same point to the bit.
void RotatePointBy(const TTurn& turn);
// Perspective division of the point register onto the screen.
void ProjectPoint();
// The same two on a point of the caller's own, the register untouched: for what draws over the scene
// without changing the game's state (the ghost of the records view).
struct TPoint3 {
    float X, Y, Z;
};
TPoint3 TurnedBy(const TTurn& turn, TPoint3 point);
TPoint3 Projected(TPoint3 point);
// Unsigned angle in game degrees between the direction (bx,by)->(ax,ay) and (dx,dy)->(cx,cy).
float AngleBetween(float ax, float ay, float bx, float by, float cx, float cy, float dx, float dy);
// True when segment (x1,y1)-(x2,y2) meets segment (x3,y3)-(x4,y4), ends included; results in Intersect*.
bool SegmentsIntersect(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4);

// A point of the ground plane.
struct TPoint2 {
    float X, Y;
};
// Sets the working angles RotAngleX..Z and their radian forms RotRadX..Z.
void LoadRotation(float ax, float ay, float az);
// The point (x, y, z) turned with the working angles and moved by (bx, by); the turned z is dropped.
TPoint2 TurnedPoint(float x, float y, float z, float bx, float by);
// The same for vertex i of a table of x, y, z triples.
TPoint2 TurnedVertex(const float* vertices, int32_t i, float bx, float by);
// Draws a world-frame line on the back buffer in the map frame of the line view: one metre a pixel, the
// current actor at the screen centre.
void DrawMapLine(TPoint2 from, TPoint2 to);

// Frame step 7: probe lines of every actor, world frame.
void BuildProbeLines();
// Frame step 10: outline lines of every actor, map frame.
void BuildActorLines();
// Frame step 11: obstacle outlines of every cell that holds an actor, map frame.
void BuildQuadrantLines();
// Frame step 12: which road and checkpoint polygons every actor stands on.
void TestSurfaces();
// Frame step 15: the perspective wire frame of the nine cells around the current actor.
void DrawWorldView();
