// tramolo-lapdriver: drives a race round the ring in the headless game, as a player would with the up
// arrow and the mouse, and writes what it did as an input script for tramolo-sim: the script of a race
// whose car completes laps. It steers toward a point some way ahead on the middle of the road and holds
// the speed below what the bends allow; every decision is made from the game's state before the pass, and
// every key and mouse move is both posted to the game and written, so the script replays to the same race.
// Each lap has a speed of its own (the last one given holds for the rest), so the laps take different times.
//
//     tramolo-lapdriver PASSES PASS-MS KMH... > script
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"
#include "platform/Platform.h"
#include "platform/VirtualKeys.h"
#include "replay/Script.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"

namespace {

struct TPoint {
    double X, Y;
};

// The ring's cells in driving order, by column and row: the start cell first.
constexpr int RingCells[8][2] = {{1, 5}, {1, 6}, {2, 6}, {3, 6}, {3, 5}, {3, 4}, {2, 4}, {1, 4}};
constexpr double Cell = 500.0;
constexpr double Lookahead = 45.0; // metres along the road to the point steered at
constexpr double BendSamples = 16;

std::vector<TPoint> Road;
size_t Nearest;
std::vector<double> LapKmh;
uint64_t LastPass;
int32_t CursorX;
bool UpHeld;
bool DownHeld;

// The middle of the edge between two neighbouring cells.
TPoint EdgeBetween(const int* a, const int* b) {
    return {((a[0] + b[0]) / 2.0 + 0.5) * Cell, ((a[1] + b[1]) / 2.0 + 0.5) * Cell};
}

// The road's middle line: straight through a straight cell, a quarter circle of half a cell round the
// inner corner of a bend.
void BuildRoad() {
    for (int i = 0; i < 8; i++) {
        const int* before = RingCells[(i + 7) % 8];
        const int* cell = RingCells[i];
        const int* after = RingCells[(i + 1) % 8];
        const TPoint in = EdgeBetween(before, cell);
        const TPoint out = EdgeBetween(cell, after);
        const bool straight = (before[0] == after[0]) || (before[1] == after[1]);
        if (straight) {
            for (int k = 0; k < 8; k++)
                Road.push_back({in.X + (out.X - in.X) * k / 8.0, in.Y + (out.Y - in.Y) * k / 8.0});
            continue;
        }
        // The corner the entry and exit edges share.
        const bool inOnRow = in.Y == std::floor(in.Y / Cell) * Cell;
        const TPoint corner = inOnRow ? TPoint{out.X, in.Y} : TPoint{in.X, out.Y};
        const double from = std::atan2(in.Y - corner.Y, in.X - corner.X);
        double to = std::atan2(out.Y - corner.Y, out.X - corner.X);
        if (to - from > M_PI) to -= 2 * M_PI;
        if (from - to > M_PI) to += 2 * M_PI;
        for (int k = 0; k < BendSamples; k++) {
            const double a = from + (to - from) * k / BendSamples;
            Road.push_back({corner.X + Cell / 2 * std::cos(a), corner.Y + Cell / 2 * std::sin(a)});
        }
    }
}

double Distance(TPoint a, TPoint b) {
    return std::hypot(a.X - b.X, a.Y - b.Y);
}

// The point Lookahead metres on from the road point nearest the car.
TPoint AimPoint(TPoint car) {
    for (size_t k = 0; k < 12; k++) {
        const size_t next = (Nearest + 1) % Road.size();
        if (Distance(car, Road[next]) < Distance(car, Road[Nearest])) Nearest = next;
    }
    size_t at = Nearest;
    for (double along = 0; along < Lookahead;) {
        const size_t next = (at + 1) % Road.size();
        along += Distance(Road[at], Road[next]);
        at = next;
    }
    return Road[at];
}

// The steering the game leaves after a mouse move of delta pixels (GameFlow.cpp's rules).
double SteeringAfter(double steering, int delta, double fps) {
    if ((delta < 0 && steering > 0) || (delta > 0 && steering < 0)) steering = 0;
    return steering + (delta / 2.5) / fps;
}

void Say(uint64_t pass, const char* verb, long long value) {
    std::printf("%llu %s %lld\n", (unsigned long long)pass, verb, value);
}

void Key(uint64_t pass, uint32_t message, int vk) {
    PostWindowMessage(message, (uint32_t)vk);
    Say(pass, message == WmKeyDown ? "down" : "up", vk);
}

void BeforePoll(uint64_t pass, void*) {
    LastPass = pass;
    if (pass == 1) return Key(pass, WmKeyDown, VkEnter);
    if (pass == 2) return Key(pass, WmKeyUp, VkEnter);
    if (DemoMode != 0 || Actors.empty()) return;
    const TActor& car = Actors[(size_t)CurrentActor];
    const double fps = Fps > 0 ? Fps : 100;
    const size_t lap = car.Laps < 1 ? 0 : (size_t)car.Laps - 1;
    const double TargetKmh = LapKmh[lap < LapKmh.size() ? lap : LapKmh.size() - 1];

    // Speed: the up arrow held below the target, the brake above it by a margin.
    const double kmh = car.SpeedKmh;
    int key = 0;
    uint32_t message = 0;
    if (!UpHeld && !DownHeld && kmh < TargetKmh - 2)
        key = VkUp, message = WmKeyDown, UpHeld = true;
    else if (UpHeld && kmh > TargetKmh)
        key = VkUp, message = WmKeyUp, UpHeld = false;
    else if (!UpHeld && !DownHeld && kmh > TargetKmh + 15)
        key = VkDown, message = WmKeyDown, DownHeld = true;
    else if (DownHeld && kmh < TargetKmh + 5)
        key = VkDown, message = WmKeyUp, DownHeld = false;
    if (key != 0) Key(pass, message, key);

    // Steering: the turn this frame that points the direction of travel at the aim point, gently.
    const TPoint aim = AimPoint({car.PosX, car.PosY});
    const double want = std::atan2(-(aim.X - car.PosX), aim.Y - car.PosY) * 180.0 / M_PI;
    double error = std::fmod(want - car.WheelAngle, 360.0);
    if (error > 180) error -= 360;
    if (error < -180) error += 360;
    const double wanted = error * 0.04;
    int best = 0;
    double bestMiss = std::fabs(SteeringAfter(car.Steering, 0, fps) - wanted);
    for (int delta = -300; delta <= 300; delta++) {
        const double miss = std::fabs(SteeringAfter(car.Steering, delta, fps) - wanted);
        if (miss < bestMiss - 1e-12) best = delta, bestMiss = miss;
    }
    if (best != 0) {
        CursorX += best;
        HeadlessSetCursorX(CursorX);
        Say(pass, "mouse", CursorX);
    }
}

void AfterCopy(uint64_t, const TCanvas*, void*) {}

} // namespace

