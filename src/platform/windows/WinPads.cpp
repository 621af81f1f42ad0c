// Gamepads through XInput (WinPads.h). Asking XInput for a slot with no pad costs time on some systems, so
// the empty slots are asked once a second and the pads plugged in every pass.
#define NOMINMAX
#include <windows.h>
#include <xinput.h>

#include "platform/windows/WinPads.h"

// XInput knows four pads.
constexpr DWORD XInputSlots = 4;
static_assert(XInputSlots <= (DWORD)MostPads, "every XInput slot has a pad slot of the mapping");
// How often an empty slot is asked for a pad plugged in.
constexpr uint32_t EmptySlotMs = 1000;

using TXInputGetState = DWORD(WINAPI*)(DWORD user, XINPUT_STATE* state);

static bool Loaded;
static const char* LibraryName;
static TXInputGetState GetState;
static TPadState States[MostPads];
static bool Connected[XInputSlots];
static uint32_t LastLook[XInputSlots];
static bool Looked[XInputSlots];
static TPadMapper Mapper;

// The newer library first (Windows 8 and later), then the one every Windows since Vista has.
static void WinLoadXInput() {
    if (Loaded) return;
    Loaded = true;
    for (const char* name : {"xinput1_4.dll", "xinput9_1_0.dll"}) {
        const HMODULE library = LoadLibraryA(name);
        if (library == nullptr) continue;
        GetState = reinterpret_cast<TXInputGetState>(
            reinterpret_cast<void (*)()>(GetProcAddress(library, "XInputGetState")));
        if (GetState != nullptr) {
            LibraryName = name;
            return;
        }
        FreeLibrary(library);
    }
}

void WinPadsStart(const TPadSettings& settings) {
    WinLoadXInput();
    PadMapperStart(&Mapper, settings);
    for (DWORD slot = 0; slot < XInputSlots; slot++) {
        Connected[slot] = false;
        Looked[slot] = false;
    }
}

void WinPadsStop() {
    PadMapperStart(&Mapper, TPadSettings{});
    for (TPadState& state : States)
        state = TPadState{};
}

const char* WinPadsLibrary() {
    return LibraryName;
}

static uint32_t WinButtons(WORD held) {
    constexpr struct {
        WORD Button;
        uint32_t Bit;
    } buttons[] = {
        {XINPUT_GAMEPAD_A, PadA},
        {XINPUT_GAMEPAD_B, PadB},
        {XINPUT_GAMEPAD_X, PadX},
        {XINPUT_GAMEPAD_Y, PadY},
        {XINPUT_GAMEPAD_LEFT_SHOULDER, PadLeftShoulder},
        {XINPUT_GAMEPAD_RIGHT_SHOULDER, PadRightShoulder},
        {XINPUT_GAMEPAD_BACK, PadBack},
        {XINPUT_GAMEPAD_START, PadStart},
        {XINPUT_GAMEPAD_DPAD_UP, PadUp},
        {XINPUT_GAMEPAD_DPAD_DOWN, PadDown},
        {XINPUT_GAMEPAD_DPAD_LEFT, PadLeft},
        {XINPUT_GAMEPAD_DPAD_RIGHT, PadRight},
    };
    uint32_t bits = 0;
    for (const auto& button : buttons)
        if ((held & button.Button) != 0) bits |= button.Bit;
    return bits;
}

TPadChanges WinPadsRead(bool focused, uint32_t now) {
    for (DWORD slot = 0; slot < XInputSlots; slot++) {
        States[slot] = TPadState{};
        if (GetState == nullptr) continue;
        // An empty slot is asked again only after a while; a pad once found every pass.
        if (!Connected[slot] && Looked[slot] && now - LastLook[slot] < EmptySlotMs) continue;
        XINPUT_STATE state{};
        Connected[slot] = GetState(slot, &state) == ERROR_SUCCESS;
        if (!Connected[slot]) {
            Looked[slot] = true;
            LastLook[slot] = now;
            continue;
        }
        if (!focused) continue;
        States[slot].Connected = true;
        States[slot].StickX = PadAxis(state.Gamepad.sThumbLX);
        States[slot].LeftTrigger = PadTrigger(state.Gamepad.bLeftTrigger, 255);
        States[slot].RightTrigger = PadTrigger(state.Gamepad.bRightTrigger, 255);
        States[slot].Buttons = WinButtons(state.Gamepad.wButtons);
    }
    return MapPads(&Mapper, States, MostPads);
}

void WinPadsMoveCursor(TPoint* point) {
    MovePadCursor(Mapper, point);
}
