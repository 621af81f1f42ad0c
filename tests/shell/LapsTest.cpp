// Checkpoints, laps and wall contacts: the lap counted from the checkpoint sequence, the warning for the
// wrong direction, the undo, turn and damage of a contact, and the game over.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

#include "dynamics/Dynamics.h"
#include "scene/Scene.h"
#include "scene/SmallWorld.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"
#include "world/Texts.h"
#include "world/World.h"

using namespace smallworld;

namespace {

// ---- Checkpoints and laps ------------------------------------------------------------------------------

class Laps : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        MakeSmallWorld(2);
        CheckpointSum = 157;
    }
    // One frame in which actor 0 touches the given finish and way checkpoint cells (0 for none).
    static void Frame(int32_t finishCell, int32_t checkpointCell) {
        Actors[0].TouchQuad[StartCheckpointType] = finishCell;
        Actors[0].TouchQuad[WayCheckpointType] = checkpointCell;
        CountCheckpoints();
    }
    // A stretch of track: some frames on the object, some off it.
    static void Pass(int32_t finishCell, int32_t checkpointCell) {
        for (int k = 0; k < 5; k++)
            Frame(finishCell, checkpointCell);
        for (int k = 0; k < 5; k++)
            Frame(0, 0);
    }
};

TEST_F(Laps, LapInStartDirectionCountsOnce) {
    Pass(0, 62);
    Pass(0, 53);
    Pass(0, 42);
    EXPECT_EQ(Actors[0].CheckpointTally, 157);
    EXPECT_EQ(Actors[0].Laps, 1);
    Pass(51, 0);
    EXPECT_EQ(Actors[0].Laps, 2);
    EXPECT_EQ(Actors[0].CheckpointTally, 0);
    EXPECT_EQ(Actors[0].CheckpointSeen[62], 0);
    EXPECT_TRUE(Message.empty());
    EXPECT_EQ(Actors[1].Laps, 1); // the other car touched nothing

    // The second lap counts the same way.
    Pass(0, 62);
    Pass(0, 53);
    Pass(0, 42);
    Pass(51, 0);
    EXPECT_EQ(Actors[0].Laps, 3);
}

TEST_F(Laps, StandingOnAWayCheckpointAddsItOnce) {
    for (int k = 0; k < 50; k++)
        Frame(0, 62);
    EXPECT_EQ(Actors[0].CheckpointTally, 62);
    EXPECT_EQ(Actors[0].CheckpointSeen[62], 62);
}

TEST_F(Laps, StandingOnTheFinishWarnsOrCountsOnce) {
    Frame(51, 0);
    EXPECT_EQ(Message, TextWrongDirection);
    Message.clear();
    for (int k = 0; k < 50; k++)
        Frame(51, 0);
    EXPECT_TRUE(Message.empty());

    Pass(0, 62);
    Pass(0, 53);
    Pass(0, 42);
    for (int k = 0; k < 50; k++)
        Frame(51, 0);
    EXPECT_EQ(Actors[0].Laps, 2);
}

TEST_F(Laps, WrongDirectionWarnsAndForgetsTheLap) {
    // Against the start direction: 42 first, then the finish line is live and warns.
    Pass(0, 42);
    Pass(0, 53);
    Pass(51, 0);
    EXPECT_EQ(Message, TextWrongDirection);
    EXPECT_EQ(Actors[0].CheckpointTally, 0);
    EXPECT_EQ(Actors[0].CheckpointSeen[42], 0);
    EXPECT_EQ(Actors[0].Laps, 1);
}

TEST_F(Laps, TurningRoundAfterTheFirstCheckpointStillAllowsALap) {
    Pass(0, 62);
    Pass(51, 0); // turned round and back over the finish line
    EXPECT_EQ(Message, TextWrongDirection);
    Message.clear();
    // Turned round again: the whole lap in the start direction.
    Pass(0, 62);
    Pass(0, 53);
    Pass(0, 42);
    Pass(51, 0);
    EXPECT_EQ(Actors[0].Laps, 2);
    EXPECT_TRUE(Message.empty());
}

// A game ended while actor 0's finish line was spent and its tally locked (a whole lap driven the wrong
// way): the next race starts every car afresh, so both the warning and the lap count work again.
TEST_F(Laps, ARaceAfterALockedTallyWarnsAndCountsAgain) {
    ResetPlatformState();
    DemoMode = 0;
    BuildWorld();
    Pass(51, 0);
    Pass(0, 42);
    Pass(0, 53);
    Pass(0, 62);
    Pass(51, 0);
    EXPECT_EQ(Actors[0].CheckpointTally, 157);
    EXPECT_EQ(Actors[0].FinishHandled, 1);
    EXPECT_EQ(Actors[0].Laps, 1); // locked: the tally can never again be exactly 62

    BuildWorld(); // ENTER twice: a new race
    for (const TActor& actor : Actors) {
        EXPECT_EQ(actor.CheckpointTally, 0);
        EXPECT_EQ(actor.FinishHandled, 0);
        EXPECT_EQ(actor.CheckpointSeen[62], 0);
    }
    Message.clear();
    Pass(51, 0); // backwards over the finish line first: warned
    EXPECT_EQ(Message, TextWrongDirection);
    Pass(0, 62);
    Pass(0, 53);
    Pass(0, 42);
    Pass(51, 0);
    EXPECT_EQ(Actors[0].Laps, 2);
}

