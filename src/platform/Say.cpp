// One line of the runner's, escaped and written whole.
#include "platform/Say.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/Printable.h"

bool SayLine(TStandardStream stream, const char* format, ...) {
    char text[4096];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    if (length < 0) return false;
    const size_t kept = (size_t)length < sizeof text ? (size_t)length : sizeof text - 1;
    const std::string line = "tramolo-sim: " + PrintableText(text, kept) + "\n";
    return WriteStandard(stream, line.data(), line.size());
}
