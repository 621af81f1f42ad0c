// A record's own lines: what is written reads back to the same bits, every malformed head is refused by
// its line and reason, and the track's digest is worked out on a world of its own.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <unistd.h>
#include <vector>

#include "records/Records.h"
#include "world/DatenStruktur.h"

namespace {

std::string TempPath(const char* name) {
    return ::testing::TempDir() + "record-file-" + std::to_string(getpid()) + "-" + name;
}

void WriteText(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

TRecordHead SampleHead() {
    TRecordHead head;
    head.Track = 0x0123456789abcdefull;
    head.Version = "13";
    head.Date = "2025-06-01 14:03:22 UTC";
    head.Lap = 3;
    head.Ms = 61904;
    head.Stride = 2;
    head.Ghost = {{0, 740.0f, 2750.02002f, 0.0f, 0.0f, 0.0f, -0.0f},
                  {40, -1.5e-38f, 3.4e38f, 1e-45f, 90.0f, -180.0f, 359.99f},
                  {4294967295u, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f}};
    return head;
}

std::string HeadText(const TRecordHead& head) {
    const std::string path = TempPath("head");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_TRUE(WriteRecordHead(file, head));
    std::fclose(file);
    std::FILE* in = std::fopen(path.c_str(), "rb");
    std::string text;
    char piece[4096];
    for (size_t got; (got = std::fread(piece, 1, sizeof piece, in)) > 0;)
        text.append(piece, got);
    std::fclose(in);
    std::remove(path.c_str());
    return text;
}

TEST(RecordFile, WhatIsWrittenReadsBackToTheSameBits) {
    const TRecordHead head = SampleHead();
    const std::string path = TempPath("round");
    WriteText(path, HeadText(head) + "0 tick 100\n1 steps 5555\n");
    TRecordHead read;
    std::string error;
    ASSERT_TRUE(ReadRecordHead(path.c_str(), &read, &error)) << error;
    EXPECT_EQ(read.Track, head.Track);
    EXPECT_EQ(read.Version, head.Version);
    EXPECT_EQ(read.Date, head.Date);
    EXPECT_EQ(read.Lap, head.Lap);
    EXPECT_EQ(read.Ms, head.Ms);
    EXPECT_EQ(read.Stride, head.Stride);
    ASSERT_EQ(read.Ghost.size(), head.Ghost.size());
    EXPECT_EQ(std::memcmp(read.Ghost.data(), head.Ghost.data(), head.Ghost.size() * sizeof head.Ghost[0]), 0);
    std::remove(path.c_str());
}

TEST(RecordFile, AMalformedHeadIsRefusedByItsLineAndReason) {
    const std::string good = HeadText(SampleHead());
    // The head with one line replaced: line numbers count from 1 (lines 1 and 2 are comments).
    const auto with = [&](int number, const std::string& line) {
        std::string text;
        size_t start = 0;
        for (int n = 1; start < good.size(); n++) {
            const size_t end = good.find('\n', start);
            text += (n == number ? line : good.substr(start, end - start)) + "\n";
            start = end + 1;
        }
        return text;
    };
    const auto upTo = [&](int lines) {
        size_t end = 0;
        for (int n = 0; n < lines; n++)
            end = good.find('\n', end) + 1;
        return good.substr(0, end);
    };
    const struct {
        std::string Text;
        const char* Says;
    } cases[] = {
        {"", "ends before the record's head is whole"},
        {"0 tick 100\n", "line 1: the record's head ends before its ghost"},
        {with(3, "#: record 2"), "line 3: a record of another kind"},
        {with(4, "#: track 0123456789ABCDEF"), "line 4: the track is not 16 hexadecimal digits"},
        {with(4, "#: track 0123456789abcde"), "line 4: the track"},
        {with(4, "#: version 13"), "line 4: \"#: track\" is expected"},
        {with(5, "#: version "), "line 5: the version is not a word"},
        {with(5, "#: version 1 3"), "line 5: the version is not a word"},
        {with(6, "#: date " + std::string(65, 'x')), "line 6: the date"},
        {with(6, "#: date \x1b[2J"), "line 6: the date"},
        {with(7, "#: lap 0 61904"), "line 7: the lap"},
        {with(7, "#: lap 3 4294967296"), "line 7: the lap"},
        {with(7, "#: lap 3 -1"), "line 7: the lap"},
        {with(7, "#: lap 3 61904 7"), "line 7: the lap"},
        {with(8, "#: ghost 3 3"), "line 8: the ghost"},
        {with(8, "#: ghost 0 1"), "line 8: the ghost"},
        {with(8, "#: ghost 65537 1"), "line 8: the ghost"},
        {with(9, "#g 0 7fc00000 0 0 0 0 0"), "line 9: a ghost pose"},   // NaN
        {with(9, "#g 0 7f800000 0 0 0 0 0"), "line 9: a ghost pose"},   // infinity
        {with(9, "#g 0 100000000 0 0 0 0 0"), "line 9: a ghost pose"},  // nine digits
        {with(9, "#g 0 1 2 3 4 5"), "line 9: a ghost pose"},            // one float short
        {with(9, "#g 4294967296 0 0 0 0 0 0"), "line 9: a ghost pose"}, // past the tick's range
        {with(10, "0 tick 100"), "line 10: a ghost pose is missing"},
        {with(3, std::string("#: rec\0ord 1", 12)), "line 3: a NUL byte"},
        {with(3, "#: record 1" + std::string(5000, ' ')), "line 3: a line longer than 4096 bytes"},
        {upTo(10), "ends before the record's head is whole"},
        {"#g 0 0 0 0 0 0 0\n", "line 1: a ghost pose before the record's fields"},
    };
    const std::string path = TempPath("bad");
    for (const auto& c : cases) {
        WriteText(path, c.Text);
        TRecordHead head;
        std::string error;
        EXPECT_FALSE(ReadRecordHead(path.c_str(), &head, &error)) << c.Says;
        EXPECT_NE(error.find(c.Says), std::string::npos)
            << "\"" << error << "\" does not say \"" << c.Says << "\"";
    }
    std::remove(path.c_str());
    TRecordHead head;
    std::string error;
    EXPECT_FALSE(ReadRecordHead(TempPath("missing").c_str(), &head, &error));
    EXPECT_EQ(error, "it cannot be opened");
}

TEST(RecordFile, TheTrackIsNamedBySixteenHexadecimalDigitsThatStay) {
    const uint64_t digest = TrackDigest();
    EXPECT_EQ(TrackName(digest).size(), 16u);
    EXPECT_EQ(TrackName(0xabcull), "0000000000000abc");
    EXPECT_EQ(TrackDigest(), digest);
}

} // namespace
