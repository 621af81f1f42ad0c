// The web backend: the page's canvas as the game's window, the browser's keys and pointer as its input and
// performance.now() as its clock. The page's own script runs the passes (WebMain.cpp) between the
// browser's tasks, so nothing here ever blocks: the 2 ms sleep only notes when it ends.
#pragma once

#include <emscripten/em_macros.h>

#include <cstdint>
#include <cstdio>

#include "draw/Canvas.h"
#include "platform/Backend.h"
#include "platform/Settings.h"

// Marks a function the page's script calls: kept by the linker and exported with the module.
#define WEB_EXPORT EMSCRIPTEN_KEEPALIVE

const TPlatformBackend* WebBackend();

// The page's clock in milliseconds (performance.now()).
double WebNowMs();
// When the sleep the game asked for last ends, on that clock.
double WebSleepEnd();
// Input from the page's event handlers. It waits until the next pass's poll posts it, as a desktop
// window's events wait in the system's queue: so a recording names the pass that took it. A key comes as
// its virtual-key code, whether it went down, auto-repeats and whether Alt is held. True when the key was
// the records view's (F7), which never reaches the game.
bool WebQueueKey(int32_t virtualKey, bool down, bool repeat, bool altHeld);
// The pointer's x over the page, in device pixels; the game reads it once a pass.
void WebSetPointerX(int32_t x);
// The pad settings the next game's window starts from (the page keeps them with its own settings).
void WebUsePadSettings(const TPadSettings& settings);

// The window's part of the platform, for a backend that lays the page's window over another one (the
// scripted runs): the canvas sized and titled, and each copied frame kept for the screen.
int32_t WebCreateGameWindow(const char* title, int32_t width, int32_t height);
void WebCopyToWindow(const TCanvas* frame, TRect rect);
// The drawing area of the frame copied last as RGBA rows, once per frame: null when none was copied since
// the last call. The page shows it when the browser can show a frame.
const uint8_t* WebTakeFrame();
int32_t WebFrameWidth();
int32_t WebFrameHeight();
// Makes the frame copied last the one WebTakeFrame gives next, before the frame's canvas is freed.
void WebKeepLastFrame();

// A file written to the page itself: each piece the file writes goes to the page's Module.onPageFile(id,
// bytes), which keeps the pieces and saves them as one Blob. So a file the page saves never has to fit in
// the game's memory, nor be copied as it grows. Null when no such file can be made.
FILE* WebOpenPageFile(int32_t id);

// Tells the page's script what it should know of the game (a record kept): Module.onNews(kind, value, text).
void WebTellPage(const char* kind, int32_t value, const char* text);
