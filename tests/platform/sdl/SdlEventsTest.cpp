// The SDL backend's events as window messages, on SDL's dummy video driver: key codes, system keys, the
// flood of events the game never reads, one message per poll, and the close request.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Backend.h"
#include "platform/Platform.h"
#include "platform/sdl/SdlTestEvents.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"

namespace {

// SDL's numbers for the keys used here.
constexpr int32_t ScanEscape = 41, KeyEscape = 27;
constexpr int32_t ScanQ = 20, KeyQ = 'q';
constexpr int32_t ScanF10 = 67, KeyF10 = 0x40000043;
constexpr int32_t ScanKeypadEnter = 88, KeyKeypadEnter = 0x40000058;
constexpr int32_t ScanUp = 82, KeyUp = 0x40000052;
constexpr int32_t ScanA = 4, KeyA = 'a';
constexpr int32_t ScanF7 = 64, KeyF7 = 0x40000040;

class SdlEvents : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ClearGameState();
        ResetPlatformState();
        SelectPlatform(WindowBackend());
        WindowClass = TWindowClass{};
        WindowClass.lpfnWndProc = WindowProc;
        WindowClass.lpszClassName = "TramoloRace";
        ASSERT_NE(Win::RegisterClassA(&WindowClass), 0);
        window = Win::CreateWindowExA("TramoloRace", "tramolo", 600, 600);
        ASSERT_NE(window, 0);
    }
    void TearDown() override {
        ReleaseWindowCanvas();
        SelectPlatform(nullptr);
        ResetPlatformState();
        unsetenv("SDL_VIDEODRIVER");
    }
    // Takes one message as the frame loop does; false when the queue was empty.
    static bool Take(TMsg* msg) { return Win::PeekMessageA(msg) != 0; }
    int32_t window = 0;
};

TEST_F(SdlEvents, KeysBecomeKeyMessagesWithTheirVirtualKeyCodes) {
    ASSERT_TRUE(SdlPushKeyEvent(ScanEscape, KeyEscape, true, false, false));
    ASSERT_TRUE(SdlPushKeyEvent(ScanKeypadEnter, KeyKeypadEnter, true, false, false));
    ASSERT_TRUE(SdlPushKeyEvent(ScanUp, KeyUp, true, true, false)); // an auto-repeat is a key-down too
    ASSERT_TRUE(SdlPushKeyEvent(ScanUp, KeyUp, false, false, false));
    TMsg msg{};
    ASSERT_TRUE(Take(&msg));
    EXPECT_EQ(msg.message, WmKeyDown);
    EXPECT_EQ(msg.wParam, 27u);
    EXPECT_EQ(msg.hwnd, window);
    ASSERT_TRUE(Take(&msg));
    EXPECT_EQ(msg.message, WmKeyDown);
    EXPECT_EQ(msg.wParam, 13u);
    ASSERT_TRUE(Take(&msg));
    EXPECT_EQ(msg.message, WmKeyDown);
    EXPECT_EQ(msg.wParam, 38u);
    ASSERT_TRUE(Take(&msg));
    EXPECT_EQ(msg.message, WmKeyUp);
    EXPECT_EQ(msg.wParam, 38u);
    EXPECT_FALSE(Take(&msg));
}

TEST_F(SdlEvents, AltKeysAndF10AreSystemKeysTheTableNeverSees) {
    ASSERT_TRUE(SdlPushKeyEvent(ScanQ, KeyQ, true, false, true));
    ASSERT_TRUE(SdlPushKeyEvent(ScanF10, KeyF10, true, false, false));
    TMsg msg{};
    for (int i = 0; i < 2; i++) {
        ASSERT_TRUE(Take(&msg));
        EXPECT_EQ(msg.message, WmSysKeyDown);
        Win::DispatchMessageA(&msg);
    }
    EXPECT_EQ(KeyState[81], 0); // Q
    EXPECT_EQ(KeyState[121], 0);
    EXPECT_EQ(LastKey, 0);
}

TEST_F(SdlEvents, F7SwitchesTheRecordsViewAndNeverReachesTheQueue) {
    SetRecordsView(false);
    ASSERT_TRUE(SdlPushKeyEvent(ScanF7, KeyF7, true, false, false));
    ASSERT_TRUE(SdlPushKeyEvent(ScanF7, KeyF7, true, true, false)); // held: its repeats switch nothing
    ASSERT_TRUE(SdlPushKeyEvent(ScanF7, KeyF7, false, false, false));
    ASSERT_TRUE(SdlPushKeyEvent(ScanA, KeyA, true, false, false));
    TMsg msg{};
    ASSERT_TRUE(Take(&msg));
    EXPECT_EQ(msg.wParam, 65u); // the A behind it is the first message
    EXPECT_FALSE(Take(&msg));
    EXPECT_TRUE(RecordsViewOn());
    ASSERT_TRUE(SdlPushKeyEvent(ScanF7, KeyF7, true, false, true)); // with Alt too
    EXPECT_FALSE(Take(&msg));
    EXPECT_FALSE(RecordsViewOn());
}

