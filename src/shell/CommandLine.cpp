// The two questions a packaging tool or a person may ask the game on the command line: --help and
// --version. They are answered on standard output before anything of the game starts, so no window opens.
// Every other argument is ignored.
#include <cstdio>
#include <cstring>

#include "shell/Shell.h"

#ifndef TRAMOLO_VERSION
#error "TRAMOLO_VERSION must name the game's version"
#endif

constexpr char UsageLine[] = "Usage: tramolo [--help | --version]  (a driving game; keys in man 6 tramolo)\n";
constexpr char VersionLine[] = "tramolo " TRAMOLO_VERSION "\n";

int32_t AnswerInfoOption(int argc, const char* const* argv, std::FILE* out) {
    const char* answer = nullptr;
    // "--" ends the options, as everywhere on the command line.
    for (int i = 1; i < argc && answer == nullptr && std::strcmp(argv[i], "--") != 0; i++) {
        if (std::strcmp(argv[i], "--help") == 0) answer = UsageLine;
        if (std::strcmp(argv[i], "--version") == 0) answer = VersionLine;
    }
    if (answer == nullptr) return -1;
    // An answer that could not be written (a full disk, a closed pipe) must not pass for a success.
    if (std::fputs(answer, out) == EOF || std::fflush(out) != 0) {
        std::fprintf(stderr, "tramolo: cannot write the answer to %s\n",
                     answer == UsageLine ? "--help" : "--version");
        return 1;
    }
    return 0;
}
