// The page's keys: every browser key name gives the code the real window gives for the same physical key
// (SDL's scancodes are the USB usage ids the browser's key names stand for), and the page holds back the
// browser's own action of exactly the keys the game reads.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"
#include "platform/Platform.h"
#include "platform/sdl/KeyMap.h"
#include "platform/web/DomKeys.h"
#include "replay/Trace.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"

namespace {

// Each browser key name with the USB usage id of its key; the ranges (letters, digits, keypad digits,
// F1 to F12) are added below. "F13" and "AudioVolumeMute" have no code in either map.
constexpr char NamedKeys[] = R"(
    Enter 40 Escape 41 Backspace 42 Tab 43 Space 44 Minus 45 Equal 46 BracketLeft 47 BracketRight 48
    Backslash 49 Semicolon 51 Quote 52 Backquote 53 Comma 54 Period 55 Slash 56 CapsLock 57 PrintScreen 70
    ScrollLock 71 Pause 72 Insert 73 Home 74 PageUp 75 Delete 76 End 77 PageDown 78 ArrowRight 79
    ArrowLeft 80 ArrowDown 81 ArrowUp 82 NumLock 83 NumpadDivide 84 NumpadMultiply 85 NumpadSubtract 86
    NumpadAdd 87 NumpadEnter 88 Numpad0 98 NumpadDecimal 99 IntlBackslash 100 ContextMenu 101 F13 104
    AudioVolumeMute 127 ControlLeft 224 ShiftLeft 225 AltLeft 226 MetaLeft 227 ControlRight 228
    ShiftRight 229 AltRight 230 MetaRight 231 Unidentified 0)";

std::vector<std::pair<std::string, int32_t>> EveryNamedKey() {
    std::vector<std::pair<std::string, int32_t>> keys;
    std::istringstream named(NamedKeys);
    std::string code;
    for (int32_t usage = 0; named >> code >> usage;)
        keys.emplace_back(code, usage);
    for (int32_t i = 0; i < 26; i++)
        keys.emplace_back(std::string("Key") + (char)('A' + i), 4 + i);
    for (int32_t i = 1; i <= 9; i++) {
        keys.emplace_back("Digit" + std::to_string(i), 29 + i);
        keys.emplace_back("Numpad" + std::to_string(i), 88 + i);
    }
    keys.emplace_back("Digit0", 39);
    for (int32_t i = 1; i <= 12; i++)
        keys.emplace_back("F" + std::to_string(i), 57 + i);
    return keys;
}

TEST(DomKeys, EveryKeyGivesTheCodeOfTheRealWindow) {
    for (const auto& [code, usage] : EveryNamedKey())
        EXPECT_EQ(VirtualKeyFromDomKey(code.c_str(), ""), VirtualKeyFromScancode(usage)) << code;
    // Letters follow the layout (either case, as Shift gives it); the keypad its place, whatever Num Lock
    // makes of it; any other character the physical key.
    EXPECT_EQ(VirtualKeyFromDomKey("KeyZ", "y"), VirtualKeyFromKey(29, 'y'));
    EXPECT_EQ(VirtualKeyFromDomKey("KeyW", "W"), 'W');
    EXPECT_EQ(VirtualKeyFromDomKey("Numpad8", "ArrowUp"), 104);
    EXPECT_EQ(VirtualKeyFromDomKey("KeyW", "\xD1\x86"), 'W'); // a Cyrillic layout's letter
    EXPECT_EQ(VirtualKeyFromDomKey("Digit1", "&"), '1');
}

// The trace line of the state the game is in, without LastKey, which any key sets.
std::string StateLine() {
    static TTraceWriter trace;
    TraceStart(&trace, nullptr);
    LastKey = 0;
    TraceWritePass(&trace, 0);
    return std::string(trace.Buffer, trace.Length);
}

int32_t HeldKey;

// ENTER into a race, then the key held from pass 4 on.
void RaceThenKey(uint64_t pass, void*) {
    if (pass == 1) PostWindowMessage(WmKeyDown, 13);
    if (pass == 2) PostWindowMessage(WmKeyUp, 13);
    if (pass == 4 && HeldKey >= 0) PostWindowMessage(WmKeyDown, (uint32_t)HeldKey);
}

std::string RaceWithKey(int32_t key) {
    ClearGameState();
    ResetPlatformState();
    SelectPlatform(HeadlessBackend());
    HeadlessConfigure(100000, THeadlessPassMs{10, 0}, 0, 8);
    HeadlessSetHooks(RaceThenKey, nullptr, nullptr);
    HeldKey = key;
    ProgramMain();
    HeadlessSetHooks(nullptr, nullptr, nullptr);
    return StateLine();
}

TEST(DomKeys, ThePageHoldsBackExactlyTheKeysTheGameReads) {
    const std::string untouched = RaceWithKey(-1);
    for (int32_t key = 1; key < 256; key++)
        EXPECT_EQ(GameReadsKey(key), RaceWithKey(key) != untouched) << "key " << key;
}

} // namespace
