// The whole game state: the game's numbers, the record types, then every global, grouped by the subsystem
// that owns it, one comment line each, and last the one way to reach an actor, a cell or a model. Every
// procedure of the game reads and writes these directly; the fixed order of the frame steps keeps them
// consistent. All globals are defined in DatenStruktur.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "draw/Canvas.h"
#include "platform/Platform.h"

// ---- The game's numbers ---------------------------------------------------------------------------------

// The grid: 10 x 10 cells of 500 x 500 metres, a world of 5000 x 5000 that wraps at its edges.
constexpr int32_t GridSize = 10, CellSize = 500, WorldSize = GridSize * CellSize;

// Object types of the models; the start checkpoint is the finish line. TActor::TouchQuad is indexed by the
// types of the ground models.
constexpr uint8_t StartCheckpointType = 1, WayCheckpointType = 2, RoadType = 9;
constexpr uint8_t CarType = 10, ObstacleType = 11, BorderType = 12, IdealLineType = 13;
// The ground models, felt by the contact pass: every type below the car's.
constexpr bool IsGroundType(uint8_t type) {
    return type < CarType;
}
// The models whose footprint outlines are walls: every type above the car's.
constexpr bool IsWallType(uint8_t type) {
    return type > CarType;
}

// Part kinds: how the game uses an index list of a model.
constexpr int32_t OutlinePart = 0;    // footprint outline: collision lines and the line view
constexpr int32_t FacesPart = 1;      // the 3D view's wire frame
constexpr int32_t GroundLinePart = 2; // checkpoint rectangles and ideal lines
constexpr int32_t ProbePart = 3;      // the car's probe line

// The camera presets by number (CameraPreset); from the bonnet preset on the camera stands on a line along
// the car's heading.
constexpr int32_t BirdsEyePreset = 0, SpatialBirdsEyePreset = 1, InverseBirdsEyePreset = 2;
constexpr int32_t BonnetPreset = 3, ChasePreset = 4, PresetCount = 5;

// Metres per second to km/h.
constexpr double KmhPerMs = 3.6;

// ---- Record types --------------------------------------------------------------------------------------

// One index list of a model, with how the game uses it and its pen colour.
struct TModelPart {
    int32_t PartKind;       // OutlinePart, FacesPart, GroundLinePart or ProbePart
    int32_t Color;          // COLORREF
    const int32_t* Indices; // constant list: vertex numbers, -1 closes a polygon, 99999 ends it
};

// One model.
struct TObjekt {
    char Name[21];         // label padded with zero bytes; only stored
    uint8_t ObjectType;    // StartCheckpointType to IdealLineType
    const float* Vertices; // constant table of x, y, z triples
    int32_t PartCount;
    std::vector<TModelPart> Parts;
    float HitRadius; // contact half-size of the surface test
};

// A model placed in a cell.
struct TPlacement {
    float X, Y, Z;                // position within the cell
    float AngleX, AngleY, AngleZ; // degrees
    int32_t ObjectIndex;          // into Objects
};

// One grid cell of 500 x 500.
struct TQuadrant {
    int32_t OriginX, OriginY, OriginZ;  // world position of the low corner
    int32_t PlacementCount;             // valid entries at the start of Placements
    std::vector<TPlacement> Placements; // 10 entries
};

// One 2D line segment of a collision list.
struct TCollisionLine {
    int32_t Owner;     // placement index (cell lists) or actor index (actor and probe lists)
    int32_t OwnerType; // ObjectType of the placed model (cell lists only)
    float X1, Y1, X2, Y2;
};

// A list of line segments; the lines occupy entries 1 to LineCount, entry 0 is never written.
struct TKollisionsLinien {
    int32_t LineCount;
    std::vector<TCollisionLine> Lines;
};

