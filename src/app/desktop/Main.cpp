// The game's process entry: --help and --version answered at once, otherwise the real window of the system,
// opened from the player's settings, which are written back whole when the game ends.
#include <clocale>
#include <cstdio>
#include <string>

#include "platform/Backend.h"
#include "platform/Settings.h"
#include "shell/Shell.h"

// The exit code of a game that could not open its window: it has nothing new to keep.
constexpr int32_t NoWindowExitCode = 1;

int main(int argc, char** argv) {
    UseCallersConsole();
    const int32_t answered = AnswerInfoOption(argc, argv, stdout);
    if (answered >= 0) return answered;
    // Numbers in the head-up display use the decimal separator of the user's locale.
    std::setlocale(LC_NUMERIC, "");
    if (!SelectPlatform(WindowBackend())) return 1;
    const std::string settingsPath = SettingsFilePath();
    TSettings settings = LoadSettingsFile(settingsPath);
    TakeDisplayOptions(argc, argv, &settings);
    UseWindowSettings(&settings);
    const int32_t exitCode = ProgramMain();
    UseWindowSettings(nullptr);
    if (exitCode != NoWindowExitCode) SaveSettingsFile(settingsPath, settings);
    return exitCode;
}
