// Actor motion: steering bounds, turning of body and direction of travel, skidding, off-road drag, speed
// bounds, the step along the direction of travel, and the actor's cell in the wrapping grid.
#include <cstdint>

#include "dynamics/Dynamics.h"
#include "exact/Numeric.h"
#include "scene/Scene.h"
#include "world/DatenStruktur.h"
#include "world/Texts.h"

namespace {

constexpr float SteeringBound = 90.0f;   // degrees per second
constexpr float SkidFollowLimit = 40.0f; // below this difference a skidding car still follows partly
constexpr float SkidDizzyLimit = 45.0f;  // above it the car follows fully and the driver gets dizzy
constexpr double OffRoadDivisor = 3.0;
constexpr double OnRoadDivisor = 2.0;
// The limit is compared as the decimal it is written as: the float nearest 0.3 lies above it and gets the
// drag. The rate is the argument of PerFrameScale, a float by its definition.
constexpr double OffRoadDragLimit = 0.3; // metres per frame
constexpr float OffRoadDragRate = 0.3f;  // metres per frame per second
constexpr float ReverseLimit = -0.5f;    // metres per frame

float Added(float a, double b) {
    return F32((double)a + b);
}

// Cell number of a column and row; wraps instead of overflowing for values outside the grid.
int32_t CellNumber(int32_t row, int32_t col) {
    return (int32_t)((uint32_t)row * (uint32_t)GridSize + (uint32_t)col);
}

// Turns body and direction of travel; a skidding car's direction follows only partly, or not at all.
void Turn(TActor& actor) {
    const float bound = PerFrameScale(SteeringBound);
    if (actor.Steering > bound) actor.Steering = bound;
    if (-actor.Steering > bound) actor.Steering = -bound;

    actor.AngleZ = Added(actor.AngleZ, actor.Steering);
    const double steering = (double)actor.Steering;
    if (actor.Skidding == 0) {
        actor.WheelAngle = Added(actor.WheelAngle, steering);
    } else if (actor.AngleDiff < SkidFollowLimit) {
        const double divisor = actor.TouchQuad[RoadType] < 1 ? OffRoadDivisor : OnRoadDivisor;
        actor.WheelAngle = Added(actor.WheelAngle, steering / divisor);
    } else if (actor.AngleDiff > SkidDizzyLimit) {
        actor.WheelAngle = Added(actor.WheelAngle, steering);
        Message = TextDizzy;
    }
}

void BoundSpeed(TActor& actor) {
    if (actor.OnRoad < 1 && (double)actor.StepLength > OffRoadDragLimit) {
        actor.StepLength = Added(actor.StepLength, -(double)PerFrameScale(OffRoadDragRate));
    }
    if (actor.StepLength > actor.MaxStepLength) actor.StepLength = actor.MaxStepLength;
    if (actor.StepLength < ReverseLimit) actor.StepLength = ReverseLimit;
    actor.SpeedKmh = F32((double)Fps * (double)actor.StepLength * KmhPerMs);
}

// One step of StepLength along the direction of travel: +y turned by WheelAngle.
void Step(TActor& actor) {
    LoadRotation(actor.AngleX, actor.AngleY, actor.WheelAngle);
    PointX = 0;
    PointY = actor.StepLength;
    PointZ = 0;
    RotatePoint(RotRadX, RotRadY, RotRadZ);
    actor.StepX = PointX;
    actor.StepY = PointY;
    actor.StepZ = PointZ;

    actor.PosX = Added(actor.PosX, actor.StepX);
    actor.PosY = Added(actor.PosY, actor.StepY);
    actor.PosZ = Added(actor.PosZ, actor.StepZ);
    actor.QuadPosX = Added(actor.QuadPosX, actor.StepX);
    actor.QuadPosY = Added(actor.QuadPosY, actor.StepY);
    actor.QuadPosZ = Added(actor.QuadPosZ, actor.StepZ);
}

// Moves the actor into the next cell when it left its own along one axis; the grid wraps at its edges.
// Returns whether it crossed.
bool CrossCell(float& quadPos, int32_t& cell, float& worldPos) {
    bool crossed = false;
    if (quadPos > CellSize) {
        crossed = true;
        quadPos = Added(quadPos, -(double)CellSize);
        cell = (int32_t)((uint32_t)cell + 1u);
        if (cell == GridSize) {
            cell = 0;
            worldPos = Added(worldPos, -WorldSize);
        }
    }
    if (quadPos < 0) {
        crossed = true;
        quadPos = Added(quadPos, (double)CellSize);
        cell = (int32_t)((uint32_t)cell - 1u);
        if (cell == -1) {
            cell = GridSize - 1;
            worldPos = Added(worldPos, WorldSize);
        }
    }
    return crossed;
}

// The pose a wall contact restores: each field of it beside the field that keeps it.
constexpr float TActor::*PoseFields[6][2] = {
    {&TActor::PosX, &TActor::PrevPosX},     {&TActor::PosY, &TActor::PrevPosY},
    {&TActor::PosZ, &TActor::PrevPosZ},     {&TActor::AngleX, &TActor::PrevAngleX},
    {&TActor::AngleY, &TActor::PrevAngleY}, {&TActor::AngleZ, &TActor::PrevAngleZ},
};

} // namespace

void SavePose(TActor& actor) {
    for (const auto& field : PoseFields)
        actor.*field[1] = actor.*field[0];
}

void RestorePose(TActor& actor) {
    for (const auto& field : PoseFields)
        actor.*field[0] = actor.*field[1];
}

void MoveActors() {
    for (int32_t a = 0; a < ActorsInPlay(); a++) {
        TActor& actor = Actors[(size_t)a];
        // While in wall contact the pose from before the contact stays the restore point.
        if (actor.BounceTurn == 0) SavePose(actor);
        Turn(actor);
        BoundSpeed(actor);
        Step(actor);
        const bool crossedX = CrossCell(actor.QuadPosX, actor.QuadCol, actor.PosX);
        const bool crossedY = CrossCell(actor.QuadPosY, actor.QuadRow, actor.PosY);
        if (crossedX || crossedY) actor.QuadIndex = CellNumber(actor.QuadRow, actor.QuadCol);
    }
}
