// World construction and the built-in models.
#pragma once

#include <cstdint>

// Sets up the world of one game: screen geometry, timing and mouse baselines, grid, models, cars,
// collision-line stores and track. DemoMode selects the demonstration or the race variant.
void BuildWorldState();
// Binds the model catalogue into the first entries of Objects, which must be sized: one of
// BuildWorldState's steps, and the way the tests' small worlds get the game's own models.
void BuildModels();

// The models of the catalogue by their index in Objects.
constexpr int32_t ModelQuader = 0, ModelAkteur = 1, ModelBorder = 2;
constexpr int32_t ModelStraightRoad = 3, ModelCurveRoad = 4, ModelStartCheckpoint = 5, ModelWayCheckpoint = 6;
constexpr int32_t ModelStraightIdeal = 7, ModelCurveIdeal = 8;

// The constant model tables, bound into Objects by BuildModels. A vertex table holds x, y, z triples; its
// size says how many vertices it has.
extern const float QuaderVertices[6 * 3];
extern const int32_t QuaderOutline[];
extern const int32_t QuaderFaces[];
extern const float AkteurVertices[11 * 3];
extern const int32_t AkteurOutline[];
extern const int32_t AkteurFaces[];
extern const int32_t AkteurProbe[];
extern const float BorderVertices[11 * 3];
extern const int32_t BorderLine[];
extern const float StraightRoadVertices[22 * 3];
extern const int32_t StraightRoadFaces[];
extern const float CurveRoadVertices[22 * 3];
extern const int32_t CurveRoadFaces[];
extern const float CheckpointVertices[4 * 3];
extern const int32_t CheckpointRectangle[];
extern const float StraightIdealLineVertices[2 * 3];
extern const int32_t StraightIdealLine[];
extern const float CurveIdealLineVertices[41 * 3];
extern const int32_t CurveIdealLine[];

// Markers of the index lists.
constexpr int32_t PolygonEnd = -1;
constexpr int32_t ListEnd = 99999;
constexpr int32_t MaxListEntries = 100000;