// ---- Wall contacts ---------------------------------------------------------------------------------------

constexpr int32_t Cell = 51;

class WallContacts : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        MakeSmallWorld(6);
        Message.reserve(256);
        for (int32_t a = 0; a < 6; a++) {
            PlaceActor(a, 760.5f, 2760.25f, 10.0f);
            TActor& actor = Actors[(size_t)a];
            actor.PrevPosX = 760.5f;
            actor.PrevPosY = 2760.25f;
            actor.PrevAngleZ = 10.0f;
            // This frame's move took it 1 further along x and turned it by 2.
            actor.PosX = 761.5f;
            actor.QuadPosX = 261.5f;
            actor.AngleZ = 12.0f;
            actor.WheelAngle = 12.0f;
            actor.StepLength = 0.9f;
            actor.StepX = 0.0f;
            actor.StepY = 1.0f;
            actor.KineticEnergy = 12345.0f;
        }
        // One wall line along +x from its second point to its first.
        TKollisionsLinien& walls = QuadrantLines[Cell];
        walls.LineCount = 1;
        walls.Lines[1] = TCollisionLine{0, 11, 310, 300, 290, 300};
    }
    // Gives actor a one line outline that crosses the wall (or not).
    static void Touch(int32_t a, bool crossing = true) {
        ActorLines[(size_t)a].LineCount = 1;
        ActorLines[(size_t)a].Lines[1] = TCollisionLine{a, 0, 300, 295, 300, crossing ? 305.0f : 299.0f};
    }
    // Sets actor a's last step so that the contact angle comes out as the nearest angle the game can
    // measure at or above the wanted one (or, with below set, the nearest one below it); returns that angle.
    static float AimAt(int32_t a, float wanted, bool below = false) {
        const double base = (double)wanted * 3.1428 / 180.0;
        float best = below ? -1.0f : 1000.0f;
        for (int32_t k = -100000; k <= 100000; k++) {
            const double theta = base + k * 1e-9;
            const float sx = (float)std::cos(theta), sy = (float)std::sin(theta);
            const float angle = AngleBetween(sx, sy, 0, 0, 310, 300, 290, 300);
            const bool better = below ? angle < wanted && angle > best : angle >= wanted && angle < best;
            if (!better) continue;
            best = angle;
            Actors[(size_t)a].StepX = sx;
            Actors[(size_t)a].StepY = sy;
        }
        return best;
    }
};

TEST_F(WallContacts, FreeCarKeepsItsMoveAndStopsBouncing) {
    Touch(0, false);
    Actors[0].BounceTurn = 3.0f;
    HandleWallContacts();
    EXPECT_EQ(Actors[0].PosX, 761.5f);
    EXPECT_EQ(Actors[0].AngleZ, 12.0f);
    EXPECT_EQ(Actors[0].BounceTurn, 0.0f);
    EXPECT_EQ(Actors[0].Damage, 0);
}

TEST_F(WallContacts, HeadOnContactUndoesTheMoveAndBouncesBack) {
    Touch(0);
    HandleWallContacts();
    const TActor& actor = Actors[0];
    EXPECT_EQ(actor.PosX, 760.5f);
    EXPECT_EQ(actor.PosY, 2760.25f);
    EXPECT_EQ(actor.AngleZ, 10.0f);
    EXPECT_FLOAT_EQ(actor.StepLength, -0.3f);
    EXPECT_EQ(actor.Damage, 24); // 12345 / 500
    EXPECT_EQ(actor.BounceTurn, 1.0f);
    // The in-cell position follows the restored world position.
    EXPECT_EQ(actor.QuadCol, 1);
    EXPECT_EQ(actor.QuadRow, 5);
    EXPECT_EQ(actor.QuadIndex, 51);
    EXPECT_FLOAT_EQ(actor.QuadPosX, 260.5f);
    EXPECT_FLOAT_EQ(actor.QuadPosY, 260.25f);
    EXPECT_EQ(Actors[1].Damage, 0); // no outline, no contact
}

