// The walk of a model's index list, shared by every pass over a model's lines: a number names a vertex of
// the model's table, -1 closes the polygon back to its first point, 99999 ends the list (as does its
// 100000th entry), and any other negative number names nothing and is passed over.
#pragma once

#include <cstdint>

#include "world/World.h"

// Ideal lines are open polylines: their walk passes over a -1 as over any other non-vertex.
enum class TListShape { Polygons, Polyline };

// Walks the list: pointOf(vertex) makes a vertex into a point of the pass's own kind, and visit(point,
// previous, starts, closes) sees every point in list order; starts is true for the first point of a
// polygon (previous is then stale), closes for the first point again at a -1. A visit that returns false
// ends the walk. Nothing is allocated.
template <typename TPointOf, typename TVisit>
void WalkIndexList(const int32_t* indices, TPointOf pointOf, TVisit visit,
                   TListShape shape = TListShape::Polygons) {
    using TListPoint = decltype(pointOf(0));
    TListPoint first{}, previous{};
    bool polygonStart = true;
    for (int32_t k = 0; k < MaxListEntries; k++) {
        const int32_t entry = indices[k];
        if (entry == ListEnd) return;
        if (entry < PolygonEnd) continue;
        const bool closes = entry == PolygonEnd;
        if (closes && shape == TListShape::Polyline) continue;
        const TListPoint current = closes ? first : pointOf(entry);
        if (!visit(current, previous, polygonStart, closes)) return;
        previous = current;
        if (polygonStart) first = current;
        polygonStart = closes;
    }
}
