// The order of the sixteen frame steps, as the player sees it: the camera follows the car moved in the same
// pass, the outline and probe lines are those of the positions the pass leaves, the checkpoint count sees the
// pass's own surface test, a wall contact undoes the pass's own move, the display shows the message the last
// step of the pass wrote (a game over included) over the scene, and the frame is the picture of the state the
// pass ended with. In the line view each step draws over what the earlier ones drew.
// Every test runs whole passes of the game's own loop on the headless platform; none calls a step itself
// except to compare what a pass left with what the steps make of it afterwards.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dynamics/Dynamics.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/Platform.h"
#include "scene/Scene.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"
#include "world/Texts.h"
#include "world/World.h"

namespace {

// A key message the tests post before a pass's poll.
struct TKey {
    uint64_t Pass;
    uint32_t Message;
    uint32_t Vk;
};

// The race that crashes into the obstacle in cell 62 and ends in a game over (the scripted race's).
const std::vector<TKey> CrashRace = {
    {1, WmKeyDown, 13},    {2, WmKeyUp, 13},    {3, WmKeyDown, 38},
    {980, WmKeyDown, 39},  {981, WmKeyUp, 39},  {1700, WmKeyUp, 38},
    {1701, WmKeyDown, 40}, {2000, WmKeyUp, 40}, {2001, WmKeyDown, 38},
};
constexpr uint64_t CrashMousePass = 560;
constexpr int32_t CrashMouseX = -54;

// What a test does around each pass: before its poll, and after its frame was copied.
struct TPassHooks {
    std::vector<TKey> Keys;
    void (*Before)(uint64_t pass) = nullptr;
    void (*After)(uint64_t pass, const TCanvas* frame) = nullptr;
    bool CrashMouse = false;
};
TPassHooks Hooks;

void BeforePoll(uint64_t pass, void*) {
    for (const TKey& key : Hooks.Keys) {
        if (key.Pass != pass) continue;
        PostWindowMessage(key.Message, key.Vk);
    }
    if (Hooks.CrashMouse && pass == CrashMousePass) HeadlessSetCursorX(CrashMouseX);
    if (Hooks.Before != nullptr) Hooks.Before(pass);
}

void AfterCopy(uint64_t pass, const TCanvas* frame, void*) {
    if (Hooks.After != nullptr) Hooks.After(pass, frame);
}

class FrameOrder : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ResetPlatformState();
        SelectPlatform(HeadlessBackend());
        Hooks = TPassHooks{};
    }
    void TearDown() override {
        HeadlessSetHooks(nullptr, nullptr, nullptr);
        SelectPlatform(nullptr);
        CanvasTextObserver = nullptr;
    }
    // The game's own start-up and loop for the given number of passes, 10 ms each.
    static void RunGame(uint64_t passes) {
        HeadlessConfigure(100000, THeadlessPassMs{10, 0}, 0, passes);
        HeadlessSetHooks(BeforePoll, AfterCopy, nullptr);
        ProgramMain();
    }
    static void UseCrashRace() {
        Hooks.Keys = CrashRace;
        Hooks.CrashMouse = true;
    }
};

// ---- The camera
// ---------------------------------------------------------------------------------------------

int MovingPasses;
double WorstCameraError;

TEST_F(FrameOrder, TheCameraFollowsTheCarMovedInTheSamePass) {
    // The race's chase camera stands CamOffsetY behind the car it follows: measured after each pass, from
    // where the car stands then, while the car drives up the start straight.
    MovingPasses = 0;
    WorstCameraError = 0.0;
    Hooks.Keys = {{1, WmKeyDown, 13}, {2, WmKeyUp, 13}, {3, WmKeyDown, 38}};
    Hooks.After = [](uint64_t pass, const TCanvas*) {
        const TActor& car = Actors[(size_t)CurrentActor];
        if (pass < 10 || car.StepLength < 0.1f || CameraPreset != 4) return;
        MovingPasses++;
        const double distance = std::hypot((double)CamPosX - car.PosX, (double)CamPosY - car.PosY);
        WorstCameraError = std::max(WorstCameraError, std::fabs(distance - std::fabs((double)CamOffsetY)));
    };
    RunGame(400);
    EXPECT_GT(MovingPasses, 200);
    EXPECT_LT(WorstCameraError, 0.01);
}

