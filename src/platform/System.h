// The operating-system services the programs need beyond the window, in one place: the command line, what a
// name is and which file it names, making a part file nobody else has, putting it in place or removing it,
// the signals that end a run, and writing to standard output and error. posix/PosixSystem.cpp serves Linux
// and Emscripten, windows/WinSystem.cpp Windows; no file outside those sees a system header.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// The program's arguments as UTF-8: on POSIX argv as it is; on Windows taken from the wide command line,
// since the narrow argv has lost every character beyond the system's code page.
std::vector<std::string> ProgramArguments(int argc, char** argv);

enum class TFileKind {
    Missing,   // no file of that name, or one that cannot be looked at
    Regular,   // written through a part file and renamed
    Directory, // never written
    Pipe,      // written straight, once a reader has it open
    Device,    // written straight: a character device, a socket, a console
};
// What path names, following symbolic links.
TFileKind FileKindOf(const char* path);

// The device a name opens instead of a file on this system, whatever its folder and extension, or "" for a
// file's name: on Windows CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9 and their kin (WindowsNames.h); on
// POSIX always "", as these are names like any other.
std::string ReservedDeviceName(const char* path);

// Whether an existing regular file forbids this process to write it. On POSIX by the write bit of the class
// the process falls in: the owner's when its effective user owns the file, else the group's when one of its
// groups does, else the others' (root included, whom the system would let write anyway). On Windows the
// read-only attribute.
bool WriteProtected(const char* path);

// Opens an existing file for reading, in binary; null when it cannot be read.
FILE* OpenFileToRead(const char* path);
// Standard input as bytes, as a file is read: on Windows out of its text mode, which would drop the CR of
// every line end and end the input at the first ^Z.
FILE* StandardInputBytes();

// The same text for two names of one file: an existing file's device and index, or for a name not taken yet
// the real path of its directory and the name itself (without case on Windows).
std::string FileKey(const char* path);

// Makes path as a new empty file and opens it for writing. It never opens what is already there, nor follows
// a symbolic link in its place: null then, with *taken set. Null with the system's words in reason when the
// file cannot be made at all.
FILE* CreateNewFile(const char* path, bool* taken, char* reason, size_t reasonSize);
// Opens a device or a pipe for writing, never making a file nor emptying one. A pipe nobody reads is refused
// at once, with "the pipe has no reader", instead of waiting for a reader (not under node, which waits).
FILE* OpenExistingFile(const char* path, char* reason, size_t reasonSize);
// Makes the folder path unless a folder of that name is there already; false with the system's words in
// reason. Its parent must exist.
bool MakeFolder(const char* path, char* reason, size_t reasonSize);
// The folder that holds the user's settings of every program: $XDG_CONFIG_HOME (when it is an absolute
// path), else $HOME/.config on Linux; %APPDATA% on Windows. Empty when the environment names none.
std::string UserConfigFolder();
// The folder that holds the data every program keeps for the user: $XDG_DATA_HOME (when it is an absolute
// path), else $HOME/.local/share on Linux; %APPDATA% on Windows. Empty when the environment names none.
std::string UserDataFolder();
// A file nobody else sees, open for writing and reading back, gone once it is closed or the process ends:
// made in folder (the system's place for such files when folder is empty). Null with the system's words
// in reason when it cannot be made.
FILE* OpenScratchFile(const char* folder, char* reason, size_t reasonSize);
// Renames from onto to, replacing a file of that name. reason may be null (in a signal handler).
bool RenameOnto(const char* from, const char* to, char* reason, size_t reasonSize);
void RemoveFile(const char* path);

// Until ReleaseEndingSignals, SIGINT, SIGTERM and SIGHUP (on Windows the console's Ctrl+C, Ctrl+Break,
// close, log-off and shut-down) first call onEnd, which may only remove and rename files, and then end the
// process as they would have. A write to a pipe with no reader fails instead of ending the process.
void CatchEndingSignals(void (*onEnd)());
void ReleaseEndingSignals();

enum class TStandardStream { Output, Error };
// Writes all of text; false when the write failed (a full disk, a closed pipe).
bool WriteStandard(TStandardStream stream, const char* text, size_t length);