int main(int argc, char** argv) {
    int64_t passes = 0;
    THeadlessPassMs passMs{};
    if (argc < 4 || !ParseWholeNumber(argv[1], std::strlen(argv[1]), 3, MostPasses, &passes) ||
        !ParsePassMs(argv[2], &passMs)) {
        std::fprintf(stderr, "usage: tramolo-lapdriver PASSES PASS-MS KMH... > script\n");
        return 2;
    }
    std::printf(
        "# A race round the ring: the up arrow and the mouse keep the car on the road's middle, lap by\n"
        "# lap at km/h");
    for (int i = 3; i < argc; i++) {
        const double kmh = std::atof(argv[i]);
        if (!(kmh > 10 && kmh < 1000)) {
            std::fprintf(stderr, "tramolo-lapdriver: '%s' is no speed from 10 to 1000 km/h\n", argv[i]);
            return 2;
        }
        LapKmh.push_back(kmh);
        std::printf(" %s", argv[i]);
    }
    std::printf(". Made by tramolo-lapdriver; replay: tramolo-sim --pass-ms %s --input FILE\n", argv[2]);
    BuildRoad();
    SelectPlatform(HeadlessBackend());
    HeadlessConfigure(100000, passMs, 0, (uint64_t)passes);
    HeadlessSetHooks(BeforePoll, AfterCopy, nullptr);
    ProgramMain();
    const TActor& car = Actors[(size_t)CurrentActor];
    std::fprintf(stderr, "tramolo-lapdriver: %llu passes, lap %d, damage %d\n", (unsigned long long)LastPass,
                 (int)car.Laps, (int)car.Damage);
    return 0;
}
