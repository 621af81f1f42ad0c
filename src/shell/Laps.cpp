// Checkpoints and laps, wall contacts with damage, and the game over. Both steps treat every actor alike;
// only the game over of the current actor changes the game flow.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "dynamics/Dynamics.h"
#include "exact/Numeric.h"
#include "scene/Scene.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"
#include "world/Texts.h"

namespace {

// The first way checkpoint after the finish line: collecting it alone makes the finish line live again.
constexpr int32_t FirstCheckpointCell = 62;
constexpr float NotMeasured = 1000.0f;
constexpr float HeadOnFrom = 55.0f; // angles strictly between these two are head-on contacts
constexpr float HeadOnTo = 125.0f;
constexpr double HeadOnDivisor = 500.0;
constexpr int32_t GameOverDamage = 100;

void ForgetCheckpoints(TActor& actor) {
    for (int32_t& seen : actor.CheckpointSeen)
        seen = 0;
}

void CountActorCheckpoints(TActor& actor) {
    const int32_t c = actor.TouchQuad[WayCheckpointType];
    if (c > 0 && c < GridSize * GridSize && actor.CheckpointSeen[c] == 0) {
        actor.CheckpointSeen[c] = c;
        actor.CheckpointTally += c;
        if (actor.CheckpointTally == FirstCheckpointCell) actor.FinishHandled = 0;
    }
    if (actor.TouchQuad[StartCheckpointType] > 0 && actor.FinishHandled == 0) {
        actor.FinishHandled = 1;
        if (actor.CheckpointTally != CheckpointSum) {
            // Driven the wrong way: start the lap afresh so that turning round counts normally.
            Message = TextWrongDirection;
            ForgetCheckpoints(actor);
            actor.CheckpointTally = 0;
        } else {
            actor.Laps++;
            actor.CheckpointTally = 0;
            ForgetCheckpoints(actor);
        }
    }
}

// Cell column or row of a world coordinate, held to the grid.
int32_t GridIndexOf(float position) {
    const double index = std::floor((double)position / (double)CellSize);
    if (!(index >= 0.0)) return 0;
    if (index > GridSize - 1) return GridSize - 1;
    return (int32_t)index;
}

// Puts the actor back to its pose before this frame's move, its place in the grid included.
void UndoMove(TActor& actor) {
    RestorePose(actor);
    actor.QuadCol = GridIndexOf(actor.PosX);
    actor.QuadRow = GridIndexOf(actor.PosY);
    actor.QuadPosX = F32((double)actor.PosX - (double)CellSize * actor.QuadCol);
    actor.QuadPosY = F32((double)actor.PosY - (double)CellSize * actor.QuadRow);
    actor.QuadPosZ = actor.PosZ;
    actor.QuadIndex = actor.QuadRow * GridSize + actor.QuadCol;
}

void AddDamage(TActor& actor, double quotient) {
    const int64_t sum = (int64_t)actor.Damage + (int64_t)TruncToInt32(quotient);
    actor.Damage = sum > INT32_MAX ? INT32_MAX : sum < INT32_MIN ? INT32_MIN : (int32_t)sum;
}

// What the wall test of one actor found.
struct TContact {
    bool Hit;
    float Angle; // against the first wall line met, in the pair order outline line, wall line
};

// Tests every line of the actor's outline against every wall line of its cell.
TContact FindContact(const TActor& actor, const TKollisionsLinien& outline, const TKollisionsLinien& walls) {
    TContact contact{false, NotMeasured};
    const int64_t outlineCount = std::min<int64_t>(outline.LineCount, (int64_t)outline.Lines.size() - 1);
    const int64_t wallCount = std::min<int64_t>(walls.LineCount, (int64_t)walls.Lines.size() - 1);
    for (int64_t j = 1; j <= outlineCount; j++) {
        const TCollisionLine& own = outline.Lines[(size_t)j];
        for (int64_t k = 1; k <= wallCount; k++) {
            const TCollisionLine& wall = walls.Lines[(size_t)k];
            if (!SegmentsIntersect(own.X1, own.Y1, own.X2, own.Y2, wall.X1, wall.Y1, wall.X2, wall.Y2))
                continue;
            if (!contact.Hit)
                contact.Angle =
                    AngleBetween(actor.StepX, actor.StepY, 0, 0, wall.X1, wall.Y1, wall.X2, wall.Y2);
            contact.Hit = true;
        }
    }
    return contact;
}

// Undoes the move, turns or bounces the actor off the wall and adds the damage of the contact.
void BounceOffWall(TActor& actor, float angle) {
    UndoMove(actor);
    if (actor.BounceTurn != 0.0f) {
        // Still in the contact of the last frame: keep turning, no further damage.
        actor.AngleZ = F32((double)actor.AngleZ + (double)actor.BounceTurn);
        actor.WheelAngle = actor.AngleZ;
    } else if (angle > HeadOnFrom && angle < HeadOnTo) {
        actor.StepLength = F32(-((double)actor.StepLength / 3.0));
        AddDamage(actor, (double)actor.KineticEnergy / HeadOnDivisor);
        actor.BounceTurn = 1.0f;
    } else {
        const float turn = angle > 90.0f ? F32(180.0 - (double)angle) : -angle;
        actor.AngleZ = F32((double)actor.AngleZ + (double)turn);
        actor.WheelAngle = actor.AngleZ;
        AddDamage(actor,
                  (double)actor.KineticEnergy / ((90.0 - std::fabs((double)turn)) * 2.0 + HeadOnDivisor));
        actor.BounceTurn = F32((double)turn / 2.0);
    }
    // The next contact pass starts from the pose just set, so the turn adds up while the contact lasts.
    SavePose(actor);
}

void EndGameOf(int32_t i) {
    char text[64];
    std::snprintf(text, sizeof text, "%s%d", TextGameOver, (int)i);
    Message = text;
    Actors[(size_t)i].Damage = 0;
    if (i == CurrentActor) GameOverPending = 1;
}

} // namespace

void CountCheckpoints() {
    for (int32_t a = 0; a < ActorsInPlay(); a++)
        CountActorCheckpoints(Actors[(size_t)a]);
}

void HandleWallContacts() {
    for (int32_t i = 0; i < ActorsInPlay() && (size_t)i < ActorLines.size(); i++) {
        TActor& actor = Actors[(size_t)i];
        const int32_t q = actor.QuadIndex;
        TContact contact{false, NotMeasured};
        if (q >= 0 && (size_t)q < QuadrantLines.size())
            contact = FindContact(actor, ActorLines[(size_t)i], QuadrantLines[(size_t)q]);
        if (!contact.Hit) {
            actor.BounceTurn = 0.0f;
            continue;
        }
        BounceOffWall(actor, contact.Angle);
        if (actor.Damage > GameOverDamage) EndGameOf(i);
    }
}
