// The lap clock on passes made by hand: which laps it times and how long they took (the tick of the pass
// that counted the lap minus that of the race's start or of the last lap, across the tick's wrap), what
// the ghost keeps of a lap, and the records line that shows it all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/Records.h"
#include "scene/SmallWorld.h"
#include "world/DatenStruktur.h"

using namespace smallworld;

namespace {

// One pass as the clock sees it after the game's logic.
struct TPass {
    uint32_t Tick;
    uint8_t Demo;
    uint8_t GameOver;
    int32_t Current;
    int32_t Laps0; // the lap counts of cars 0 and 1
    int32_t Laps1;
};

struct TTimed {
    int32_t Lap;
    uint32_t Ms;
    bool operator==(const TTimed&) const = default;
};

std::vector<TTimed> Timed;

bool Collect(const TLapDone& lap, void*) {
    Timed.push_back(TTimed{lap.Lap, lap.Ms});
    return false;
}

class LapClock : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        MakeSmallWorld(2);
        StartLapClock();
        SetGhost(TGhostKind::None, 0, nullptr, 0, 1);
        SetLapHook(nullptr, nullptr);
        Timed.clear();
    }
    void TearDown() override {
        SetLapHook(nullptr, nullptr);
        SetGhost(TGhostKind::None, 0, nullptr, 0, 1);
    }
    // The globals of one pass, then the clock; car 0 stands at x = tick / 10 so its path is known.
    static void Run(const TPass& pass) {
        TickNow = (int32_t)pass.Tick;
        DemoMode = pass.Demo;
        GameOverPending = pass.GameOver;
        CurrentActor = pass.Current;
        Actors[0].Laps = pass.Laps0;
        Actors[1].Laps = pass.Laps1;
        Actors[0].PosX = (float)(pass.Tick / 10);
        TimeLaps();
    }
    // Passes 10 ms apart from tick to the tick before until, the rest of the state as given.
    static void RunUntil(TPass pass, uint32_t until) {
        for (; pass.Tick != until; pass.Tick += 10)
            Run(pass);
    }
};

TEST_F(LapClock, TimesTheLapsOfThePlayersCarOnTheGamesClock) {
    struct TCase {
        const char* Name;
        std::vector<TPass> Passes;
        std::vector<TTimed> Laps;
    };
    const TCase cases[] = {
        {"two laps from the race's start",
         {{900, 1, 0, 5, 1, 1},
          {1000, 0, 0, 0, 1, 1},
          {1010, 0, 0, 0, 1, 1},
          {5000, 0, 0, 0, 2, 1},
          {5500, 0, 0, 0, 2, 1},
          {9250, 0, 0, 0, 3, 1}},
         {{1, 4000}, {2, 4250}}},
        {"across the wrap of the tick counter",
         {{4294966000u, 1, 0, 5, 1, 1}, {4294967000u, 0, 0, 0, 1, 1}, {704, 0, 0, 0, 2, 1}},
         {{1, 1000}}},
        {"the demonstration times nothing",
         {{100, 1, 0, 5, 1, 1}, {200, 1, 0, 5, 2, 1}, {300, 1, 0, 5, 3, 1}},
         {}},
        {"another car's laps are not the player's",
         {{100, 0, 0, 0, 1, 1}, {200, 0, 0, 0, 1, 2}, {300, 0, 0, 0, 2, 2}},
         {{1, 200}}},
        {"the lap the player changed cars in is not timed, the next one is",
         {{100, 1, 0, 5, 1, 1},
          {200, 0, 0, 0, 1, 1},
          {300, 0, 0, 1, 1, 1},
          {400, 0, 0, 1, 1, 2},
          {900, 0, 0, 1, 1, 3}},
         {{2, 500}}},
        {"back to the demonstration and a new race start the clock anew",
         {{100, 0, 0, 0, 1, 1}, {200, 1, 0, 5, 1, 1}, {300, 0, 0, 0, 1, 1}, {1300, 0, 0, 0, 2, 1}},
         {{1, 1000}}},
        {"a game over and a new race in one pass start the clock anew",
         {{100, 0, 0, 0, 1, 1}, {200, 0, 1, 0, 1, 1}, {300, 0, 0, 0, 1, 1}, {800, 0, 0, 0, 2, 1}},
         {{1, 500}}},
    };
    SetLapHook(Collect, nullptr);
    for (const TCase& c : cases) {
        StartLapClock();
        Timed.clear();
        for (const TPass& pass : c.Passes)
            Run(pass);
        EXPECT_EQ(Timed, c.Laps) << c.Name;
    }
}

