// The key table of the SDL backend: SDL scancodes to the virtual-key codes of the classic desktop. Keypad
// keys keep their digit codes whether or not Num Lock is on, because they are read by physical position.
#include "platform/sdl/KeyMap.h"

#include "platform/VirtualKeys.h"

#include <SDL_scancode.h>

struct TKeyCode {
    SDL_Scancode Scancode;
    uint8_t VirtualKey;
};

// Keys not found by the ranges in VirtualKeyFromScancode, as the literal table of their codes.
static const TKeyCode KeyCodes[] = {
    {SDL_SCANCODE_RETURN, 13},        {SDL_SCANCODE_KP_ENTER, 13},     {SDL_SCANCODE_ESCAPE, 27},
    {SDL_SCANCODE_BACKSPACE, 8},      {SDL_SCANCODE_TAB, 9},           {SDL_SCANCODE_SPACE, 32},
    {SDL_SCANCODE_LSHIFT, 16},        {SDL_SCANCODE_RSHIFT, 16},       {SDL_SCANCODE_LCTRL, 17},
    {SDL_SCANCODE_RCTRL, 17},         {SDL_SCANCODE_LALT, VkAlt},      {SDL_SCANCODE_RALT, VkAlt},
    {SDL_SCANCODE_LGUI, 91},          {SDL_SCANCODE_RGUI, 92},         {SDL_SCANCODE_APPLICATION, 93},
    {SDL_SCANCODE_PAUSE, 19},         {SDL_SCANCODE_CAPSLOCK, 20},     {SDL_SCANCODE_PAGEUP, 33},
    {SDL_SCANCODE_PAGEDOWN, 34},      {SDL_SCANCODE_END, 35},          {SDL_SCANCODE_HOME, 36},
    {SDL_SCANCODE_LEFT, 37},          {SDL_SCANCODE_UP, 38},           {SDL_SCANCODE_RIGHT, 39},
    {SDL_SCANCODE_DOWN, 40},          {SDL_SCANCODE_PRINTSCREEN, 44},  {SDL_SCANCODE_INSERT, 45},
    {SDL_SCANCODE_DELETE, 46},        {SDL_SCANCODE_KP_MULTIPLY, 106}, {SDL_SCANCODE_KP_PLUS, 107},
    {SDL_SCANCODE_KP_MINUS, 109},     {SDL_SCANCODE_KP_PERIOD, 110},   {SDL_SCANCODE_KP_DIVIDE, 111},
    {SDL_SCANCODE_NUMLOCKCLEAR, 144}, {SDL_SCANCODE_SCROLLLOCK, 145},  {SDL_SCANCODE_SEMICOLON, 186},
    {SDL_SCANCODE_EQUALS, 187},       {SDL_SCANCODE_COMMA, 188},       {SDL_SCANCODE_MINUS, 189},
    {SDL_SCANCODE_PERIOD, 190},       {SDL_SCANCODE_SLASH, 191},       {SDL_SCANCODE_GRAVE, 192},
    {SDL_SCANCODE_LEFTBRACKET, 219},  {SDL_SCANCODE_BACKSLASH, 220},   {SDL_SCANCODE_NONUSHASH, 220},
    {SDL_SCANCODE_RIGHTBRACKET, 221}, {SDL_SCANCODE_APOSTROPHE, 222},  {SDL_SCANCODE_NONUSBACKSLASH, 226},
};

int32_t VirtualKeyFromScancode(int32_t sdlScancode) {
    if (sdlScancode >= SDL_SCANCODE_A && sdlScancode <= SDL_SCANCODE_Z)
        return 'A' + (sdlScancode - SDL_SCANCODE_A);
    // SDL numbers the digit row 1..9 then 0.
    if (sdlScancode >= SDL_SCANCODE_1 && sdlScancode <= SDL_SCANCODE_9)
        return '1' + (sdlScancode - SDL_SCANCODE_1);
    if (sdlScancode == SDL_SCANCODE_0) return '0';
    if (sdlScancode >= SDL_SCANCODE_KP_1 && sdlScancode <= SDL_SCANCODE_KP_9)
        return VkPad1 + (sdlScancode - SDL_SCANCODE_KP_1);
    if (sdlScancode == SDL_SCANCODE_KP_0) return VkPad0;
    if (sdlScancode >= SDL_SCANCODE_F1 && sdlScancode <= SDL_SCANCODE_F12)
        return VkF1 + (sdlScancode - SDL_SCANCODE_F1);
    for (const TKeyCode& key : KeyCodes) {
        if (key.Scancode == sdlScancode) return key.VirtualKey;
    }
    return 0;
}

int32_t VirtualKeyFromKey(int32_t sdlScancode, int32_t sdlKeycode) {
    if (sdlKeycode >= 'a' && sdlKeycode <= 'z') return 'A' + (sdlKeycode - 'a');
    return VirtualKeyFromScancode(sdlScancode);
}
