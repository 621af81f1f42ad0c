// A small hand-made world for the tests of the line passes, the computer drivers, the surface test and the
// laps: the game's own nine models, an empty 10 x 10 grid with its line stores, and a few cars placed by
// hand.
#pragma once

#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "world/DatenStruktur.h"
#include "world/World.h"

namespace smallworld {

// A model of the test's own, in a slot beyond the game's nine.
inline void DefineModel(int32_t index, uint8_t type, const float* vertices, float hitRadius,
                        std::initializer_list<TModelPart> parts) {
    TObjekt& model = Objects[(size_t)index];
    model.ObjectType = type;
    model.Vertices = vertices;
    model.HitRadius = hitRadius;
    model.PartCount = (int32_t)parts.size();
    model.Parts.assign(parts.begin(), parts.end());
}

// Sizes every array as the world construction does, binds the game's models and leaves every cell empty.
inline void MakeSmallWorld(int32_t actorCount) {
    ScreenCentreX = 300.0f;
    ScreenCentreY = 300.0f;
    Fps = 100;
    QuadrantCount = 100;
    ActorCount = actorCount;
    ResizeArray(Objects, 20);
    ResizeArray(Quadrants, 100);
    ResizeArray(Actors, actorCount);
    ResizeArray(QuadrantLines, 100);
    ResizeArray(ActorLines, actorCount);
    ResizeArray(ProbeLines, actorCount);
    for (TKollisionsLinien& list : QuadrantLines)
        ResizeArray(list.Lines, 50);
    for (TKollisionsLinien& list : ActorLines)
        ResizeArray(list.Lines, 100);
    for (TKollisionsLinien& list : ProbeLines)
        ResizeArray(list.Lines, 20);

    BuildModels();

    for (int32_t q = 0; q < 100; q++) {
        Quadrants[(size_t)q].OriginX = (q % 10) * 500;
        Quadrants[(size_t)q].OriginY = (q / 10) * 500;
        Quadrants[(size_t)q].PlacementCount = 0;
        ResizeArray(Quadrants[(size_t)q].Placements, 10);
    }
    for (TActor& actor : Actors) {
        actor.ModelIndex = ModelAkteur;
        actor.SteerRate = 1.0f;
        actor.Accel = 0.2f;
        actor.MaxStepLength = 2.0f;
        actor.Laps = 1;
        actor.Mass = 800.0f;
    }
}

// Puts an actor at a world position, keeping its cell and in-cell position in step.
inline void PlaceActor(int32_t a, float x, float y, float angleZ = 0.0f) {
    TActor& actor = Actors[(size_t)a];
    actor.PosX = x;
    actor.PosY = y;
    actor.QuadCol = (int32_t)std::floor(x / 500.0f);
    actor.QuadRow = (int32_t)std::floor(y / 500.0f);
    actor.QuadPosX = x - 500.0f * (float)actor.QuadCol;
    actor.QuadPosY = y - 500.0f * (float)actor.QuadRow;
    actor.QuadIndex = actor.QuadRow * 10 + actor.QuadCol;
    actor.AngleZ = angleZ;
    actor.WheelAngle = angleZ;
}

// Appends a placement to a cell and returns its index.
inline int32_t AddPlacement(int32_t q, int32_t objectIndex, float x, float y, float angleZ = 0.0f) {
    TQuadrant& cell = Quadrants[(size_t)q];
    const int32_t p = cell.PlacementCount++;
    cell.Placements[(size_t)p] = TPlacement{x, y, 0.0f, 0.0f, 0.0f, angleZ, objectIndex};
    return p;
}

} // namespace smallworld
