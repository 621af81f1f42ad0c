// The key table of the real window: physical keys (SDL scancode numbers) to the game's virtual-key codes.
#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/sdl/KeyMap.h"
#include "world/DatenStruktur.h"

namespace {

// SDL's scancode numbers (USB usage ids) of the keys below.
constexpr int32_t ScanA = 4;
constexpr int32_t ScanS = 22;
constexpr int32_t ScanW = 26;
constexpr int32_t ScanY = 28;
constexpr int32_t ScanZ = 29;
constexpr int32_t Scan1 = 30;
constexpr int32_t Scan0 = 39;
constexpr int32_t ScanReturn = 40;
constexpr int32_t ScanEscape = 41;
constexpr int32_t ScanSpace = 44;
constexpr int32_t ScanMinus = 45;
constexpr int32_t ScanF1 = 58;
constexpr int32_t ScanF12 = 69;
constexpr int32_t ScanRight = 79;
constexpr int32_t ScanLeft = 80;
constexpr int32_t ScanDown = 81;
constexpr int32_t ScanUp = 82;
constexpr int32_t ScanKpDivide = 84;
constexpr int32_t ScanKpMultiply = 85;
constexpr int32_t ScanKpMinus = 86;
constexpr int32_t ScanKpPlus = 87;
constexpr int32_t ScanKpEnter = 88;
constexpr int32_t ScanKp1 = 89;
constexpr int32_t ScanKp0 = 98;
constexpr int32_t ScanKpPeriod = 99;
constexpr int32_t ScanLeftCtrl = 224;
constexpr int32_t ScanLeftShift = 225;
constexpr int32_t ScanLeftAlt = 226;
constexpr int32_t ScanVolumeUp = 128;
constexpr int32_t ScanMute = 127;

class KeyMapTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ResetPlatformState();
    }
};

TEST_F(KeyMapTest, GameKeysGetTheirCodes) {
    EXPECT_EQ(VirtualKeyFromScancode(ScanEscape), 27);
    EXPECT_EQ(VirtualKeyFromScancode(ScanReturn), 13);
    EXPECT_EQ(VirtualKeyFromScancode(ScanKpEnter), 13);
    EXPECT_EQ(VirtualKeyFromScancode(ScanLeft), 37);
    EXPECT_EQ(VirtualKeyFromScancode(ScanUp), 38);
    EXPECT_EQ(VirtualKeyFromScancode(ScanRight), 39);
    EXPECT_EQ(VirtualKeyFromScancode(ScanDown), 40);
    for (int32_t n = 0; n < 12; n++)
        EXPECT_EQ(VirtualKeyFromScancode(ScanF1 + n), 112 + n) << "F" << n + 1;
    EXPECT_EQ(VirtualKeyFromScancode(ScanF12), 123);
    EXPECT_EQ(VirtualKeyFromScancode(ScanA), 'A');
    EXPECT_EQ(VirtualKeyFromScancode(ScanZ), 'Z');
    EXPECT_EQ(VirtualKeyFromScancode(ScanS), 'S'); // brake and reverse
    EXPECT_EQ(VirtualKeyFromScancode(Scan1), '1');
    EXPECT_EQ(VirtualKeyFromScancode(Scan0), '0');
    EXPECT_EQ(VirtualKeyFromScancode(ScanSpace), 32);
    EXPECT_EQ(VirtualKeyFromScancode(ScanLeftShift), 16);
    EXPECT_EQ(VirtualKeyFromScancode(ScanLeftCtrl), 17);
    EXPECT_EQ(VirtualKeyFromScancode(ScanLeftAlt), 18);
}

TEST_F(KeyMapTest, KeypadKeysKeepTheirOwnCodes) {
    EXPECT_EQ(VirtualKeyFromScancode(ScanKp0), 96);
    for (int32_t n = 1; n <= 9; n++)
        EXPECT_EQ(VirtualKeyFromScancode(ScanKp1 + n - 1), 96 + n) << "keypad " << n;
    EXPECT_EQ(VirtualKeyFromScancode(ScanKpMinus), 109);
    EXPECT_EQ(VirtualKeyFromScancode(ScanKpPlus), 107);
    EXPECT_EQ(VirtualKeyFromScancode(ScanKpMultiply), 106);
    EXPECT_EQ(VirtualKeyFromScancode(ScanKpDivide), 111);
    EXPECT_EQ(VirtualKeyFromScancode(ScanKpPeriod), 110);
    EXPECT_EQ(VirtualKeyFromScancode(ScanMinus), 189); // the main block's minus is not the keypad's
}

TEST_F(KeyMapTest, KeysWithoutACodeAreDropped) {
    EXPECT_EQ(VirtualKeyFromScancode(0), 0);
    EXPECT_EQ(VirtualKeyFromScancode(ScanMute), 0);
    EXPECT_EQ(VirtualKeyFromScancode(ScanVolumeUp), 0);
    EXPECT_EQ(VirtualKeyFromScancode(-1), 0);
    EXPECT_EQ(VirtualKeyFromScancode(100000), 0);
}

TEST_F(KeyMapTest, LettersFollowTheLayout) {
    // A German keyboard has Z where an American one has Y.
    EXPECT_EQ(VirtualKeyFromKey(ScanY, 'z'), 'Z');
    EXPECT_EQ(VirtualKeyFromKey(ScanZ, 'y'), 'Y');
    EXPECT_EQ(VirtualKeyFromKey(ScanW, 'w'), 'W');
    // A layout without Latin letters falls back to the key's position; other keys ignore the layout.
    EXPECT_EQ(VirtualKeyFromKey(ScanW, 0x0446), 'W');
    EXPECT_EQ(VirtualKeyFromKey(ScanKp1, '1'), 97);
    EXPECT_EQ(VirtualKeyFromKey(ScanEscape, 27), 27);
}

TEST_F(KeyMapTest, AltAndF10AreSystemKeys) {
    EXPECT_TRUE(IsSystemKey(121, false)); // F10
    EXPECT_TRUE(IsSystemKey(18, false));  // Alt itself
    EXPECT_TRUE(IsSystemKey('W', true));  // any key with Alt held
    EXPECT_FALSE(IsSystemKey('W', false));
    EXPECT_FALSE(IsSystemKey(120, false)); // F9
    EXPECT_FALSE(IsSystemKey(27, false));
}

} // namespace
