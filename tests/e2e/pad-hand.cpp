// A hand on a gamepad for pad.sh: the runner's live recording window (tramolo-sim --window --record FILE
// --trace FILE) in this process, and beside it a thread that plugs SDL's virtual joystick in while the game
// runs and plays it as a player plays a pad. The joystick becomes a game controller through a mapping in
// SDL_GAMECONTROLLERCONFIG, as a pad SDL's own database does not know would.
//
//     tramolo-pad-hand RECORDING TRACE
//
// The hand waits until the window has the keyboard (pad.sh gives it the focus), then: plugs the pad in;
// Start (ENTER, a race); the right trigger held (the gas) while the stick goes right, then left; A and Y;
// pulls the pad out while the trigger is still held; a moment later plugs it in again with the trigger
// already held (so only the pulling out can have let the gas go) and ends the game with Back and Start
// together (ESC). Exit code: the runner's.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/sim/Runner.h"

namespace {

// The joystick's shape and the mapping that makes it a pad: buttons and axes by the numbers below.
constexpr int Axes = 6, Buttons = 15, Hats = 0;
constexpr int AxisLeftX = 0, AxisLeftTrigger = 4, AxisRightTrigger = 5;
constexpr int ButtonA = 0, ButtonY = 3, ButtonBack = 4, ButtonStart = 6;
constexpr Sint16 AxisRest = -32768; // a trigger's axis at rest (SDL maps -32768..32767 to 0..32767)
constexpr char Layout[] = "tramolo test pad,a:b0,b:b1,x:b2,y:b3,back:b4,guide:b5,start:b6,leftstick:b7,"
                          "rightstick:b8,leftshoulder:b9,rightshoulder:b10,dpup:b11,dpdown:b12,dpleft:b13,"
                          "dpright:b14,leftx:a0,lefty:a1,rightx:a2,righty:a3,lefttrigger:a4,righttrigger:a5,";

SDL_Joystick* Pad;
int PadIndex = -1;

void Pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// A virtual joystick's GUID depends on its kind and name only: one attached and detached again gives the
// GUID the mapping names, without the check sum of the name in its third and fourth bytes, which mappings
// never hold.
std::string PadGuid() {
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, Axes, Buttons, Hats);
    if (index < 0) return "";
    char guid[64];
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);
    SDL_JoystickDetachVirtual(index);
    std::string text = guid;
    if (text.size() == 32) text.replace(4, 4, "0000");
    return text;
}

// Plugged in with the left trigger at rest and the right one as given, under SDL's lock so that no pass
// reads it half set.
bool PlugIn(Sint16 rightTrigger) {
    SDL_LockJoysticks();
    PadIndex = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, Axes, Buttons, Hats);
    Pad = PadIndex >= 0 ? SDL_JoystickOpen(PadIndex) : nullptr;
    if (Pad != nullptr) {
        SDL_JoystickSetVirtualAxis(Pad, AxisLeftTrigger, AxisRest);
        SDL_JoystickSetVirtualAxis(Pad, AxisRightTrigger, rightTrigger);
    }
    SDL_UnlockJoysticks();
    if (Pad == nullptr) std::fprintf(stderr, "pad-hand: cannot plug the pad in: %s\n", SDL_GetError());
    return Pad != nullptr;
}

void PullOut() {
    SDL_LockJoysticks();
    SDL_JoystickClose(Pad);
    SDL_JoystickDetachVirtual(PadIndex);
    Pad = nullptr;
    SDL_UnlockJoysticks();
}

void Axis(int axis, Sint16 value) {
    SDL_JoystickSetVirtualAxis(Pad, axis, value);
}

void Button(int button, bool down) {
    SDL_JoystickSetVirtualButton(Pad, (Uint8)button, down ? 1 : 0);
}

void Press(int button) {
    Button(button, true);
    Pause(150);
    Button(button, false);
    Pause(250);
}

void Play() {
    for (int waited = 0; SDL_GetKeyboardFocus() == nullptr; waited += 50) {
        if (waited > 120000) {
            std::fprintf(stderr, "pad-hand: the window never got the keyboard\n");
            return;
        }
        Pause(50);
    }
    Pause(300);
    if (!PlugIn(AxisRest)) return;
    Pause(500);
    Press(ButtonStart);
    Pause(500);
    Axis(AxisRightTrigger, 32767);
    Pause(1200);
    Axis(AxisLeftX, 32767);
    Pause(600);
    Axis(AxisLeftX, 0);
    Pause(300);
    Axis(AxisLeftX, -32767);
    Pause(500);
    Axis(AxisLeftX, 0);
    Press(ButtonA);
    Press(ButtonY);
    Pause(300);
    PullOut();
    Pause(700);
    if (!PlugIn(32767)) return;
    Pause(500);
    Button(ButtonBack, true);
    Pause(100);
    Button(ButtonStart, true);
    Pause(300);
    Button(ButtonStart, false);
    Button(ButtonBack, false);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tramolo-pad-hand RECORDING TRACE\n");
        return 2;
    }
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
        std::fprintf(stderr, "pad-hand: no joysticks: %s\n", SDL_GetError());
        return 1;
    }
    const std::string guid = PadGuid();
    if (guid.empty()) {
        std::fprintf(stderr, "pad-hand: no virtual joystick: %s\n", SDL_GetError());
        return 1;
    }
    // SDL reads the variable when its joysticks start: started again, it knows the pad.
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    setenv("SDL_GAMECONTROLLERCONFIG", (guid + "," + Layout).c_str(), 1);
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
        std::fprintf(stderr, "pad-hand: no joysticks: %s\n", SDL_GetError());
        return 1;
    }
    std::thread hand(Play);
    char program[] = "tramolo-sim", window[] = "--window", record[] = "--record", trace[] = "--trace";
    char* args[] = {program, window, record, argv[1], trace, argv[2], nullptr};
    const int code = RunSimulator(6, args);
    hand.join();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    return code;
}
