// The runner's output files. A regular file, or a name not taken yet, is written to FILE.part, which the run
// makes new, and renamed onto FILE only once the whole run has succeeded: a run that fails leaves every file
// the user had as it was, and none of its own. A device or a pipe is written straight. An ending signal or
// a lost display removes the part files before the process ends, but puts the recording in place, so that a
// run cut short keeps the passes it recorded.
#pragma once

#include <csignal>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

struct TOutput {
    std::string Option; // "--trace", "--record", "--png 200": what the messages start with
    std::string Named;  // the option as the command line gave it: "--png 200:frame.png"
    std::string Path;
    std::string Part;           // FILE.part; empty for a device or a pipe, written straight
    bool KeptWhenCut;           // an ending signal or a lost display renames it into place
    FILE* File;                 // open while it is written
    volatile sig_atomic_t Made; // the part file is this run's and is still there
};

// The output for path as it stands now: through a part file unless it is a device or a pipe.
TOutput MakeOutput(const std::string& option, const std::string& named, const std::string& path,
                   bool keptWhenCut);
// Before the first pass: refuses a directory, a write-protected file, a device that does not open, a part
// file that exists, and a folder that takes none (the one made to find out is removed at once).
bool CheckOutput(const TOutput& output, char* error, size_t errorSize);
// Makes the part file, never taking one that is there, or opens the device or the pipe.
bool OpenOutput(TOutput* output, char* error, size_t errorSize);
// Closes the file; false when its last writes failed.
bool CloseOutput(TOutput* output, char* error, size_t errorSize);
// Renames the part file onto the output's name.
bool PlaceOutput(TOutput* output, char* error, size_t errorSize);
// Closes the file and removes the part file this run made.
void DropOutput(TOutput* output);

// Until UnguardOutputs, an ending signal or a lost display removes the part files of outputs and puts those
// kept when cut in place. The vector must not change in the meantime.
void GuardOutputs(std::vector<TOutput>* outputs);
void UnguardOutputs();