TEST_F(SdlEvents, AFloodOfUnreadEventsNeverDelaysAKey) {
    SdlPushUnreadEvents(3000);
    ASSERT_TRUE(SdlPushKeyEvent(ScanEscape, KeyEscape, true, false, false));
    TMsg msg{};
    ASSERT_TRUE(Take(&msg)); // the very first poll brings the key
    EXPECT_EQ(msg.message, WmKeyDown);
    EXPECT_EQ(msg.wParam, 27u);
    EXPECT_EQ(MessageQueueLength(), 0);
}

TEST_F(SdlEvents, EachPollTakesOneMessage) {
    for (int i = 0; i < 3; i++)
        ASSERT_TRUE(SdlPushKeyEvent(ScanUp, KeyUp, true, i > 0, false));
    TMsg msg{};
    ASSERT_TRUE(Take(&msg));
    EXPECT_EQ(MessageQueueLength(), 2);
    ASSERT_TRUE(Take(&msg));
    ASSERT_TRUE(Take(&msg));
    EXPECT_FALSE(Take(&msg));
}

TEST_F(SdlEvents, TheCloseRequestDestroysTheWindowAndPostsTheQuitMessage) {
    ASSERT_TRUE(SdlPushCloseRequest());
    TMsg msg{};
    ASSERT_TRUE(Take(&msg));
    EXPECT_EQ(msg.message, WmClose);
    Win::DispatchMessageA(&msg);
    EXPECT_EQ(GameWindowHandle(), 0);
    ASSERT_TRUE(Take(&msg));
    EXPECT_EQ(msg.message, WmQuit);
    EXPECT_EQ(msg.wParam, 0u);
}

TEST_F(SdlEvents, AFloodOfTypedKeysLeavesNoKeyDownAndTheCloseStillArrives) {
    // Up held, 15000 letters typed as fast as a tool types them, Up let go, then the window is closed.
    ASSERT_TRUE(SdlPushKeyEvent(ScanUp, KeyUp, true, false, false));
    for (int32_t i = 0; i < 15000; i++) {
        ASSERT_TRUE(SdlPushKeyEvent(ScanA + i % 26, KeyA + i % 26, true, false, false));
        ASSERT_TRUE(SdlPushKeyEvent(ScanA + i % 26, KeyA + i % 26, false, false, false));
    }
    ASSERT_TRUE(SdlPushKeyEvent(ScanUp, KeyUp, false, false, false));
    ASSERT_TRUE(SdlPushCloseRequest());
    TMsg msg{};
    bool closed = false;
    while (Take(&msg)) {
        closed = closed || msg.message == WmClose;
        Win::DispatchMessageA(&msg);
    }
    EXPECT_TRUE(closed);
    for (int32_t key = 0; key < 256; key++)
        EXPECT_EQ(KeyState[key], 0) << "key " << key << " stays down with no key down";
    EXPECT_GT(MessageQueueDrops().Presses, 0u);
}

TEST_F(SdlEvents, ACloseRequestThatFoundNoRoomCanBeMadeAgain) {
    // A queue full of messages that must all be kept: the first request cannot be posted.
    for (int32_t i = 0; i < MessageQueueCapacity; i++)
        Win::PostQuitMessage(0);
    ASSERT_TRUE(SdlPushCloseRequest());
    TMsg msg{};
    while (Take(&msg))
        EXPECT_EQ(msg.message, WmQuit);
    EXPECT_EQ(MessageQueueDrops().Kept, 1u);
    // The window manager asks again, and this time the request gets through.
    ASSERT_TRUE(SdlPushCloseRequest());
    ASSERT_TRUE(Take(&msg));
    EXPECT_EQ(msg.message, WmClose);
}

TEST_F(SdlEvents, AViewerWindowPassesNoKeyToTheGameAndEndsOnEscOrClose) {
    ASSERT_TRUE(SdlPushKeyEvent(ScanUp, KeyUp, true, false, false));
    ASSERT_TRUE(SdlPushKeyEvent(ScanA, KeyA, true, false, false));
    EXPECT_EQ(TakeViewerEvents(), 0);
    EXPECT_EQ(TakeViewerEvents(), 0);
    ASSERT_TRUE(SdlPushKeyEvent(ScanEscape, KeyEscape, true, false, false));
    ASSERT_TRUE(SdlPushKeyEvent(ScanUp, KeyUp, false, false, false));
    EXPECT_EQ(TakeViewerEvents(), 1);
    ASSERT_TRUE(SdlPushCloseRequest());
    EXPECT_EQ(TakeViewerEvents(), 1);
    // Nothing of it reached the game's queue, and the next poll finds SDL's queue empty.
    EXPECT_EQ(MessageQueueLength(), 0);
    TMsg msg{};
    EXPECT_FALSE(Take(&msg));
}

} // namespace
