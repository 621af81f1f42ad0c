// The runner's trace: one JSON object a line per pass with the game's flow, timing and camera globals and
// every field of every actor, written to a stream the runner opened (see Outputs.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr size_t TraceBufferSize = 1 << 16;

struct TTraceWriter {
    FILE* File; // opened and closed by the caller
    char Buffer[TraceBufferSize];
    size_t Length;    // bytes in Buffer not yet written
    uint64_t Flushed; // bytes written before them
    bool Failed;      // a write went wrong; the trace will not be kept
};

// Starts a trace into file.
void TraceStart(TTraceWriter* trace, FILE* file);
// Appends the line of one pass, from the globals as they stand now. A write that fails sets Failed.
void TraceWritePass(TTraceWriter* trace, uint64_t pass);
// Writes out what the buffer holds; false when this or any write before failed.
bool TraceFlush(TTraceWriter* trace);

// Pieces of the line, shared with the tests: a float as %.9g or null, a text as a JSON string.
void TraceAppendFloat(TTraceWriter* trace, float value);
void TraceAppendText(TTraceWriter* trace, const char* text, size_t length);
