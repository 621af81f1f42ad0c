// The one mapping of gamepads to the game's keys and cursor (Gamepad.h).
#include "platform/Gamepad.h"

#include "platform/VirtualKeys.h"

namespace {

// The keys a pad gives; an index here is a key's place in TPadMapper::Held.
// Their messages go out in this order, the codes' own.
constexpr int32_t PadKeys[PadKeyCount] = {VkEnter, VkEscape, VkLeft, VkUp, VkRight, VkDown,
                                          VkF1,    VkF2,     VkF3,   VkF5, VkF6};
enum TPadKey : int32_t {
    KeyEnter,
    KeyEscape,
    KeyLeft,
    KeyUp,
    KeyRight,
    KeyDown,
    KeyF1,
    KeyF2,
    KeyF3,
    KeyF5,
    KeyF6
};

// The face and shoulder buttons and their keys.
constexpr struct {
    uint32_t Button;
    TPadKey Key;
} ButtonKeys[] = {
    {PadA, KeyF2}, {PadB, KeyF3}, {PadX, KeyF5}, {PadY, KeyF1}, {PadRightShoulder, KeyF6},
};

// Largest cursor offset kept: far beyond any screen, far from overflowing when added to one.
constexpr int64_t MostCursorOffset = 1000000000;
constexpr int32_t MostSettingPercent = 90;

float Clamped(float value, float low, float high) {
    return PadFraction(value, low, high);
}

// Whether a value that held (or not) holds now: it takes hold beyond level and lets go at or below
// PadRelease under it.
bool Holds(bool held, float value, float level) {
    if (held) return value > level - PadRelease;
    return value > level;
}

float Fraction(int32_t percent) {
    if (percent < 0) percent = 0;
    if (percent > MostSettingPercent) percent = MostSettingPercent;
    return (float)percent / 100.0f;
}

} // namespace

float PadAxis(int32_t value) {
    return Clamped((float)value / 32767.0f, -1.0f, 1.0f);
}

float PadTrigger(int32_t value, int32_t most) {
    if (most <= 0) return 0;
    return Clamped((float)value / (float)most, 0.0f, 1.0f);
}

float PadFraction(double value, double low, double high) {
    if (value != value) return low <= 0 && high >= 0 ? 0.0f : (float)low;
    if (value < low) return (float)low;
    if (value > high) return (float)high;
    return (float)value;
}

void PadMapperStart(TPadMapper* mapper, const TPadSettings& settings) {
    *mapper = TPadMapper{};
    mapper->DeadZone = Fraction(settings.DeadZone);
    mapper->TriggerThreshold = Fraction(settings.TriggerThreshold);
    mapper->AnalogueSteering = settings.AnalogueSteering;
}

TPadChanges MapPads(TPadMapper* mapper, const TPadState* pads, int32_t count) {
    bool wanted[PadKeyCount] = {};
    double cursorSpeed = 0;
    for (int32_t slot = 0; slot < MostPads; slot++) {
        TPadState pad;
        if (slot < count && pads[slot].Connected) pad = pads[slot];
        const float x = Clamped(pad.StickX, -1.0f, 1.0f);
        const uint32_t buttons = pad.Buttons;
        // The stick holds an arrow key, or, steering as the mouse does, moves the cursor; the pad's own
        // left and right always hold the arrows.
        const bool stickKeys = !mapper->AnalogueSteering;
        mapper->StickLeft[slot] = stickKeys && Holds(mapper->StickLeft[slot], -x, mapper->DeadZone);
        mapper->StickRight[slot] = stickKeys && Holds(mapper->StickRight[slot], x, mapper->DeadZone);
        if (mapper->AnalogueSteering && (x > mapper->DeadZone || -x > mapper->DeadZone)) {
            const double beyond = ((x > 0 ? x : -x) - mapper->DeadZone) / (1.0 - mapper->DeadZone);
            cursorSpeed += (x > 0 ? beyond : -beyond) * MostCursorPixelsPerPass;
        }
        const float gas = Clamped(pad.RightTrigger, 0.0f, 1.0f);
        const float brake = Clamped(pad.LeftTrigger, 0.0f, 1.0f);
        mapper->Gas[slot] = Holds(mapper->Gas[slot], gas, mapper->TriggerThreshold);
        mapper->Brake[slot] = Holds(mapper->Brake[slot], brake, mapper->TriggerThreshold);

        wanted[KeyLeft] |= mapper->StickLeft[slot] || (buttons & PadLeft) != 0;
        wanted[KeyRight] |= mapper->StickRight[slot] || (buttons & PadRight) != 0;
        wanted[KeyUp] |= mapper->Gas[slot] || (buttons & PadUp) != 0;
        wanted[KeyDown] |= mapper->Brake[slot] || (buttons & PadDown) != 0;
        // Start alone starts or leaves a race; with Back held it is the one way to ESC.
        const bool start = (buttons & PadStart) != 0;
        const bool back = (buttons & PadBack) != 0;
        wanted[KeyEnter] |= start && !back;
        wanted[KeyEscape] |= start && back;
        for (const auto& button : ButtonKeys)
            wanted[button.Key] |= (buttons & button.Button) != 0;
    }

    TPadChanges changes;
    for (int32_t key = 0; key < PadKeyCount; key++) {
        if (mapper->Held[key] && !wanted[key]) changes.Ups[changes.UpCount++] = PadKeys[key];
        if (!mapper->Held[key] && wanted[key]) changes.Downs[changes.DownCount++] = PadKeys[key];
        mapper->Held[key] = wanted[key];
    }

    // Whole pixels go to the cursor, the rest waits for the next pass; a stick let go drops the rest.
    if (cursorSpeed == 0) {
        mapper->CursorFraction = 0;
    } else {
        const double total = mapper->CursorFraction + cursorSpeed;
        const double whole = total < 0 ? -(double)(int64_t)(-total) : (double)(int64_t)total;
        mapper->CursorFraction = total - whole;
        changes.CursorStep = (int32_t)whole;
        int64_t offset = mapper->CursorOffset + changes.CursorStep;
        if (offset > MostCursorOffset) offset = MostCursorOffset;
        if (offset < -MostCursorOffset) offset = -MostCursorOffset;
        mapper->CursorOffset = offset;
    }
    return changes;
}

void PostPadChanges(const TPadChanges& changes, uint32_t time, TPoint pt) {
    for (int32_t i = 0; i < changes.UpCount; i++)
        PostWindowMessage(KeyMessage(changes.Ups[i], false, false), (uint32_t)changes.Ups[i],
                          KeyMessageFlags(false, false, 0), time, pt);
    for (int32_t i = 0; i < changes.DownCount; i++)
        PostWindowMessage(KeyMessage(changes.Downs[i], true, false), (uint32_t)changes.Downs[i],
                          KeyMessageFlags(true, false, 0), time, pt);
}

void DrivePads(TPadMapper* mapper, const TPadState* pads, int32_t count, uint32_t time, TPoint pt) {
    PostPadChanges(MapPads(mapper, pads, count), time, pt);
}

void MovePadCursor(const TPadMapper& mapper, TPoint* point) {
    int64_t x = (int64_t)point->x + mapper.CursorOffset;
    if (x > INT32_MAX) x = INT32_MAX;
    if (x < INT32_MIN) x = INT32_MIN;
    point->x = (int32_t)x;
}
