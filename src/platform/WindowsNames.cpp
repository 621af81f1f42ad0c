// File names as Windows sees them: UTF-16 and UTF-8, and the devices' names.
#include "platform/WindowsNames.h"

#include <cstdint>

std::string Utf8FromUtf16(const std::u16string& wide) {
    std::string text;
    text.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); i++) {
        uint32_t point = wide[i];
        const bool paired = point >= 0xD800 && point <= 0xDBFF && i + 1 < wide.size() &&
                            wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF;
        if (paired) point = 0x10000 + ((point - 0xD800) << 10) + (wide[++i] - 0xDC00u);
        if (point < 0x80) {
            text += (char)point;
        } else if (point < 0x800) {
            text += (char)(0xC0 | point >> 6);
            text += (char)(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            text += (char)(0xE0 | point >> 12);
            text += (char)(0x80 | (point >> 6 & 0x3F));
            text += (char)(0x80 | (point & 0x3F));
        } else {
            text += (char)(0xF0 | point >> 18);
            text += (char)(0x80 | (point >> 12 & 0x3F));
            text += (char)(0x80 | (point >> 6 & 0x3F));
            text += (char)(0x80 | (point & 0x3F));
        }
    }
    return text;
}

bool Utf16FromUtf8(const std::string& text, std::u16string* wide) {
    wide->clear();
    bool afterLoneHigh = false;
    for (size_t i = 0; i < text.size();) {
        const uint8_t lead = (uint8_t)text[i];
        size_t count = 1;
        uint32_t point = lead;
        if (lead >= 0xC2 && lead <= 0xDF) {
            count = 2;
            point = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            count = 3;
            point = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            count = 4;
            point = lead & 0x07u;
        } else if (lead >= 0x80) {
            return false;
        }
        if (count > text.size() - i) return false;
        for (size_t k = 1; k < count; k++) {
            const uint8_t next = (uint8_t)text[i + k];
            if ((next & 0xC0u) != 0x80u) return false;
            point = point << 6 | (next & 0x3Fu);
        }
        if ((count == 3 && point < 0x800) || (count == 4 && (point < 0x10000 || point > 0x10FFFF)))
            return false;
        // A pair written as its two halves is not how UTF-8 spells the character: that is the four bytes.
        const bool low = point >= 0xDC00 && point <= 0xDFFF;
        if (low && afterLoneHigh) return false;
        afterLoneHigh = point >= 0xD800 && point <= 0xDBFF;
        if (point >= 0x10000) {
            wide->push_back((char16_t)(0xD800 + ((point - 0x10000) >> 10)));
            wide->push_back((char16_t)(0xDC00 + ((point - 0x10000) & 0x3FF)));
        } else {
            wide->push_back((char16_t)point);
        }
        i += count;
    }
    return true;
}

std::string WindowsDeviceName(const std::string& path) {
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() >= 4 && separator(path[0]) && separator(path[1]) && (path[2] == '.' || path[2] == '?') &&
        separator(path[3]))
        return "";
    size_t start = 0;
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (drive) start = 2;
    for (size_t i = start; i < path.size(); i++) {
        if (separator(path[i])) start = i + 1;
    }
    size_t end = start;
    while (end < path.size() && path[end] != '.' && path[end] != ':')
        end++;
    while (end > start && path[end - 1] == ' ')
        end--;
    std::string stem = path.substr(start, end - start);
    for (char& c : stem) {
        if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    }
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (stem == device) return stem;
    }
    if (stem.size() < 4 || (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0)) return "";
    const std::string number = stem.substr(3);
    const bool digit = number.size() == 1 && number[0] >= '1' && number[0] <= '9';
    // Windows takes the superscripts of ISO 8859-1 for digits here too.
    const bool superscript = number == "\u00b9" || number == "\u00b2" || number == "\u00b3";
    return digit || superscript ? stem : "";
}