TEST_F(LapClock, TheGhostIsTheFastestOwnLapAndSomeoneElsesStays) {
    Run({0, 1, 0, 5, 1, 1});
    RunUntil({10, 0, 0, 0, 1, 1}, 5010); // lap 1: 5000 ms
    Run({5010, 0, 0, 0, 2, 1});
    ASSERT_EQ(GhostKind(), TGhostKind::Own);
    EXPECT_EQ(GhostLapMs(), 5000u);
    // The path: a pose a pass from the lap's start to its end, at the times into it.
    const TLapPath& path = GhostPath();
    ASSERT_EQ(path.Count, 501);
    EXPECT_EQ(path.Poses[0].Ms, 0u);
    EXPECT_EQ(path.Poses[0].X, 1.0f);
    EXPECT_EQ(path.Poses[500].Ms, 5000u);
    EXPECT_EQ(path.Poses[500].X, 501.0f);

    RunUntil({5020, 0, 0, 0, 2, 1}, 11010); // lap 2: 6000 ms, slower
    Run({11010, 0, 0, 0, 3, 1});
    EXPECT_EQ(GhostLapMs(), 5000u);
    TLapClockState clock = LapClockNow();
    EXPECT_TRUE(clock.HasLast && clock.LastHadBest);
    EXPECT_EQ(clock.LastMs, 6000u);
    EXPECT_EQ(clock.LastDiffMs, 1000);

    RunUntil({11020, 0, 0, 0, 3, 1}, 15010); // lap 3: 4000 ms, the fastest
    Run({15010, 0, 0, 0, 4, 1});
    EXPECT_EQ(GhostLapMs(), 4000u);
    EXPECT_EQ(LapClockNow().LastDiffMs, -1000);

    const TGhostPose foreign[2] = {{0, 1, 2, 0, 0, 0, 0}, {100, 3, 4, 0, 0, 0, 0}};
    SetGhost(TGhostKind::Foreign, 100, foreign, 2, 1);
    RunUntil({15020, 0, 0, 0, 4, 1}, 15060);
    Run({15060, 0, 0, 0, 5, 1}); // 50 ms: faster than anything, yet someone else's ghost is raced
    EXPECT_EQ(GhostKind(), TGhostKind::Foreign);
    EXPECT_EQ(GhostLapMs(), 100u);
}

TEST_F(LapClock, ALongLapKeepsEverySecondPoseAndItsLastOne) {
    Run({0, 1, 0, 5, 1, 1});
    const uint32_t passes = 3 * (uint32_t)MostPathPoses + 7;
    RunUntil({10, 0, 0, 0, 1, 1}, 10 + 10 * passes);
    Run({10 + 10 * passes, 0, 0, 0, 2, 1});
    const TLapPath& path = GhostPath();
    EXPECT_EQ(path.Stride, 4u);
    EXPECT_LE(path.Count, MostPathPoses);
    EXPECT_GT(path.Count, MostPathPoses / 2);
    EXPECT_EQ(path.Poses[0].Ms, 0u);
    EXPECT_EQ(path.Poses[(size_t)path.Count - 1].Ms, 10 * passes);
    for (int32_t i = 1; i < path.Count; i++) {
        ASSERT_GT(path.Poses[(size_t)i].Ms, path.Poses[(size_t)i - 1].Ms) << i;
        ASSERT_LE(path.Poses[(size_t)i].Ms - path.Poses[(size_t)i - 1].Ms, 10u * 4) << i;
    }
}

