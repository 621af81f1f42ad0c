// The two questions a packaging tool or a person may ask the game on the command line: --help and
// --version. They are answered on standard output before anything of the game starts, so no window opens.
// The window's choices (how the picture is scaled, how often it is shown) are taken into the settings;
// every other argument is ignored.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Settings.h"
#include "shell/Shell.h"

#ifndef TRAMOLO_VERSION
#error "TRAMOLO_VERSION must name the game's version"
#endif

constexpr char UsageLine[] =
    "Usage: tramolo [--help | --version | OPTION...]  (a driving game; man 6 tramolo)\n";
constexpr char OptionLines[] =
    "  --sharp         the picture as large as the window allows, sharp (the default)\n"
    "  --one-to-one    the picture at its own size, 596 x 572, at the top left\n"
    "  --display-rate  at most one frame a refresh of the display (the default)\n"
    "  --every-pass    every frame the game draws shown, as fast as it draws them\n"
    "Alt+Enter or F11 switches fullscreen. The window's size and place, fullscreen\n"
    "and these choices are kept in\n  ";
constexpr char VersionLine[] = "tramolo " TRAMOLO_VERSION "\n";

int32_t AnswerInfoOption(int argc, const char* const* argv, std::FILE* out) {
    const char* answer = nullptr;
    // "--" ends the options, as everywhere on the command line.
    for (int i = 1; i < argc && answer == nullptr && std::strcmp(argv[i], "--") != 0; i++) {
        if (std::strcmp(argv[i], "--help") == 0) answer = UsageLine;
        if (std::strcmp(argv[i], "--version") == 0) answer = VersionLine;
    }
    if (answer == nullptr) return -1;
    std::string text = answer;
    if (answer == UsageLine) {
        const std::string path = SettingsFilePath();
        text +=
            OptionLines + (path.empty() ? std::string("no file: no settings folder is known") : path) + ".\n";
    }
    // An answer that could not be written (a full disk, a closed pipe) must not pass for a success.
    if (std::fputs(text.c_str(), out) == EOF || std::fflush(out) != 0) {
        std::fprintf(stderr, "tramolo: cannot write the answer to %s\n",
                     answer == UsageLine ? "--help" : "--version");
        return 1;
    }
    return 0;
}

void TakeDisplayOptions(int argc, const char* const* argv, TSettings* settings) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; i++) {
        if (std::strcmp(argv[i], "--sharp") == 0) settings->Scaling = TScaling::Sharp;
        if (std::strcmp(argv[i], "--one-to-one") == 0) settings->Scaling = TScaling::OneToOne;
        if (std::strcmp(argv[i], "--display-rate") == 0) settings->Presenting = TPresenting::DisplayRate;
        if (std::strcmp(argv[i], "--every-pass") == 0) settings->Presenting = TPresenting::EveryPass;
    }
}
