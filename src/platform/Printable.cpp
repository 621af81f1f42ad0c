// Escaping text from outside before it reaches a terminal.
#include "platform/Printable.h"

#include <cstdint>
#include <cstring>

size_t Utf8SequenceLength(const unsigned char* text, size_t length) {
    const unsigned char lead = text[0];
    size_t count = 0;
    uint32_t codePoint = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        count = 2;
        codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        count = 3;
        codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        count = 4;
        codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    if (count > length) return 0;
    for (size_t i = 1; i < count; i++) {
        if ((text[i] & 0xC0u) != 0x80u) return 0;
        codePoint = (codePoint << 6) | (text[i] & 0x3Fu);
    }
    const bool overlong = (count == 3 && codePoint < 0x800) || (count == 4 && codePoint < 0x10000);
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (overlong || surrogate || codePoint > 0x10FFFF) return 0;
    return count;
}

std::string PrintableText(const char* text, size_t length) {
    static const char Hex[] = "0123456789abcdef";
    const unsigned char* bytes = (const unsigned char*)text;
    std::string shown;
    shown.reserve(length);
    size_t at = 0;
    while (at < length) {
        const unsigned char c = bytes[at];
        const size_t sequence = c < 0x80 ? 1 : Utf8SequenceLength(bytes + at, length - at);
        // U+0080 to U+009F, C2 80 to C2 9F in UTF-8: some terminals take them as controls too.
        const bool control = c < 0x20 || c == 0x7F || (c == 0xC2 && sequence == 2 && bytes[at + 1] < 0xA0);
        if (sequence != 0 && !control) {
            shown.append(text + at, sequence);
            at += sequence;
            continue;
        }
        for (const size_t end = at + (sequence == 0 ? 1 : sequence); at < end; at++) {
            const char escaped[4] = {'\\', 'x', Hex[bytes[at] >> 4], Hex[bytes[at] & 0xF]};
            shown.append(escaped, 4);
        }
    }
    return shown;
}

std::string PrintableText(const char* text) {
    return PrintableText(text, std::strlen(text));
}
