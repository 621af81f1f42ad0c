// Checkpoints and laps, wall contacts with damage, and the game over.
#include "shell/Shell.h"
#include "world/DatenStruktur.h"

void CountCheckpoints() {}
void HandleWallContacts() {}