// ---- The collision lines ---------------------------------------------------------------------------------

int LinePassesChecked;
int LineMismatches;

std::vector<TCollisionLine> Stored(const TKollisionsLinien& list) {
    const size_t end = std::min(list.Lines.size(), (size_t)std::max(list.LineCount, 0) + 1);
    return std::vector<TCollisionLine>(list.Lines.begin(), list.Lines.begin() + (ptrdiff_t)end);
}

bool SameLines(const std::vector<TCollisionLine>& a, const std::vector<TCollisionLine>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0);
}

// What the line passes made of the positions the pass left, against what they make of them now.
void CompareLinesWithARebuild(uint64_t pass, const TCanvas*) {
    if (pass < 5) return;
    std::vector<std::vector<TCollisionLine>> before;
    for (int32_t a = 0; a < ActorCount; a++) {
        before.push_back(Stored(ProbeLines[(size_t)a]));
        before.push_back(Stored(ActorLines[(size_t)a]));
        before.push_back(Stored(QuadrantLines[(size_t)Actors[(size_t)a].QuadIndex]));
    }
    BuildProbeLines();
    BuildActorLines();
    BuildQuadrantLines();
    size_t k = 0;
    for (int32_t a = 0; a < ActorCount; a++) {
        LineMismatches += !SameLines(before[k++], Stored(ProbeLines[(size_t)a]));
        LineMismatches += !SameLines(before[k++], Stored(ActorLines[(size_t)a]));
        LineMismatches += !SameLines(before[k++], Stored(QuadrantLines[(size_t)Actors[(size_t)a].QuadIndex]));
    }
    LinePassesChecked++;
}

TEST_F(FrameOrder, TheLinesOfAPassAreThoseOfThePositionsItLeaves) {
    // The demonstration has no wall contacts, so every car ends each pass where its move put it.
    LinePassesChecked = 0;
    LineMismatches = 0;
    Hooks.After = CompareLinesWithARebuild;
    RunGame(600);
    EXPECT_EQ(LinePassesChecked, 596);
    EXPECT_EQ(LineMismatches, 0);
    ASSERT_GT(ProbeLines[0].LineCount, 0);
    ASSERT_GT(ActorLines[0].LineCount, 0);
}

// ---- Checkpoints and walls ------------------------------------------------------------------------------

int CheckpointTouches;
int CheckpointsMissed;

TEST_F(FrameOrder, TheCheckpointCountSeesThePassSurfaceTest) {
    // Whenever a pass finds a car on a way checkpoint, the same pass has counted it.
    CheckpointTouches = 0;
    CheckpointsMissed = 0;
    Hooks.After = [](uint64_t, const TCanvas*) {
        for (int32_t a = 0; a < ActorCount; a++) {
            const TActor& car = Actors[(size_t)a];
            const int32_t c = car.TouchQuad[WayCheckpointType];
            if (c <= 0 || c >= 100) continue;
            CheckpointTouches++;
            CheckpointsMissed += car.CheckpointSeen[c] != c;
        }
    };
    RunGame(3000);
    EXPECT_GT(CheckpointTouches, 50);
    EXPECT_EQ(CheckpointsMissed, 0);
}

float PoseBefore[3];
int32_t DamageBefore;
int Contacts;
int ContactsNotUndone;

