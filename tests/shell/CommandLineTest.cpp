// The command line: --help and --version answered with one line and exit code 0, every other argument
// ignored so that the game starts, and an answer that cannot be written reported as a failure.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "shell/Shell.h"

namespace {

struct TAnswer {
    int32_t Code;
    std::string Text;
};

TAnswer Ask(std::vector<const char*> args) {
    args.insert(args.begin(), "tramolo");
    std::FILE* out = std::tmpfile();
    EXPECT_NE(out, nullptr);
    TAnswer answer{AnswerInfoOption((int)args.size(), args.data(), out), {}};
    std::rewind(out);
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, out) != nullptr)
        answer.Text += buffer;
    std::fclose(out);
    return answer;
}

TEST(CommandLine, HelpPrintsOneUsageLine) {
    const TAnswer answer = Ask({"--help"});
    EXPECT_EQ(answer.Code, 0);
    EXPECT_EQ(answer.Text.rfind("Usage: tramolo ", 0), 0u) << answer.Text;
    EXPECT_EQ(answer.Text.find('\n'), answer.Text.size() - 1) << "not exactly one line: " << answer.Text;
    EXPECT_LE(answer.Text.size(), 80u);
}

TEST(CommandLine, VersionPrintsNameAndVersion) {
    const TAnswer answer = Ask({"--version"});
    EXPECT_EQ(answer.Code, 0);
    EXPECT_EQ(answer.Text, std::string("tramolo ") + TRAMOLO_VERSION + "\n");
}

TEST(CommandLine, TheFirstQuestionIsAnsweredAmongOtherArguments) {
    EXPECT_EQ(Ask({"--fullscreen", "--version", "--help"}).Text.rfind("tramolo ", 0), 0u);
    EXPECT_EQ(Ask({"x", "--help", "--version"}).Text.rfind("Usage: ", 0), 0u);
}

TEST(CommandLine, OtherArgumentsStartTheGame) {
    for (const std::vector<const char*>& args : std::vector<std::vector<const char*>>{
             {}, {"-h"}, {"-v"}, {"--helpme"}, {"help"}, {"--HELP"}, {"--", "--help"}, {""}}) {
        const TAnswer answer = Ask(args);
        EXPECT_EQ(answer.Code, -1) << (args.empty() ? "no arguments" : args.back());
        EXPECT_EQ(answer.Text, "");
    }
}

TEST(CommandLine, AnAnswerThatCannotBeWrittenFails) {
    std::FILE* readOnly = std::fopen("/dev/null", "r");
    ASSERT_NE(readOnly, nullptr);
    const char* args[] = {"tramolo", "--version"};
    EXPECT_EQ(AnswerInfoOption(2, args, readOnly), 1);
    std::fclose(readOnly);
}

} // namespace
