// tramolo-bench: the cost of each frame step and of a whole pass (without its 2 ms sleep), in the
// demonstration and in a race, with the 3D view and with the line view, after enough passes that the cars
// are on the track. With --window SECONDS it runs the real window and loop for that long instead, against
// a bare loop of the same sleep and window copy, and prints both rates.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/HeadlessPlatform.h"
#include "platform/Platform.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"

namespace {

constexpr uint32_t VkEnter = 13, VkF5 = 116, VkUp = 38;
constexpr uint64_t WarmUpPasses = 1500;

bool WarmRace;
bool WarmLineView;

void WarmUpKeys(uint64_t pass, void*) {
    TMsg msg{};
    msg.hwnd = GameWindowHandle();
    msg.message = WM_KEYDOWN;
    if (pass == 1 && WarmRace)
        msg.wParam = VkEnter;
    else if (pass == 3 && WarmRace)
        msg.wParam = VkUp;
    else if (pass == 5 && WarmLineView)
        msg.wParam = VkF5;
    else
        return;
    PostMessageToQueue(msg);
    if (msg.wParam != VkUp) {
        msg.message = WM_KEYUP;
        PostMessageToQueue(msg);
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
    CreateWindowExA("TramoloRace", "tramolo", ScreenWidth, ScreenHeight);
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

const char* SceneName(int scene) {
    static const char* names[] = {"demo/3d", "demo/lines", "race/3d", "race/lines"};
    return names[scene];
}

void BenchWholePass(benchmark::State& state) {
    const int scene = (int)state.range(0);
    WarmUp(scene >= 2, (scene & 1) != 0);
    for (auto _ : state) {
        RunFramePass();
        CopyToWindowSurface();
    }
    state.SetLabel(SceneName(scene));
    CanvasFree(&BackBuffer);
}

void BenchStep(benchmark::State& state) {
    const int scene = (int)state.range(0);
    const int step = (int)state.range(1);
    WarmUp(scene >= 2, (scene & 1) != 0);
    for (auto _ : state)
        FrameSteps[step].Run();
    char label[96];
    std::snprintf(label, sizeof label, "%s %s", SceneName(scene), FrameSteps[step].Name);
    state.SetLabel(label);
    CanvasFree(&BackBuffer);
}

// --window SECONDS: the real game loop against a bare loop, both in a real window.
const TPlatformBackend* Sdl;
TPlatformBackend Timed;
std::chrono::steady_clock::time_point Deadline;
uint64_t Frames;

int32_t ContinueUntilDeadline() {
    return std::chrono::steady_clock::now() < Deadline ? 1 : 0;
}
void CountingCopy(const TCanvas* frame, TRect rect) {
    Frames++;
    Sdl->CopyToWindow(frame, rect);
}

int RunWindowComparison(double seconds) {
    Sdl = SdlBackend();
    Timed = *Sdl;
    Timed.ContinueLoop = ContinueUntilDeadline;
    Timed.CopyToWindow = CountingCopy;
    SelectPlatform(&Timed);

    Frames = 0;
    auto start = std::chrono::steady_clock::now();
    Deadline = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                           std::chrono::duration<double>(seconds));
    if (ProgramMain() == 1) return 1;
    const double gameSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double gameRate = (double)Frames / gameSeconds;

    // The bare loop: poll, the same sleep, the same copy of a white frame.
    ResetPlatformState();
    SelectPlatform(&Timed);
    WindowClass.lpfnWndProc = WindowProc;
    RegisterClassA(&WindowClass);
    if (CreateWindowExA("TramoloRace", "tramolo bare loop", ScreenWidth, ScreenHeight) == 0) return 1;
    TCanvas white;
    CanvasCreate(&white, ScreenWidth, ScreenHeight);
    Frames = 0;
    start = std::chrono::steady_clock::now();
    Deadline = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                           std::chrono::duration<double>(seconds));
    TMsg msg{};
    while (ContinueUntilDeadline() != 0) {
        if (PeekMessageA(&msg) != 0 && msg.message != WM_QUIT) DispatchMessageA(&msg);
        Sleep(2);
        CopyFrameToWindow(&white, ScreenRect);
    }
    const double bareSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double bareRate = (double)Frames / bareSeconds;
    CanvasFree(&white);
    ReleaseWindowCanvas();
    std::printf("game loop: %.1f passes per second\nbare loop: %.1f passes per second\nratio: %.3f\n",
                gameRate, bareRate, bareRate > 0 ? gameRate / bareRate : 0.0);
    return 0;
}

} // namespace

BENCHMARK(BenchWholePass)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BenchStep)
    ->ArgsProduct({{0, 2}, benchmark::CreateDenseRange(0, FrameStepCount - 1, 1)})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BenchStep)->ArgsProduct({{1, 3}, {6, 7, 9, 10, 11, 15}})->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--window") == 0) {
            char* end = nullptr;
            const double seconds = i + 1 < argc ? std::strtod(argv[i + 1], &end) : 0.0;
            if (i + 1 >= argc || end == argv[i + 1] || *end != 0 || !(seconds > 0) || seconds > 3600) {
                std::fprintf(stderr, "tramolo-bench: --window needs a number of seconds from 0 to 3600\n");
                return 2;
            }
            return RunWindowComparison(seconds);
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
