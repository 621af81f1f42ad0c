// The game's process entry: the real window on SDL2.
#include <clocale>

#include "platform/Platform.h"
#include "shell/Shell.h"

int main() {
    // Numbers in the head-up display use the decimal separator of the user's locale.
    std::setlocale(LC_NUMERIC, "");
    SelectPlatform(SdlBackend());
    return ProgramMain();
}
