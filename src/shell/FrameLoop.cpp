// The spine of the game: process start-up, the window procedure that keeps the key table, and the frame
// loop with its sixteen steps in their fixed order.
#include <cstdlib>

#include "camera/Camera.h"
#include "dynamics/Dynamics.h"
#include "records/Records.h"
#include "scene/Scene.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"
#include "world/Texts.h"
#include "world/World.h"

constexpr TFrameStep MakeStep(const char* name, void (*run)(), bool skippedInLineView) {
    return TFrameStep{name, run, skippedInLineView};
}
// Each entry is made from the function itself, so a step's name is always the name of what runs.
#define FRAME_STEP(step) MakeStep(#step, step, false)
// The 3D view: not called while the line view is on.
#define FRAME_STEP_OUTSIDE_LINE_VIEW(step) MakeStep(#step, step, true)

// One pass runs these in this order; each sees what the earlier ones wrote.
const TFrameStep FrameSteps[FrameStepCount] = {
    FRAME_STEP(MeasureFrameRate),
    FRAME_STEP(HandleInput),
    FRAME_STEP(UpdateDrivingForces),
    FRAME_STEP(ApplyResistanceAndWheels),
    FRAME_STEP(MoveActors),
    FRAME_STEP(TrackCamera),
    FRAME_STEP(BuildProbeLines),
    FRAME_STEP(SteerComputerActors),
    FRAME_STEP(AutoChangePreset),
    FRAME_STEP(BuildActorLines),
    FRAME_STEP(BuildQuadrantLines),
    FRAME_STEP(TestSurfaces),
    FRAME_STEP(CountCheckpoints),
    FRAME_STEP(HandleWallContacts),
    FRAME_STEP_OUTSIDE_LINE_VIEW(DrawWorldView),
    FRAME_STEP(DrawHud),
};

#undef FRAME_STEP
#undef FRAME_STEP_OUTSIDE_LINE_VIEW

constexpr uint32_t PassSleepMs = 2;
constexpr uint32_t RedrawOnResize = 3; // CS_HREDRAW | CS_VREDRAW

intptr_t WindowProc(int32_t hwnd, uint32_t message, uint32_t wParam, int32_t lParam) {
    switch (message) {
    case WmDestroy:
        Win::PostQuitMessage(0);
        return 0;
    case WmKeyDown:
        if (wParam < 256) {
            KeyState[wParam] = -1;
            LastKey = (int32_t)wParam;
        }
        break;
    case WmKeyUp:
        if (wParam < 256) KeyState[wParam] = 0;
        break;
    default:
        break;
    }
    return Win::DefWindowProcA(hwnd, message, wParam, lParam);
}

void StartFramePass() {
    if (Win::PeekMessageA(&Msg) != 0) {
        if (Msg.message == WmQuit) {
            Running = 0;
        } else {
            Win::TranslateMessage(&Msg);
            Win::DispatchMessageA(&Msg);
        }
    }
    Win::Sleep(PassSleepMs);
}

void FinishFramePass() {
    CanvasFillRect(&BackBuffer, ScreenRect);
    for (const TFrameStep& step : FrameSteps) {
        // The records view draws over the scene and under the display, and only while it is on.
        if (step.Run == DrawHud && RecordsViewOn()) DrawRecordsView();
        if (!(step.SkippedInLineView && CheckLineMode != 0)) step.Run();
        // The lap clock watches the state the game's logic leaves, before anything is drawn.
        if (step.Run == HandleWallContacts) TimeLaps();
    }
    CopyFrameToWindow(&BackBuffer, ScreenRect);
}

void RunFramePass() {
    StartFramePass();
    FinishFramePass();
}

bool StartProgram(int32_t* exitCode) {
    std::atexit(ReleaseGlobals);
    // Room for every text the game sets, so that setting one never allocates during a pass.
    Message.reserve(256);
    CameraPresetName.reserve(64);

    DemoMode = 1;
    Message = TextWelcome;
    BuildWorld();
    StartLapClock();

    WindowClass = TWindowClass{};
    WindowClass.style = RedrawOnResize;
    WindowClass.lpfnWndProc = WindowProc;
    WindowClass.hIcon = IdiApplication;
    WindowClass.hCursor = IdcArrow;
    WindowClass.hbrBackground = ColorMenu + 1;
    WindowClass.lpszClassName = WindowClassName;
    if (Win::RegisterClassA(&WindowClass) == 0) {
        *exitCode = 0;
        return false;
    }

    const int32_t window = Win::CreateWindowExA(WindowClassName, WindowTitle, ScreenWidth, ScreenHeight);
    // A game nobody can see is a failure: the backend has said why.
    if (window == 0) {
        *exitCode = 1;
        return false;
    }
    Win::ShowWindow(window);
    Win::UpdateWindow(window);

    CanvasCreate(&BackBuffer, ScreenWidth, ScreenHeight);
    return true;
}

bool ProgramRunning() {
    return Running != 0 && ContinueLoop() != 0;
}

int32_t EndProgram() {
    CanvasFree(&BackBuffer);
    ReleaseWindowCanvas();
    return Running == 0 ? (int32_t)Msg.wParam : 0;
}

int32_t ProgramMain() {
    int32_t exitCode = 0;
    if (!StartProgram(&exitCode)) return exitCode;
    while (ProgramRunning())
        RunFramePass();
    return EndProgram();
}
