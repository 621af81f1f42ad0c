// The lap clock: each lap the player's car completes in a race, timed on the game's own clock (TickNow of
// the pass that counted it, minus that of the pass the race began or the last lap was counted), with the
// car's pose in every pass of it for the ghost. It watches the design's globals after the game's logic of
// a pass and never writes them; its buffers are made once, so a pass allocates nothing.
#include <algorithm>
#include <utility>

#include "records/Records.h"
#include "world/DatenStruktur.h"

namespace {

TLapPath RunningLap;
TLapPath Ghost;
TGhostKind Kind = TGhostKind::None;
uint32_t GhostMs;

TLapHook Hook;
void* HookContext;

// The race as the clock last saw it.
uint8_t LastDemoMode = 1;
uint8_t LastGameOverPending;
bool Racing;
bool Timed;        // the running lap is timed: the car was driven by the player from its start
int32_t Driver;    // the car the player drives
int32_t LapsSeen;  // its lap count when last seen
uint32_t LapStart; // TickNow of the pass the running lap began
bool HasLast;
uint32_t LastMs;
bool LastHadBest;
int32_t LastDiffMs;

void MakePath(TLapPath& path) {
    if (path.Poses.size() != (size_t)MostPathPoses) path.Poses.assign((size_t)MostPathPoses, TGhostPose{});
}

void ClearPath(TLapPath& path) {
    path.Count = 0;
    path.Stride = 1;
    path.SinceKept = 0;
}

// Keeps every second pose of a full path: from now on a pose every two strides' passes.
void ThinPath(TLapPath& path) {
    for (int32_t i = 0; 2 * i < path.Count; i++)
        path.Poses[(size_t)i] = path.Poses[(size_t)(2 * i)];
    path.Count = (path.Count + 1) / 2;
    path.Stride = path.Stride < 0x80000000u ? path.Stride * 2 : path.Stride;
}

void AppendPose(TLapPath& path, const TGhostPose& pose) {
    if (path.Count >= MostPathPoses) ThinPath(path);
    path.Poses[(size_t)path.Count++] = pose;
    path.SinceKept = 0;
}

// The pose of one pass: the first of a lap always, then every Stride-th, and the lap's last always.
void KeepPose(TLapPath& path, const TGhostPose& pose, bool last) {
    if (path.Count == 0) return AppendPose(path, pose);
    path.SinceKept++;
    if (path.SinceKept >= path.Stride || last) AppendPose(path, pose);
}

TGhostPose PoseOf(const TActor& car, uint32_t ms) {
    return TGhostPose{ms, car.PosX, car.PosY, car.PosZ, car.AngleX, car.AngleY, car.AngleZ};
}

int32_t Clamped(int64_t v) {
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : (int32_t)v;
}

void CompleteLap(int32_t lap, uint32_t ms) {
    HasLast = true;
    LastMs = ms;
    LastHadBest = Kind != TGhostKind::None;
    LastDiffMs = Clamped((int64_t)ms - (int64_t)GhostMs);
    const TLapDone done{lap, ms, &RunningLap};
    const bool faster = Kind == TGhostKind::None || ms < GhostMs;
    const bool take = Hook != nullptr ? Hook(done, HookContext) : faster;
    // Someone else's ghost stays while it is raced.
    if (!take || Kind == TGhostKind::Foreign) return;
    std::swap(RunningLap, Ghost);
    Kind = TGhostKind::Own;
    GhostMs = ms;
}

void BeginLap(const TActor& car) {
    LapsSeen = car.Laps;
    LapStart = (uint32_t)TickNow;
    Timed = true;
    ClearPath(RunningLap);
    KeepPose(RunningLap, PoseOf(car, 0), false);
}

} // namespace

void SetLapHook(TLapHook hook, void* context) {
    Hook = hook;
    HookContext = context;
}

void StartLapClock() {
    MakePath(RunningLap);
    MakePath(Ghost);
    ClearPath(RunningLap);
    LastDemoMode = 1;
    LastGameOverPending = 0;
    Racing = Timed = HasLast = LastHadBest = false;
    Driver = LapsSeen = 0;
    LapStart = LastMs = 0;
    LastDiffMs = 0;
}

void TimeLaps() {
    const bool racing = DemoMode == 0 && CurrentActor >= 0 && CurrentActor < ActorsInPlay();
    // Only a new world clears a pending game over: the race may have been built anew in this pass.
    const bool rebuilt = LastGameOverPending != 0 && GameOverPending == 0;
    const bool begins = racing && (LastDemoMode != 0 || rebuilt || !Racing);
    LastDemoMode = DemoMode;
    LastGameOverPending = GameOverPending;
    Racing = racing;
    if (!racing || RunningLap.Poses.empty()) return;
    const TActor& car = Actors[(size_t)CurrentActor];
    const uint32_t now = (uint32_t)TickNow;
    if (begins) {
        Driver = CurrentActor;
        HasLast = false;
        return BeginLap(car);
    }
    if (CurrentActor != Driver) {
        // Another car: the lap under way was not driven by the player from its start.
        Driver = CurrentActor;
        LapsSeen = car.Laps;
        Timed = false;
        return;
    }
    if (car.Laps != LapsSeen) {
        if (Timed) {
            const uint32_t ms = now - LapStart;
            KeepPose(RunningLap, PoseOf(car, ms), true);
            CompleteLap(LapsSeen, ms);
        }
        return BeginLap(car);
    }
    if (Timed) KeepPose(RunningLap, PoseOf(car, now - LapStart), false);
}

TLapClockState LapClockNow() {
    TLapClockState state{};
    state.Racing = Racing && Timed;
    state.Lap = LapsSeen;
    state.LapMs = (uint32_t)TickNow - LapStart;
    state.HasLast = Racing && HasLast;
    state.LastMs = LastMs;
    state.LastHadBest = LastHadBest;
    state.LastDiffMs = LastDiffMs;
    return state;
}

void SetGhost(TGhostKind kind, uint32_t lapMs, const TGhostPose* poses, int32_t count, uint32_t stride) {
    MakePath(Ghost);
    ClearPath(Ghost);
    const int32_t kept = std::min(std::max(count, 0), MostPathPoses);
    if (kind == TGhostKind::None || kept == 0 || poses == nullptr) {
        Kind = TGhostKind::None;
        GhostMs = 0;
        return;
    }
    std::copy(poses, poses + kept, Ghost.Poses.begin());
    Ghost.Count = kept;
    Ghost.Stride = stride == 0 ? 1 : stride;
    Kind = kind;
    GhostMs = lapMs;
}

TGhostKind GhostKind() {
    return Kind;
}

uint32_t GhostLapMs() {
    return GhostMs;
}

const TLapPath& GhostPath() {
    return Ghost;
}

bool GhostPoseAt(uint32_t ms, TGhostPose* pose) {
    if (Kind == TGhostKind::None || Ghost.Count <= 0) return false;
    // A binary search of the first pose after ms; a path read from a file may be in any order, which only
    // makes the search land on some pose of it.
    int32_t low = 0;
    int32_t high = Ghost.Count;
    while (low < high) {
        const int32_t middle = low + (high - low) / 2;
        if (Ghost.Poses[(size_t)middle].Ms <= ms)
            low = middle + 1;
        else
            high = middle;
    }
    *pose = Ghost.Poses[(size_t)(low > 0 ? low - 1 : 0)];
    return true;
}
