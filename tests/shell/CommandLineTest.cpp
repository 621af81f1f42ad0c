// The command line: --help (the usage line, the window's options and where the settings are kept) and
// --version answered with exit code 0, the window's options taken into the settings, every other argument
// ignored so that the game starts, and an answer that cannot be written reported as a failure.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
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

TEST(CommandLine, HelpPrintsTheUsageTheOptionsAndWhereTheSettingsAreKept) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string kept = config != nullptr ? config : "";
    setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
    const TAnswer answer = Ask({"--help"});
    if (config != nullptr)
        setenv("XDG_CONFIG_HOME", kept.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(answer.Code, 0);
    EXPECT_EQ(answer.Text.rfind("Usage: tramolo ", 0), 0u) << answer.Text;
    for (const char* said : {"--sharp", "--one-to-one", "--display-rate", "--every-pass", "Alt+Enter", "F11",
                             "/somewhere/config/tramolo/settings.conf."})
        EXPECT_NE(answer.Text.find(said), std::string::npos) << said << " not in " << answer.Text;
    // Lines a terminal of 80 columns shows whole.
    size_t start = 0;
    for (size_t end = answer.Text.find('\n'); end != std::string::npos; end = answer.Text.find('\n', start)) {
        EXPECT_LE(end - start, 80u) << answer.Text.substr(start, end - start);
        start = end + 1;
    }
    EXPECT_EQ(start, answer.Text.size()) << "the last line has no line end";
}

TEST(CommandLine, TheWindowsOptionsGoIntoTheSettingsTheLastOfEachPairWinning) {
    const struct {
        std::vector<const char*> Args;
        TScaling Scaling;
        TPresenting Presenting;
    } rows[] = {
        {{}, TScaling::Sharp, TPresenting::DisplayRate},
        {{"--one-to-one"}, TScaling::OneToOne, TPresenting::DisplayRate},
        {{"--every-pass", "x"}, TScaling::Sharp, TPresenting::EveryPass},
        {{"--one-to-one", "--every-pass", "--sharp"}, TScaling::Sharp, TPresenting::EveryPass},
        {{"--every-pass", "--display-rate"}, TScaling::Sharp, TPresenting::DisplayRate},
        {{"--", "--one-to-one"}, TScaling::Sharp, TPresenting::DisplayRate},
        {{"-one-to-one", "--one-to-one=yes", "--EVERY-PASS"}, TScaling::Sharp, TPresenting::DisplayRate},
    };
    for (const auto& row : rows) {
        std::vector<const char*> args = row.Args;
        args.insert(args.begin(), "tramolo");
        TSettings settings;
        TakeDisplayOptions((int)args.size(), args.data(), &settings);
        EXPECT_EQ(settings.Scaling, row.Scaling) << args.size();
        EXPECT_EQ(settings.Presenting, row.Presenting) << args.size();
    }
    // What the file said stays unless an option changes it.
    TSettings saved;
    saved.Scaling = TScaling::OneToOne;
    const char* args[] = {"tramolo", "--every-pass"};
    TakeDisplayOptions(2, args, &saved);
    EXPECT_EQ(saved.Scaling, TScaling::OneToOne);
    EXPECT_EQ(saved.Presenting, TPresenting::EveryPass);
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
