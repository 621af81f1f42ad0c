// The demonstration as a whole: every car laps at every pass rate, and after a race the camera presets
// change every five seconds again, however long the race before it lasted.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "game/GameRun.h"
#include "platform/headless/HeadlessPlatform.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"
#include "world/World.h"

using namespace gamerun;

namespace {

// The demonstration over 100 simulated seconds at 60, 100, 250 and 450 passes a second: every car laps at
// least once, without damage, and stays on the road nearly all the time.
class Demonstration : public ::testing::TestWithParam<THeadlessPassMs> {};

TEST_P(Demonstration, EveryCarDrivesLapsWithoutDamageAndStaysOnTheRoad) {
    const THeadlessPassMs passMs = GetParam();
    const double ms = passMs.Whole + passMs.Billionths / 1e9;
    ClearGameState();
    ResetPlatformState();
    SelectPlatform(HeadlessBackend());
    HeadlessConfigure(1000, passMs, 300, 0);
    DemoMode = 1;
    Message.reserve(256);
    BuildWorld();
    CanvasCreate(&BackBuffer, ScreenWidth, ScreenHeight);

    const int passes = (int)(100000.0 / ms);
    int offRoad[6] = {};
    int maxDamage[6] = {};
    for (int pass = 0; pass < passes; pass++) {
        RunFramePass();
        for (int32_t a = 0; a < ActorCount; a++) {
            const TActor& actor = Actors[(size_t)a];
            if (actor.OnRoad != 1) offRoad[a]++;
            if (actor.Damage > maxDamage[a]) maxDamage[a] = actor.Damage;
        }
    }
    for (int32_t a = 0; a < ActorCount; a++) {
        const TActor& actor = Actors[(size_t)a];
        std::printf("%.4g ms a pass, %d passes: actor %d laps %d, damage %d, passes off the road %d\n", ms,
                    passes, a, actor.Laps, maxDamage[a], offRoad[a]);
        EXPECT_GE(actor.Laps, 2) << "actor " << a;
        EXPECT_EQ(maxDamage[a], 0) << "actor " << a;
        EXPECT_LT(offRoad[a], passes / 50) << "actor " << a; // on the road 98 % of the time
    }
    CanvasFree(&BackBuffer);
    SelectPlatform(nullptr);
}

std::string PassRateName(const ::testing::TestParamInfo<THeadlessPassMs>& info) {
    static const char* names[] = {"SixtyASecond", "HundredASecond", "TwoHundredFiftyASecond",
                                  "FourHundredFiftyASecond"};
    return names[info.index];
}

INSTANTIATE_TEST_SUITE_P(PassRates, Demonstration,
                         ::testing::Values(THeadlessPassMs{16, 666700000}, THeadlessPassMs{10, 0},
                                           THeadlessPassMs{4, 0}, THeadlessPassMs{2, 200000000}),
                         PassRateName);

// The first pass from `from` on whose field differs from its value at `from`; 0 when none does.
int NextChange(const std::vector<std::string>& lines, int from, const char* field) {
    const long long start = IntField(lines[(size_t)from], field);
    for (size_t p = (size_t)from + 1; p < lines.size(); p++)
        if (IntField(lines[p], field) != start) return (int)p;
    return 0;
}

TEST(DemonstrationReturn, PresetsChangeEveryFiveSecondsAfterAThirtySecondRace) {
    // ENTER at pass 5 starts the race; ENTER at pass 3005, thirty seconds of 10 ms passes later, ends it.
    const std::vector<std::string> lines = RunScript("5 down 13\n3005 down 13\n", 4200);
    ASSERT_EQ(lines.size(), 4201u);
    ASSERT_EQ(IntField(lines[3004], "DemoMode"), 0);
    ASSERT_GE(IntField(lines[3004], "Seconds"), 29);
    ASSERT_EQ(IntField(lines[3005], "DemoMode"), 1);
    EXPECT_EQ(IntField(lines[3005], "CameraPreset"), 0);
    EXPECT_EQ(IntField(lines[3005], "Seconds"), 0);

    // Five one-second marks of at least 1001 ms: the first change comes 501 to 510 passes after the return,
    // the next one five seconds after that.
    const int first = NextChange(lines, 3005, "CameraPreset");
    ASSERT_GT(first, 0) << "the demonstration's preset never changed after the race";
    EXPECT_GE(first - 3005, 501);
    EXPECT_LE(first - 3005, 510);
    EXPECT_EQ(IntField(lines[(size_t)first], "CameraPreset"), 1);
    const int second = NextChange(lines, first, "CameraPreset");
    ASSERT_GT(second, 0);
    EXPECT_GE(second - first, 501);
    EXPECT_LE(second - first, 510);
    EXPECT_EQ(IntField(lines[(size_t)second], "CameraPreset"), 2);
}

} // namespace
