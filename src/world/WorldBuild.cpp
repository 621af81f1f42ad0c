// World and track construction: screen geometry, timing and mouse baselines, the six cars, the nine
// models, the 10 x 10 grid with its obstacles and the ring track of eight cells.
// A rebuild keeps every array and every field that the steps below do not set.
#include <cstring>

#include "exact/Numeric.h"
#include "world/DatenStruktur.h"
#include "world/World.h"

namespace {

constexpr int32_t ModelsDefined = 9;
constexpr int32_t ObjectSlots = 20;
constexpr int32_t PlacementSlots = 10;
constexpr int32_t ActorLineSlots = 100;
constexpr int32_t QuadrantLineSlots = 50;
constexpr int32_t ProbeLineSlots = 20;

// One entry of the model catalogue, which lists the models in the order of their indices (World.h).
struct TModelDef {
    const char* Name;
    uint8_t ObjectType;
    bool SetsHitRadius;
    float HitRadius;
    const float* Vertices;
    int32_t PartCount;
    TModelPart Parts[3];
};

const TModelDef ModelCatalogue[ModelsDefined] = {
    {"Quader",
     ObstacleType,
     false,
     0.0f,
     QuaderVertices,
     2,
     {{OutlinePart, RGBColor(255, 10, 10), QuaderOutline},
      {FacesPart, RGBColor(255, 10, 10), QuaderFaces},
      {}}},
    {"Akteur",
     CarType,
     false,
     0.0f,
     AkteurVertices,
     3,
     {{OutlinePart, RGBColor(0, 255, 0), AkteurOutline},
      {FacesPart, RGBColor(0, 180, 0), AkteurFaces},
      {ProbePart, RGBColor(255, 50, 50), AkteurProbe}}},
    {"Border",
     BorderType,
     false,
     0.0f,
     BorderVertices,
     1,
     {{FacesPart, RGBColor(60, 60, 60), BorderLine}, {}, {}}},
    {"GERADE STRASSE",
     RoadType,
     true,
     30.0f,
     StraightRoadVertices,
     1,
     {{FacesPart, RGBColor(0, 0, 255), StraightRoadFaces}, {}, {}}},
    {"KURVE RECHTS",
     RoadType,
     true,
     30.0f,
     CurveRoadVertices,
     1,
     {{FacesPart, RGBColor(0, 0, 255), CurveRoadFaces}, {}, {}}},
    {"STARTCHECKPOINT",
     StartCheckpointType,
     true,
     100.0f,
     CheckpointVertices,
     1,
     {{GroundLinePart, RGBColor(0, 255, 255), CheckpointRectangle}, {}, {}}},
    {"WAY-CHECKPOINT",
     WayCheckpointType,
     true,
     100.0f,
     CheckpointVertices,
     1,
     {{GroundLinePart, RGBColor(0, 255, 255), CheckpointRectangle}, {}, {}}},
    {"GERADE IDEALLINIE",
     IdealLineType,
     true,
     30.0f,
     StraightIdealLineVertices,
     1,
     {{GroundLinePart, RGBColor(0, 200, 200), StraightIdealLine}, {}, {}}},
    {"KURVENIDEALLINIE",
     IdealLineType,
     true,
     30.0f,
     CurveIdealLineVertices,
     1,
     {{GroundLinePart, RGBColor(0, 200, 200), CurveIdealLine}, {}, {}}},
};

// A model placed within a cell; only the turn about z is ever set.
struct TPlacementDef {
    float X, Y, Z, AngleZ;
    int32_t ObjectIndex;
};

// Placements 0 to 3 of every cell: three obstacles and the border line.
const TPlacementDef CellPlacements[4] = {
    {150.0f, 350.0f, 0.0f, 0.0f, ModelQuader},
    {220.0f, 230.0f, 0.0f, 60.0f, ModelQuader},
    {310.0f, 370.0f, 0.0f, 75.0f, ModelQuader},
    {0.0f, 0.0f, 0.0f, 0.0f, ModelBorder},
};

// One track cell: its number, how many placements it holds, and the models of placements 4 to 6.
struct TTrackCellDef {
    int32_t Cell;
    int32_t PlacementCount;
    int32_t Models[3];
    float AngleZ;
};

// The ring in driving order; a straight cell holds checkpoint, road and ideal line, a bend road and line.
constexpr int32_t NoModel = -1;
const TTrackCellDef TrackCells[8] = {
    {51, 7, {ModelStartCheckpoint, ModelStraightRoad, ModelStraightIdeal}, 0.0f},
    {61, 6, {ModelCurveRoad, ModelCurveIdeal, NoModel}, 0.0f},
    {62, 7, {ModelWayCheckpoint, ModelStraightRoad, ModelStraightIdeal}, 90.0f},
    {63, 6, {ModelCurveRoad, ModelCurveIdeal, NoModel}, 270.0f},
    {53, 7, {ModelWayCheckpoint, ModelStraightRoad, ModelStraightIdeal}, 0.0f},
    {43, 6, {ModelCurveRoad, ModelCurveIdeal, NoModel}, 180.0f},
    {42, 7, {ModelWayCheckpoint, ModelStraightRoad, ModelStraightIdeal}, 90.0f},
    {41, 6, {ModelCurveRoad, ModelCurveIdeal, NoModel}, 90.0f},
};

// Every track piece stands at the cell's centre except the start checkpoint, which lies 200 further back.
constexpr float TrackPieceX = 250.0f;
constexpr float TrackPieceY = 250.0f;
constexpr float StartCheckpointY = 50.0f;

// Start slots and driving values of actors 1 to 5, all in cell 51.
struct TStartSlot {
    float QuadPosX, QuadPosY, Accel, MaxStepLength;
};

const TStartSlot StartGrid[5] = {
    {260.0f, 260.0f, 0.13f, 1.9f},  {240.0f, 270.0f, 0.145f, 1.9f}, {260.0f, 280.0f, 0.15f, 1.9f},
    {240.0f, 290.0f, 0.165f, 1.9f}, {260.0f, 300.0f, 0.18f, 1.9f},
};

constexpr int32_t StartCol = 1;
constexpr int32_t StartRow = 5;
constexpr float StartStepLength = 0.02f;

// Puts an actor into a cell: world position from the cell and the position within it.
void PlaceInCell(TActor& actor, int32_t col, int32_t row, float quadPosX, float quadPosY) {
    actor.QuadCol = col;
    actor.QuadRow = row;
    actor.QuadPosX = quadPosX;
    actor.QuadPosY = quadPosY;
    actor.PosX = F32((double)(col * CellSize) + (double)quadPosX);
    actor.PosY = F32((double)(row * CellSize) + (double)quadPosY);
    actor.QuadIndex = row * GridSize + col;
}

void SetScreenGeometry() {
    ScreenWidth = 600;
    ScreenHeight = 600;
    ScreenRect = TRect{2, 26, ScreenWidth - 2, ScreenHeight - 2};
    ScreenCentreX = (float)(ScreenWidth / 2);
    ScreenCentreY = (float)(ScreenHeight / 2);
}

void SetInputAndTimingBaselines() {
    Win::GetCursorPos(&CursorPos);
    MouseX = CursorPos.x;
    MouseLastX = MouseX;
    MouseSteering = 0;
    Fps = 100;
    FrameCounter = 0;
    TickNow = (int32_t)Win::GetTickCount(); // the tick wraps like the platform's counter
    SecondStartTick = TickNow;
}

void SetStartingActor(TActor& actor) {
    PlaceInCell(actor, StartCol, StartRow, 240.0f, 250.0f);
    actor.AngleZ = 0.0f;
    actor.WheelAngle = 0.0f;
    actor.AngleDiff = 0.0f;
    actor.ModelIndex = ModelAkteur;
    actor.StepLength = StartStepLength;
    actor.Accel = 0.2f;
    actor.MaxStepLength = 2.0f;
    actor.Laps = 1;
    // Every game starts with a fresh lap progress, which step 8 copies into every car: a spent finish
    // line or a locked tally of the last game must not travel into the next one.
    for (int32_t& seen : actor.CheckpointSeen)
        seen = 0;
    actor.FinishHandled = 0;
    actor.CheckpointTally = 0;
    actor.Steering = 0.0f;
    actor.SteerRate = 1.0f;
    actor.BounceTurn = 0.0f;
    actor.Damage = 0;
    actor.SpeedKmh = 0.0f;
    actor.Mass = 800.0f;
    actor.CurveRadius = 0.0f;
    actor.Friction = 0.6f;
    actor.SlideSpeed = 1000.0f;
    actor.Skidding = 0;
    actor.TipSpeed = 0.0f;
    actor.CogHeight = 0.541f;
    actor.TrackWidth = 1.7f;
    actor.DragCoefficient = 0.34f;
    actor.FrontalArea = 1.88f;
    actor.Resistance = 0.0f;
    actor.RollCoefficient = 0.015f;
    // Both products of the stored float fields, formed in extended precision and rounded once.
    actor.DragArea = F32(ExtendedFromFloat(actor.DragCoefficient) * ExtendedFromFloat(actor.FrontalArea));
    actor.RollResistance =
        F32(ExtGravity * ExtendedFromFloat(actor.Mass) * ExtendedFromFloat(actor.RollCoefficient));
}

void BuildActors() {
    SetStartingActor(Actors[0]);
    for (int32_t i = 1; i < ActorCount; i++)
        Actors[(size_t)i] = Actors[0];
    if (DemoMode != 0) {
        Actors[0].StepLength = StartStepLength;
        Actors[0].Accel = 0.11f;
        Actors[0].MaxStepLength = 3.0f;
    }
    for (int32_t i = 1; i < ActorCount && i <= 5; i++) {
        const TStartSlot& slot = StartGrid[i - 1];
        TActor& actor = Actors[(size_t)i];
        PlaceInCell(actor, StartCol, StartRow, slot.QuadPosX, slot.QuadPosY);
        actor.StepLength = StartStepLength;
        actor.Accel = slot.Accel;
        actor.MaxStepLength = slot.MaxStepLength;
    }
    CurrentActor = DemoMode != 0 ? ActorCount - 1 : 0;
}

void SizeLineStores(std::vector<TKollisionsLinien>& store, int32_t entries, int32_t slots) {
    ResizeArray(store, entries);
    for (TKollisionsLinien& list : store)
        ResizeArray(list.Lines, slots);
}

} // namespace

