// What Windows makes of a file name, in code that sees no system header, so that the tests check it on every
// system: names as the programs hold them (UTF-8) and as the wide calls take them (UTF-16), and the names of
// the devices that no file can have.
#pragma once

#include <string>

// UTF-16 as UTF-8. A unit that is half of no pair (Windows lets a file be named so) becomes the three bytes
// its number would take, which Utf16FromUtf8 reads back to the same unit (the encoding known as WTF-8): every
// name the system gives leads back to its own file.
std::string Utf8FromUtf16(const std::u16string& wide);
// UTF-8 as UTF-16, with the halves of pairs as above; false for bytes that are no such UTF-8.
bool Utf16FromUtf8(const std::string& text, std::u16string* wide);

// The device a Windows path opens instead of a file ("NUL" for "sub\nul.jsonl", "COM¹" for "com¹ .txt"), or
// "" for any other path. The last part of the path counts, cut at its first '.' or ':' and without the spaces
// that end it, in any case: CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM and LPT with a digit from 1 to 9 or a
// superscript one, two or three. A path in the device space (\\.\ or \\?\) names what it says and counts not.
std::string WindowsDeviceName(const std::string& path);
