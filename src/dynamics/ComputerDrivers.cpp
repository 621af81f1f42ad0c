// Computer drivers following the ideal line with two feelers.
#include "dynamics/Dynamics.h"
#include "world/DatenStruktur.h"

void SteerComputerActors() {}