TEST_F(WallContacts, UndoFindsTheCellOfTheRestoredPosition) {
    Touch(0);
    TActor& actor = Actors[0];
    actor.PrevPosX = 1000.25f; // just inside column 2
    actor.PrevPosY = 2499.5f;  // just inside row 4
    actor.PrevPosZ = 0.5f;
    HandleWallContacts();
    EXPECT_EQ(actor.QuadCol, 2);
    EXPECT_EQ(actor.QuadRow, 4);
    EXPECT_EQ(actor.QuadIndex, 42);
    EXPECT_FLOAT_EQ(actor.QuadPosX, 0.25f);
    EXPECT_FLOAT_EQ(actor.QuadPosY, 499.5f);
    EXPECT_EQ(actor.QuadPosZ, 0.5f);

    // Outside the grid the cell is held to its edge.
    ActorLines[0].LineCount = 0;
    HandleWallContacts();
    PlaceActor(0, 761.5f, 2760.25f);
    Touch(0);
    actor.PrevPosX = -3.0f;
    actor.PrevPosY = 5003.0f;
    HandleWallContacts();
    EXPECT_EQ(actor.QuadCol, 0);
    EXPECT_EQ(actor.QuadRow, 9);
}

TEST_F(WallContacts, ExactlyFiftyFiveAndHundredTwentyFiveAreGlancing) {
    ASSERT_EQ(AimAt(0, 55.0f), 55.0f);
    ASSERT_GT(AimAt(1, std::nextafter(55.0f, 90.0f)), 55.0f);
    // 125 itself lies between two angles the game can measure.
    const float fromAbove = AimAt(2, 125.0f);
    ASSERT_LT(fromAbove, 125.001f);
    ASSERT_GT(AimAt(3, 125.0f, true), 124.999f);
    for (int32_t a = 0; a < 4; a++)
        Touch(a);
    HandleWallContacts();

    EXPECT_FLOAT_EQ(Actors[0].AngleZ, 10.0f - 55.0f);
    EXPECT_FLOAT_EQ(Actors[0].WheelAngle, 10.0f - 55.0f);
    EXPECT_FLOAT_EQ(Actors[0].BounceTurn, -27.5f);
    EXPECT_EQ(Actors[0].Damage, 21); // 12345 / 570
    EXPECT_EQ(Actors[0].StepLength, 0.9f);

    EXPECT_EQ(Actors[1].BounceTurn, 1.0f);
    EXPECT_EQ(Actors[1].Damage, 24);

    EXPECT_FLOAT_EQ(Actors[2].AngleZ, 10.0f + (180.0f - fromAbove));
    EXPECT_FLOAT_EQ(Actors[2].BounceTurn, (180.0f - fromAbove) / 2.0f);
    EXPECT_EQ(Actors[2].Damage, 21);

    EXPECT_EQ(Actors[3].BounceTurn, 1.0f);
    EXPECT_EQ(Actors[3].AngleZ, 10.0f);
}

TEST_F(WallContacts, GlancingAtThirtyTurnsByMinusThirty) {
    ASSERT_EQ(AimAt(0, 30.0f), 30.0f);
    Touch(0);
    HandleWallContacts();
    EXPECT_FLOAT_EQ(Actors[0].AngleZ, -20.0f);
    EXPECT_FLOAT_EQ(Actors[0].WheelAngle, -20.0f);
    EXPECT_EQ(Actors[0].Damage, 19); // 12345 / 620 = 19.9
    EXPECT_FLOAT_EQ(Actors[0].BounceTurn, -15.0f);
}

TEST_F(WallContacts, LastingContactKeepsTurningWithoutDamage) {
    ASSERT_EQ(AimAt(0, 30.0f), 30.0f);
    Touch(0);
    HandleWallContacts();
    ASSERT_FLOAT_EQ(Actors[0].AngleZ, -20.0f);
    // The turn just made is the pose the next contact starts from.
    EXPECT_FLOAT_EQ(Actors[0].PrevAngleZ, -20.0f);
    for (int pass = 1; pass <= 3; pass++) {
        Actors[0].AngleZ = 99.0f; // whatever the next move did
        HandleWallContacts();
        EXPECT_FLOAT_EQ(Actors[0].AngleZ, -20.0f - 15.0f * (float)pass);
        EXPECT_FLOAT_EQ(Actors[0].WheelAngle, Actors[0].AngleZ);
    }
    EXPECT_EQ(Actors[0].Damage, 19);
    EXPECT_FLOAT_EQ(Actors[0].BounceTurn, -15.0f);
}

TEST_F(WallContacts, OnlyTheWallsOfTheOwnCellCount) {
    QuadrantLines[52] = QuadrantLines[Cell];
    QuadrantLines[Cell].LineCount = 0;
    Touch(0);
    HandleWallContacts();
    EXPECT_EQ(Actors[0].PosX, 761.5f);
    EXPECT_EQ(Actors[0].Damage, 0);
}

