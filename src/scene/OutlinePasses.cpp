// Outline passes: every frame the footprint outlines of the cars and obstacles become flat 2D line lists in
// the map frame (for the wall contacts), and the probe lines of the cars a list in the world frame. While the
// line view is on, the passes also draw what they collect.
#include "exact/Numeric.h"
#include "scene/IndexList.h"
#include "scene/Scene.h"
#include "world/DatenStruktur.h"
#include "world/World.h"

namespace {

// How a walk draws while the line view is on.
enum class WalkDrawing { None, EveryPoint, EveryStoredLine };

// Where the walk of one part stores its lines and what it writes into them.
struct TLineTarget {
    TKollisionsLinien* List;
    int32_t Owner;
    int32_t OwnerType;
    bool WritesOwnerType;
};

// The current actor's world position: the centre of the map frame.
TPoint2 MapCentreActor() {
    const TActor& centre = CurrentActorOrZero();
    return {centre.PosX, centre.PosY};
}

// Stores one line as the next entry of the list, unless the list is full.
void StoreLine(const TLineTarget& target, TPoint2 from, TPoint2 to) {
    TKollisionsLinien& list = *target.List;
    if (list.LineCount < 0 || (size_t)list.LineCount + 1 >= list.Lines.size()) return;
    list.LineCount++;
    TCollisionLine& line = list.Lines[(size_t)list.LineCount];
    line.Owner = target.Owner;
    if (target.WritesOwnerType) line.OwnerType = target.OwnerType;
    line.X1 = from.X;
    line.Y1 = from.Y;
    line.X2 = to.X;
    line.Y2 = to.Y;
}

// Walks one index list with its vertices turned and moved by (bx, by); every line between consecutive
// points is stored.
void WalkPart(const TObjekt& model, const TModelPart& part, float bx, float by, const TLineTarget& target,
              WalkDrawing drawing) {
    if (part.Indices == nullptr || model.Vertices == nullptr) return;
    const bool drawn = CheckLineMode != 0 && drawing != WalkDrawing::None;
    if (drawn) CanvasSetPenColor(&BackBuffer, part.Color);
    const auto pointOf = [&](int32_t i) { return TurnedVertex(model.Vertices, i, bx, by); };
    WalkIndexList(part.Indices, pointOf, [&](TPoint2 current, TPoint2 previous, bool starts, bool) {
        if (drawn && drawing == WalkDrawing::EveryPoint) {
            if (starts) {
                CanvasMoveTo(&BackBuffer, TruncToInt32(current.X), TruncToInt32(current.Y));
            } else {
                CanvasLineTo(&BackBuffer, TruncToInt32(current.X), TruncToInt32(current.Y));
            }
        }
        if (!starts) {
            StoreLine(target, previous, current);
            if (drawn && drawing == WalkDrawing::EveryStoredLine) DrawMapLine(previous, current);
        }
        return true;
    });
}

// Walks every part of the given kind of an actor's model into the actor's list.
void CollectActorParts(int32_t a, TKollisionsLinien& list, int32_t partKind, float bx, float by,
                       WalkDrawing drawing) {
    const TActor& actor = Actors[(size_t)a];
    list.LineCount = 0;
    const TObjekt* model = ObjectAt(actor.ModelIndex);
    if (model == nullptr) return;
    LoadRotation(actor.AngleX, actor.AngleY, actor.AngleZ);
    const TLineTarget target{&list, a, 0, false};
    for (const TModelPart& part : model->Parts) {
        if (part.PartKind == partKind) WalkPart(*model, part, bx, by, target, drawing);
    }
}

// True when an actor before a stands in the same cell: that cell is already rebuilt in this frame.
bool CellTakenByEarlierActor(int32_t a) {
    for (int32_t b = 0; b < a; b++) {
        if (Actors[(size_t)b].QuadIndex == Actors[(size_t)a].QuadIndex) return true;
    }
    return false;
}

// Rebuilds the obstacle outlines of cell q in the map frame.
void BuildCellLines(int32_t q) {
    TKollisionsLinien& list = QuadrantLines[(size_t)q];
    list.LineCount = 0;
    const TQuadrant& cell = Quadrants[(size_t)q];
    const TPoint2 centre = MapCentreActor();
    for (int32_t p = 0; p < PlacementsIn(cell); p++) {
        const TPlacement& placement = cell.Placements[(size_t)p];
        const TObjekt* model = ObjectAt(placement.ObjectIndex);
        if (model == nullptr || !IsWallType(model->ObjectType)) continue;
        const float bx =
            F32((double)cell.OriginX + (double)placement.X + (double)ScreenCentreX - (double)centre.X);
        const float by =
            F32((double)cell.OriginY + (double)placement.Y + (double)ScreenCentreY - (double)centre.Y);
        LoadRotation(placement.AngleX, placement.AngleY, placement.AngleZ);
        const TLineTarget target{&list, p, model->ObjectType, true};
        for (const TModelPart& part : model->Parts) {
            if (part.PartKind == OutlinePart) WalkPart(*model, part, bx, by, target, WalkDrawing::EveryPoint);
        }
    }
}

} // namespace

void BuildProbeLines() {
    for (int32_t a = 0; a < ActorsInPlay() && (size_t)a < ProbeLines.size(); a++) {
        const TActor& actor = Actors[(size_t)a];
        CollectActorParts(a, ProbeLines[(size_t)a], ProbePart, actor.PosX, actor.PosY,
                          WalkDrawing::EveryStoredLine);
    }
}

void BuildActorLines() {
    const TPoint2 centre = MapCentreActor();
    for (int32_t a = 0; a < ActorsInPlay() && (size_t)a < ActorLines.size(); a++) {
        const TActor& actor = Actors[(size_t)a];
        const float bx = F32((double)ScreenCentreX + (double)actor.PosX - (double)centre.X);
        const float by = F32((double)ScreenCentreY + (double)actor.PosY - (double)centre.Y);
        CollectActorParts(a, ActorLines[(size_t)a], OutlinePart, bx, by, WalkDrawing::EveryPoint);
    }
}

void BuildQuadrantLines() {
    for (int32_t a = 0; a < ActorsInPlay(); a++) {
        const int32_t q = Actors[(size_t)a].QuadIndex;
        if (q < 0 || q >= QuadrantCount || (size_t)q >= Quadrants.size() || (size_t)q >= QuadrantLines.size())
            continue;
        if (CellTakenByEarlierActor(a)) continue;
        BuildCellLines(q);
    }
}

void DrawMapLine(TPoint2 from, TPoint2 to) {
    const TPoint2 centre = MapCentreActor();
    const double shiftX = (double)ScreenCentreX - (double)centre.X;
    const double shiftY = (double)ScreenCentreY - (double)centre.Y;
    CanvasMoveTo(&BackBuffer, TruncToInt32((double)from.X + shiftX), TruncToInt32((double)from.Y + shiftY));
    CanvasLineTo(&BackBuffer, TruncToInt32((double)to.X + shiftX), TruncToInt32((double)to.Y + shiftY));
}
