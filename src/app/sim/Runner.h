// app/: the programs' entries, the only room that includes from every other: app/desktop (tramolo),
// app/web (the page), app/sim (tramolo-sim, with what only it needs: options, outputs, window modes).
//
// The headless runner: command line, input script, virtual clock, trace and frames.
#pragma once

// Runs the game headless as the command line says; returns the process exit code.
int RunSimulator(int argc, char** argv);
