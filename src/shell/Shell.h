// The game shell, the top of the game itself: the program's start-up and frame loop with its table of steps,
// the window procedure, game flow, laps and the head-up display. The programs' entries (src/app) call it.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/Settings.h"

// Answers --help or --version on out and returns the exit code (1 when the answer cannot be written), or
// returns -1 when neither is asked and the game starts. Every other argument is ignored; "--" ends the
// options.
int32_t AnswerInfoOption(int argc, const char* const* argv, std::FILE* out);
// The window's choices on the command line (--sharp, --one-to-one, --display-rate, --every-pass) over
// settings, the last of each pair winning; they are kept with the settings for the next game.
void TakeDisplayOptions(int argc, const char* const* argv, TSettings* settings);
// Sets up one whole game: its world (BuildWorldState) and its starting camera. DemoMode selects the
// demonstration or the race.
void BuildWorld();
// The process entry: StartProgram, passes while ProgramRunning, EndProgram. Returns the exit code.
int32_t ProgramMain();
// The loop's three parts, for a host that calls one pass at a time (a browser's scheduler). StartProgram
// builds the world, the window and the back buffer; false when the process must end at once, with its
// exit code (0 without a window class, 1 without a window).
bool StartProgram(int32_t* exitCode);
// Whether another pass is due: the quit message has not been taken and the backend lets the loop go on.
bool ProgramRunning();
// Frees the back buffer and the window's canvas; the exit code (the quit message's, or 0).
int32_t EndProgram();
// The window procedure: keeps the key table, posts the quit message on WmDestroy.
intptr_t WindowProc(int32_t hwnd, uint32_t message, uint32_t wParam, int32_t lParam);
// One pass of the frame loop: StartFramePass, then FinishFramePass.
void RunFramePass();
// A pass's first part: at most one message, then the 2 ms sleep. A host that must not block (a browser
// tab) has a backend whose Sleep only notes when the sleep ends, and calls FinishFramePass from then on.
void StartFramePass();
// The rest of the pass: clear, the sixteen steps, copy.
void FinishFramePass();

// Frame step 1: counts passes, sets Fps once a second, counts seconds, ages the message.
void MeasureFrameRate();
// Frame step 2: keyboard commands, camera keys, driving keys and mouse steering.
void HandleInput();
// Frame step 13: way checkpoints, finish line, laps.
void CountCheckpoints();
// Frame step 14: wall contacts, damage, game over.
void HandleWallContacts();
// Frame step 16: the head-up display, always last.
void DrawHud();

// One frame step of the loop's table.
struct TFrameStep {
    const char* Name;
    void (*Run)();
    bool SkippedInLineView; // only DrawWorldView: not called while CheckLineMode is on
};
constexpr int FrameStepCount = 16;
extern const TFrameStep FrameSteps[FrameStepCount];
