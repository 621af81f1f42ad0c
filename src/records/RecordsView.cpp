// The records view: the ghost of the best lap as a grey wire car where it was at the same time into its
// lap, over the 3D view or in the line view, and the line of lap times in the display's bottom-left
// corner. It transforms its points on its own (never through the point register) and puts the canvas's
// pen back as it found it, so the game's state and the next pass's drawing are what they would have been.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "exact/Numeric.h"
#include "records/Records.h"
#include "scene/IndexList.h"
#include "scene/Scene.h"
#include "world/DatenStruktur.h"
#include "world/Texts.h"
#include "world/World.h"

namespace {

constexpr int32_t GhostColor = RGBColor(128, 128, 128);
constexpr int32_t RecordsLineSize = 160;
char Line[RecordsLineSize];

// The grid column or row of a world coordinate, held to the grid.
int32_t GridIndex(float position) {
    const int32_t index = TruncToInt32((double)position / (double)CellSize);
    return index < 0 ? 0 : index >= GridSize ? GridSize - 1 : index;
}

// The 3D view draws the nine cells around the car it follows; the ghost is drawn where they are.
bool InViewedCells(const TGhostPose& pose) {
    const TActor* followed = CurrentActorIfAny();
    if (followed == nullptr) return false;
    return std::abs(GridIndex(pose.X) - followed->QuadCol) <= 1 &&
           std::abs(GridIndex(pose.Y) - followed->QuadRow) <= 1;
}

// The car's faces as DrawWorldView draws a car: an edge only where both ends lie in front of the camera.
void DrawGhostFaces(const TObjekt& model, const TGhostPose& pose) {
    const TTurn modelTurn = TurnFor(DegToRad(pose.AngleX), DegToRad(pose.AngleY), DegToRad(pose.AngleZ));
    const TTurn viewTurn = TurnFor(CamRadX, CamRadY, CamRadZ);
    const auto pointOf = [&](int32_t i) {
        const float* v = model.Vertices + (size_t)i * 3;
        TPoint3 point = TurnedBy(modelTurn, {v[0], v[1], v[2]});
        point = {F32((double)pose.X + (double)point.X - (double)CamPosX),
                 F32((double)pose.Y + (double)point.Y - (double)CamPosY),
                 F32((double)pose.Z + (double)point.Z - (double)CamPosZ)};
        return Projected(TurnedBy(viewTurn, point));
    };
    for (int32_t p = 0; p < model.PartCount && (size_t)p < model.Parts.size(); p++) {
        const TModelPart& part = model.Parts[(size_t)p];
        if (part.PartKind != FacesPart || part.Indices == nullptr) continue;
        WalkIndexList(part.Indices, pointOf, [](TPoint3 point, TPoint3 previous, bool starts, bool) {
            if (point.Z >= 0.0f) return true;
            const int32_t x = TruncToInt32(point.X), y = TruncToInt32(point.Y);
            if (starts || !(previous.Z < 0.0f))
                CanvasMoveTo(&BackBuffer, x, y);
            else
                CanvasLineTo(&BackBuffer, x, y);
            return true;
        });
    }
}

// The car's outline in the line view's map frame, as the outline pass draws a car.
void DrawGhostOutline(const TObjekt& model, const TGhostPose& pose) {
    const TTurn turn = TurnFor(DegToRad(pose.AngleX), DegToRad(pose.AngleY), DegToRad(pose.AngleZ));
    const TActor& centre = CurrentActorOrZero();
    const float bx = F32((double)ScreenCentreX + (double)pose.X - (double)centre.PosX);
    const float by = F32((double)ScreenCentreY + (double)pose.Y - (double)centre.PosY);
    const auto pointOf = [&](int32_t i) {
        const float* v = model.Vertices + (size_t)i * 3;
        const TPoint3 turned = TurnedBy(turn, {v[0], v[1], v[2]});
        return TPoint2{F32((double)turned.X + (double)bx), F32((double)turned.Y + (double)by)};
    };
    for (int32_t p = 0; p < model.PartCount && (size_t)p < model.Parts.size(); p++) {
        const TModelPart& part = model.Parts[(size_t)p];
        if (part.PartKind != OutlinePart || part.Indices == nullptr) continue;
        WalkIndexList(part.Indices, pointOf, [](TPoint2 point, TPoint2, bool starts, bool) {
            const int32_t x = TruncToInt32(point.X), y = TruncToInt32(point.Y);
            if (starts)
                CanvasMoveTo(&BackBuffer, x, y);
            else
                CanvasLineTo(&BackBuffer, x, y);
            return true;
        });
    }
}

void DrawGhost() {
    const TLapClockState clock = LapClockNow();
    TGhostPose pose;
    if (!clock.Racing || !GhostPoseAt(clock.LapMs, &pose)) return;
    const TObjekt* model = ObjectAt(ModelAkteur);
    if (model == nullptr || model->Vertices == nullptr) return;
    CanvasSetPenColor(&BackBuffer, GhostColor);
    if (CheckLineMode != 0)
        DrawGhostOutline(*model, pose);
    else if (InViewedCells(pose))
        DrawGhostFaces(*model, pose);
}

} // namespace

