// What every backend shares: the contract that refuses a half-filled table, a key message's kind and bits,
// the close request posted once, and the cursor that stands still for a pass.
#include <gtest/gtest.h>

#include "platform/Backend.h"
#include "platform/Platform.h"
#include "platform/VirtualKeys.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

using TEmptySlot = void (*)(TPlatformBackend& backend);

TEST(BackendContract, ATableWithAnEmptySlotIsRefusedAndNamesIt) {
    const struct {
        const char* Slot;
        TEmptySlot Empty;
    } rows[] = {
        {"CreateGameWindow", [](TPlatformBackend& b) { b.CreateGameWindow = nullptr; }},
        {"ShowGameWindow", [](TPlatformBackend& b) { b.ShowGameWindow = nullptr; }},
        {"PumpEvents", [](TPlatformBackend& b) { b.PumpEvents = nullptr; }},
        {"DestroyGameWindow", [](TPlatformBackend& b) { b.DestroyGameWindow = nullptr; }},
        {"GetTickCount", [](TPlatformBackend& b) { b.GetTickCount = nullptr; }},
        {"Sleep", [](TPlatformBackend& b) { b.Sleep = nullptr; }},
        {"GetCursorPos", [](TPlatformBackend& b) { b.GetCursorPos = nullptr; }},
        {"CopyToWindow", [](TPlatformBackend& b) { b.CopyToWindow = nullptr; }},
        {"ReleaseGameWindow", [](TPlatformBackend& b) { b.ReleaseGameWindow = nullptr; }},
        {"ContinueLoop", [](TPlatformBackend& b) { b.ContinueLoop = nullptr; }},
    };
    ResetPlatformState();
    HeadlessConfigure(4321, THeadlessPassMs{10, 0}, 0, 10);
    ASSERT_TRUE(SelectPlatform(HeadlessBackend()));
    EXPECT_EQ(EmptyBackendSlot(*HeadlessBackend()), nullptr);
    for (const auto& row : rows) {
        TPlatformBackend holed = *HeadlessBackend();
        row.Empty(holed);
        ASSERT_NE(EmptyBackendSlot(holed), nullptr) << row.Slot;
        EXPECT_STREQ(EmptyBackendSlot(holed), row.Slot);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(SelectPlatform(&holed)) << row.Slot;
        EXPECT_NE(testing::internal::GetCapturedStderr().find(row.Slot), std::string::npos);
        EXPECT_EQ(Win::GetTickCount(), 4321u) << "the headless backend stays selected";
    }
    EXPECT_TRUE(SelectPlatform(nullptr));
}

TEST(BackendShared, KeyMessagesCarryTheirKindAndTheDesktopsBits) {
    const struct {
        int32_t Key;
        bool Down, Repeat, Alt;
        uint32_t Scancode;
        uint32_t Message;
        uint32_t Flags;
    } rows[] = {
        {VkUp, true, false, false, 72, WmKeyDown, 0x00480001u},
        {VkUp, true, true, false, 72, WmKeyDown, 0x40480001u},
        {VkUp, false, false, false, 72, WmKeyUp, 0xC0480001u},
        {VkEnter, true, false, true, 0x11C, WmSysKeyDown, 0x001C0001u}, // Alt held; scancode's low byte
        {VkF10, false, false, false, 0, WmSysKeyUp, 0xC0000001u},
        {VkAlt, true, false, false, 0, WmSysKeyDown, 0x00000001u},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(KeyMessage(row.Key, row.Down, row.Alt), row.Message) << row.Key;
        EXPECT_EQ((uint32_t)KeyMessageFlags(row.Down, row.Repeat, row.Scancode), row.Flags) << row.Key;
    }
}

intptr_t NoWindowProc(int32_t, uint32_t, uint32_t, int32_t) {
    return 0;
}

TEST(BackendShared, TheCloseRequestIsPostedOnceAWindowAndNeverToNone) {
    ResetPlatformState();
    HeadlessConfigure(0, THeadlessPassMs{10, 0}, 0, 10);
    SelectPlatform(HeadlessBackend());
    PostCloseRequest(0, TPoint{});
    EXPECT_EQ(MessageQueueLength(), 0) << "no window yet";
    TWindowClass windowClass{};
    windowClass.lpfnWndProc = NoWindowProc;
    ASSERT_EQ(Win::RegisterClassA(&windowClass), 1);
    ASSERT_NE(Win::CreateWindowExA("C", "t", 596, 572), 0);
    PostCloseRequest(0, TPoint{});
    PostCloseRequest(0, TPoint{});
    EXPECT_EQ(MessageQueueLength(), 1);
    ClearMessageQueue();
    ASSERT_NE(Win::CreateWindowExA("C", "t", 596, 572), 0);
    PostCloseRequest(0, TPoint{});
    EXPECT_EQ(MessageQueueLength(), 1) << "a new window takes a new request";
    SelectPlatform(nullptr);
    ResetPlatformState();
}

int32_t CursorReads;
void ReadMovingCursor(TPoint* point) {
    CursorReads++;
    *point = TPoint{100 * CursorReads, 7};
}

TEST(BackendShared, TheCursorStandsStillForAPass) {
    CursorReads = 0;
    ForgetCursorSample();
    TPoint first{}, second{};
    SampleCursor(&first, ReadMovingCursor);
    SampleCursor(&second, ReadMovingCursor);
    EXPECT_EQ(first.x, 100);
    EXPECT_EQ(second.x, 100);
    ForgetCursorSample(); // the next pass
    SampleCursor(&second, ReadMovingCursor);
    EXPECT_EQ(second.x, 200);
    EXPECT_EQ(CursorReads, 2);
}

} // namespace

namespace {

// F7 as every backend hands it over: its press switches the records view once, its repeats and its release
// change nothing, and no message of it is left for the game; any other key is the game's.
TEST(BackendShared, F7SwitchesTheRecordsViewAndIsNeverTheGames) {
    const struct {
        int32_t Key;
        bool Down;
        bool Repeat;
        bool Taken;
        bool ViewAfter;
    } rows[] = {
        {VkF7, true, false, true, true},   {VkF7, true, true, true, true},
        {VkF7, true, true, true, true},    {VkF7, false, false, true, true},
        {VkF6, true, false, false, true},  {VkF7, true, false, true, false},
        {VkF7, false, false, true, false}, {VkF11, true, false, false, false},
        {0, true, false, false, false},
    };
    SetRecordsView(false);
    for (const auto& row : rows) {
        EXPECT_EQ(TakeRecordsViewKey(row.Key, row.Down, row.Repeat), row.Taken) << row.Key;
        EXPECT_EQ(RecordsViewOn(), row.ViewAfter) << row.Key;
    }
    SetRecordsView(true);
    EXPECT_TRUE(RecordsViewOn());
    SetRecordsView(false);
}

} // namespace
