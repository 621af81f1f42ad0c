// tramolo-sim: the game's own start-up and frame loop on the headless platform.
#include <string>
#include <vector>

#include "app/sim/Runner.h"
#include "platform/System.h"

int main(int argc, char** argv) {
    // The arguments as UTF-8 (on Windows from the wide command line), so that every name reaches its file.
    std::vector<std::string> arguments = ProgramArguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return RunSimulator((int)arguments.size(), pointers.data());
}