void FormatLapTime(uint32_t ms, char* text, size_t size) {
    std::snprintf(text, size, "%" PRIu32 ":%02" PRIu32 ".%02" PRIu32, ms / 60000, ms / 1000 % 60,
                  ms % 1000 / 10);
}

void FormatProofTime(uint32_t ms, char* text, size_t size) {
    std::snprintf(text, size, "%" PRIu32 ":%02" PRIu32 ".%03" PRIu32, ms / 60000, ms / 1000 % 60, ms % 1000);
}

const char* RecordsLine() {
    const TLapClockState clock = LapClockNow();
    char best[24] = "";
    char running[24] = "";
    char last[24] = "";
    char difference[32] = "";
    if (GhostKind() == TGhostKind::None)
        std::snprintf(best, sizeof best, "%s", RecordsNoTime);
    else
        FormatLapTime(GhostLapMs(), best, sizeof best);
    const char* bestLabel = GhostKind() == TGhostKind::Foreign ? RecordsGhost : RecordsBest;
    if (DemoMode != 0) {
        std::snprintf(Line, sizeof Line, "%s%s", bestLabel, best);
        return Line;
    }
    if (clock.Racing)
        FormatLapTime(clock.LapMs, running, sizeof running);
    else
        std::snprintf(running, sizeof running, "%s", RecordsNoTime);
    if (clock.HasLast)
        FormatLapTime(clock.LastMs, last, sizeof last);
    else
        std::snprintf(last, sizeof last, "%s", RecordsNoTime);
    if (clock.HasLast && clock.LastHadBest) {
        const int64_t d = clock.LastDiffMs;
        const uint64_t size = (uint64_t)(d < 0 ? -d : d);
        std::snprintf(difference, sizeof difference, " (%c%" PRIu64 ".%02" PRIu64 ")", d < 0 ? '-' : '+',
                      size / 1000, size % 1000 / 10);
    }
    std::snprintf(Line, sizeof Line, "%s%" PRId32 "  %s  %s%s  %s%s%s", RecordsLap, clock.Lap, running,
                  RecordsLast, last, bestLabel, best, difference);
    return Line;
}

void DrawRecordsView() {
    // The pen as the game left it: the next pass draws on from there.
    const int32_t pen = BackBuffer.PenColor, penX = BackBuffer.PenX, penY = BackBuffer.PenY;
    DrawGhost();
    CanvasTextOut(&BackBuffer, RecordsLineX, RecordsLineY, RecordsLine());
    BackBuffer.PenColor = pen;
    BackBuffer.PenX = penX;
    BackBuffer.PenY = penY;
}
