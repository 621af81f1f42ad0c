// The constant model tables: vertex triples (x, y, z) and index lists in which -1 closes a polygon and
// 99999 ends the list. The literals are the exact float values of the models.
#include "world/World.h"

// Obstacle: a 20 x 20 base with apexes at heights 10 and 1.
const float QuaderVertices[] = {
    10.0f,  10.0f,  0.0f,  // 0
    10.0f,  -10.0f, 0.0f,  // 1
    -10.0f, -10.0f, 0.0f,  // 2
    -10.0f, 10.0f,  0.0f,  // 3
    0.0f,   0.0f,   10.0f, // 4
    0.0f,   0.0f,   1.0f,  // 5
};
const int32_t QuaderOutline[] = {0, 1, 2, 3, -1, 99999};
const int32_t QuaderFaces[] = {1, 0, 4,  -1, 4, 2, 1,  -1, 4, 3, 2,  -1, 4, 0, 3,  -1,   5,
                               0, 1, -1, 5,  1, 2, -1, 5,  2, 3, -1, 3,  0, 5, -1, 99999};

// Car body, 4 long and 2 wide; vertices 9 and 10 carry the probe line.
const float AkteurVertices[] = {
    0.9f,  2.0f,   0.0f, // 0
    1.0f,  -2.0f,  0.0f, // 1
    -1.0f, -2.0f,  0.0f, // 2
    -0.9f, 2.0f,   0.0f, // 3
    0.9f,  1.6f,   0.5f, // 4
    0.8f,  -1.8f,  1.0f, // 5
    -0.8f, -1.8f,  1.0f, // 6
    -0.9f, 1.6f,   0.5f, // 7
    0.0f,  2.0f,   0.5f, // 8
    0.0f,  -14.0f, 0.0f, // 9
    0.0f,  7.0f,   0.0f, // 10
};
const int32_t AkteurOutline[] = {2, 3, 0, 1, -1, 99999};
const int32_t AkteurFaces[] = {0, 1,  2, 3, -1, 0,  4, 5, 1,  -1, 1, 5, 6,  2,  -1,
                               2, 6,  7, 3, -1, 8,  6, 5, -1, 4,  8, 5, -1, 8,  7,
                               6, -1, 8, 0, 3,  -1, 7, 8, 3,  -1, 4, 0, 8,  -1, 99999};
const int32_t AkteurProbe[] = {9, 10, 99999};

// Cell border along the x = 0 and y = 499 edges (vertex 4 is not used).
const float BorderVertices[] = {
    0.0f,   0.0f,   0.0f, // 0
    0.0f,   99.0f,  0.0f, // 1
    0.0f,   199.0f, 0.0f, // 2
    0.0f,   299.0f, 0.0f, // 3
    0.0f,   399.0f, 0.0f, // 4
    0.0f,   499.0f, 0.0f, // 5
    99.0f,  499.0f, 0.0f, // 6
    199.0f, 499.0f, 0.0f, // 7
    299.0f, 499.0f, 0.0f, // 8
    399.0f, 499.0f, 0.0f, // 9
    499.0f, 499.0f, 0.0f, // 10
};
const int32_t BorderLine[] = {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 99999};

// Straight road, 30 wide and 500 long, in ten quads.
const float StraightRoadVertices[] = {
    15.0f,  250.0f,  0.0f, // 0
    15.0f,  200.0f,  0.0f, // 1
    -15.0f, 200.0f,  0.0f, // 2
    -15.0f, 250.0f,  0.0f, // 3
    15.0f,  150.0f,  0.0f, // 4
    15.0f,  100.0f,  0.0f, // 5
    -15.0f, 100.0f,  0.0f, // 6
    -15.0f, 150.0f,  0.0f, // 7
    15.0f,  50.0f,   0.0f, // 8
    -15.0f, 50.0f,   0.0f, // 9
    -15.0f, 0.0f,    0.0f, // 10
    15.0f,  0.0f,    0.0f, // 11
    15.0f,  -50.0f,  0.0f, // 12
    -15.0f, -50.0f,  0.0f, // 13
    15.0f,  -100.0f, 0.0f, // 14
    -15.0f, -100.0f, 0.0f, // 15
    15.0f,  -150.0f, 0.0f, // 16
    -15.0f, -150.0f, 0.0f, // 17
    15.0f,  -200.0f, 0.0f, // 18
    -15.0f, -200.0f, 0.0f, // 19
    15.0f,  -250.0f, 0.0f, // 20
    -15.0f, -250.0f, 0.0f, // 21
};
const int32_t StraightRoadFaces[] = {0,  3,  2,  1,  -1, 1,  2,  7,  4,  -1, 4,  7,  6,  5,  -1, 5,  6,
                                     9,  8,  -1, 8,  9,  10, 11, -1, 11, 10, 13, 12, -1, 12, 13, 15, 14,
                                     -1, 14, 15, 17, 16, -1, 16, 17, 19, 18, -1, 18, 19, 21, 20, -1, 99999};