// One car.
struct TActor {
    float PosX, PosY, PosZ;             // world position
    float QuadPosX, QuadPosY, QuadPosZ; // position within the current cell
    int32_t QuadCol, QuadRow;           // current cell, 0 to 9
    float StepX, StepY, StepZ;          // displacement of the last frame
    float AngleX, AngleY, AngleZ;       // body orientation in degrees; AngleZ is the heading, 0 facing +y
    float PrevPosX, PrevPosY, PrevPosZ; // pose saved before the move, restored on wall contact
    float PrevAngleX, PrevAngleY, PrevAngleZ;
    float WheelAngle;            // direction of travel in degrees
    float AngleDiff;             // |AngleZ - WheelAngle|
    int32_t ModelIndex;          // the car's model in Objects
    float StepLength;            // metres per frame
    float Accel;                 // gain of StepLength per second while accelerating
    float MaxStepLength;         // upper bound of StepLength
    int32_t QuadIndex;           // QuadRow * 10 + QuadCol
    int32_t OnRoad;              // 1 on a road piece, 0 off it, -1 while undecided
    int32_t TouchQuad[10];       // by ground ObjectType: cell where a model of that type was touched
    int32_t Laps;                // lap number shown on the display
    int32_t CheckpointSeen[100]; // by cell: the cell number once its checkpoint was counted
    int32_t FinishHandled;       // 1 after a finish contact was evaluated
    int32_t CheckpointTally;     // sum of the checkpoint cells counted in this lap
    float Steering;              // heading change per frame in degrees
    float SteerRate;             // change of Steering per second while steering
    int32_t SteerSide;           // side chosen by the computer driver: -1, 0 or 1
    float BounceTurn;            // turn per frame while in wall contact; 0 when free
    int32_t Damage;              // damage points from wall contacts
    float SpeedKmh;              // StepLength * Fps * KmhPerMs
    float Distance;              // metres driven
    float Mass;                  // kg
    float CurveRadius;           // radius of the current curve; 0 when not turning
    float CentrifugalForce;      // N
    float Friction;              // tyre friction coefficient
    float SlideSpeed;            // km/h above which the car slides in this curve
    uint8_t Skidding;            // 1 while skidding
    float TipSpeed;              // km/h above which the car tips in this curve
    float KineticEnergy;         // shown as "kilo"; feeds wall damage
    float CogHeight;             // height of the centre of gravity, m
    float TrackWidth;            // m
    float DragCoefficient;
    float FrontalArea; // square metres
    float DragArea;    // DragCoefficient * FrontalArea
    float Resistance;  // driving resistance, N
    float RollCoefficient;
    float RollResistance; // 9.81 * Mass * RollCoefficient
};

// One edge of the polygon under the surface test.
struct TPolygonEdge {
    float X1, Y1, X2, Y2;
};

// ---- World sizes and construction (WorldBuild.cpp) ------------------------------------------------------
extern int32_t QuadrantCount; // number of cells (100)
extern int32_t ActorCount;    // number of actors (6)
extern int32_t CheckpointSum; // sum of the cells holding a way checkpoint (157)
extern int32_t BuildQuadrant; // construction cursor: the cell being filled
extern int32_t BuildObject;   // construction cursor: the model being defined
extern int32_t CurrentActor;  // the actor the camera follows and the display shows

extern std::vector<TQuadrant> Quadrants;             // the grid, by cell number
extern std::vector<TObjekt> Objects;                 // the models (20 entries, 0 to 8 defined)
extern std::vector<TActor> Actors;                   // the cars
extern std::vector<TKollisionsLinien> QuadrantLines; // obstacle outlines per cell, map frame
extern std::vector<TKollisionsLinien> ActorLines;    // car outlines per actor, map frame
extern std::vector<TKollisionsLinien> ProbeLines;    // probe lines per actor, world frame

// ---- Program entry and frame loop (FrameLoop.cpp) -------------------------------------------------------
extern int32_t Running;          // the frame loop runs while non-zero
extern int32_t KeyState[256];    // by virtual-key code: -1 down, 0 up
extern int32_t LastKey;          // code of the most recent key-down
extern TMsg Msg;                 // message taken by the last poll; its wParam is the exit code
extern TWindowClass WindowClass; // registered once at start
extern int32_t ScreenWidth;      // window and back-buffer width (600)
extern int32_t ScreenHeight;     // window and back-buffer height (600)
extern TRect ScreenRect;         // the part of the window cleared and copied each frame
extern float ScreenCentreX;      // screen point of the view axis and the map centre
extern float ScreenCentreY;
extern TCanvas BackBuffer; // off-screen frame, drawn every pass

