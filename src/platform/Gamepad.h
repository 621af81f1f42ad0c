// Gamepads as the game's own inputs, one mapping for every backend: each pass a backend reads its pads'
// states and hands them here; what changed becomes key messages posted into the shared queue exactly as a
// keyboard's, and the stick's optional analogue steering moves the cursor the backend's cursor slot gives.
// So the recorder writes a pad's game down like any other, and the runner replays it without a pad.
//
//   stick or pad left / right   arrow left / right (beyond the dead zone)
//   right / left trigger        arrow up / down (beyond the threshold); pad up / down the same
//   Start                       ENTER;  Back and Start together: ESC (no single button ends the game)
//   A, B, X, Y, right shoulder  F2, F3, F5, F1, F6
//
// Nothing here allocates: a pass's polling costs no memory.
#pragma once

#include <cstdint>

#include "platform/Platform.h"
#include "platform/Settings.h"

// The pads a backend reads at most, in slots 0 to MostPads - 1.
constexpr int32_t MostPads = 4;

// A pad's buttons, one bit each, named by the standard layout's places (A at the bottom of the four).
enum TPadButton : uint32_t {
    PadA = 1u << 0,
    PadB = 1u << 1,
    PadX = 1u << 2,
    PadY = 1u << 3,
    PadLeftShoulder = 1u << 4,
    PadRightShoulder = 1u << 5,
    PadBack = 1u << 6,
    PadStart = 1u << 7,
    PadUp = 1u << 8,
    PadDown = 1u << 9,
    PadLeft = 1u << 10,
    PadRight = 1u << 11,
};

// One pad as a backend read it this pass. The values come from outside: PadAxis, PadTrigger and PadFraction
// make them, clamped into range, never NaN.
struct TPadState {
    bool Connected = false;
    float StickX = 0;       // -1 full left to 1 full right
    float LeftTrigger = 0;  // 0 released to 1 pulled fully
    float RightTrigger = 0; // 0 to 1
    uint32_t Buttons = 0;   // TPadButton bits
};

// A signed axis of -32768 to 32767 (SDL, XInput) as -1 to 1.
float PadAxis(int32_t value);
// A trigger of 0 to most (SDL's 32767, XInput's 255) as 0 to 1.
float PadTrigger(int32_t value, int32_t most);
// Any number (the browser's) into low to high; NaN gives low when 0 is not in range, else 0.
float PadFraction(double value, double low, double high);

// At full deflection beyond the dead zone, the analogue steering moves the cursor this many pixels a pass:
// the mouse steering then changes the car's steering as fast as a held arrow key does.
constexpr double MostCursorPixelsPerPass = 2.5;
// A held direction or trigger lets go only once it is back this far below where it took hold, so that a
// stick resting on the edge of the dead zone does not chatter.
constexpr float PadRelease = 0.05f;

// The keys a pad gives.
constexpr int32_t PadKeyCount = 11;

// What the pads hold and where their cursor stands; one per backend.
struct TPadMapper {
    float DeadZone = 0.2f;
    float TriggerThreshold = 0.2f;
    bool AnalogueSteering = false;
    bool Held[PadKeyCount] = {};
    // Each slot's stick and triggers while held, for the release margin.
    bool StickLeft[MostPads] = {};
    bool StickRight[MostPads] = {};
    bool Gas[MostPads] = {};
    bool Brake[MostPads] = {};
    // The analogue steering's cursor: whole pixels moved so far, and the fraction of one still to come.
    int64_t CursorOffset = 0;
    double CursorFraction = 0;
};

// What one pass of the pads changes: keys let go, keys pressed (virtual-key codes, in that order), and the
// cursor's move in pixels.
struct TPadChanges {
    int32_t Ups[PadKeyCount];
    int32_t UpCount = 0;
    int32_t Downs[PadKeyCount];
    int32_t DownCount = 0;
    int32_t CursorStep = 0;
};

// A mapper holding nothing, set from the player's settings (percentages clamped to 0 to 90).
void PadMapperStart(TPadMapper* mapper, const TPadSettings& settings);
// The changes the pads of this pass make, pads being count slots (a slot not connected holds nothing, so a
// pad pulled out lets its keys go); the mapper then holds what they hold.
TPadChanges MapPads(TPadMapper* mapper, const TPadState* pads, int32_t count);
// Posts the changes' key messages through PostWindowMessage, stamped with time and pt as a key's are.
void PostPadChanges(const TPadChanges& changes, uint32_t time, TPoint pt);
// MapPads and PostPadChanges: what a backend calls once a pass.
void DrivePads(TPadMapper* mapper, const TPadState* pads, int32_t count, uint32_t time, TPoint pt);
// The cursor a backend read, moved by the analogue steering so far (saturated to the int32 range).
void MovePadCursor(const TPadMapper& mapper, TPoint* point);