TEST_F(LapClock, TheGhostStandsWhereItWasAtTheSameTimeIntoItsLap) {
    const TGhostPose poses[3] = {{0, 10, 0, 0, 0, 0, 0}, {100, 20, 0, 0, 0, 0, 0}, {250, 30, 0, 0, 0, 0, 0}};
    TGhostPose pose;
    EXPECT_FALSE(GhostPoseAt(0, &pose));
    SetGhost(TGhostKind::Own, 250, poses, 3, 1);
    const struct {
        uint32_t Ms;
        float X;
    } cases[] = {{0, 10}, {99, 10}, {100, 20}, {249, 20}, {250, 30}, {100000, 30}};
    for (const auto& c : cases) {
        ASSERT_TRUE(GhostPoseAt(c.Ms, &pose));
        EXPECT_EQ(pose.X, c.X) << c.Ms;
    }
    SetGhost(TGhostKind::Own, 0, poses, 0, 1);
    EXPECT_EQ(GhostKind(), TGhostKind::None);
}

TEST_F(LapClock, TheRecordsLineSaysTheLapTheLastAndTheBest) {
    const struct {
        uint32_t Ms;
        const char* View;
        const char* Proof;
    } times[] = {
        {0, "0:00.00", "0:00.000"},
        {1999, "0:01.99", "0:01.999"},
        {62370, "1:02.37", "1:02.370"},
        {3599999, "59:59.99", "59:59.999"},
        {4294967295u, "71582:47.29", "71582:47.295"},
    };
    for (const auto& t : times) {
        char text[32];
        FormatLapTime(t.Ms, text, sizeof text);
        EXPECT_STREQ(text, t.View);
        FormatProofTime(t.Ms, text, sizeof text);
        EXPECT_STREQ(text, t.Proof);
    }

    Run({0, 1, 0, 5, 1, 1});
    EXPECT_STREQ(RecordsLine(), "Beste -:--.--");
    Run({100, 0, 0, 0, 1, 1});
    Run({12445, 0, 0, 0, 1, 1});
    EXPECT_STREQ(RecordsLine(), "Runde 1  0:12.34  Letzte -:--.--  Beste -:--.--");
    Run({59940, 0, 0, 0, 2, 1}); // lap 1: 59.84 s, the first: no difference
    EXPECT_STREQ(RecordsLine(), "Runde 2  0:00.00  Letzte 0:59.84  Beste 0:59.84");
    Run({121840, 0, 0, 0, 3, 1}); // lap 2: 1:01.90, 2.06 s slower
    Run({184210, 0, 0, 0, 3, 1});
    EXPECT_STREQ(RecordsLine(), "Runde 3  1:02.37  Letzte 1:01.90  Beste 0:59.84 (+2.06)");
    Run({184220, 0, 0, 0, 4, 1}); // lap 3: 1:02.38
    Run({243560, 0, 0, 0, 5, 1}); // lap 4: 59.34 s, the new best
    EXPECT_STREQ(RecordsLine(), "Runde 5  0:00.00  Letzte 0:59.34  Beste 0:59.34 (-0.50)");
    Run({243570, 0, 0, 1, 5, 1}); // another car: the lap is not timed
    EXPECT_STREQ(RecordsLine(), "Runde 1  -:--.--  Letzte 0:59.34  Beste 0:59.34 (-0.50)");

    const TGhostPose pose{0, 0, 0, 0, 0, 0, 0};
    SetGhost(TGhostKind::Foreign, 58000, &pose, 1, 1);
    Run({243580, 1, 0, 5, 5, 1});
    EXPECT_STREQ(RecordsLine(), "Geist 0:58.00");
}

} // namespace
