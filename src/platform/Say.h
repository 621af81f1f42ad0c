// The runner's words to the person running it, one line each on standard output or error. The lines quote
// paths, script lines, option values and the environment, so every byte that could steer a terminal is
// shown escaped.
#pragma once

#include "platform/System.h"

// Writes "tramolo-sim: " and the formatted text as one line; false when the write failed.
bool SayLine(TStandardStream stream, const char* format, ...) __attribute__((format(printf, 2, 3)));
