// Game flow: the start of a game, frame timing, message ageing, and the keyboard and mouse commands.
#include <cstdint>

#include "camera/Camera.h"
#include "dynamics/Dynamics.h"
#include "exact/Numeric.h"
#include "platform/VirtualKeys.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"
#include "world/Texts.h"
#include "world/World.h"

namespace {

constexpr int32_t MarkIntervalMs = 1000;  // a mark needs more than this since the last one
constexpr int32_t MessageLifeSeconds = 5; // marks a message survives
constexpr int32_t HudModeCount = 3;
constexpr float EyeDistanceRate = 30.0f; // per second
constexpr float CamOffsetRate = 20.0f;   // per second
constexpr float BrakeRate = 0.2f;        // StepLength per second
constexpr double MousePixelsPerUnit = 2.5;

bool Down(int key) {
    return KeyState[key] != 0;
}

// Counters that run for the whole program: they wrap instead of overflowing.
int32_t Increment(int32_t value) {
    return (int32_t)((uint32_t)value + 1u);
}

// Adds a per-second rate to a float value for this frame.
float AddPerFrame(float value, float ratePerSecond) {
    return F32((double)value + (double)PerFrameScale(ratePerSecond));
}

// Difference of two cursor positions, saturated to the int32 range.
int32_t CursorDelta(int32_t now, int32_t last) {
    const int64_t delta = (int64_t)now - (int64_t)last;
    if (delta > INT32_MAX) return INT32_MAX;
    if (delta < INT32_MIN) return INT32_MIN;
    return (int32_t)delta;
}

void HandleCameraKeys() {
    if (Down(VkPad1)) EyeDistance = AddPerFrame(EyeDistance, EyeDistanceRate);
    if (Down(VkPad7) && EyeDistance > 0) EyeDistance = AddPerFrame(EyeDistance, -EyeDistanceRate);
    if (Down(VkPad4)) CamOffsetX = AddPerFrame(CamOffsetX, -CamOffsetRate);
    if (Down(VkPad6)) CamOffsetX = AddPerFrame(CamOffsetX, CamOffsetRate);
    if (Down(VkPad8)) CamOffsetY = AddPerFrame(CamOffsetY, -CamOffsetRate);
    if (Down(VkPad2)) CamOffsetY = AddPerFrame(CamOffsetY, CamOffsetRate);
    if (Down(VkPadMinus)) CamOffsetZ = AddPerFrame(CamOffsetZ, -CamOffsetRate);
    if (Down(VkPadPlus)) CamOffsetZ = AddPerFrame(CamOffsetZ, CamOffsetRate);
}

// The one-shot keys: each acts once and clears its own entry.
void HandleFunctionKeys() {
    if (Down(VkEnter)) {
        DemoMode = (uint8_t)(1 - DemoMode);
        BuildWorld();
        KeyState[VkEnter] = 0;
        Message = TextStart;
    }
    if (Down(VkF1)) {
        KeyState[VkF1] = 0;
        HudMode = Increment(HudMode);
        if (HudMode >= HudModeCount) HudMode = 0;
    }
    if (Down(VkF2)) {
        CameraPreset = Increment(CameraPreset);
        if (CameraPreset >= PresetCount) CameraPreset = 0;
        ApplyCameraPreset();
        KeyState[VkF2] = 0;
    }
    if (Down(VkF3)) {
        CameraMoving = (uint8_t)(1 - CameraMoving);
        if (CameraMoving == 1) ApplyCameraPreset();
        KeyState[VkF3] = 0;
    }
    if (Down(VkF4)) {
        AutoPresetChange = (uint8_t)(1 - AutoPresetChange);
        KeyState[VkF4] = 0;
        Seconds = 0;
    }
    if (Down(VkF5)) {
        KeyState[VkF5] = 0;
        CheckLineMode = (uint8_t)(1 - CheckLineMode);
    }
    if (Down(VkF6)) {
        CurrentActor = Increment(CurrentActor);
        if (CurrentActor >= ActorCount) CurrentActor = 0;
        KeyState[VkF6] = 0;
    }
}

// Throttle, brake and steering of the player's car, from the keys and the mouse.
void HandleDrivingKeys(TActor& actor) {
    if (Down(VkUp) || Down(VkW)) actor.StepLength = AddPerFrame(actor.StepLength, actor.Accel);
    if (Down(VkDown) || Down(VkS)) actor.StepLength = AddPerFrame(actor.StepLength, -BrakeRate);

    const bool right = Down(VkRight);
    const bool left = Down(VkLeft);
    if (right) {
        if (!(actor.Steering >= 0)) actor.Steering = 0;
        actor.Steering = AddPerFrame(actor.Steering, actor.SteerRate);
        MouseSteering = 0;
    }
    if (left) {
        if (actor.Steering > 0) actor.Steering = 0;
        actor.Steering = F32((double)actor.Steering - (double)PerFrameScale(actor.SteerRate));
        MouseSteering = 0;
    }
    // Keyboard steering centres itself once the arrows are let go; mouse steering stays.
    if (MouseSteering == 0 && !left && !right) actor.Steering = 0;

    Win::GetCursorPos(&CursorPos);
    MouseX = CursorPos.x;
    MouseDeltaX = CursorDelta(MouseX, MouseLastX);
    if (MouseDeltaX != 0) MouseSteering = -1;
    if ((MouseDeltaX < 0 && actor.Steering > 0) || (MouseDeltaX > 0 && !(actor.Steering >= 0))) {
        actor.Steering = 0;
    }
    actor.Steering = AddPerFrame(actor.Steering, F32((double)MouseDeltaX / MousePixelsPerUnit));
    MouseLastX = MouseX;
}

} // namespace

void BuildWorld() {
    BuildWorldState();
    StartCamera();
}

void MeasureFrameRate() {
    FrameCounter = Increment(FrameCounter);
    TickNow = (int32_t)Win::GetTickCount();
    // Subtracting as unsigned keeps the difference right across the wrap of the tick counter.
    TickElapsed = (int32_t)((uint32_t)TickNow - (uint32_t)SecondStartTick);
    if (TickElapsed <= MarkIntervalMs) return;

    Seconds = Increment(Seconds);
    ElapsedSeconds = Increment(ElapsedSeconds);
    SecondStartTick = TickNow;
    Fps = FrameCounter;
    FrameCounter = 0;

    if (!Message.empty()) MessageSeconds = Increment(MessageSeconds);
    if (MessageSeconds == MessageLifeSeconds) {
        Message.clear();
        MessageSeconds = 0;
        if (GameOverPending != 0) {
            DemoMode = 1;
            BuildWorld();
            GameOverPending = 0;
            Message = TextPressEnter;
        }
    }
}

void HandleInput() {
    if (Down(VkEscape)) Running = 0;
    HandleFunctionKeys();
    HandleCameraKeys();

    // The demonstration reads neither the driving keys nor the mouse.
    if (DemoMode != 0) return;
    if (TActor* actor = CurrentActorIfAny()) HandleDrivingKeys(*actor);
}
