// Runs the game headless in steady state through every combination of demonstration and race, 3D and line
// view and the three head-up display modes, and in the race with the records view on (a ghost drawn, the
// records line written) too, and counts the heap allocations of the whole process during the counted
// passes. Any allocation fails the test.
#include <cstdio>

#include "AllocCounter.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/Platform.h"
#include "platform/VirtualKeys.h"
#include "records/Records.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"

namespace {

constexpr uint64_t WarmUpPasses = 300;
constexpr uint64_t CountedPasses = 850; // per segment; eighteen segments make 15,300 passes

struct TSegment {
    int view;
    int race;
    int lineView;
    int hudMode;
    uint64_t firstCounted;
    uint64_t lastCounted;
    uint64_t allocations;
};

TSegment Segments[18];
int SegmentCount;
// The pass whose poll finds the records view switched on, as a backend switches it on F7.
uint64_t ViewOnPass;

// Key presses planned before the run: a key goes down in one pass and up in the next.
struct TPress {
    uint64_t pass;
    uint32_t message;
    uint32_t vk;
};
TPress Presses[256];
int PressCount;

void Press(uint64_t& pass, uint32_t vk) {
    Presses[PressCount++] = {pass, WmKeyDown, vk};
    Presses[PressCount++] = {pass + 1, WmKeyUp, vk};
    pass += 2;
}

// Plans the segments: the key presses that reach each state, a warm-up, then the counted passes.
uint64_t Plan() {
    uint64_t pass = 1;
    int race = 0, lineView = 0, hud = 0;
    for (int wantRace = 0; wantRace < 3; wantRace++) {
        // The third round is the race again with the records view on.
        const int view = wantRace == 2 ? 1 : 0;
        if (view != 0) ViewOnPass = pass;
        for (int wantLine = 0; wantLine < 2; wantLine++) {
            for (int wantHud = 0; wantHud < 3; wantHud++) {
                if (race != (wantRace > 0 ? 1 : 0)) {
                    Press(pass, VkEnter); // a rebuild: display mode and line view start over
                    race = 1;
                    lineView = 0;
                    hud = 0;
                    // In the race the player's car drives forward and turns, so the figures change.
                    Presses[PressCount++] = {pass++, WmKeyDown, VkUp};
                    Presses[PressCount++] = {pass++, WmKeyDown, VkRight};
                }
                if (lineView != wantLine) {
                    Press(pass, VkF5);
                    lineView = wantLine;
                }
                while (hud != wantHud) {
                    Press(pass, VkF1);
                    hud = (hud + 1) % 3;
                }
                TSegment& s = Segments[SegmentCount++];
                s = {view, race, lineView, hud, pass + WarmUpPasses, pass + WarmUpPasses + CountedPasses - 1,
                     0};
                pass = s.lastCounted + 1;
            }
        }
    }
    return pass - 1;
}

void BeforePoll(uint64_t pass, void*) {
    if (pass == ViewOnPass) SetRecordsView(true);
    for (int i = 0; i < PressCount; i++) {
        if (Presses[i].pass != pass) continue;
        PostWindowMessage(Presses[i].message, Presses[i].vk);
    }
    // Counting starts with the poll of a counted pass and stops after its copy.
    for (int i = 0; i < SegmentCount; i++) {
        if (pass == Segments[i].firstCounted) {
            ResetAllocationCount();
            SetAllocationCounting(true);
        }
    }
}

void AfterCopy(uint64_t pass, const TCanvas*, void*) {
    for (int i = 0; i < SegmentCount; i++) {
        if (pass == Segments[i].lastCounted) {
            SetAllocationCounting(false);
            Segments[i].allocations = AllocationCount();
        }
    }
}

} // namespace

int main() {
    const uint64_t total = Plan();
    // A ghost on the start grid, so that the race's first seconds draw it in both views.
    TGhostPose ghost[64];
    for (uint32_t i = 0; i < 64; i++)
        ghost[i] = TGhostPose{i * 100, 745.0f, 2760.0f + (float)i, 0.0f, 0.0f, 0.0f, 0.0f};
    SetGhost(TGhostKind::Own, 6300, ghost, 64, 1);
    SelectPlatform(HeadlessBackend());
    HeadlessConfigure(100000, THeadlessPassMs{10, 0}, 0, total);
    HeadlessSetHooks(BeforePoll, AfterCopy, nullptr);
    ProgramMain();

    uint64_t counted = 0, allocations = 0;
    int failed = 0;
    for (int i = 0; i < SegmentCount; i++) {
        const TSegment& s = Segments[i];
        const uint64_t passes = s.lastCounted - s.firstCounted + 1;
        std::printf("%-13s %-9s display mode %d%s: %llu allocations in %llu passes\n",
                    s.race ? "race" : "demonstration", s.lineView ? "line view" : "3D view", s.hudMode,
                    s.view ? ", records view" : "", (unsigned long long)s.allocations,
                    (unsigned long long)passes);
        counted += passes;
        allocations += s.allocations;
        if (s.allocations != 0) failed++;
    }
    std::printf("%llu passes counted, %llu allocations\n", (unsigned long long)counted,
                (unsigned long long)allocations);
    if (HeadlessPassesRun() != total) {
        std::printf("the run ended early, after %llu of %llu passes\n",
                    (unsigned long long)HeadlessPassesRun(), (unsigned long long)total);
        return 1;
    }
    std::printf("%d passed, %d failed\n", SegmentCount - failed, failed);
    return failed == 0 ? 0 : 1;
}
