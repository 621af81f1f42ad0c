// A file put in place whole: its bytes go to a part file beside it, which is renamed onto it only once every
// byte is written, so that a program ended on the way leaves the old file as it was. The settings and the
// lap records are written this way.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// Makes folder, and the folder above it, when they are missing (a user's data or settings folder may be
// new). False with the system's words in reason.
bool MakeFolderAndParent(const std::string& folder, char* reason, size_t reasonSize);

// Opens path's part file (path + ".part") new for writing. A part file already there was left by a game
// that ended while it wrote (these files are written by one game at a time) and is removed first. Null with
// the system's words in reason.
std::FILE* CreatePartFile(const std::string& path, char* reason, size_t reasonSize);

// Closes the part file opened for path and, when good (the caller wrote everything), renames it onto path;
// otherwise, or when closing or renaming fails, removes it. Returns whether path now holds the new bytes;
// reason is filled when closing or renaming failed, and left to the caller when good was false.
bool FinishPartFile(std::FILE* file, const std::string& path, bool good, char* reason, size_t reasonSize);
