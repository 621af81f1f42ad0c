// The runner's input script: every verb, comments and blank lines, the order of events, and the faults
// that stop a run before it starts.
#include "replay/Script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "world/DatenStruktur.h"

namespace {

class ScriptTest : public ::testing::Test {
  protected:
    void SetUp() override { ClearGameState(); }
    bool Parse(const std::string& text) {
        return ParseScript(text.data(), text.size(), events, error, sizeof error);
    }
    std::vector<TScriptEvent> events;
    char error[300] = "";
};

TEST_F(ScriptTest, EveryVerbCommentAndBlankLine) {
    ASSERT_TRUE(Parse("# start\n\n1 down 0\n2 up 255 # key\n \t\n3 sysdown 18\r\n4 sysup 18\n"
                      "5 mouse -2147483648\n6 close#now\n"))
        << error;
    ASSERT_EQ(events.size(), 6u);
    const TScriptVerb verbs[] = {ScriptKeyDown,  ScriptKeyUp, ScriptSysKeyDown,
                                 ScriptSysKeyUp, ScriptMouse, ScriptClose};
    const int32_t values[] = {0, 255, 18, 18, INT32_MIN, 0};
    const int32_t lines[] = {3, 4, 6, 7, 8, 9};
    for (size_t i = 0; i < 6; i++) {
        EXPECT_EQ(events[i].Pass, i + 1);
        EXPECT_EQ(events[i].Verb, verbs[i]);
        EXPECT_EQ(events[i].Value, values[i]);
        EXPECT_EQ(events[i].Line, lines[i]);
    }
}

TEST_F(ScriptTest, TickLinesKeepTheirFileOrderWithinAPassAndTheStartUpIsPassZero) {
    ASSERT_TRUE(Parse("0 mouse 512\n0 tick 0\n2 tick 4294967295\n1 tick 7\n1 down 13\n1 tick 8\n")) << error;
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0].Pass, 0u);
    EXPECT_EQ(events[0].Verb, ScriptMouse);
    EXPECT_EQ(events[1].Verb, ScriptTick);
    EXPECT_EQ(events[1].Value, 0);
    // Pass 1's two reads of the tick take 7, then 8, with the key between them where the file has it.
    EXPECT_EQ(events[2].Value, 7);
    EXPECT_EQ(events[3].Verb, ScriptKeyDown);
    EXPECT_EQ(events[4].Value, 8);
    EXPECT_EQ(events[5].Pass, 2u);
    EXPECT_EQ(events[5].Value, 4294967295);
}

TEST_F(ScriptTest, EventsAreSortedStablyByPass) {
    ASSERT_TRUE(Parse("5 down 27\n2 down 113\n5 up 27\n2 down 112\n")) << error;
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].Value, 113);
    EXPECT_EQ(events[1].Value, 112);
    EXPECT_EQ(events[2].Verb, ScriptKeyDown);
    EXPECT_EQ(events[3].Verb, ScriptKeyUp);
}

TEST_F(ScriptTest, MalformedLineIsReportedWithItsNumber) {
    const std::string cases[][2] = {
        {"1 down 38\n2 jump 38\n", "line 2: unknown verb 'jump'"},
        {"1 down 256\n", "line 1: virtual-key code '256'"},
        {"1 down -1\n", "line 1: virtual-key code '-1'"},
        {"\n\n1 down\n", "line 3: 'down' needs exactly one value"},
        {"1 down 38 39\n", "line 1: 'down' needs exactly one value"},
        {"1 close 5\n", "line 1: 'close' takes no value"},
        {"0 down 38\n", "line 1: pass 0 is the start-up, where only 'tick' and 'mouse' may stand"},
        {"0 close\n", "line 1: pass 0 is the start-up"},
        {"-1 tick 5\n", "line 1: pass -1 is out of range (0 to"},
        {"3 tick 4294967296\n", "line 1: tick '4294967296' is not a whole number from 0 to 4294967295"},
        {"3 tick -1\n", "line 1: tick '-1'"},
        {"3 tick\n", "line 1: 'tick' needs exactly one value"},
        {"3 tick 5 6\n", "line 1: 'tick' needs exactly one value"},
        {"x1 close\n", "line 1: pass 'x1' is not a whole number"},
        {"99999999999999999999 close\n", "line 1: pass '99999999999999999999' is not"},
        {"1 mouse 2147483648\n", "line 1: mouse x '2147483648'"},
        {"1 mouse 1.5\n", "line 1: mouse x '1.5'"},
        {"# comment\n12\n", "line 2: a pass number and a verb are needed"},
        {std::string("1 down 38\n2 do\0wn 38\n", 22), "line 2: it holds a NUL byte"},
        {std::string(5000, 'x'), "line 1: it is longer than the 4096 bytes a line may have"},
        {"1 steps 55\n", "line 1: 'steps' counts from the tick before it"},
        {"0 tick 5\n1 steps 5-5\n", "line 2: '-' is no step"},
        {"0 tick 5\n1 steps\n", "line 2: 'steps' needs exactly one run of letters"},
        {"0 tick 5\n999999999 steps 555\n", "line 2: its steps reach beyond pass 1000000000"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Parse(c[0])) << c[0].substr(0, 40);
        EXPECT_EQ(std::string(error).rfind(c[1], 0), 0u) << error;
        EXPECT_TRUE(events.empty());
    }
}

