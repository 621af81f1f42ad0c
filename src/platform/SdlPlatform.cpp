// The SDL2 backend: the real window, its events as window messages, ticks, sleep and the cursor.
#include "platform/Platform.h"

const TPlatformBackend* SdlBackend() { return nullptr; }
