// The pace of a watched script: each pass's steps start once as much real time has passed since the first
// pass as the script's clock says. The desktop runner's window waits until then; the page asks the browser
// to come back then. Either way the game's passes and state are those of the script, only spread in time.
#pragma once

#include <cstdint>

struct TPacer {
    bool Started;
    uint32_t Tick; // the tick the last paced pass was about to read
    int64_t DueNs; // when that pass was due, on the host's clock
};

// Behind the script's clock by more than this, the pace starts again from now instead of hurrying.
constexpr int64_t PacerMostLagNs = 100000000;
constexpr int64_t PacerNsPerMs = 1000000;

// Forgets the pace: the next pass is due at once.
void PacerRestart(TPacer* pacer);
// When the pass about to read tick is due, on the host's clock (nowNs, nanoseconds): the first pass at once,
// every later one as many milliseconds after the one before as its tick is ahead. A tick that goes back
// costs no time.
int64_t PacerDue(TPacer* pacer, uint32_t tick, int64_t nowNs);
