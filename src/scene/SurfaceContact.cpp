// Road and checkpoint contact: every frame each actor learns whether it stands on the road and which
// checkpoint it touches, by testing its position against the ground polygons of its own cell.
#include <cmath>

#include "exact/Numeric.h"
#include "scene/IndexList.h"
#include "scene/Scene.h"
#include "world/DatenStruktur.h"
#include "world/World.h"

namespace {

constexpr int32_t Undecided = -1;
constexpr int32_t MaxPolygonEdges = (int32_t)(sizeof PolygonEdges / sizeof PolygonEdges[0]);

// The polygon being collected: its edges live in PolygonEdges.
struct TPolygonWalk {
    int32_t VertexCount;
    int32_t EdgeCount;
    double SumX, SumY;
};

void ClearPolygon(TPolygonWalk& walk) {
    walk.VertexCount = 0;
    walk.EdgeCount = 0;
    walk.SumX = 0.0;
    walk.SumY = 0.0;
}

// The edge value is positive when the point lies on the outer side of the edge.
bool OutsideEdge(const TActor& actor, const TPolygonEdge& edge) {
    const double value = 0.5 * (((double)actor.PosX - (double)edge.X1) * ((double)edge.Y2 - (double)edge.Y1) -
                                ((double)edge.X2 - (double)edge.X1) * ((double)actor.PosY - (double)edge.Y1));
    return value > 0.0;
}

// Tests every still undecided actor of cell q against the collected polygon of a model of the given type.
void TestPolygon(const TPolygonWalk& walk, int32_t q, uint8_t objectType, float radius) {
    if (walk.VertexCount <= 0) return;
    const float centreX = F32(walk.SumX / walk.VertexCount);
    const float centreY = F32(walk.SumY / walk.VertexCount);
    for (int32_t i = 0; i < ActorsInPlay(); i++) {
        TActor& actor = Actors[(size_t)i];
        if (actor.QuadIndex != q || actor.OnRoad != Undecided) continue;
        // The cheap centre test comes first; a distance of exactly the radius is not near enough.
        if (!(std::fabs((double)centreX - (double)actor.PosX) < (double)radius)) continue;
        if (!(std::fabs((double)centreY - (double)actor.PosY) < (double)radius)) continue;
        bool inside = true;
        for (int32_t e = 0; e < walk.EdgeCount; e++) {
            if (OutsideEdge(actor, PolygonEdges[e])) inside = false;
            if (CheckLineMode != 0) {
                const TPolygonEdge& edge = PolygonEdges[e];
                DrawMapLine(TPoint2{edge.X1, edge.Y1}, TPoint2{edge.X2, edge.Y2});
            }
        }
        if (!inside) continue;
        if (objectType == RoadType) actor.OnRoad = 1;
        actor.TouchQuad[objectType] = q;
    }
}

// Walks one index list of a placed ground model into polygons and tests each closed one.
void TestPart(const TQuadrant& cell, const TPlacement& placement, const TObjekt& model,
              const TModelPart& part, int32_t q) {
    if (part.Indices == nullptr || model.Vertices == nullptr) return;
    CanvasSetPenColor(&BackBuffer, part.Color);
    TPolygonWalk walk;
    ClearPolygon(walk);
    const auto pointOf = [&](int32_t i) {
        const float* vertex = model.Vertices + (size_t)i * 3;
        PointX = vertex[0];
        PointY = vertex[1];
        PointZ = vertex[2];
        RotatePoint(RotRadX, RotRadY, RotRadZ);
        const TPoint2 point{F32((double)PointX + (double)cell.OriginX + (double)placement.X),
                            F32((double)PointY + (double)cell.OriginY + (double)placement.Y)};
        walk.VertexCount++;
        walk.SumX += point.X;
        walk.SumY += point.Y;
        return point;
    };
    WalkIndexList(part.Indices, pointOf, [&](TPoint2 current, TPoint2 previous, bool starts, bool closes) {
        if (!starts && walk.EdgeCount < MaxPolygonEdges) {
            PolygonEdges[walk.EdgeCount] = {previous.X, previous.Y, current.X, current.Y};
            walk.EdgeCount++;
        }
        if (closes) {
            TestPolygon(walk, q, model.ObjectType, model.HitRadius);
            ClearPolygon(walk);
        }
        return true;
    });
}

// Scans the ground models of cell q for every undecided actor standing in it.
void ScanCell(int32_t q) {
    const TQuadrant* cell = CellAt(q);
    if (cell == nullptr) return;
    for (int32_t p = 0; p < PlacementsIn(*cell); p++) {
        const TPlacement& placement = cell->Placements[(size_t)p];
        const TObjekt* model = ObjectAt(placement.ObjectIndex);
        if (model == nullptr || !IsGroundType(model->ObjectType)) continue;
        LoadRotation(placement.AngleX, placement.AngleY, placement.AngleZ);
        for (const TModelPart& part : model->Parts) {
            if (part.PartKind != OutlinePart) TestPart(*cell, placement, *model, part, q);
        }
    }
}

} // namespace

void TestSurfaces() {
    for (int32_t a = 0; a < ActorsInPlay(); a++) {
        Actors[(size_t)a].OnRoad = Undecided;
        for (int32_t& cell : Actors[(size_t)a].TouchQuad)
            cell = 0;
    }
    for (int32_t a = 0; a < ActorsInPlay(); a++) {
        TActor& actor = Actors[(size_t)a];
        if (actor.OnRoad != Undecided) continue;
        ScanCell(actor.QuadIndex);
        if (actor.OnRoad == Undecided) actor.OnRoad = 0;
    }
}
