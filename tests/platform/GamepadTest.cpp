// The one mapping of gamepads: pass by pass, what the pads' states hold and let go (the dead zone, both
// triggers and their threshold, the buttons, ESC only as Back and Start together, a pad pulled out while it
// holds keys), the analogue steering's cursor, the outside values made safe, and the messages posted.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "alloc/AllocCounter.h"
#include "platform/Gamepad.h"
#include "platform/Platform.h"
#include "platform/VirtualKeys.h"

namespace {

TPadState Stick(float x) {
    return TPadState{.Connected = true, .StickX = x};
}
TPadState Triggers(float left, float right) {
    return TPadState{.Connected = true, .LeftTrigger = left, .RightTrigger = right};
}
TPadState Buttons(uint32_t buttons) {
    return TPadState{.Connected = true, .Buttons = buttons};
}
const TPadState Idle{.Connected = true};
const TPadState Unplugged{};

// One pass: the pads' states (slots 0 and 1), the keys that change ("+39" down, "-39" up, in posting
// order) and the cursor's step.
struct TPass {
    std::vector<TPadState> Pads;
    std::string Keys;
    int32_t Cursor = 0;
};

std::string Describe(const TPadChanges& changes) {
    std::string text;
    for (int32_t i = 0; i < changes.UpCount; i++)
        text += (text.empty() ? "-" : " -") + std::to_string(changes.Ups[i]);
    for (int32_t i = 0; i < changes.DownCount; i++)
        text += (text.empty() ? "+" : " +") + std::to_string(changes.Downs[i]);
    return text;
}

TEST(Gamepad, PassesOfPadsHoldAndLetGoTheGamesKeys) {
    const TPadSettings defaults;
    const TPadSettings wideDeadZone{.DeadZone = 50, .TriggerThreshold = 60};
    const TPadSettings analogue{.AnalogueSteering = true};
    const TPadSettings analogueNoDeadZone{.DeadZone = 0, .AnalogueSteering = true};
    const struct {
        const char* Name;
        TPadSettings Settings;
        std::vector<TPass> Passes;
    } rows[] = {
        {"the stick beyond the dead zone, let go a little below it",
         defaults,
         {{{Stick(0.19f)}, ""},
          {{Stick(0.21f)}, "+39"},
          {{Stick(0.17f)}, ""},
          {{Stick(0.14f)}, "-39"},
          {{Stick(-0.3f)}, "+37"},
          {{Stick(0.5f)}, "-37 +39"},
          {{Idle}, "-39"}}},
        {"a wider dead zone and a higher threshold from the settings",
         wideDeadZone,
         {{{Stick(0.45f)}, ""},
          {{Stick(0.55f)}, "+39"},
          {{Triggers(0.55f, 0.55f)}, "-39"},
          {{Triggers(0.65f, 0.7f)}, "+38 +40"}}},
        {"both triggers: the right one the gas, the left one the brake",
         defaults,
         {{{Triggers(0, 0.2f)}, ""},
          {{Triggers(0, 0.25f)}, "+38"},
          {{Triggers(0.9f, 0.25f)}, "+40"},
          {{Triggers(0.9f, 0.16f)}, ""},
          {{Triggers(0.1f, 0.1f)}, "-38 -40"}}},
        {"Start is ENTER; only Back and Start together are ESC",
         defaults,
         {{{Buttons(PadStart)}, "+13"},
          {{Idle}, "-13"},
          {{Buttons(PadBack)}, ""},
          {{Buttons(PadBack | PadStart)}, "+27"},
          {{Buttons(PadBack)}, "-27"},
          {{Buttons(PadStart)}, "+13"},
          {{Buttons(PadStart | PadBack)}, "-13 +27"},
          {{Idle}, "-27"}}},
        {"face and shoulder buttons and the pad's cross",
         defaults,
         {{{Buttons(PadA)}, "+113"},
          {{Buttons(PadB)}, "-113 +114"},
          {{Buttons(PadX)}, "-114 +116"},
          {{Buttons(PadY)}, "-116 +112"},
          {{Buttons(PadRightShoulder)}, "-112 +117"},
          {{Buttons(PadLeftShoulder)}, "-117"},
          {{Buttons(PadA | PadB | PadX | PadY | PadRightShoulder)}, "+112 +113 +114 +116 +117"},
          {{Buttons(PadUp | PadLeft)}, "-112 -113 -114 -116 -117 +37 +38"},
          {{Buttons(PadDown | PadRight)}, "-37 -38 +39 +40"},
          {{Idle}, "-39 -40"}}},
        {"a pad pulled out while it holds keys lets them go",
         defaults,
         {{{TPadState{.Connected = true, .StickX = -1, .RightTrigger = 1, .Buttons = PadA}}, "+37 +38 +113"},
          {{Unplugged}, "-37 -38 -113"},
          {{TPadState{.Connected = false, .RightTrigger = 1}}, ""}}},
        {"two pads hold a key until both let it go",
         defaults,
         {{{Stick(1), Stick(0.8f)}, "+39"},
          {{Stick(1), Unplugged}, ""},
          {{Idle, Triggers(0, 1)}, "-39 +38"},
          {{}, "-38"}}},
        {"the analogue stick moves the cursor, 2.5 pixels a pass at full deflection",
         analogue,
         {{{Stick(1)}, "", 2},
          {{Stick(1)}, "", 3},
          {{Stick(1)}, "", 2},
          {{Stick(0.1f)}, "", 0},
          {{Stick(-1)}, "", -2},
          {{Stick(-1)}, "", -3},
          {{Buttons(PadRight)}, "+39", 0}}},
        {"the cursor's speed in proportion to the deflection beyond the dead zone",
         analogueNoDeadZone,
         {{{Stick(0.5f)}, "", 1},
          {{Stick(0.5f)}, "", 1},
          {{Stick(0.5f)}, "", 1},
          {{Stick(0.5f)}, "", 2},
          {{Stick(-0.25f)}, "", 0},
          {{Stick(-0.25f)}, "", -1},
          {{Idle}, "", 0}}},
        {"values from outside: NaN and out of range",
         defaults,
         {{{Stick(std::numeric_limits<float>::quiet_NaN())}, ""},
          {{TPadState{.Connected = true, .StickX = 40, .LeftTrigger = -3, .RightTrigger = 1e30f}}, "+38 +39"},
          {{Triggers(std::numeric_limits<float>::quiet_NaN(), 0)}, "-38 -39"}}},
    };
    for (const auto& row : rows) {
        TPadMapper mapper;
        PadMapperStart(&mapper, row.Settings);
        int64_t cursor = 0;
        for (size_t pass = 0; pass < row.Passes.size(); pass++) {
            const TPass& want = row.Passes[pass];
            const TPadChanges changes = MapPads(&mapper, want.Pads.data(), (int32_t)want.Pads.size());
            EXPECT_EQ(Describe(changes), want.Keys) << row.Name << ", pass " << pass + 1;
            EXPECT_EQ(changes.CursorStep, want.Cursor) << row.Name << ", pass " << pass + 1;
            cursor += changes.CursorStep;
        }
        TPoint point{100, 7};
        MovePadCursor(mapper, &point);
        EXPECT_EQ(point.x, 100 + cursor) << row.Name;
        EXPECT_EQ(point.y, 7) << row.Name;
    }
}

TEST(Gamepad, OutsideValuesAndSettingsAreClampedIntoRange) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(PadAxis(-32768), -1.0f);
    EXPECT_EQ(PadAxis(32767), 1.0f);
    EXPECT_EQ(PadAxis(0), 0.0f);
    EXPECT_EQ(PadTrigger(255, 255), 1.0f);
    EXPECT_EQ(PadTrigger(300, 255), 1.0f);
    EXPECT_EQ(PadTrigger(-5, 255), 0.0f);
    EXPECT_EQ(PadTrigger(10, 0), 0.0f);
    EXPECT_EQ(PadFraction(nan, -1, 1), 0.0f);
    EXPECT_EQ(PadFraction(nan, 0.5, 1), 0.5f);
    EXPECT_EQ(PadFraction(std::numeric_limits<double>::infinity(), -1, 1), 1.0f);
    EXPECT_EQ(PadFraction(-1e300, 0, 1), 0.0f);
    EXPECT_EQ(PadFraction(0.25, 0, 1), 0.25f);

