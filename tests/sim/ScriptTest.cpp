// The runner's input script: every verb, comments and blank lines, the order of events, and the faults
// that stop a run before it starts.
#include "sim/Script.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "world/DatenStruktur.h"

namespace {

class ScriptTest : public ::testing::Test {
  protected:
    void SetUp() override { ClearGameState(); }

    bool Parse(const std::string& text) {
        error[0] = '\0';
        return ParseScript(text.data(), text.size(), events, error, sizeof error);
    }

    std::vector<TScriptEvent> events;
    char error[300];
};

TEST_F(ScriptTest, EveryVerbBecomesItsEvent) {
    ASSERT_TRUE(Parse("1 down 38\n2 up 38\n3 sysdown 18\n4 sysup 18\n5 mouse -120\n6 close\n")) << error;
    ASSERT_EQ(events.size(), 6u);
    const TScriptVerb verbs[] = {ScriptKeyDown,  ScriptKeyUp, ScriptSysKeyDown,
                                 ScriptSysKeyUp, ScriptMouse, ScriptClose};
    const int32_t values[] = {38, 38, 18, 18, -120, 0};
    for (size_t i = 0; i < 6; i++) {
        EXPECT_EQ(events[i].Pass, i + 1);
        EXPECT_EQ(events[i].Verb, verbs[i]);
        EXPECT_EQ(events[i].Value, values[i]);
        EXPECT_EQ(events[i].Line, (int32_t)i + 1);
    }
}

TEST_F(ScriptTest, CommentsBlankLinesAndSpacingAreIgnored) {
    ASSERT_TRUE(Parse("# a race start\n\n   \n\t7   down\t13   # ENTER\r\n#8 down 27\n9 close#now")) << error;
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].Pass, 7u);
    EXPECT_EQ(events[0].Value, 13);
    EXPECT_EQ(events[0].Line, 4);
    EXPECT_EQ(events[1].Verb, ScriptClose);
    EXPECT_EQ(events[1].Line, 6);
}

TEST_F(ScriptTest, EventsAreSortedStablyByPass) {
    ASSERT_TRUE(Parse("5 down 27\n2 down 113\n5 up 27\n2 down 112\n")) << error;
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].Value, 113);
    EXPECT_EQ(events[1].Value, 112);
    EXPECT_EQ(events[2].Verb, ScriptKeyDown);
    EXPECT_EQ(events[3].Verb, ScriptKeyUp);
    EXPECT_EQ(events[3].Line, 3);
}

TEST_F(ScriptTest, RangeEdgesAreAccepted) {
    ASSERT_TRUE(Parse("1 down 0\n1 up 255\n1 mouse -2147483648\n1 mouse +2147483647\n")) << error;
    EXPECT_EQ(events[0].Value, 0);
    EXPECT_EQ(events[1].Value, 255);
    EXPECT_EQ(events[2].Value, INT32_MIN);
    EXPECT_EQ(events[3].Value, INT32_MAX);
}

TEST_F(ScriptTest, MalformedLineIsReportedWithItsNumber) {
    struct TCase {
        const char* Script;
        const char* Expected; // start of the error
    };
    const TCase cases[] = {
        {"1 down 38\n2 jump 38\n", "line 2: unknown verb 'jump'"},
        {"1 down 256\n", "line 1: virtual-key code '256'"},
        {"1 down -1\n", "line 1: virtual-key code '-1'"},
        {"1 down 3x\n", "line 1: virtual-key code '3x'"},
        {"\n\n1 down\n", "line 3: 'down' needs exactly one value"},
        {"1 down 38 39\n", "line 1: 'down' needs exactly one value"},
        {"1 close 5\n", "line 1: 'close' takes no value"},
        {"0 down 38\n", "line 1: pass 0 is out of range"},
        {"-4 close\n", "line 1: pass -4 is out of range"},
        {"x1 close\n", "line 1: pass 'x1' is not a whole number"},
        {"99999999999999999999 close\n", "line 1: pass '99999999999999999999' is not a whole number"},
        {"1 mouse 2147483648\n", "line 1: mouse x '2147483648'"},
        {"1 mouse 1.5\n", "line 1: mouse x '1.5'"},
        {"# only a comment\n12\n", "line 2: a pass number and a verb are needed"},
        {"1 DOWN 38\n", "line 1: unknown verb 'DOWN'"},
    };
    for (const TCase& c : cases) {
        EXPECT_FALSE(Parse(c.Script)) << c.Script;
        EXPECT_EQ(std::strncmp(error, c.Expected, std::strlen(c.Expected)), 0) << error;
        EXPECT_TRUE(events.empty());
    }
}

TEST_F(ScriptTest, WholeNumbersAreStrict) {
    int64_t value = 0;
    EXPECT_TRUE(ParseWholeNumber("-9223372036854775808", 20, INT64_MIN, INT64_MAX, &value));
    EXPECT_EQ(value, INT64_MIN);
    EXPECT_TRUE(ParseWholeNumber("9223372036854775807", 19, INT64_MIN, INT64_MAX, &value));
    EXPECT_EQ(value, INT64_MAX);
    EXPECT_FALSE(ParseWholeNumber("9223372036854775808", 19, INT64_MIN, INT64_MAX, &value));
    EXPECT_FALSE(ParseWholeNumber("", 0, 0, 10, &value));
    EXPECT_FALSE(ParseWholeNumber("-", 1, -10, 10, &value));
    EXPECT_FALSE(ParseWholeNumber(" 5", 2, 0, 10, &value));
    EXPECT_FALSE(ParseWholeNumber("11", 2, 0, 10, &value));
    EXPECT_TRUE(ParseWholeNumber("0010", 4, 0, 10, &value));
    EXPECT_EQ(value, 10);
}

} // namespace
