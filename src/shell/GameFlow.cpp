// Game flow: frame timing, message ageing, and the keyboard and mouse commands.
#include "shell/Shell.h"
#include "world/DatenStruktur.h"

void MeasureFrameRate() {}
void HandleInput() {}
