// How the SDL window shows the game's frames: the drawing area scaled sharp into the client area (or one to
// one), in real pixels on a high-density screen, at most once per refresh of the display unless every pass
// is asked for. The rest of the SDL backend hands it the frames and the moments it may present.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "draw/Canvas.h"
#include "platform/Platform.h"

// A renderer for window (accelerated where there is one, else SDL's software renderer) and its textures;
// false with SDL's reason left in SDL_GetError.
bool SdlPresenterCreate(SDL_Window* window);
void SdlPresenterDestroy();
// How the picture is scaled and how often it is shown; black (fullscreen) or the class background beside it.
void SdlPresenterConfigure(TScaling scaling, TPresenting presenting, bool fullscreen);
// The display's refresh, after the window opened or moved to another display.
void SdlPresenterFollowDisplay();
// The client area in real pixels, which may be larger than the window's size on a high-density screen.
void SdlPresenterOutputSize(int32_t* width, int32_t* height);
// Fills the window with its background and shows it at once (before the first frame).
void SdlPresenterShowBackground();
// Keeps rect of the finished frame as the newest and shows it when its refresh is due.
void SdlPresenterTakeFrame(const TCanvas* frame, TRect rect);
// Shows the kept frame when a refresh has come since it was kept: called whenever the frame is whole (the
// start of a pass, its sleep, a watcher's wait).
void SdlPresenterCatchUp();
// Shows the kept frame again at the next chance: the window was resized or uncovered.
void SdlPresenterRedraw();
// Forgets the kept frame (its pixels go away with the game's back buffer).
void SdlPresenterForgetFrame();
