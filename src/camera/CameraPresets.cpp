// The five camera presets, each a complete set of camera values relative to the current actor, and the
// automatic change between them in the demonstration.
#include "camera/Camera.h"
#include "exact/Numeric.h"
#include "world/DatenStruktur.h"
#include "world/Texts.h"

namespace {

constexpr int32_t PresetShownSeconds = 5;
constexpr int32_t PresetTravelSeconds = 2;
constexpr float RestingSideStep = 15.0f; // the resting place of the bonnet and chase presets, off the actor

// The values every preset sets. Where a camera angle takes the actor's heading, HeadingY or HeadingZ give
// its factor.
struct TPresetDef {
    float OffsetY, OffsetZ;
    float AngleX;
    float HeadingY; // CamAngleY = HeadingY * actor's AngleZ
    float HeadingZ; // CamAngleZ = HeadingZ * actor's AngleZ
    int32_t TurnsWithActor;
    uint8_t NoOffset, SpeedHeight;
};

const TPresetDef Presets[PresetCount] = {
    {0.0f, 55.0f, 0.0f, 0.0f, 0.0f, 0, 0, 1},     {-30.0f, 20.0f, -45.0f, 0.0f, 0.0f, 0, 0, 0},
    {0.0f, 55.0f, 0.0f, 0.0f, -1.0f, -1, 0, 1},   {-0.5469f, 1.5772f, -90.0f, 1.0f, 0.0f, -1, 0, 0},
    {14.0f, 10.0f, -90.0f, 1.0f, 0.0f, -1, 1, 0},
};

void SetPreset(int32_t number) {
    const TPresetDef& def = Presets[number];
    const TActor& actor = CurrentActorOrZero();
    CameraPreset = number;
    CameraPresetName = PresetNames[number];
    EyeDistance = 300.0f;
    CamOffsetX = 0.0f;
    CamOffsetY = def.OffsetY;
    CamOffsetZ = def.OffsetZ;
    CamAngleX = def.AngleX;
    CamAngleY = def.HeadingY == 0.0f ? 0.0f : F32((double)def.HeadingY * (double)actor.AngleZ);
    CamAngleZ = def.HeadingZ == 0.0f ? 0.0f : F32((double)def.HeadingZ * (double)actor.AngleZ);
    CamPosX = actor.PosX;
    CamPosY = actor.PosY;
    CamPosZ = actor.PosZ;
    CamBaseHeight = def.OffsetZ;
    CameraMoving = 1;
    CameraTurnsWithActor = def.TurnsWithActor;
    CamNoOffset = def.NoOffset;
    CamSpeedHeight = def.SpeedHeight;
}

} // namespace

void PresetBirdsEye() {
    SetPreset(BirdsEyePreset);
}
void PresetSpatialBirdsEye() {
    SetPreset(SpatialBirdsEyePreset);
}
void PresetInverseBirdsEye() {
    SetPreset(InverseBirdsEyePreset);
}
void PresetBonnet() {
    SetPreset(BonnetPreset);
}
void PresetChase() {
    SetPreset(ChasePreset);
}

void ApplyCameraPreset() {
    if (CameraPreset >= 0 && CameraPreset < PresetCount) SetPreset(CameraPreset);
}

void StartCamera() {
    if (DemoMode != 0) {
        PresetBirdsEye();
        AutoPresetChange = 1;
        // The automatic change counts its five seconds from here, as after F4; otherwise a demonstration
        // that follows a race of five seconds or more would never change its preset again.
        Seconds = 0;
    } else {
        PresetChase();
        AutoPresetChange = 0;
    }
    CamSpeedHeight = 0;
}

void AutoChangePreset() {
    if (AutoPresetChange == 0) return;
    if (Seconds == PresetShownSeconds) {
        Seconds = 0;
        if (CameraPreset < INT32_MAX) CameraPreset++;
        if (CameraPreset == PresetCount) CameraPreset = 0;
        ApplyCameraPreset();
        return;
    }
    if (Seconds == PresetTravelSeconds) {
        // From the third second on the camera rests and only turns toward the actor.
        CameraMoving = 0;
        if (CameraPreset >= BonnetPreset) {
            const TActor& actor = CurrentActorOrZero();
            CamPosX = F32((double)actor.PosX + RestingSideStep);
            CamPosY = F32((double)actor.PosY + RestingSideStep);
        }
    }
}
