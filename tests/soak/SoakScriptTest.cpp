// The soak tests' script generator as the soak runs it: the same seed gives the same script, a script that
// cannot be written is an error, and counts out of range are refused rather than wrapped.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

// Runs the generator through the shell; returns its exit code and its standard output in out.
int Generate(const std::string& arguments, std::string* out = nullptr) {
    FILE* pipe =
        popen((std::string(TRAMOLO_SOAK_SCRIPT_PATH) + " " + arguments + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return -1;
    std::string text;
    char chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        text.append(chunk, got);
    const int status = pclose(pipe);
    if (out != nullptr) *out = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SoakScript, TheSameSeedGivesTheSameScriptEndingInAClose) {
    std::string first, second, other;
    ASSERT_EQ(Generate("7 5000", &first), 0);
    ASSERT_EQ(Generate("7 5000", &second), 0);
    ASSERT_EQ(Generate("8 5000", &other), 0);
    EXPECT_EQ(first, second);
    EXPECT_NE(first, other);
    EXPECT_GT(first.size(), 1000u);
    EXPECT_EQ(first.substr(first.size() - 11), "5000 close\n");
}

TEST(SoakScript, AScriptThatCannotBeWrittenIsAnError) {
    EXPECT_EQ(Generate("1 100000 > /dev/full"), 1);
}

TEST(SoakScript, CountsOutOfRangeAreRefused) {
    for (const char* arguments : {"' -1' 100", "1 ' -1'", "1 1", "1 1000000001", "18446744073709551616 100",
                                  "1 +100", "1 10x", "1"}) {
        EXPECT_EQ(Generate(arguments), 2) << arguments;
    }
    EXPECT_EQ(Generate("18446744073709551615 2"), 0);
}

} // namespace
