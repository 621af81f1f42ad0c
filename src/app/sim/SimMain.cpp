// tramolo-sim: the game's own start-up and frame loop on the headless platform.
#include "app/sim/Runner.h"

int main(int argc, char** argv) {
    return RunSimulator(argc, argv);
}
