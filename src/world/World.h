// World construction and the built-in models.
#pragma once

#include <cstdint>

// Sets up one whole game: screen geometry, timing and mouse baselines, grid, models, cars, collision-line
// stores, track and starting camera. DemoMode selects the demonstration or the race variant.
void BuildWorld();
// Binds the model catalogue into the first entries of Objects, which must be sized: one of BuildWorld's
// steps, and the way the tests' small worlds get the game's own models.
void BuildModels();

// The constant model tables, bound into Objects by BuildWorld.
extern const float QuaderVertices[];
extern const int32_t QuaderOutline[];
extern const int32_t QuaderFaces[];
extern const float AkteurVertices[];
extern const int32_t AkteurOutline[];
extern const int32_t AkteurFaces[];
extern const int32_t AkteurProbe[];
extern const float BorderVertices[];
extern const int32_t BorderLine[];
extern const float StraightRoadVertices[];
extern const int32_t StraightRoadFaces[];
extern const float CurveRoadVertices[];
extern const int32_t CurveRoadFaces[];
extern const float CheckpointVertices[];
extern const int32_t CheckpointRectangle[];
extern const float StraightIdealLineVertices[];
extern const int32_t StraightIdealLine[];
extern const float CurveIdealLineVertices[];
extern const int32_t CurveIdealLine[];

// Number of vertices in each table.
extern const int32_t QuaderVertexCount;
extern const int32_t AkteurVertexCount;
extern const int32_t BorderVertexCount;
extern const int32_t StraightRoadVertexCount;
extern const int32_t CurveRoadVertexCount;
extern const int32_t CheckpointVertexCount;
extern const int32_t StraightIdealLineVertexCount;
extern const int32_t CurveIdealLineVertexCount;

// Markers of the index lists.
constexpr int32_t PolygonEnd = -1;
constexpr int32_t ListEnd = 99999;
constexpr int32_t MaxListEntries = 100000;