void BuildModels() {
    for (int32_t i = 0; i < ModelsDefined; i++) {
        BuildObject = i;
        const TModelDef& def = ModelCatalogue[i];
        TObjekt& model = Objects[(size_t)i];
        std::memset(model.Name, 0, sizeof model.Name);
        std::memcpy(model.Name, def.Name, std::strlen(def.Name));
        model.ObjectType = def.ObjectType;
        model.Vertices = def.Vertices;
        if (def.SetsHitRadius) model.HitRadius = def.HitRadius;
        model.PartCount = def.PartCount;
        ResizeArray(model.Parts, model.PartCount);
        for (int32_t p = 0; p < def.PartCount; p++)
            model.Parts[(size_t)p] = def.Parts[p];
    }
}

namespace {

void SetPlacement(TPlacement& placement, float x, float y, float z, float angleZ, int32_t objectIndex) {
    placement.X = x;
    placement.Y = y;
    placement.Z = z;
    placement.AngleZ = angleZ;
    placement.ObjectIndex = objectIndex;
}

void BuildGrid() {
    for (int32_t row = 0; row < GridSize; row++) {
        for (int32_t col = 0; col < GridSize; col++) {
            BuildQuadrant = row * GridSize + col;
            TQuadrant& cell = Quadrants[(size_t)BuildQuadrant];
            cell.OriginX = col * CellSize;
            cell.OriginY = row * CellSize;
            cell.PlacementCount = 4;
            ResizeArray(cell.Placements, PlacementSlots);
            for (int32_t p = 0; p < 4; p++) {
                const TPlacementDef& def = CellPlacements[p];
                SetPlacement(cell.Placements[(size_t)p], def.X, def.Y, def.Z, def.AngleZ, def.ObjectIndex);
            }
        }
    }
}

void BuildTrack() {
    for (const TTrackCellDef& def : TrackCells) {
        BuildQuadrant = def.Cell;
        TQuadrant& cell = Quadrants[(size_t)def.Cell];
        cell.PlacementCount = def.PlacementCount;
        for (int32_t p = 4; p < def.PlacementCount; p++) {
            const int32_t model = def.Models[p - 4];
            const float y = model == ModelStartCheckpoint ? StartCheckpointY : TrackPieceY;
            SetPlacement(cell.Placements[(size_t)p], TrackPieceX, y, 0.0f, def.AngleZ, model);
        }
        if (cell.Placements[4].ObjectIndex == ModelWayCheckpoint) CheckpointSum += def.Cell;
    }
}

} // namespace

void BuildWorldState() {
    SetScreenGeometry();
    HudMode = 0;
    CheckpointSum = 0;
    GameOverPending = 0;
    SetInputAndTimingBaselines();
    CheckLineMode = 0;

    QuadrantCount = GridSize * GridSize;
    ResizeArray(Quadrants, QuadrantCount);
    ResizeArray(Objects, ObjectSlots);
    ActorCount = 6;
    ResizeArray(Actors, ActorCount);

    BuildActors();
    SizeLineStores(ActorLines, ActorCount, ActorLineSlots);
    SizeLineStores(QuadrantLines, QuadrantCount, QuadrantLineSlots);
    SizeLineStores(ProbeLines, ActorCount, ProbeLineSlots);
    BuildModels();
    BuildGrid();
    BuildTrack();
}