TEST_F(FrameOrder, AWallContactUndoesThePassOwnMove) {
    // In the pass in which the crashing car takes damage, it ends where it stood before the pass.
    Contacts = 0;
    ContactsNotUndone = 0;
    UseCrashRace();
    Hooks.Before = [](uint64_t) {
        if (Actors.empty()) return;
        const TActor& car = Actors[0];
        PoseBefore[0] = car.PosX;
        PoseBefore[1] = car.PosY;
        PoseBefore[2] = car.AngleZ;
        DamageBefore = car.Damage;
    };
    Hooks.After = [](uint64_t pass, const TCanvas*) {
        const TActor& car = Actors[0];
        if (pass < 10 || car.Damage <= DamageBefore) return;
        Contacts++;
        ContactsNotUndone += car.PosX != PoseBefore[0] || car.PosY != PoseBefore[1];
    };
    RunGame(3200);
    EXPECT_GE(Contacts, 1);
    EXPECT_EQ(ContactsNotUndone, 0);
}

// ---- The display
// -------------------------------------------------------------------------------------------

std::string MessageDrawn;

void RecordMessage(const TCanvas*, int32_t x, int32_t y, const char* text) {
    if (x == 50 && y == 250) MessageDrawn = text;
}

// Puts car 1 on the finish line, the wrong way round, so that every pass's checkpoint count writes the
// warning into the message.
TPlacement FinishLine;
int32_t FinishCell = -1;

void FindFinishLine() {
    for (int32_t q = 0; q < QuadrantCount && FinishCell < 0; q++) {
        const TQuadrant& cell = Quadrants[(size_t)q];
        for (int32_t p = 0; p < cell.PlacementCount; p++) {
            const TPlacement& placement = cell.Placements[(size_t)p];
            if (Objects[(size_t)placement.ObjectIndex].ObjectType != 1) continue;
            FinishLine = placement;
            FinishCell = q;
        }
    }
}

void PutCarOneOnTheFinishTheWrongWay(uint64_t pass) {
    if (pass < 5) return;
    if (FinishCell < 0) FindFinishLine();
    TActor& car = Actors[1];
    const TQuadrant& cell = Quadrants[(size_t)FinishCell];
    car.PosX = (float)cell.OriginX + FinishLine.X;
    car.PosY = (float)cell.OriginY + FinishLine.Y;
    car.QuadCol = FinishCell % 10;
    car.QuadRow = FinishCell / 10;
    car.QuadPosX = FinishLine.X;
    car.QuadPosY = FinishLine.Y;
    car.QuadIndex = FinishCell;
    car.StepLength = 0.0f;
    car.FinishHandled = 0;
    car.CheckpointTally = 1;
}

int GameOverPass;
std::string MessageAtGameOver;
int32_t FinishTouchedAtGameOver;

TEST_F(FrameOrder, TheDisplayShowsTheLastMessageOfThePassAGameOverIncluded) {
    // The pass in which the player's car passes 100 damage also finds car 1 crossing the finish the wrong
    // way: the game over, written after the checkpoint count's warning, is what the display shows.
    FinishCell = -1;
    GameOverPass = 0;
    MessageAtGameOver.clear();
    UseCrashRace();
    CanvasTextObserver = RecordMessage;
    Hooks.Before = PutCarOneOnTheFinishTheWrongWay;
    Hooks.After = [](uint64_t pass, const TCanvas*) {
        if (GameOverPass != 0 || GameOverPending == 0) return;
        GameOverPass = (int)pass;
        MessageAtGameOver = MessageDrawn;
        FinishTouchedAtGameOver = Actors[1].TouchQuad[StartCheckpointType];
    };
    RunGame(3200);
    ASSERT_GT(GameOverPass, 0) << "no game over";
    EXPECT_EQ(MessageAtGameOver, std::string(TextGameOver) + "0");
    // Car 1 stood on the finish line in that pass too: its warning was written, and overwritten.
    EXPECT_EQ(FinishTouchedAtGameOver, FinishCell);
}

