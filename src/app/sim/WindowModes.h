// The runner's two uses of the real window, each a backend made of the platform's own ones.
// Live: the window backend exactly as the game has it (the real clock, keyboard and cursor), with the passes
// counted for the trace and the frames and an optional pass budget.
// Watching: the headless game (the script's events, its recorded ticks or the virtual clock, the scripted
// cursor) shown in the real window at the pace of its clock; the keyboard does not reach the game, and ESC
// or closing the window stops the run.
#pragma once

#include <cstdint>

#include "platform/headless/HeadlessPlatform.h"
#include "platform/Platform.h"

// False in a runner built without a window backend: the functions below then have nothing to show.
bool WindowModesBuilt();

// Resets the live window's counts: afterCopy sees each pass's frame after it was shown; passLimit 0 means
// no budget.
void LiveConfigure(uint64_t passLimit, THeadlessFrameHook afterCopy, void* context);
const TPlatformBackend* LiveBackend();
// Ends the frame loop before the next pass.
void LiveStop();
uint64_t LivePassesRun();

// The headless backend must be configured first; this resets the pacing.
void WatchConfigure();
const TPlatformBackend* WatchBackend();
// True when the person watching pressed ESC or closed the window.
bool WatchStoppedByViewer();
