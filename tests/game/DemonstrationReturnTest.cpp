// The demonstration after a race: its camera presets change every five seconds again, however long the
// race before it lasted.
#include <gtest/gtest.h>

#include "game/GameRun.h"

using namespace gamerun;

namespace {

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