// Right-hand quarter bend, 30 wide, from the x = 250 edge to the y = -250 edge.
const float CurveRoadVertices[] = {
    250.0f,      15.0f,       0.0f, // 0
    250.0f,      -15.0f,      0.0f, // 1
    203.80263f,  15.314263f,  0.0f, // 2
    206.01662f,  -14.768775f, 0.0f, // 3
    159.62086f,  8.762684f,   0.0f, // 4
    167.41396f,  -20.373898f, 0.0f, // 5
    128.51476f,  -34.16435f,  0.0f, // 6
    114.89504f,  -7.434139f,  0.0f, // 7
    97.359604f,  -53.17114f,  0.0f, // 8
    79.72604f,   -28.900616f, 0.0f, // 9
    69.90161f,   -77.88922f,  0.0f, // 10
    48.417713f,  -107.89841f, 0.0f, // 11
    48.599064f,  -56.609737f, 0.0f, // 12
    31.772614f,  -140.80104f, 0.0f, // 13
    23.928421f,  -90.11545f,  0.0f, // 14
    20.526917f,  -175.94896f, 0.0f, // 15
    4.850344f,   -127.11449f, 0.0f, // 16
    14.927034f,  -212.38379f, 0.0f, // 17
    -8.195936f,  -166.60292f, 0.0f, // 18
    15.0f,       -250.0f,     0.0f, // 19
    -15.0f,      -250.0f,     0.0f, // 20
    -15.002195f, -207.66037f, 0.0f, // 21
};
const int32_t CurveRoadFaces[] = {1,  0,  2,  3,  -1, 3,  2,  4,  5,  -1, 5,  4,  7,  6,  -1, 6,  7,
                                  9,  8,  -1, 8,  9,  12, 10, -1, 10, 12, 14, 11, -1, 11, 14, 16, 13,
                                  -1, 13, 16, 18, 15, -1, 15, 18, 21, 17, -1, 17, 21, 20, 19, -1, 99999};

// Checkpoint rectangle, 100 across and 50 deep; start and way checkpoints share it.
const float CheckpointVertices[] = {
    -50.0f, -25.0f, 0.0f, // 0
    50.0f,  -25.0f, 0.0f, // 1
    50.0f,  25.0f,  0.0f, // 2
    -50.0f, 25.0f,  0.0f, // 3
};
const int32_t CheckpointRectangle[] = {0, 1, 2, 3, -1, 99999};

// Ideal line along the straight road.
const float StraightIdealLineVertices[] = {
    0.0f, -250.0f, 0.0f, // 0
    0.0f, 250.0f,  0.0f, // 1
};
const int32_t StraightIdealLine[] = {0, 1, 99999};

// Ideal line through the bend, 41 vertices.
const float CurveIdealLineVertices[] = {
    0.004053f,  -236.54678f,  0.0f, // 0
    0.00405f,   -250.02852f,  0.0f, // 1
    0.004056f,  -223.06505f,  0.0f, // 2
    0.688542f,  -211.65692f,  0.0f, // 3
    1.373029f,  -200.24881f,  0.0f, // 4
    3.54057f,   -190.55191f,  0.0f, // 5
    5.708112f,  -180.85503f,  0.0f, // 6
    7.191166f,  -172.29895f,  0.0f, // 7
    8.674221f,  -163.74286f,  0.0f, // 8
    10.955843f, -154.73044f,  0.0f, // 9
    13.237466f, -145.71803f,  0.0f, // 10
    16.317656f, -138.98724f,  0.0f, // 11
    19.397846f, -132.25645f,  0.0f, // 12
    22.363886f, -125.98214f,  0.0f, // 13
    25.329926f, -119.707825f, 0.0f, // 14
    29.094513f, -112.634964f, 0.0f, // 15
    32.8591f,   -105.5621f,   0.0f, // 16
    39.95561f,  -95.86354f,   0.0f, // 17
    47.052116f, -86.16498f,   0.0f, // 18
    55.331375f, -77.64917f,   0.0f, // 19
    63.610634f, -69.13336f,   0.0f, // 20
    71.88989f,  -62.03685f,   0.0f, // 21
    80.16915f,  -54.94034f,   0.0f, // 22
    89.631165f, -49.02658f,   0.0f, // 23
    99.09317f,  -43.112823f,  0.0f, // 24
    107.60898f, -38.145264f,  0.0f, // 25
    116.12479f, -33.177704f,  0.0f, // 26
    125.11369f, -28.446701f,  0.0f, // 27
    134.1026f,  -23.715698f,  0.0f, // 28
    143.0915f,  -20.403992f,  0.0f, // 29
    152.08041f, -17.092285f,  0.0f, // 30
    162.96173f, -13.30748f,   0.0f, // 31
    173.84305f, -9.522675f,   0.0f, // 32
    183.30505f, -7.157173f,   0.0f, // 33
    192.76706f, -4.791672f,   0.0f, // 34
    201.51942f, -3.135818f,   0.0f, // 35
    210.27179f, -1.479965f,   0.0f, // 36
    220.32242f, -0.979355f,   0.0f, // 37
    230.37305f, -0.478745f,   0.0f, // 38
    240.19385f, -0.25856f,    0.0f, // 39
    250.01465f, -0.038376f,   0.0f, // 40
};
const int32_t CurveIdealLine[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                  14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27,
                                  28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 99999};

// Vertex counts, for the checks of the index lists.
const int32_t QuaderVertexCount = (int32_t)(sizeof QuaderVertices / sizeof(float) / 3);
const int32_t AkteurVertexCount = (int32_t)(sizeof AkteurVertices / sizeof(float) / 3);
const int32_t BorderVertexCount = (int32_t)(sizeof BorderVertices / sizeof(float) / 3);
const int32_t StraightRoadVertexCount = (int32_t)(sizeof StraightRoadVertices / sizeof(float) / 3);
const int32_t CurveRoadVertexCount = (int32_t)(sizeof CurveRoadVertices / sizeof(float) / 3);
const int32_t CheckpointVertexCount = (int32_t)(sizeof CheckpointVertices / sizeof(float) / 3);
const int32_t StraightIdealLineVertexCount = (int32_t)(sizeof StraightIdealLineVertices / sizeof(float) / 3);
const int32_t CurveIdealLineVertexCount = (int32_t)(sizeof CurveIdealLineVertices / sizeof(float) / 3);
