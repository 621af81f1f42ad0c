// The head-up display written over the finished scene: the first line, the lines of the chosen display
// mode, the race warnings and the damage bar, and the centre message. It changes nothing but the back
// buffer and its brush colour, and builds every text in a fixed buffer.
#include <cinttypes>
#include <cstdio>

#include "exact/Numeric.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"
#include "world/Texts.h"

namespace {

// Wide enough for the longest line even with three saturated float values in it.
constexpr int HudLineSize = 512;
char HudLine[HudLineSize];

constexpr int32_t HudLeft = 20;
constexpr int32_t HudFirstRow = 32;
constexpr int32_t MessageX = 50;
constexpr int32_t MessageY = 250;
constexpr int32_t DamageBarLeft = 480;
constexpr int32_t DamageBarTop = 32;
constexpr int32_t DamageBarBottom = 52;
constexpr int32_t DamageBarLength = 100; // the full bar, at 100 damage points

// A displayed whole number: truncated toward zero, saturated to 64 bits, NaN as 0.
long long Whole(double v) {
    return (long long)TruncToInt64(v);
}

void Put(int32_t x, int32_t y) {
    CanvasTextOut(&BackBuffer, x, y, HudLine);
}

void DrawFirstLine() {
    std::snprintf(HudLine, HudLineSize, "%s%" PRId32 "%s%" PRId32 "%s%" PRId32, HudFirstLine, Seconds, HudKey,
                  LastKey, HudFps, Fps);
    Put(HudLeft, HudFirstRow);
}

void DrawKeyHelp() {
    std::snprintf(HudLine, HudLineSize, "%s%s)", HudPreset, CameraPresetName.c_str());
    Put(HudLeft, 46);
    CanvasTextOut(&BackBuffer, HudLeft, 60, HudCameraMoving);
    CanvasTextOut(&BackBuffer, HudLeft, 76, HudAutoPreset);
    CanvasTextOut(&BackBuffer, HudLeft, 92, HudLineMode);
    std::snprintf(HudLine, HudLineSize, "%s%" PRId32 ")", HudActorChange, CurrentActor);
    Put(HudLeft, 108);
}

void DrawDrivingFigures(const TActor& actor) {
    const int32_t w = ScreenWidth;
    const int32_t h = ScreenHeight;
    // The steering as a turn rate in degrees per second.
    const double turnRate = (double)Fps * (double)actor.Steering;

    std::snprintf(HudLine, HudLineSize, "%s%" PRId32 "%s%4.4f", HudLap, actor.Laps, HudSteering, turnRate);
    Put(HudLeft, 46);
    std::snprintf(HudLine, HudLineSize, "%s%lld%s%" PRId32 "%s", HudDistance, Whole(actor.Distance),
                  HudDistanceIn, ElapsedSeconds, HudSecondsUnit);
    Put(HudLeft, 60);
    std::snprintf(HudLine, HudLineSize, "%s%lld", HudEnergy, Whole(actor.KineticEnergy));
    Put(200, 60);
    std::snprintf(HudLine, HudLineSize, "%s%lld%s", HudResistance, Whole(actor.Resistance), HudNewton);
    Put(HudLeft, 76);
    if (actor.SlideSpeed > 0 && actor.SpeedKmh > actor.SlideSpeed) {
        std::snprintf(HudLine, HudLineSize, "%s%lld)", HudSlide, Whole(actor.SlideSpeed));
        Put(200, 76);
    }
    std::snprintf(HudLine, HudLineSize, "%s%lld%s", HudRadius, Whole(actor.CurveRadius), HudMetre);
    Put(350, 76);
    if (actor.TipSpeed > 0 && actor.SpeedKmh > actor.TipSpeed) {
        std::snprintf(HudLine, HudLineSize, "%s%lld%s", HudTip, Whole(actor.TipSpeed), HudKmh);
        Put(200, 92);
    }
    std::snprintf(HudLine, HudLineSize, "%s%lld%s", HudCentrifugal, Whole(actor.CentrifugalForce), HudNewton);
    Put(350, 92);
    std::snprintf(HudLine, HudLineSize, "%s%lld%s", HudSpeed, Whole(actor.SpeedKmh), HudKmh);
    Put(400, h - 32);
    // The marker moves one pixel per degree per second away from the fixed centre mark.
    CanvasTextOut(&BackBuffer, TruncToInt32(turnRate + (double)w / 2.0), h - 32, HudMarker);
    std::snprintf(HudLine, HudLineSize, "%s%4.4f", HudCentreMark, turnRate);
    Put(TruncToInt32((double)w / 2.0), h - 16);
}

void DrawPositionAndCamera(const TActor& actor) {
    const int32_t h = ScreenHeight;
    std::snprintf(HudLine, HudLineSize, "%s%" PRId32 "%s%lld,%lld%s%lld%s", HudActorNo, CurrentActor,
                  HudActorWorld, Whole(actor.PosX), Whole(actor.PosY), HudActorSpeed, Whole(actor.SpeedKmh),
                  HudKmh);
    Put(HudLeft, 46);
    std::snprintf(HudLine, HudLineSize, "%s%" PRId32 "= %lld,%lld", HudActorCell, actor.QuadIndex,
                  Whole(actor.QuadPosX), Whole(actor.QuadPosY));
    Put(HudLeft, 60);
    std::snprintf(HudLine, HudLineSize, "%s%lld,%lld,%lld", HudActorTurn, Whole(actor.AngleX),
                  Whole(actor.AngleY), Whole(actor.AngleZ));
    Put(HudLeft, 76);
    std::snprintf(HudLine, HudLineSize, "%s%lld%s%lld%s%lld", HudWheels, Whole(actor.WheelAngle), HudBody,
                  Whole(actor.AngleZ), HudDifference, Whole(actor.AngleDiff));
    Put(HudLeft, 92);
    std::snprintf(HudLine, HudLineSize, "%s%lld,%lld,%lld", HudCameraTurn, Whole(CamAngleX), Whole(CamAngleY),
                  Whole(CamAngleZ));
    Put(HudLeft, h - 60);
    std::snprintf(HudLine, HudLineSize, "%s%lld,%lld,%lld", HudCameraPos, Whole(CamPosX), Whole(CamPosY),
                  Whole(CamPosZ));
    Put(HudLeft, h - 46);
    std::snprintf(HudLine, HudLineSize, "%s%4.4f , %4.4f , %4.4f%s%lld", HudCameraDelay, (double)CamOffsetX,
                  (double)CamOffsetY, (double)CamOffsetZ, HudEyeDistance, Whole(EyeDistance));
    Put(HudLeft, h - 32);
}

// Road and checkpoint warnings and the damage bar, shown only in a race.
void DrawRaceBlock(const TActor& actor) {
    if (actor.TouchQuad[RoadType] < 1) CanvasTextOut(&BackBuffer, HudLeft, 270, HudStayOnRoad);
    if (actor.TouchQuad[StartCheckpointType] > 0) CanvasTextOut(&BackBuffer, HudLeft, 302, HudFinish);
    if (actor.TouchQuad[WayCheckpointType] > 0) CanvasTextOut(&BackBuffer, HudLeft, 302, HudCheckpoint);

    // One pixel of bar per damage point; the sum is bounded so that no damage value can overflow it.
    int64_t barRight = (int64_t)DamageBarLeft + (int64_t)actor.Damage;
    if (barRight > INT32_MAX) barRight = INT32_MAX;
    CanvasSetBrushColor(&BackBuffer, RGBColor(255, 0, 0));
    CanvasFillRect(&BackBuffer, TRect{DamageBarLeft, DamageBarTop, (int32_t)barRight, DamageBarBottom});
    CanvasSetBrushColor(&BackBuffer, RGBColor(0, 0, 0));
    // The frame lies one pixel around the full bar.
    CanvasFrameRect(&BackBuffer, TRect{DamageBarLeft - 1, DamageBarTop - 1,
                                       DamageBarLeft + DamageBarLength + 1, DamageBarBottom + 1});
    CanvasSetBrushColor(&BackBuffer, RGBColor(255, 255, 255));
}

} // namespace

void DrawHud() {
    // Before the first build no actor is current: every figure reads 0.
    const TActor& actor = CurrentActorOrZero();
    DrawFirstLine();
    if (HudMode == 0) DrawKeyHelp();
    if (HudMode == 1) DrawDrivingFigures(actor);
    if (HudMode == 2) DrawPositionAndCamera(actor);
    if (DemoMode == 0) DrawRaceBlock(actor);
    CanvasTextOut(&BackBuffer, MessageX, MessageY, Message.c_str());
}
