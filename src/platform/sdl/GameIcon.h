// The game's icon, data/tramolo.png (the one the desktop entry installs), built into the binary at build
// time by cmake/EmbedFile.cmake, so the window gets its icon without the game reading a file.
#pragma once

#include <cstddef>
#include <cstdint>

extern const uint8_t GameIconPng[];
extern const size_t GameIconPngSize;
