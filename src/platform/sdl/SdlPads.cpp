// Gamepads on SDL (SdlPads.h): one slot a pad, opened when SDL says it was plugged in (SDL says so at the
// start for those already there), closed when pulled out, read by their standard layout's names.
#include "platform/sdl/SdlPads.h"

static bool Started;
static SDL_GameController* Pads[MostPads];
static TPadState States[MostPads];
static TPadMapper Mapper;

void SdlPadsStart(const TPadSettings& settings) {
    PadMapperStart(&Mapper, settings);
    if (Started) return;
    // SDL's own state of each pad follows it whatever window has the focus; SdlPadsRead decides.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    Started = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

static void SdlClosePad(int32_t slot) {
    if (Pads[slot] != nullptr) SDL_GameControllerClose(Pads[slot]);
    Pads[slot] = nullptr;
    States[slot] = TPadState{};
}

void SdlPadsStop() {
    for (int32_t slot = 0; slot < MostPads; slot++)
        SdlClosePad(slot);
    if (Started) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    Started = false;
    PadMapperStart(&Mapper, TPadSettings{});
}

static int32_t SdlSlotOf(SDL_JoystickID instance) {
    for (int32_t slot = 0; slot < MostPads; slot++) {
        if (Pads[slot] != nullptr &&
            SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(Pads[slot])) == instance)
            return slot;
    }
    return -1;
}

// A pad plugged in takes the first free slot; one already open (SDL may announce a pad twice) keeps its own.
static void SdlOpenPad(int32_t deviceIndex) {
    if (SdlSlotOf(SDL_JoystickGetDeviceInstanceID(deviceIndex)) >= 0) return;
    for (int32_t slot = 0; slot < MostPads; slot++) {
        if (Pads[slot] != nullptr) continue;
        Pads[slot] = SDL_GameControllerOpen(deviceIndex);
        return;
    }
}

bool SdlPadsTakeEvent(const SDL_Event& event) {
    if (!Started) return false;
    if (event.type == SDL_CONTROLLERDEVICEADDED) {
        SdlOpenPad(event.cdevice.which);
        return true;
    }
    if (event.type == SDL_CONTROLLERDEVICEREMOVED) {
        const int32_t slot = SdlSlotOf(event.cdevice.which);
        if (slot >= 0) SdlClosePad(slot);
        return true;
    }
    return false;
}

static uint32_t SdlButtons(SDL_GameController* pad) {
    constexpr struct {
        SDL_GameControllerButton Button;
        uint32_t Bit;
    } buttons[] = {
        {SDL_CONTROLLER_BUTTON_A, PadA},
        {SDL_CONTROLLER_BUTTON_B, PadB},
        {SDL_CONTROLLER_BUTTON_X, PadX},
        {SDL_CONTROLLER_BUTTON_Y, PadY},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, PadLeftShoulder},
        {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, PadRightShoulder},
        {SDL_CONTROLLER_BUTTON_BACK, PadBack},
        {SDL_CONTROLLER_BUTTON_START, PadStart},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, PadUp},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PadDown},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PadLeft},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PadRight},
    };
    uint32_t held = 0;
    for (const auto& button : buttons)
        if (SDL_GameControllerGetButton(pad, button.Button) != 0) held |= button.Bit;
    return held;
}

TPadChanges SdlPadsRead(bool focused) {
    for (int32_t slot = 0; slot < MostPads; slot++) {
        SDL_GameController* pad = Pads[slot];
        if (pad != nullptr && !SDL_GameControllerGetAttached(pad)) SdlClosePad(slot);
        if (Pads[slot] == nullptr || !focused) {
            States[slot] = TPadState{};
            continue;
        }
        States[slot].Connected = true;
        States[slot].StickX = PadAxis(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX));
        States[slot].LeftTrigger =
            PadTrigger(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT), 32767);
        States[slot].RightTrigger =
            PadTrigger(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT), 32767);
        States[slot].Buttons = SdlButtons(pad);
    }
    return MapPads(&Mapper, States, MostPads);
}

void SdlPadsMoveCursor(TPoint* point) {
    MovePadCursor(Mapper, point);
}
