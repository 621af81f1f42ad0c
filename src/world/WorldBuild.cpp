// World and track construction.
#include "world/World.h"
#include "world/DatenStruktur.h"

void BuildWorld() {}
