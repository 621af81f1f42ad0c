// The runner's trace: one JSON object a line per pass with the game's flow, timing and camera globals and
// every field of every actor. A regular file is written beside the target (FILE.part) and renamed onto it
// when the run ends, so a failed run leaves nothing behind; a device or a pipe is written directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr size_t TraceBufferSize = 1 << 16;

struct TTraceWriter {
    FILE* File;          // the file being written, null when no trace was asked for
    char Path[4096];     // where the trace ends up
    char PartPath[4096]; // where it is written until then, when ThroughPart
    bool ThroughPart;    // false: written straight to Path
    char Buffer[TraceBufferSize];
    size_t Length; // bytes in Buffer not yet written
    bool Failed;   // a write went wrong; the trace will not be kept
};

// Opens the trace: through a new part file beside path (which must not exist yet) when throughPart, else
// path itself. On failure returns false with the reason in error.
bool TraceOpen(TTraceWriter* trace, const char* path, bool throughPart, char* error, size_t errorSize);
// Appends the line of one pass, from the globals as they stand now.
void TraceWritePass(TTraceWriter* trace, uint64_t pass);
// Flushes, closes and renames the part file onto the target. On failure removes the part file and returns
// false.
bool TraceFinish(TTraceWriter* trace, char* error, size_t errorSize);
// Closes the trace, removing its part file: nothing is kept.
void TraceAbandon(TTraceWriter* trace);

// Pieces of the line, shared with the tests: a float as %.9g or null, a text as a JSON string.
void TraceAppendFloat(TTraceWriter* trace, float value);
void TraceAppendText(TTraceWriter* trace, const char* text, size_t length);
