// Control of the headless backend: its virtual clock, cursor and pass budget, and the hooks through which a
// runner feeds scripted input before each pass's poll and sees each finished frame after its copy.
#pragma once

#include <cstdint>

#include "draw/Canvas.h"
#include "platform/Backend.h"

const TPlatformBackend* HeadlessBackend();

// Milliseconds per pass as an exact decimal: the whole part modulo 2^32 (all the tick needs) and the
// fraction in billionths of a millisecond.
struct THeadlessPassMs {
    uint32_t Whole;
    uint32_t Billionths; // 0 to 999999999
};
constexpr uint32_t BillionthsPerMs = 1000000000u;

// Called once per pass, just before its message poll, with the pass number (1 for the first pass).
using THeadlessPollHook = void (*)(uint64_t pass, void* context);
// Called after each pass's copy with the pass number and the frame that was copied.
using THeadlessFrameHook = void (*)(uint64_t pass, const TCanvas* frame, void* context);

// Resets the backend: the clock starts at startTick and advances passMs per Sleep call, the cursor stands
// at (cursorX, 0), no pass has run, no hooks are set, no tick is recorded, and ContinueLoop allows
// passLimit passes.
void HeadlessConfigure(uint32_t startTick, THeadlessPassMs passMs, int32_t cursorX, uint64_t passLimit);
void HeadlessSetCursorX(int32_t x);
// A tick count recorded for the pass now running (the poll hook's pass, or the start-up before the first
// pass): the pass's reads of the tick take its recorded ticks in the order they were given, and the clock
// then runs on from the last one read, passMs per Sleep. Recorded ticks the pass did not read are dropped at
// the next pass's poll. A pass keeps at most MostRecordedTicksPerPass; the game reads at most three.
constexpr int32_t MostRecordedTicksPerPass = 16;
void HeadlessRecordTick(uint32_t tick);
// The tick the next read would return, without taking a recorded tick.
uint32_t HeadlessPeekTick();
void HeadlessSetHooks(THeadlessPollHook beforePoll, THeadlessFrameHook afterCopy, void* context);
// Makes ContinueLoop end the loop before the next pass (a runner that has to give up).
void HeadlessStop();

// Passes whose frame has been copied.
uint64_t HeadlessPassesRun();

// The tick after the given number of Sleep calls: startTick + floor(sleeps x passMs), modulo 2^32.
uint32_t HeadlessTickAt(uint32_t startTick, THeadlessPassMs passMs, uint64_t sleeps);
