// The camera following the current actor: a resting camera turns toward it, a moving camera is carried
// along at the preset's offsets, in the bonnet and chase presets on a line along the actor's heading.
#include <cmath>

#include "camera/Camera.h"
#include "exact/ExactMath.h"
#include "exact/Numeric.h"
#include "scene/Scene.h"
#include "world/DatenStruktur.h"

namespace {

// Replaces an exact zero difference before it is divided by.
constexpr float ZeroDifference = 0.00001f;
constexpr float TiltFlipAbove = 20.0f;
constexpr float TiltFlipBelow = -20.0f;
constexpr float KmhPerMetreOfHeight = 7.0f;

float NonZero(float difference) {
    return difference == 0.0f ? ZeroDifference : difference;
}

// The plain arc tangent of a quotient, in game degrees, in double like all the camera's arithmetic.
double ArcTanDegrees(float numerator, float denominator) {
    return ExactAtan((double)numerator / (double)denominator) * 180.0 / GamePi;
}

void TurnRestingCamera(const TActor& actor) {
    const float dx = NonZero(F32((double)CamPosX - (double)actor.PosX));
    const float dy = NonZero(F32((double)CamPosY - (double)actor.PosY));
    const float dz = NonZero(F32((double)CamPosZ - (double)actor.PosZ));
    switch (CameraPreset) {
    case BirdsEyePreset:
        CamAngleX = F32(ArcTanDegrees(dy, dz));
        CamPosX = actor.PosX;
        // A dead band between the two thresholds keeps the view from flipping every frame.
        if (CamAngleX > TiltFlipAbove) CamAngleZ = 180.0f;
        if (CamAngleX < TiltFlipBelow) CamAngleZ = 0.0f;
        break;
    case SpatialBirdsEyePreset:
        CamAngleX = F32(ArcTanDegrees(dy, dz));
        CamPosX = actor.PosX;
        break;
    case InverseBirdsEyePreset:
        CameraMoving = 1;
        break;
    case BonnetPreset:
    case ChasePreset:
        if (dy > 0.0f) CamAngleY = F32(-ArcTanDegrees(dx, dy) + 180.0);
        if (dy < 0.0f) CamAngleY = F32(-ArcTanDegrees(dx, dy));
        if (CamAngleY < 0.0f) CamAngleY = F32((double)CamAngleY + 360.0);
        if (CamAngleY > 359.0f) CamAngleY = F32((double)CamAngleY - 360.0);
        break;
    default:
        break;
    }
}

// The bonnet and chase presets: the camera stands CamOffsetY behind the actor along the heading h.
void PlaceOnHeading(const TActor& actor, float h) {
    CamAngleY = h;
    RotRadX = 0.0f;
    RotRadY = 0.0f;
    RotRadZ = F32((ExtendedFromFloat(h) + ExtHalfTurnDegrees) * ExtGamePi / ExtHalfTurnDegrees);
    PointX = 0.0f;
    PointY = CamOffsetY;
    PointZ = 0.0f;
    RotatePoint(RotRadX, RotRadY, RotRadZ);
    CamPosX = F32((double)PointX + (double)actor.PosX);
    CamPosY = F32((double)PointY + (double)actor.PosY);
    CamPosZ = F32((double)actor.PosZ + (double)CamOffsetZ);
}

void CarryMovingCamera(const TActor& actor) {
    if (CamSpeedHeight != 0) {
        CamOffsetZ = actor.StepLength > 0.0f
                         ? F32((double)actor.SpeedKmh / KmhPerMetreOfHeight + (double)CamBaseHeight)
                         : CamBaseHeight;
    }
    if (CameraTurnsWithActor != 0) {
        if (CameraPreset == InverseBirdsEyePreset) CamAngleZ = F32(-1.0 * (double)actor.AngleZ);
        if (CameraPreset == BonnetPreset) CamAngleY = actor.AngleZ;
    }
    if (CamNoOffset == 0) {
        CamPosX = F32((double)actor.PosX + (double)CamOffsetX);
        CamPosY = F32((double)actor.PosY + (double)CamOffsetY);
        CamPosZ = F32((double)actor.PosZ + (double)CamOffsetZ);
    }
    if (CameraPreset == BonnetPreset) PlaceOnHeading(actor, actor.AngleZ);
    if (CameraPreset == ChasePreset) PlaceOnHeading(actor, actor.WheelAngle);
}

} // namespace

void TrackCamera() {
    const TActor& actor = CurrentActorOrZero();
    if (CameraMoving == 0) TurnRestingCamera(actor);
    if (CameraMoving != 0) CarryMovingCamera(actor);
}
