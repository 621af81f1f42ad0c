// Computer drivers: every computer-driven car speeds up at its own rate and steers toward the ideal line of
// its cell, found where the line crosses one of two feelers held across the road in front of the car.
#include <cstdio>

#include "dynamics/Dynamics.h"
#include "exact/Numeric.h"
#include "scene/IndexList.h"
#include "scene/Scene.h"
#include "world/DatenStruktur.h"
#include "world/World.h"

namespace {

constexpr int32_t FeelerColor = 0x969696;
constexpr float FeelerHalfWidth = 200.0f;
constexpr float FarFeelerAhead = 30.0f;
constexpr float NearFeelerAhead = 10.0f;
constexpr double MarkerOffset = 4.0; // the stage digit is centred on the crossing

// One feeler in the world frame, from its -x end to its +x end.
struct TFeeler {
    TPoint2 From, To;
};

// The map frame's shift for the crossing marker: the current actor sits at the screen centre.
struct TMapShift {
    double X, Y;
};

TMapShift CurrentMapShift() {
    const TActor& current = CurrentActorOrZero();
    return {(double)ScreenCentreX - (double)current.PosX, (double)ScreenCentreY - (double)current.PosY};
}

TFeeler FeelerAt(const TActor& actor, float ahead) {
    return {TurnedPoint(-FeelerHalfWidth, ahead, 0.0f, actor.PosX, actor.PosY),
            TurnedPoint(FeelerHalfWidth, ahead, 0.0f, actor.PosX, actor.PosY)};
}

// Steers toward the side of the feeler where the ideal line crossed it; a change of side starts the
// steering again from straight ahead.
void SteerToCrossing(TActor& actor) {
    int32_t side = 0;
    if (IntersectT > 0.5f) side = -1;
    if (IntersectT < 0.5f) side = 1;
    if (actor.SteerSide != side) actor.Steering = 0.0f;
    actor.Steering =
        F32((double)actor.Steering + (double)PerFrameScale(F32((double)side * (double)actor.SteerRate)));
    actor.SteerSide = side;
}

// Walks one ideal-line part and tests each of its segments against the feeler; true at the first crossing.
bool PartCrossesFeeler(TActor& actor, const TObjekt& model, const TModelPart& part, TPoint2 base,
                       const TFeeler& feeler, int32_t stage, TMapShift shift) {
    if (part.Indices == nullptr || model.Vertices == nullptr) return false;
    const bool drawn = CheckLineMode != 0;
    if (drawn) CanvasSetPenColor(&BackBuffer, part.Color);
    bool crossed = false;
    const auto pointOf = [&](int32_t i) { return TurnedVertex(model.Vertices, i, base.X, base.Y); };
    const auto testSegment = [&](TPoint2 current, TPoint2 previous, bool starts, bool) {
        if (starts) return true;
        const bool hit = SegmentsIntersect(feeler.From.X, feeler.From.Y, feeler.To.X, feeler.To.Y, previous.X,
                                           previous.Y, current.X, current.Y);
        if (drawn) DrawMapLine(previous, current);
        if (!hit) return true;
        SteerToCrossing(actor);
        if (drawn) {
            char marker[4];
            std::snprintf(marker, sizeof marker, "%d", (int)stage);
            CanvasTextOut(&BackBuffer, TruncToInt32((double)IntersectX + shift.X - MarkerOffset),
                          TruncToInt32((double)IntersectY + shift.Y - MarkerOffset), marker);
        }
        crossed = true;
        return false;
    };
    WalkIndexList(part.Indices, pointOf, testSegment, TListShape::Polyline);
    return crossed;
}

// Searches the ideal lines of the actor's own cell for a crossing with the feeler; true when one was found.
bool CellCrossesFeeler(TActor& actor, const TFeeler& feeler, int32_t stage, TMapShift shift) {
    const TQuadrant* cell = CellAt(actor.QuadIndex);
    if (cell == nullptr) return false;
    for (int32_t p = 0; p < PlacementsIn(*cell); p++) {
        const TPlacement& placement = cell->Placements[(size_t)p];
        const TObjekt* model = ObjectAt(placement.ObjectIndex);
        if (model == nullptr || model->ObjectType != IdealLineType) continue;
        const TPoint2 base{F32((double)cell->OriginX + (double)placement.X),
                           F32((double)cell->OriginY + (double)placement.Y)};
        LoadRotation(placement.AngleX, placement.AngleY, placement.AngleZ);
        for (const TModelPart& part : model->Parts) {
            if (part.PartKind != GroundLinePart) continue;
            if (PartCrossesFeeler(actor, *model, part, base, feeler, stage, shift)) return true;
        }
    }
    return false;
}

void DriveActor(TActor& actor) {
    actor.StepLength = F32((double)actor.StepLength + (double)PerFrameScale(actor.Accel));

    LoadRotation(actor.AngleX, actor.AngleY, actor.AngleZ);
    const TFeeler farFeeler = FeelerAt(actor, FarFeelerAhead);
    const TFeeler nearFeeler = FeelerAt(actor, NearFeelerAhead);
    const TMapShift shift = CurrentMapShift();
    if (CheckLineMode != 0) {
        CanvasSetPenColor(&BackBuffer, FeelerColor);
        DrawMapLine(nearFeeler.From, nearFeeler.To);
        DrawMapLine(farFeeler.From, farFeeler.To);
    }

    // The far feeler takes precedence; the near one is asked only when nothing crosses the far one.
    if (CellCrossesFeeler(actor, farFeeler, 0, shift)) return;
    CellCrossesFeeler(actor, nearFeeler, 1, shift);
}

} // namespace

void SteerComputerActors() {
    for (int32_t a = 0; a < ActorsInPlay(); a++) {
        if (a == CurrentActor && DemoMode == 0) continue; // the player drives this one
        DriveActor(Actors[(size_t)a]);
    }
}
