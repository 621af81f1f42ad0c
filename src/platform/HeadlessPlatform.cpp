// The headless backend: scripted messages, a virtual clock and cursor, and a hook after every copy.
#include "platform/Platform.h"

const TPlatformBackend* HeadlessBackend() { return nullptr; }
