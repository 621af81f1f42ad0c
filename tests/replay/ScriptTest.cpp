// The runner's input script: every verb, comments and blank lines, the order of events, and the faults
// that stop a run before it starts.
#include "replay/Script.h"

#include <gtest/gtest.h>

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
    const char* const cases[][2] = {
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
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Parse(c[0])) << c[0];
        EXPECT_EQ(std::string(error).rfind(c[1], 0), 0u) << error;
        EXPECT_TRUE(events.empty());
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