// The frame of a pass against the state it leaves: cleared, then the 3D view and the display drawn anew.
int FramesCompared;
int FramesDiffering;
std::vector<uint32_t> Copied;

void CompareFrameWithARedraw(uint64_t pass, const TCanvas* frame) {
    if (pass < 2) return;
    Copied.assign(frame->Pixels, frame->Pixels + (size_t)frame->Width * (size_t)frame->Height);
    CanvasFillRect(&BackBuffer, ScreenRect);
    if (CheckLineMode == 0) DrawWorldView();
    DrawHud();
    FramesCompared++;
    for (int32_t y = ScreenRect.Top; y < ScreenRect.Bottom; y++) {
        const size_t row = (size_t)y * (size_t)frame->Width;
        if (std::memcmp(&Copied[row + (size_t)ScreenRect.Left], BackBuffer.Pixels + row + ScreenRect.Left,
                        (size_t)(ScreenRect.Right - ScreenRect.Left) * sizeof(uint32_t)) != 0) {
            FramesDiffering++;
            return;
        }
    }
}

TEST_F(FrameOrder, TheFrameIsThePictureOfTheStateThePassLeaves) {
    // The crash race: the scene drawn after the wall contacts (a car bounced off the obstacle stands where
    // the contact put it back), the display drawn over the scene.
    FramesCompared = 0;
    FramesDiffering = 0;
    UseCrashRace();
    Hooks.After = CompareFrameWithARedraw;
    RunGame(2600);
    EXPECT_EQ(FramesCompared, 2599);
    EXPECT_EQ(FramesDiffering, 0);
}

TEST_F(FrameOrder, TheDisplayLiesOverTheScene) {
    // The demonstration's bird's-eye views draw the track across the display's lines.
    FramesCompared = 0;
    FramesDiffering = 0;
    Hooks.After = CompareFrameWithARedraw;
    RunGame(1200);
    EXPECT_EQ(FramesCompared, 1199);
    EXPECT_EQ(FramesDiffering, 0);
}

// ---- The line view
// -----------------------------------------------------------------------------------------

// The steps that draw in the line view, in the order in which their drawings lie one over the other.
const char* const LineViewLayers[] = {"BuildProbeLines",    "SteerComputerActors", "BuildActorLines",
                                      "BuildQuadrantLines", "TestSurfaces",        "DrawHud"};
constexpr int LayerCount = (int)(sizeof LineViewLayers / sizeof LineViewLayers[0]);

int LayerOf(const char* step) {
    for (int k = 0; k < LayerCount; k++) {
        if (std::strcmp(LineViewLayers[k], step) == 0) return k;
    }
    return -1;
}

// Runs passes as the loop does, but looks at the back buffer after every step: which layers drew each
// pixel, and which drew it last. Counts the pixels drawn by two layers (by pair) and those on which the
// lower layer's drawing is the one left.
struct TLayering {
    int Overlaps[LayerCount][LayerCount] = {};
    int WrongOnTop = 0;
};

struct TLayerPixels {
    std::vector<uint32_t> Before;  // the back buffer before the step just run
    std::vector<uint8_t> Drawn;    // by pixel: a bit for each layer that drew it in this pass
    std::vector<int8_t> Last;      // by pixel: the layer that drew it last
    std::vector<uint32_t> Touched; // the pixels any layer drew in this pass
};

