// A scripted race through the headless runner: ENTER, then throttle, a right turn and the brake. The trace
// shows the player's car following its inputs, and its key figures are kept as a regression record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/GameRun.h"

using namespace gamerun;

namespace {

struct TCarSample {
    int demoMode = -1;
    int currentActor = -1;
    std::string message;
    double speedKmh = 0, angleZ = 0, posX = 0, posY = 0, stepLength = 0;
    int damage = 0, quadIndex = -1;
};

// The globals of the pass and actor 0, the first record of "Actors".
TCarSample Sample(const std::string& line) {
    TCarSample sample;
    sample.demoMode = (int)IntField(line, "DemoMode");
    sample.currentActor = (int)IntField(line, "CurrentActor");
    sample.message = TextAfter(line, "Message");
    const size_t actors = line.find("\"Actors\":[{");
    EXPECT_NE(actors, std::string::npos);
    if (actors == std::string::npos) return sample;
    sample.speedKmh = NumberAfter(line, "SpeedKmh", actors);
    sample.angleZ = NumberAfter(line, "AngleZ", actors);
    sample.posX = NumberAfter(line, "PosX", actors);
    sample.posY = NumberAfter(line, "PosY", actors);
    sample.stepLength = NumberAfter(line, "StepLength", actors);
    sample.damage = (int)NumberAfter(line, "Damage", actors);
    sample.quadIndex = (int)NumberAfter(line, "QuadIndex", actors);
    return sample;
}

class ScriptedRace : public ::testing::Test {
  protected:
    // Runs the script for the given passes; samples[p] is pass p (index 0 unused).
    static std::vector<TCarSample> Run(const char* script, int passes) {
        const std::vector<std::string> lines = RunScript(script, passes);
        std::vector<TCarSample> samples(1);
        for (size_t p = 1; p < lines.size(); p++)
            samples.push_back(Sample(lines[p]));
        return samples;
    }
};

TEST_F(ScriptedRace, CarFollowsThrottleSteeringAndBrake) {
    const char* script = "1 down 13\n"
                         "2 up 13\n"
                         "10 down 38\n"
                         "200 up 38\n"
                         "210 down 39\n"
                         "260 up 39\n"
                         "300 down 40\n"
                         "400 up 40\n";
    const std::vector<TCarSample> s = Run(script, 450);
    ASSERT_EQ(s.size(), 451u);

    // ENTER started a race with actor 0 at the wheel.
    EXPECT_EQ(s[1].demoMode, 0);
    EXPECT_EQ(s[1].currentActor, 0);
    EXPECT_EQ(s[1].message, "Start!");

    // Throttle held from pass 10 (its key-down reaches the window in that pass) to 199.
    for (int p = 11; p < 200; p++)
        EXPECT_GT(s[p].speedKmh, s[p - 1].speedKmh) << "pass " << p;
    EXPECT_EQ(s[205].angleZ, 0.0);
    EXPECT_NEAR(s[10].posX, 740.0, 1e-3);

    // Right arrow from pass 210 to 259: the heading grows; released, it stays.
    for (int p = 211; p < 260; p++)
        EXPECT_GT(s[p].angleZ, s[p - 1].angleZ) << "pass " << p;
    for (int p = 261; p <= 450; p++)
        EXPECT_EQ(s[p].angleZ, s[260].angleZ) << "pass " << p;
    EXPECT_LT(s[300].posX, s[210].posX); // a positive heading turns the travel toward -x

    // Brake from pass 300 to 399: the speed falls in every pass.
    for (int p = 301; p < 400; p++)
        EXPECT_LT(s[p].speedKmh, s[p - 1].speedKmh) << "pass " << p;
    EXPECT_GT(s[400].speedKmh, 0.0);

    // Key figures of this run.
    EXPECT_NEAR(s[200].speedKmh, 136.13, 0.05);
    EXPECT_NEAR(s[200].posY, 2789.30, 0.05);
    EXPECT_NEAR(s[260].angleZ, 12.624, 0.005);
    EXPECT_NEAR(s[300].speedKmh, 124.51, 0.05);
    EXPECT_NEAR(s[400].speedKmh, 43.18, 0.05);
    EXPECT_NEAR(s[450].posX, 729.41, 0.05);
    EXPECT_NEAR(s[450].posY, 2852.03, 0.05);
}

// Through the first bend on a steady mouse steer, then straight along cell 62, where an obstacle reaches
// into the road: the car runs into it head-on, and a run that keeps crashing ends in the game over and the
// return to the demonstration.
TEST_F(ScriptedRace, CrashingIntoTheObstacleInCell62EndsTheGame) {
    const char* script = "1 down 13\n"
                         "2 up 13\n"
                         "3 down 38\n"     // full throttle
                         "560 mouse -54\n" // into the bend: the mouse steers left and stays so
                         "980 down 39\n"   // a tap on the arrow ends the mouse steering: straight on
                         "981 up 39\n"
                         "1700 up 38\n" // back off ...
                         "1701 down 40\n"
                         "2000 up 40\n"
                         "2001 down 38\n"; // ... and in again
    const std::vector<TCarSample> s = Run(script, 3200);
    ASSERT_EQ(s.size(), 3201u);

    // The first crash: head-on, so the car bounces back at a third of its speed, with damage
    // trunc(KineticEnergy / 500).
    int first = 0;
    for (int p = 1; p <= 3200 && first == 0; p++)
        if (s[p].damage > 0) first = p;
    ASSERT_GT(first, 1000);
    EXPECT_EQ(s[first].quadIndex, 62);
    EXPECT_LT(s[first].stepLength, 0.0);
    EXPECT_NEAR(s[first].stepLength, -s[first - 1].stepLength / 3.0, 0.01);
    const double energy = 0.4 * s[first - 1].speedKmh * s[first - 1].speedKmh;
    EXPECT_NEAR(s[first].damage, (int)(energy / 500.0), 1);
    EXPECT_EQ(s[first].damage, 89);

    // Damage only grows while the car keeps pushing, until it passes 100: the game over.
    int over = 0;
    for (int p = first + 1; p <= 3200 && over == 0; p++) {
        if (s[p].message.rfind("G A M E   O V E R  Actor No 0", 0) == 0)
            over = p;
        else
            EXPECT_GE(s[p].damage, s[p - 1].damage) << "pass " << p;
    }
    ASSERT_GT(over, 0);
    EXPECT_EQ(s[over].damage, 0);
    EXPECT_EQ(s[over].demoMode, 0);

    // Five one-second marks later the demonstration is back, with a rebuilt world.
    int back = 0;
    for (int p = over; p <= 3200 && back == 0; p++)
        if (s[p].demoMode == 1) back = p;
    ASSERT_GT(back, 0);
    EXPECT_GT(back - over, 400);
    EXPECT_LT(back - over, 520);
    EXPECT_EQ(s[back].message, "Für Start ENTER drücken!");
    EXPECT_EQ(s[back].currentActor, 5);
    EXPECT_EQ(s[back].damage, 0);
    EXPECT_EQ(s[back].quadIndex, 51);
}

} // namespace
