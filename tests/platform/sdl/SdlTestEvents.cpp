// Test events pushed into SDL's queue: keys, the kinds of event the game never reads, the close request.
#include "platform/sdl/SdlTestEvents.h"

#include <SDL.h>

bool SdlPushKeyEvent(int32_t scancode, int32_t keycode, bool down, bool repeat, bool altHeld) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = (SDL_Scancode)scancode;
    event.key.keysym.sym = (SDL_Keycode)keycode;
    event.key.keysym.mod = altHeld ? KMOD_LALT : KMOD_NONE;
    return SDL_PushEvent(&event) == 1;
}

int32_t SdlPushUnreadEvents(int32_t count) {
    int32_t taken = 0;
    for (int32_t i = 0; i < count; i++) {
        SDL_Event event{};
        switch (i % 3) {
        case 0:
            event.type = SDL_MOUSEMOTION;
            event.motion.x = i;
            event.motion.xrel = 1;
            break;
        case 1:
            event.type = SDL_MOUSEBUTTONDOWN;
            event.button.button = SDL_BUTTON_LEFT;
            break;
        default:
            event.type = SDL_TEXTINPUT;
            event.text.text[0] = 'a';
            break;
        }
        if (SDL_PushEvent(&event) == 1) taken++;
    }
    return taken;
}

bool SdlPushCloseRequest() {
    SDL_Event event{};
    event.type = SDL_QUIT;
    return SDL_PushEvent(&event) == 1;
}