void RunPassLookingAtLayers(TLayering* layering, TLayerPixels& px) {
    TMsg msg{};
    if (Win::PeekMessageA(&msg) != 0) {
        if (msg.message == WmQuit)
            Running = 0;
        else
            Win::DispatchMessageA(&msg);
    }
    Win::Sleep(2);
    CanvasFillRect(&BackBuffer, ScreenRect);
    const size_t width = (size_t)BackBuffer.Width;
    std::memcpy(px.Before.data(), BackBuffer.Pixels, px.Before.size() * sizeof(uint32_t));
    for (const TFrameStep& step : FrameSteps) {
        if (step.SkippedInLineView && CheckLineMode != 0) continue;
        step.Run();
        const int layer = LayerOf(step.Name);
        for (size_t y = 0; y < (size_t)BackBuffer.Height; y++) {
            const uint32_t* now = BackBuffer.Pixels + y * width;
            uint32_t* was = px.Before.data() + y * width;
            if (std::memcmp(now, was, width * sizeof(uint32_t)) == 0) continue;
            for (size_t x = 0; x < width; x++) {
                if (now[x] == was[x]) continue;
                was[x] = now[x];
                if (layer < 0) continue;
                const size_t p = y * width + x;
                if (px.Drawn[p] == 0) px.Touched.push_back((uint32_t)p);
                px.Drawn[p] |= (uint8_t)(1u << layer);
                px.Last[p] = (int8_t)layer;
            }
        }
    }
    for (uint32_t p : px.Touched) {
        const unsigned drawn = px.Drawn[p];
        px.Drawn[p] = 0;
        if ((drawn & (drawn - 1)) == 0) continue; // one layer only
        int top = 0;
        for (int k = 0; k < LayerCount; k++) {
            if ((drawn & (1u << k)) != 0) top = k;
        }
        for (int k = 0; k < top; k++) {
            if ((drawn & (1u << k)) != 0) layering->Overlaps[k][top]++;
        }
        layering->WrongOnTop += px.Last[p] != top;
    }
    px.Touched.clear();
}

TEST_F(FrameOrder, InTheLineViewEachStepDrawsOverTheEarlierOnes) {
    // The crash race in the line view: probe lines under the ideal lines and feelers, those under the car
    // outlines, those under the obstacles' walls (where the car hits them), those under the road outlines,
    // everything under the display.
    HeadlessConfigure(100000, THeadlessPassMs{10, 0}, 0, 1);
    DemoMode = 1;
    Message = TextWelcome;
    BuildWorld();
    WindowClass = TWindowClass{};
    WindowClass.lpfnWndProc = WindowProc;
    WindowClass.lpszClassName = WindowClassName;
    ASSERT_NE(Win::RegisterClassA(&WindowClass), 0);
    ASSERT_NE(Win::CreateWindowExA(WindowClassName, WindowTitle, ScreenWidth, ScreenHeight), 0);
    CanvasCreate(&BackBuffer, ScreenWidth, ScreenHeight);
    UseCrashRace();
    Hooks.Keys.push_back({3, WmKeyDown, 116});
    Hooks.Keys.push_back({4, WmKeyUp, 116});
    HeadlessSetHooks(BeforePoll, AfterCopy, nullptr);
    TLayering layering;
    TLayerPixels px;
    const size_t pixels = (size_t)BackBuffer.Width * (size_t)BackBuffer.Height;
    px.Before.resize(pixels);
    px.Drawn.assign(pixels, 0);
    px.Last.assign(pixels, -1);
    // Every third pass is looked at; the rest run as the loop runs them.
    for (int pass = 1; pass <= 2600 && Running != 0; pass++) {
        if (pass % 3 == 0)
            RunPassLookingAtLayers(&layering, px);
        else
            RunFramePass();
    }
    CanvasFree(&BackBuffer);
    EXPECT_EQ(CheckLineMode, 1);
    // The display's text cells stand where the line view has little to draw; that it lies over the scene is
    // a test of its own.
    for (int k = 0; k + 2 < LayerCount; k++) {
        EXPECT_GT(layering.Overlaps[k][k + 1], 0)
            << LineViewLayers[k] << " never under " << LineViewLayers[k + 1];
        std::printf("%s under %s: %d pixels\n", LineViewLayers[k], LineViewLayers[k + 1],
                    layering.Overlaps[k][k + 1]);
    }
    EXPECT_EQ(layering.WrongOnTop, 0);
}

} // namespace
