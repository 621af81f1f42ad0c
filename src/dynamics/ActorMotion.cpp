// Actor motion: steering bounds, turning, skidding, the step and the grid cell.
#include "dynamics/Dynamics.h"
#include "world/DatenStruktur.h"

void MoveActors() {}
