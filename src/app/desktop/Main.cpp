// The game's process entry: --help and --version answered at once, otherwise the real window of the system.
#include <clocale>
#include <cstdio>

#include "platform/Backend.h"
#include "shell/Shell.h"

int main(int argc, char** argv) {
    UseCallersConsole();
    const int32_t answered = AnswerInfoOption(argc, argv, stdout);
    if (answered >= 0) return answered;
    // Numbers in the head-up display use the decimal separator of the user's locale.
    std::setlocale(LC_NUMERIC, "");
    if (!SelectPlatform(WindowBackend())) return 1;
    return ProgramMain();
}