TEST_F(WallContacts, StandingCarCountsAsHeadOnWithoutDamage) {
    TActor& actor = Actors[0];
    actor.StepX = actor.StepY = 0.0f;
    actor.StepLength = 0.0f;
    actor.KineticEnergy = 0.0f;
    Touch(0);
    for (int pass = 0; pass < 5; pass++)
        HandleWallContacts();
    EXPECT_TRUE(std::isfinite(actor.AngleZ));
    EXPECT_TRUE(std::isfinite(actor.WheelAngle));
    EXPECT_TRUE(std::isfinite(actor.StepLength));
    EXPECT_EQ(actor.Damage, 0);
    EXPECT_EQ(actor.BounceTurn, 1.0f);
}

TEST_F(WallContacts, DamagePastHundredEndsTheGameOfThatCar) {
    CurrentActor = 0;
    Actors[1].Damage = 90;
    Actors[1].KineticEnergy = 5000.0f; // +10
    Actors[2].Damage = 90;
    Actors[2].KineticEnergy = 5500.0f; // +11
    Touch(1);
    Touch(2);
    HandleWallContacts();
    EXPECT_EQ(Actors[1].Damage, 100);
    EXPECT_EQ(Actors[2].Damage, 0);
    EXPECT_EQ(Message, std::string(TextGameOver) + "2");
    EXPECT_EQ(Message, "G A M E   O V E R  Actor No 2");
    EXPECT_EQ(GameOverPending, 0); // a computer-driven car drives on
}

TEST_F(WallContacts, TwoGameOversInOneFrameNameTheHigherIndex) {
    CurrentActor = 4;
    for (int32_t a : {1, 4}) {
        Actors[(size_t)a].Damage = 100;
        Touch(a);
    }
    HandleWallContacts();
    EXPECT_EQ(Message, "G A M E   O V E R  Actor No 4");
    EXPECT_EQ(GameOverPending, 1);
    EXPECT_EQ(Actors[1].Damage, 0);
    EXPECT_EQ(Actors[4].Damage, 0);
}

TEST_F(WallContacts, HugeEnergySaturatesInsteadOfOverflowing) {
    CurrentActor = 3;
    Actors[3].Damage = 50;
    Actors[3].KineticEnergy = FLT_MAX;
    Touch(3);
    HandleWallContacts();
    EXPECT_EQ(Actors[3].Damage, 0);
    EXPECT_EQ(Message, "G A M E   O V E R  Actor No 3");
    EXPECT_EQ(GameOverPending, 1);
}

// ---- A car driven into an obstacle -----------------------------------------------------------------------

class TrappedCar : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        MakeSmallWorld(1);
        CurrentActor = 0;
        AddPlacement(Cell, ModelQuader, 250, 250); // the square 740..760 x 2740..2760
    }
    // One frame of the steps that move the car and handle its contacts, with the throttle held.
    static void Pass() {
        Actors[0].StepLength = 0.5f;
        Actors[0].Steering = 0.0f;
        MoveActors();
        BuildActorLines();
        BuildQuadrantLines();
        HandleWallContacts();
    }
    static double CellMismatch(const TActor& actor) {
        const double dx = (double)actor.PosX - (500.0 * actor.QuadCol + actor.QuadPosX);
        const double dy = (double)actor.PosY - (500.0 * actor.QuadRow + actor.QuadPosY);
        return std::fmax(std::fabs(dx), std::fabs(dy));
    }
};

TEST_F(TrappedCar, GlancingIntoAnObstacleTurnsItFree) {
    // Heading 80 degrees to the right of +y, aimed 8 m beside the centre of the obstacle: it meets the
    // obstacle's side at a glancing angle and stays in contact for a while.
    const float heading = -80.0f;
    const double h = (double)heading * 3.1428 / 180.0;
    const double ahead = 25.0, aside = 8.0;
    PlaceActor(0, (float)(750.0 + ahead * std::sin(h) + aside * std::cos(h)),
               (float)(2750.0 - ahead * std::cos(h) + aside * std::sin(h)), heading);
    int firstContact = -1;
    int lastContact = -1;
    for (int pass = 0; pass < 400; pass++) {
        Pass();
        if (Actors[0].BounceTurn != 0.0f) {
            if (firstContact < 0) {
                firstContact = pass;
                EXPECT_NE(Actors[0].AngleZ, heading); // glancing: turned at once, not bounced
            }
            lastContact = pass;
        }
        ASSERT_LT(CellMismatch(Actors[0]), 1.0) << "pass " << pass;
    }
    ASSERT_GE(firstContact, 0);
    EXPECT_GT(lastContact, firstContact);
    EXPECT_LT(lastContact - firstContact, 40);
    EXPECT_GT(std::hypot(Actors[0].PosX - 750.0f, Actors[0].PosY - 2750.0f), 100.0f);
}

} // namespace
