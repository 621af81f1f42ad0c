// tramolo-bench: the cost of each frame step and of a whole pass (without its 2 ms sleep), in the
// demonstration and in a race, with the 3D view and with the line view, after enough passes that the cars
// are on the track. Every pass is set against the floor, one clear and one copy of the drawing area done
// as fast as the machine does them, measured in the same run and alternating with the passes, so the
// ratio holds from one day to the next where the microseconds do not. --check RATIO exits with 1 when a
// scene's median ratio lies above RATIO. With --window SECONDS it runs the real window and loop for that
// long instead, against a bare loop of the same sleep and window copy, and prints both rates and the CPU
// time per pass.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Backend.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/Platform.h"
#include "platform/VirtualKeys.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"

namespace {

constexpr uint64_t WarmUpPasses = 1500;

bool WarmRace;
bool WarmLineView;

// ENTER into a race and the up arrow held, or F5 into the line view.
void WarmUpKeys(uint64_t pass, void*) {
    if (pass == 1 && WarmRace) {
        PostWindowMessage(WmKeyDown, VkEnter);
        PostWindowMessage(WmKeyUp, VkEnter);
    } else if (pass == 3 && WarmRace) {
        PostWindowMessage(WmKeyDown, VkUp);
    } else if (pass == 5 && WarmLineView) {
        PostWindowMessage(WmKeyDown, VkF5);
        PostWindowMessage(WmKeyUp, VkF5);
    }
}

// Runs the game's own start-up and loop for a while, then keeps its state and a fresh back buffer.
void WarmUp(bool race, bool lineView) {
    WarmRace = race;
    WarmLineView = lineView;
    ClearGameState();
    ResetPlatformState();
    SelectPlatform(HeadlessBackend());
    HeadlessConfigure(100000, THeadlessPassMs{10, 0}, 0, WarmUpPasses);
    HeadlessSetHooks(WarmUpKeys, nullptr, nullptr);
    ProgramMain();
    // The loop ended by its pass budget; carry on with the same world, window and clock.
    HeadlessConfigure((uint32_t)TickNow, THeadlessPassMs{10, 0}, 0, UINT64_MAX);
    Win::CreateWindowExA("TramoloRace", "tramolo", ScreenWidth, ScreenHeight);
    CanvasCreate(&BackBuffer, ScreenWidth, ScreenHeight);
}

// The window's surface format on X11 is 32-bit XRGB, the canvas's own layout: the copy is a row copy.
uint32_t WindowSurface[600 * 600];

void CopyToWindowSurface() {
    const TRect r = ScreenRect;
    const int32_t width = r.Right - r.Left;
    for (int32_t y = r.Top; y < r.Bottom; y++) {
        std::memcpy(&WindowSurface[(size_t)(y - r.Top) * (size_t)width],
                    &BackBuffer.Pixels[(size_t)y * (size_t)BackBuffer.Width + (size_t)r.Left],
                    (size_t)width * sizeof(uint32_t));
    }
    benchmark::DoNotOptimize(WindowSurface);
}

// The floor of a pass: its clear and its copy and nothing else, each the fastest plain way there is. The
// clear colour, white, has four equal bytes, so a row is one memset; the copy is one memcpy a row.
void ClearAndCopyFloor() {
    const TRect r = ScreenRect;
    const size_t width = (size_t)(r.Right - r.Left);
    for (int32_t y = r.Top; y < r.Bottom; y++)
        std::memset(&BackBuffer.Pixels[(size_t)y * (size_t)BackBuffer.Width + (size_t)r.Left], 0xFF,
                    width * sizeof(uint32_t));
    CopyToWindowSurface();
}

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The median floor of a few runs, for the steps, which are too short to alternate with it one by one.
double FloorSeconds() {
    constexpr int Runs = 31;
    double seconds[Runs];
    for (double& s : seconds) {
        const Clock::time_point start = Clock::now();
        ClearAndCopyFloor();
        s = SecondsSince(start);
    }
    std::nth_element(seconds, seconds + Runs / 2, seconds + Runs);
    return seconds[Runs / 2];
}

constexpr int SceneCount = 4;

const char* SceneName(int scene) {
    static const char* names[SceneCount] = {"demo/3d", "demo/lines", "race/3d", "race/lines"};
    return names[scene];
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Each iteration runs the floor and then a whole pass, timed apart: both see the same machine at the same
// moment. The benchmark's time is the pass's; the counter "ratio" is the median pass over the median floor,
// so that a pass or a floor cut into by another process on this shared machine does not move it.
void BenchWholePass(benchmark::State& state) {
    const int scene = (int)state.range(0);
    WarmUp(scene >= 2, (scene & 1) != 0);
    std::vector<double> floors;
    std::vector<double> passes;
    const size_t expected = (size_t)std::min<benchmark::IterationCount>(state.max_iterations, 1 << 20);
    floors.reserve(expected);
    passes.reserve(expected);
    for (auto _ : state) {
        const Clock::time_point floorStart = Clock::now();
        ClearAndCopyFloor();
        const Clock::time_point passStart = Clock::now();
        RunFramePass();
        CopyToWindowSurface();
        const double pass = SecondsSince(passStart);
        floors.push_back(std::chrono::duration<double>(passStart - floorStart).count());
        passes.push_back(pass);
        state.SetIterationTime(pass);
    }
    const double floor = Median(floors);
    state.counters["pass_us"] = Median(passes) * 1e6;
    state.counters["floor_us"] = floor * 1e6;
    state.counters["ratio"] = floor > 0 ? Median(passes) / floor : 0;
    state.SetLabel(SceneName(scene));
    CanvasFree(&BackBuffer);
}

// The thread's CPU time: a step is too short to time one by one, and the loop's wall time on this shared
// machine includes whatever else ran meanwhile.
double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

// One step, with the floor measured just before and after it: "of_floor" is the step's share of it.
void BenchStep(benchmark::State& state) {
    const int scene = (int)state.range(0);
    const int step = (int)state.range(1);
    WarmUp(scene >= 2, (scene & 1) != 0);
    const double floorBefore = FloorSeconds();
    const double start = ThreadCpuSeconds();
    for (auto _ : state)
        FrameSteps[step].Run();
    const double stepSeconds =
        (ThreadCpuSeconds() - start) / (double)std::max<benchmark::IterationCount>(1, state.iterations());
    const double floorSeconds = (floorBefore + FloorSeconds()) / 2;
    state.counters["of_floor"] = floorSeconds > 0 ? stepSeconds / floorSeconds : 0;
    char label[96];
    std::snprintf(label, sizeof label, "%s %s", SceneName(scene), FrameSteps[step].Name);
    state.SetLabel(label);
    CanvasFree(&BackBuffer);
}

// Keeps the ratio of every repetition of every scene's whole pass while the console shows the runs.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    explicit RatioReporter(OutputOptions options) : ConsoleReporter(options) {}

    std::vector<double> Ratios[SceneCount];
    std::vector<double> PassMicros[SceneCount];
    std::vector<double> FloorMicros[SceneCount];

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            if (run.run_name.function_name != "BenchWholePass") continue;
            for (int scene = 0; scene < SceneCount; scene++) {
                if (run.report_label != SceneName(scene)) continue;
                Ratios[scene].push_back(run.counters.at("ratio").value);
                FloorMicros[scene].push_back(run.counters.at("floor_us").value);
                PassMicros[scene].push_back(run.counters.at("pass_us").value);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

// The table of every scene measured; returns how many scenes lie above limit (when limit > 0).
int PrintRatios(const RatioReporter& reporter, double limit) {
    int above = 0;
    bool any = false;
    for (const std::vector<double>& ratios : reporter.Ratios)
        any = any || !ratios.empty();
    if (!any) return 0;
    std::printf("\n%-11s %8s %10s %10s %12s\n", "scene", "ratio", "pass us", "floor us", "repetitions");
    for (int scene = 0; scene < SceneCount; scene++) {
        if (reporter.Ratios[scene].empty()) continue;
        const double ratio = Median(reporter.Ratios[scene]);
        const bool over = limit > 0 && ratio > limit;
        above += over ? 1 : 0;
        std::printf("%-11s %8.2f %10.1f %10.1f %12zu%s\n", SceneName(scene), ratio,
                    Median(reporter.PassMicros[scene]), Median(reporter.FloorMicros[scene]),
                    reporter.Ratios[scene].size(), over ? "   above the limit" : "");
    }
    return above;
}

// --window SECONDS: the real game loop against a bare loop, both in a real window. Rates and CPU time are
// counted from the first frame on, so that neither the start-up nor the window's creation weighs in.
const TPlatformBackend* Sdl;
TPlatformBackend Timed;
Clock::time_point Deadline;
uint64_t Frames;
Clock::time_point FirstFrameTime;
double FirstFrameCpu;
double FirstFrameThreadCpu;

// User and system time so far of the whole process (RUSAGE_SELF: the window system's helper threads
// included) or of the game's own thread (RUSAGE_THREAD).
double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return (double)(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           (double)(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

int32_t ContinueUntilDeadline() {
    return Clock::now() < Deadline ? 1 : 0;
}
void CountingCopy(const TCanvas* frame, TRect rect) {
    Sdl->CopyToWindow(frame, rect);
    if (++Frames == 1) {
        FirstFrameTime = Clock::now();
        FirstFrameCpu = CpuSeconds(RUSAGE_SELF);
        FirstFrameThreadCpu = CpuSeconds(RUSAGE_THREAD);
    }
}

void StartLoop(double seconds) {
    Frames = 0;
    Deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

struct TLoopFigures {
    double PassesPerSecond;
    double CpuMicrosPerPass;
    double ThreadCpuMicrosPerPass;
};

TLoopFigures LoopFigures() {
    if (Frames < 2) return {0, 0, 0};
    const double passes = (double)(Frames - 1);
    return {passes / SecondsSince(FirstFrameTime), (CpuSeconds(RUSAGE_SELF) - FirstFrameCpu) / passes * 1e6,
            (CpuSeconds(RUSAGE_THREAD) - FirstFrameThreadCpu) / passes * 1e6};
}

int RunWindowComparison(double seconds) {
    Sdl = WindowBackend();
    Timed = *Sdl;
    Timed.ContinueLoop = ContinueUntilDeadline;
    Timed.CopyToWindow = CountingCopy;
    SelectPlatform(&Timed);
    StartLoop(seconds);
    if (ProgramMain() == 1) return 1;
    const TLoopFigures game = LoopFigures();

    // The bare loop: poll, the same sleep, the same copy of a white frame.
    ResetPlatformState();
    SelectPlatform(&Timed);
    WindowClass.lpfnWndProc = WindowProc;
    Win::RegisterClassA(&WindowClass);
    if (Win::CreateWindowExA("TramoloRace", "tramolo bare loop", ScreenWidth, ScreenHeight) == 0) return 1;
    TCanvas white;
    CanvasCreate(&white, ScreenWidth, ScreenHeight);
    StartLoop(seconds);
    TMsg msg{};
    while (ContinueUntilDeadline() != 0) {
        if (Win::PeekMessageA(&msg) != 0 && msg.message != WmQuit) Win::DispatchMessageA(&msg);
        Win::Sleep(2);
        CopyFrameToWindow(&white, ScreenRect);
    }
    const TLoopFigures bare = LoopFigures();
    CanvasFree(&white);
    ReleaseWindowCanvas();
    std::printf(
        "game loop: %.1f passes per second, CPU per pass %.1f us (process), %.1f us (game thread)\n"
        "bare loop: %.1f passes per second, CPU per pass %.1f us (process), %.1f us (game thread)\n"
        "game against bare: %.3f of the rate, %+.1f us CPU per pass (process), %+.1f us (game thread)\n",
        game.PassesPerSecond, game.CpuMicrosPerPass, game.ThreadCpuMicrosPerPass, bare.PassesPerSecond,
        bare.CpuMicrosPerPass, bare.ThreadCpuMicrosPerPass,
        bare.PassesPerSecond > 0 ? game.PassesPerSecond / bare.PassesPerSecond : 0.0,
        game.CpuMicrosPerPass - bare.CpuMicrosPerPass,
        game.ThreadCpuMicrosPerPass - bare.ThreadCpuMicrosPerPass);
    return 0;
}

} // namespace

BENCHMARK(BenchWholePass)->DenseRange(0, SceneCount - 1)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BenchStep)
    ->ArgsProduct({{0, 2}, benchmark::CreateDenseRange(0, FrameStepCount - 1, 1)})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BenchStep)->ArgsProduct({{1, 3}, {6, 7, 9, 10, 11, 15}})->Unit(benchmark::kMicrosecond);

// A number from the command line in (0, most]; false when the text is not one.
bool ParsePositive(const char* text, double most, double* value) {
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return end != text && *end == 0 && *value > 0 && *value <= most;
}

int main(int argc, char** argv) {
    // --check RATIO runs the whole passes (5 repetitions unless told otherwise) and judges their medians.
    double limit = 0;
    bool filterGiven = false;
    bool repetitionsGiven = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; i++) {
        if (std::strcmp(argv[i], "--window") == 0) {
            double seconds = 0;
            if (i + 1 >= argc || !ParsePositive(argv[i + 1], 3600, &seconds)) {
                std::fprintf(stderr, "tramolo-bench: --window needs a number of seconds from 0 to 3600\n");
                return 2;
            }
            return RunWindowComparison(seconds);
        }
        if (std::strcmp(argv[i], "--check") == 0) {
            if (i + 1 >= argc || !ParsePositive(argv[i + 1], 1000, &limit)) {
                std::fprintf(stderr, "tramolo-bench: --check needs a ratio above 0\n");
                return 2;
            }
            i++;
            continue;
        }
        filterGiven = filterGiven || std::strncmp(argv[i], "--benchmark_filter=", 19) == 0;
        repetitionsGiven = repetitionsGiven || std::strncmp(argv[i], "--benchmark_repetitions=", 24) == 0;
        args.push_back(argv[i]);
    }
    static char filter[] = "--benchmark_filter=BenchWholePass";
    static char repetitions[] = "--benchmark_repetitions=5";
    if (limit > 0 && !filterGiven) args.push_back(filter);
    if (limit > 0 && !repetitionsGiven) args.push_back(repetitions);
    int count = (int)args.size();
    args.push_back(nullptr);

    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;
    // Colours only for a terminal: the table is often kept in a file.
    RatioReporter reporter(isatty(STDOUT_FILENO) != 0 ? benchmark::ConsoleReporter::OO_ColorTabular
                                                      : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const int above = PrintRatios(reporter, limit);
    if (limit <= 0) return 0;
    bool measured = false;
    for (const std::vector<double>& ratios : reporter.Ratios)
        measured = measured || !ratios.empty();
    if (!measured) {
        std::fprintf(stderr, "tramolo-bench: --check measured no whole pass\n");
        return 1;
    }
    if (above > 0) {
        std::printf("%d scene(s) above %.2f times the floor\n", above, limit);
        return 1;
    }
    std::printf("every scene at most %.2f times the floor\n", limit);
    return 0;
}
