// The headless runner's command line and main loop.
#include "sim/Runner.h"

int RunSimulator(int, char**) { return 0; }
