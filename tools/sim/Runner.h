// The headless runner: command line, input script, virtual clock, trace and frames.
#pragma once

// Runs the game headless as the command line says; returns the process exit code.
int RunSimulator(int argc, char** argv);
