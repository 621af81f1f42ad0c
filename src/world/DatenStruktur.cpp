// Definitions of every global of the game state, in the groups of DatenStruktur.h.
#include "world/DatenStruktur.h"

#include <cstring>

// World sizes and construction
int32_t QuadrantCount;
int32_t ActorCount;
int32_t CheckpointSum;
int32_t BuildQuadrant;
int32_t BuildObject;
int32_t CurrentActor;
std::vector<TQuadrant> Quadrants;
std::vector<TObjekt> Objects;
std::vector<TActor> Actors;
std::vector<TKollisionsLinien> QuadrantLines;
std::vector<TKollisionsLinien> ActorLines;
std::vector<TKollisionsLinien> ProbeLines;

// Program entry and frame loop
int32_t Running = -1;
int32_t KeyState[256];
int32_t LastKey;
TMsg Msg;
TWindowClass WindowClass;
int32_t ScreenWidth;
int32_t ScreenHeight;
TRect ScreenRect;
float ScreenCentreX;
float ScreenCentreY;
TCanvas BackBuffer;

// Game flow and commands
int32_t Fps;
int32_t FrameCounter;
int32_t TickNow;
int32_t SecondStartTick;
int32_t TickElapsed;
int32_t Seconds;
int32_t ElapsedSeconds;
std::string Message;
int32_t MessageSeconds;
uint8_t DemoMode;
uint8_t GameOverPending;
TPoint CursorPos;
int32_t MouseX;
int32_t MouseLastX;
int32_t MouseDeltaX;
int32_t MouseSteering;

// Head-up display
int32_t HudMode;
uint8_t CheckLineMode;

// Camera
int32_t CameraPreset;
std::string CameraPresetName;
float CamPosX, CamPosY, CamPosZ;
float CamAngleX, CamAngleY, CamAngleZ;
float CamRadX, CamRadY, CamRadZ;
float CamOffsetX, CamOffsetY, CamOffsetZ;
float CamBaseHeight;
float EyeDistance;
int32_t CameraTurnsWithActor;
uint8_t CameraMoving;
uint8_t CamNoOffset;
uint8_t CamSpeedHeight;
uint8_t AutoPresetChange;

// Point register and working values
float PointX, PointY, PointZ;
float RotAngleX, RotAngleY, RotAngleZ;
float RotRadX, RotRadY, RotRadZ;
float IntersectT, IntersectU;
float IntersectX, IntersectY;
TPolygonEdge PolygonEdges[100];

TActor* CurrentActorIfAny() {
    if (CurrentActor < 0 || (size_t)CurrentActor >= Actors.size()) return nullptr;
    return &Actors[(size_t)CurrentActor];
}

const TActor& CurrentActorOrZero() {
    static const TActor none{};
    const TActor* actor = CurrentActorIfAny();
    return actor != nullptr ? *actor : none;
}

template <typename T> static void Zero(T& value) {
    std::memset((void*)&value, 0, sizeof value);
}

// Frees a global text or array: swapped with an empty one, its storage goes with the temporary.
template <typename T> static void Release(T& global) {
    T().swap(global);
}

void ReleaseGlobals() {
    Release(CameraPresetName);
    Release(Message);
    Release(ProbeLines);
    Release(ActorLines);
    Release(QuadrantLines);
    Release(Actors);
    Release(Objects);
    Release(Quadrants);
}

void ClearGameState() {
    ReleaseGlobals();
    QuadrantCount = ActorCount = CheckpointSum = BuildQuadrant = BuildObject = CurrentActor = 0;

    Running = -1;
    Zero(KeyState);
    LastKey = 0;
    Zero(Msg);
    Zero(WindowClass);
    ScreenWidth = ScreenHeight = 0;
    Zero(ScreenRect);
    ScreenCentreX = ScreenCentreY = 0;

    Fps = FrameCounter = TickNow = SecondStartTick = TickElapsed = Seconds = ElapsedSeconds = 0;
    MessageSeconds = 0;
    DemoMode = GameOverPending = 0;
    Zero(CursorPos);
    MouseX = MouseLastX = MouseDeltaX = MouseSteering = 0;

    HudMode = 0;
    CheckLineMode = 0;

    CameraPreset = 0;
    CamPosX = CamPosY = CamPosZ = 0;
    CamAngleX = CamAngleY = CamAngleZ = 0;
    CamRadX = CamRadY = CamRadZ = 0;
    CamOffsetX = CamOffsetY = CamOffsetZ = 0;
    CamBaseHeight = EyeDistance = 0;
    CameraTurnsWithActor = 0;
    CameraMoving = CamNoOffset = CamSpeedHeight = AutoPresetChange = 0;

    PointX = PointY = PointZ = 0;
    RotAngleX = RotAngleY = RotAngleZ = 0;
    RotRadX = RotRadY = RotRadZ = 0;
    IntersectT = IntersectU = IntersectX = IntersectY = 0;
    Zero(PolygonEdges);
}
