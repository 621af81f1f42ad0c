// The message queue every backend shares, flooded: a full queue drops what changes the least, and never a
// key-up that releases a key, a close request or the quit message.
#include <gtest/gtest.h>

#include <vector>

#include "platform/Platform.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"

namespace {

constexpr uint32_t KeyUp = 38, KeyA = 65;

class MessageQueue : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ResetPlatformState();
    }
    // Takes every queued message into the window procedure, as the frame loop would over many passes;
    // returns how many closes and quits came through.
    static int32_t TakeAll() {
        int32_t closesAndQuits = 0;
        TMsg msg{};
        while (Win::PeekMessageA(&msg) != 0) {
            if (msg.message == WmClose || msg.message == WmQuit) closesAndQuits++;
            WindowProc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
        }
        return closesAndQuits;
    }
};

std::vector<uint32_t> Tapped;
void Tap(const TMsg& msg, void* context) {
    Tapped.push_back(msg.message);
    *(int*)context += 1;
}

TEST_F(MessageQueue, TheTapSeesEveryPostedMessageDroppedOrNotButNotTheGamesQuit) {
    Tapped.clear();
    int calls = 0;
    SetMessageTap(Tap, &calls);
    for (int32_t i = 0; i < MessageQueueCapacity; i++)
        Win::PostQuitMessage(0); // a full queue of messages that must be kept, none of them tapped
    EXPECT_EQ(PostWindowMessage(WmKeyDown, KeyA), 0);
    EXPECT_EQ(PostWindowMessage(WmClose, 0), 0);
    EXPECT_EQ(Tapped, (std::vector<uint32_t>{WmKeyDown, WmClose}));
    EXPECT_EQ(calls, 2);
    ResetPlatformState();
    PostWindowMessage(WmKeyUp, KeyA);
    EXPECT_EQ(calls, 2) << "the reset removes the tap";
}

TEST_F(MessageQueue, AFloodOfAutoRepeatsNeverCostsTheKeyUpBehindIt) {
    // Up held while A auto-repeats far beyond the queue's size; then Up is let go.
    EXPECT_EQ(PostWindowMessage(WmKeyDown, KeyUp), 1);
    for (int i = 0; i < 3 * MessageQueueCapacity; i++)
        PostWindowMessage(WmKeyDown, KeyA);
    EXPECT_EQ(PostWindowMessage(WmKeyUp, KeyUp), 1);
    EXPECT_LE(MessageQueueLength(), MessageQueueCapacity);
    TakeAll();
    EXPECT_EQ(KeyState[KeyUp], 0); // released: no throttle with no key down
    EXPECT_EQ(KeyState[KeyA], -1); // still held: dropping its repeats changed nothing
    const TMessageQueueDrops drops = MessageQueueDrops();
    EXPECT_GT(drops.Unchanging, (uint64_t)MessageQueueCapacity);
    EXPECT_EQ(drops.Presses, 0u);
    EXPECT_EQ(drops.Kept, 0u);
}

TEST_F(MessageQueue, AFloodOfTypedKeysDropsWholePressesButNeverAReleaseOrTheClose) {
    // xdotool's "keydown Up; type 15000 letters; keyup Up", then the window's close request.
    PostWindowMessage(WmKeyDown, KeyUp);
    for (int i = 0; i < 15000; i++) {
        const uint32_t letter = KeyA + (uint32_t)(i % 26);
        PostWindowMessage(WmKeyDown, letter);
        PostWindowMessage(WmKeyUp, letter);
    }
    EXPECT_EQ(PostWindowMessage(WmKeyUp, KeyUp), 1);
    EXPECT_EQ(PostWindowMessage(WmClose, 0), 1);
    // Up went down before the flood and is released after it: taken in between, it is still down.
    TMsg first{};
    ASSERT_NE(Win::PeekMessageA(&first), 0);
    EXPECT_EQ(first.message, WmKeyDown);
    EXPECT_EQ(first.wParam, KeyUp);
    WindowProc(first.hwnd, first.message, first.wParam, first.lParam);
    EXPECT_EQ(TakeAll(), 1);
    for (uint32_t key = 0; key < 256; key++)
        EXPECT_EQ(KeyState[key], 0) << "key " << key << " stays down with no key down";
    const TMessageQueueDrops drops = MessageQueueDrops();
    EXPECT_GT(drops.Presses, 10000u);
    EXPECT_EQ(drops.Kept, 0u);
}

TEST_F(MessageQueue, AKeyUpBehindAFullQueueOfPressesKeepsTheOrderOfWhatIsLeft) {
    // A held, then presses of B and C filling the queue, then A let go and pressed again.
    PostWindowMessage(WmKeyDown, KeyA);
    for (int i = 0; i < MessageQueueCapacity; i++)
        PostWindowMessage(i % 2 == 0 ? WmKeyDown : WmKeyUp, 66 + (uint32_t)(i / 2 % 2));
    PostWindowMessage(WmKeyUp, KeyA);
    PostWindowMessage(WmKeyDown, KeyA);
    // What is left still pairs every press: each key-down before its key-up.
    int32_t down[256] = {};
    TMsg msg{};
    while (Win::PeekMessageA(&msg) != 0) {
        if (msg.message == WmKeyDown) {
            EXPECT_EQ(down[msg.wParam], 0) << "a second key-down of " << msg.wParam;
            down[msg.wParam] = 1;
        } else {
            EXPECT_EQ(down[msg.wParam], 1) << "a key-up of " << msg.wParam << " before its key-down";
            down[msg.wParam] = 0;
        }
        WindowProc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    }
    EXPECT_EQ(KeyState[KeyA], -1);
    EXPECT_EQ(KeyState[66], 0);
    EXPECT_EQ(KeyState[67], 0);
}

TEST_F(MessageQueue, TheQuitMessageFindsRoomInAQueueFullOfKeys) {
    for (int i = 0; i < MessageQueueCapacity + 100; i++)
        PostWindowMessage(i % 2 == 0 ? WmKeyDown : WmKeyUp, KeyA);
    Win::PostQuitMessage(0);
    EXPECT_EQ(TakeAll(), 1);
    EXPECT_EQ(MessageQueueDrops().Kept, 0u);
}

TEST_F(MessageQueue, BelowItsSizeEveryMessageIsKeptAutoRepeatsIncluded) {
    for (int i = 0; i < 10; i++)
        EXPECT_EQ(PostWindowMessage(WmKeyDown, 13), 1);
    EXPECT_EQ(MessageQueueLength(), 10);
    const TMessageQueueDrops drops = MessageQueueDrops();
    EXPECT_EQ(drops.Unchanging + drops.Presses + drops.Kept, 0u);
}

} // namespace
