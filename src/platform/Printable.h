// Text from outside (paths, script lines, option values, the environment) made safe to show on a terminal:
// a byte that could steer it, clear the screen or retitle the window is shown escaped instead.
#pragma once

#include <cstddef>
#include <string>

// The length of the well-formed UTF-8 character at text, or 0 when the bytes there start none.
size_t Utf8SequenceLength(const unsigned char* text, size_t length);

// text with every control character (C0, DEL, and C1 written in UTF-8) and every byte that starts no
// well-formed UTF-8 character shown as \xHH; all else as it is, a backslash too (Windows paths have many).
std::string PrintableText(const char* text, size_t length);
std::string PrintableText(const char* text);
