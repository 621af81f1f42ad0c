// File names as Windows sees them, checked on every system: every UTF-16 name, a lone half of a pair
// included, comes back from UTF-8 as it was; bytes that spell no name are refused; and the devices' names are
// found in every form Windows takes for them, and in no other name.
#include <gtest/gtest.h>

#include <string>

#include "platform/WindowsNames.h"

namespace {

TEST(WindowsNames, EveryUtf16NameComesBackFromUtf8AsItWas) {
    struct TNameCase {
        std::u16string Wide;
        std::string Text;
    };
    const TNameCase cases[] = {
        {u"trace.jsonl", "trace.jsonl"},
        {u"\u0141\u00f3d\u017a.jsonl", "\xc5\x81\xc3\xb3"
                                       "d\xc5\xba.jsonl"},
        {u"\u65e5\u672c", "\xe6\x97\xa5\xe6\x9c\xac"},
        {u"\U0001F697.txt", "\xf0\x9f\x9a\x97.txt"},
        {u"\u007f\u0080\u07ff\u0800\uffff", "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf"},
        // Halves of no pair: alone, at the end, the wrong way round, two highs.
        {u"a\xd800"
         "b",
         "a\xed\xa0\x80"
         "b"},
        {u"x\xdbff", "x\xed\xaf\xbf"},
        {u"\xdc00\xd800", "\xed\xb0\x80\xed\xa0\x80"},
        {u"\xd800\xd800\xdc00", "\xed\xa0\x80\xf0\x90\x80\x80"},
    };
    for (const TNameCase& c : cases) {
        EXPECT_EQ(Utf8FromUtf16(c.Wide), c.Text) << c.Text;
        std::u16string wide;
        ASSERT_TRUE(Utf16FromUtf8(c.Text, &wide)) << c.Text;
        EXPECT_TRUE(wide == c.Wide) << c.Text;
    }
}

TEST(WindowsNames, BytesThatSpellNoNameAreRefused) {
    for (const std::string text : {
             "\x80", "a\xff", "\xc0\x80", "\xc1\xbf", "\xe0\x80\x80", "\xf0\x80\x80\x80", "\xf4\x90\x80\x80",
             "\xf5\x80\x80\x80", "\xc5", "\xe6\x97", "\xc5x",
             "\xed\xa0\x80\xed\xb0\x80", // a pair as two halves: UTF-8 spells it in four bytes
         }) {
        std::u16string wide;
        EXPECT_FALSE(Utf16FromUtf8(text, &wide)) << testing::PrintToString(text);
    }
}

TEST(WindowsNames, DevicesAreFoundInEveryFormWindowsTakesAndInNoOtherName) {
    struct TDeviceCase {
        const char* Path;
        const char* Device; // "" for a file
    };
    const TDeviceCase cases[] = {
        {"CON", "CON"},
        {"prn.jsonl", "PRN"},
        {"Aux.txt", "AUX"},
        {"NuL.tar.gz", "NUL"},
        {"com1.txt", "COM1"},
        {"LPT9.png", "LPT9"},
        {"conin$", "CONIN$"},
        // Spaces and dots at the end, a stream after a colon.
        {"nul.", "NUL"},
        {"com2 .jsonl", "COM2"},
        {"aux:stream", "AUX"},
        // The superscripts of ISO 8859-1.
        {"COM\u00b9", "COM\u00b9"},
        {"lpt\u00b3 .txt", "LPT\u00b3"},
        // In any folder, on any drive.
        {"sub\\nul.png", "NUL"},
        {"a/b\\c/PRN", "PRN"},
        {"C:nul", "NUL"},
        // Files.
        {"", ""},
        {"con.d/trace.jsonl", ""},
        {"console.txt", ""},
        {" nul.txt", ""},
        {"my nul.txt", ""},
        {"com0.txt", ""},
        {"lpt10", ""},
        {"COM\u2074", ""},
        // The device space names what it says.
        {"\\\\.\\NUL", ""},
        {"\\\\?\\C:\\x\\nul.jsonl", ""},
    };
    for (const TDeviceCase& c : cases)
        EXPECT_EQ(WindowsDeviceName(c.Path), c.Device) << "'" << c.Path << "'";
}

} // namespace