    TPadMapper mapper;
    PadMapperStart(&mapper, TPadSettings{.DeadZone = 150, .TriggerThreshold = -4});
    EXPECT_FLOAT_EQ(mapper.DeadZone, 0.9f);
    EXPECT_FLOAT_EQ(mapper.TriggerThreshold, 0.0f);
    EXPECT_FALSE(mapper.AnalogueSteering);

    // The cursor saturates rather than wrapping, however long the stick is held.
    PadMapperStart(&mapper, TPadSettings{.AnalogueSteering = true});
    mapper.CursorOffset = 999999999;
    const TPadState right = Stick(1);
    for (int32_t i = 0; i < 4; i++)
        MapPads(&mapper, &right, 1);
    EXPECT_EQ(mapper.CursorOffset, 1000000000);
    TPoint point{INT32_MAX - 5, 0};
    MovePadCursor(mapper, &point);
    EXPECT_EQ(point.x, INT32_MAX);
}

TEST(Gamepad, ItsKeysEnterTheQueueAsAKeyboardsDo) {
    ResetPlatformState();
    std::vector<TMsg> tapped;
    SetMessageTap([](const TMsg& msg, void* to) { static_cast<std::vector<TMsg>*>(to)->push_back(msg); },
                  &tapped);
    TPadMapper mapper;
    PadMapperStart(&mapper, TPadSettings{});
    const TPadState gas = Triggers(0, 1);
    DrivePads(&mapper, &gas, 1, 1234, TPoint{50, 60});
    DrivePads(&mapper, &Unplugged, 1, 1240, TPoint{50, 60});
    ASSERT_EQ(tapped.size(), 2u);
    EXPECT_EQ(tapped[0].message, WmKeyDown);
    EXPECT_EQ(tapped[0].wParam, (uint32_t)VkUp);
    EXPECT_EQ(tapped[0].lParam, KeyMessageFlags(true, false, 0));
    EXPECT_EQ(tapped[0].time, 1234u);
    EXPECT_EQ(tapped[0].pt.x, 50);
    EXPECT_EQ(tapped[1].message, WmKeyUp);
    EXPECT_EQ(tapped[1].wParam, (uint32_t)VkUp);
    EXPECT_EQ(tapped[1].lParam, KeyMessageFlags(false, false, 0));
    EXPECT_EQ(MessageQueueLength(), 2);
    TMsg msg{};
    ASSERT_NE(Win::PeekMessageA(&msg), 0);
    EXPECT_EQ(msg.message, WmKeyDown);
    ResetPlatformState();
}

TEST(Gamepad, PassesOfPadsAllocateNothing) {
    if (!AllocationCountingAvailable()) GTEST_SKIP() << "the sanitizers' allocator cannot be counted";
    ResetPlatformState();
    TPadMapper mapper;
    PadMapperStart(&mapper, TPadSettings{.AnalogueSteering = true});
    const TPadState passes[] = {Triggers(0, 1), Stick(-1), Buttons(PadA | PadStart | PadBack), Unplugged};
    ResetAllocationCount();
    SetAllocationCounting(true);
    TMsg msg{};
    for (int32_t pass = 0; pass < 1000; pass++) {
        DrivePads(&mapper, &passes[pass % 4], 1, (uint32_t)pass, TPoint{});
        TPoint cursor{};
        MovePadCursor(mapper, &cursor);
        while (Win::PeekMessageA(&msg) != 0) {
        }
    }
    SetAllocationCounting(false);
    EXPECT_EQ(AllocationCount(), 0u);
    ResetPlatformState();
}

} // namespace
