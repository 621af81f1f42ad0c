// The head-up display written over the finished scene.
#include "shell/Shell.h"
#include "world/DatenStruktur.h"

void DrawHud() {}