// ---- Game flow and commands (GameFlow.cpp) -------------------------------------------------------------
extern int32_t Fps;             // passes counted in the last measuring interval
extern int32_t FrameCounter;    // passes since the last one-second mark
extern int32_t TickNow;         // millisecond tick of this pass
extern int32_t SecondStartTick; // tick at the last one-second mark
extern int32_t TickElapsed;     // TickNow - SecondStartTick
extern int32_t Seconds;         // seconds since the last reset (F4, automatic preset change)
extern int32_t ElapsedSeconds;  // seconds since program start
extern std::string Message;     // centre message of the display
extern int32_t MessageSeconds;  // seconds the message has been showing
extern uint8_t DemoMode;        // 1 demonstration, 0 race
extern uint8_t GameOverPending; // return to the demonstration when the message expires
extern TPoint CursorPos;        // target of the cursor query, screen coordinates
extern int32_t MouseX;          // cursor x this pass
extern int32_t MouseLastX;      // cursor x of the last pass that read it
extern int32_t MouseDeltaX;     // MouseX - MouseLastX
extern int32_t MouseSteering;   // -1 once the mouse steered, 0 after a steering key

// ---- Head-up display (Hud.cpp) ---------------------------------------------------------------------------
extern int32_t HudMode;       // 0 key help, 1 driving figures, 2 position and camera
extern uint8_t CheckLineMode; // F5: top-down line view instead of the 3D view

// ---- Camera (CameraPresets.cpp, CameraTracking.cpp) ------------------------------------------------------
extern int32_t CameraPreset;                     // active preset 0 to 4
extern std::string CameraPresetName;             // its display name, UTF-8
extern float CamPosX, CamPosY, CamPosZ;          // camera position
extern float CamAngleX, CamAngleY, CamAngleZ;    // camera angles in degrees
extern float CamRadX, CamRadY, CamRadZ;          // the camera angles in radians, for the 3D pass
extern float CamOffsetX, CamOffsetY, CamOffsetZ; // camera offset from the current actor
extern float CamBaseHeight;                      // CamOffsetZ as the preset set it
extern float EyeDistance;                        // focal factor of the projection
extern int32_t CameraTurnsWithActor;             // -1: the camera heading follows the actor
extern uint8_t CameraMoving;                     // 1: carried along with the actor (F3)
extern uint8_t CamNoOffset;                      // 1: skip the plain offset placement
extern uint8_t CamSpeedHeight;                   // 1: height rises with speed
extern uint8_t AutoPresetChange;                 // 1: presets change by themselves (F4)

// ---- Point register and working values (PointTransform.cpp, SurfaceContact.cpp) -------------------------
extern float PointX, PointY, PointZ;          // the point RotatePoint and ProjectPoint transform
extern float RotAngleX, RotAngleY, RotAngleZ; // working angles of the model being drawn, degrees
extern float RotRadX, RotRadY, RotRadZ;       // the working angles in radians
extern float IntersectT, IntersectU;          // parameters of the last segment intersection
extern float IntersectX, IntersectY;          // its point
extern TPolygonEdge PolygonEdges[100];        // edges of the polygon under the surface test

// Resizes a global array: existing entries stay, new ones are zero-filled.
template <typename T> void ResizeArray(std::vector<T>& array, int32_t length) {
    array.resize(length < 0 ? 0 : (size_t)length);
}

// How many actors the frame steps walk: ActorCount, held to the array (0 before the first build).
inline int32_t ActorsInPlay() {
    if (ActorCount <= 0) return 0;
    return (size_t)ActorCount < Actors.size() ? ActorCount : (int32_t)Actors.size();
}
// How many placements of a cell the passes walk: PlacementCount, held to the array.
inline int32_t PlacementsIn(const TQuadrant& cell) {
    if (cell.PlacementCount <= 0) return 0;
    const size_t count = (size_t)cell.PlacementCount;
    return count < cell.Placements.size() ? cell.PlacementCount : (int32_t)cell.Placements.size();
}
// The cell Quadrants[q] and the model Objects[index]; null when the number names none.
inline const TQuadrant* CellAt(int32_t q) {
    return q >= 0 && (size_t)q < Quadrants.size() ? &Quadrants[(size_t)q] : nullptr;
}
inline const TObjekt* ObjectAt(int32_t index) {
    return index >= 0 && (size_t)index < Objects.size() ? &Objects[(size_t)index] : nullptr;
}
// The actor CurrentActor names; null while it names none (before the first build).
TActor* CurrentActorIfAny();
// The same, or a zero actor (every figure 0, at the world's origin) while there is none.
const TActor& CurrentActorOrZero();

// Releases the global texts and arrays at process end: CameraPresetName, Message, then ProbeLines,
// ActorLines, QuadrantLines, Actors, Objects and Quadrants.
void ReleaseGlobals();
// Puts every global back to its value at program load (Running non-zero, all else zero or empty), the
// texts and arrays released: before a game in the runner and the tests.
void ClearGameState();
