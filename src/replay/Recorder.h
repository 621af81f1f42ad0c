// Recording a game: a platform backend laid over another one that writes down, pass by pass, everything the
// game takes from outside: each message the backend posts to the queue, each tick count and each cursor x
// the game reads. The lines are those of the runner's input script, so the runner replays a recording as
// it plays any script, and the game reaches the same state in every pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/Backend.h"

// Starts a recording into file, which the caller opened and closes, with its heading; name is how the
// messages call it. file may be null when only RecorderReadBackFrom's stream takes the recording.
void RecorderStart(FILE* file, const char* name);
// After RecorderStart: the stream RecorderCopySoFar reads the recording back from, which the caller made
// and closes. A scratch file (OpenScratchFile) takes every byte the recording's file does; the recording's
// own file may serve when it was opened for reading too.
void RecorderReadBackFrom(FILE* stream);
// The recording up to the pass running, whose lines are all taken once its steps have run, written to to:
// a script that replays the game to the end of this pass. False with the reason in error.
bool RecorderCopySoFar(FILE* to, char* error, size_t errorSize);
// The backend that records while inner serves the game; it also sets the message tap. Pass 0 is the
// start-up before the first pass. Each pass's lines reach the file when the next pass polls.
const TPlatformBackend* RecordingBackend(const TPlatformBackend* inner);
// True once a write has failed; the recording backend then ends the frame loop before the next pass.
bool RecorderFailed();
// Writes the closing comment (the last pass and the exit code), flushes the file and removes the message
// tap. False with the reason in error when any write failed.
bool RecorderFinish(uint64_t passes, int32_t exitCode, char* error, size_t errorSize);