TEST_F(ScriptTest, AStepsLineIsOneTickAPassCountedFromTheTickBefore) {
    ASSERT_TRUE(Parse("0 tick 4294967290\n3 steps 09azAZ # six passes\n9 tick 7\n10 steps 1\n")) << error;
    const int64_t ticks[] = {4294967290, 4294967290, 3, 13, 48, 84, 145, 7, 8}; // wrapping past 2^32
    const uint64_t passes[] = {0, 3, 4, 5, 6, 7, 8, 9, 10};
    ASSERT_EQ(events.size(), 9u);
    for (size_t i = 0; i < 9; i++) {
        EXPECT_EQ(events[i].Verb, ScriptTick);
        EXPECT_EQ(events[i].Pass, passes[i]);
        EXPECT_EQ(events[i].Value, ticks[i]) << i;
        EXPECT_EQ(events[i].Line, i == 0 ? 1 : i < 7 ? 2 : i == 7 ? 3 : 4);
    }
    for (int32_t step = 0; step <= MostStep; step++)
        EXPECT_EQ(StepOfLetter(LetterOfStep(step)), step);
}

// The same script pushed whole, a byte at a time and in pieces of seven gives the same events; a byte order
// mark at its start is no part of its first line, even split across pieces.
TEST_F(ScriptTest, AScriptReadsTheSameInPiecesOfAnySize) {
    const std::string script = "\xEF\xBB\xBF# a recording\r\n0 mouse 3\n0 tick 10\n1 steps 5a5\n4 down 13\n"
                               "5 close";
    ASSERT_TRUE(Parse(script)) << error;
    const std::vector<TScriptEvent> whole = events;
    ASSERT_EQ(whole.size(), 7u);
    for (size_t piece : {1, 2, 7, 1000}) {
        TScriptReader reader;
        ScriptReaderStart(&reader);
        std::vector<TScriptEvent> read;
        for (size_t at = 0; at < script.size() + piece; at += piece) {
            if (at < script.size())
                ScriptReaderPush(&reader, script.data() + at, std::min(piece, script.size() - at));
            else
                ScriptReaderEndInput(&reader);
            TScriptEvent event{};
            while (ScriptReaderNext(&reader, &event) == TScriptRead::Event)
                read.push_back(event);
        }
        ASSERT_EQ(read.size(), whole.size()) << piece;
        for (size_t i = 0; i < read.size(); i++) {
            EXPECT_EQ(read[i].Pass, whole[i].Pass) << piece;
            EXPECT_EQ(read[i].Value, whole[i].Value) << piece;
        }
    }
}

TEST_F(ScriptTest, TheSurveyTellsPassOrderTheLastPassAndTicks) {
    const struct {
        const char* Script;
        bool Sorted;
        uint64_t LastPass;
        bool HasTicks;
    } rows[] = {
        {"1 down 13\n5 up 13\n", true, 5, false},  {"0 tick 3\n2 steps 55555\n9 down 27\n", true, 9, true},
        {"7 down 13\n2 up 13\n", false, 7, false}, {"0 tick 3\n2 steps 55555\n4 down 27\n", false, 6, true},
        {"# nothing\n", true, 0, false},
    };
    for (const auto& row : rows) {
        TScriptReader reader;
        ScriptReaderStart(&reader);
        ScriptReaderPush(&reader, row.Script, std::strlen(row.Script));
        ScriptReaderEndInput(&reader);
        TScriptSurvey survey{true, 0, false, 0};
        EXPECT_EQ(SurveyScript(&reader, &survey), TScriptRead::Ended) << row.Script;
        EXPECT_EQ(survey.Sorted, row.Sorted) << row.Script;
        EXPECT_EQ(survey.LastPass, row.LastPass) << row.Script;
        EXPECT_EQ(survey.HasTicks, row.HasTicks) << row.Script;
    }
}

TEST_F(ScriptTest, WholeNumbersAreStrict) {
    int64_t value = 0;
    EXPECT_TRUE(ParseWholeNumber("-9223372036854775808", 20, INT64_MIN, INT64_MAX, &value));
    EXPECT_EQ(value, INT64_MIN);
    EXPECT_FALSE(ParseWholeNumber("9223372036854775808", 19, INT64_MIN, INT64_MAX, &value));
    EXPECT_FALSE(ParseWholeNumber("-", 1, -10, 10, &value));
    EXPECT_FALSE(ParseWholeNumber(" 5", 2, 0, 10, &value));
    EXPECT_FALSE(ParseWholeNumber("11", 2, 0, 10, &value));
}

} // namespace
