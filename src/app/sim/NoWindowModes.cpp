// The window modes of a runner built without the SDL backend (the cross-built targets): none. The runner
// refuses --window there, so nothing below is reached in a run; they keep the runner's one code path.
#include "app/sim/WindowModes.h"

bool WindowModesBuilt() {
    return false;
}

void LiveConfigure(uint64_t, THeadlessFrameHook, void*) {}

const TPlatformBackend* LiveBackend() {
    return HeadlessBackend();
}

void LiveStop() {}

uint64_t LivePassesRun() {
    return 0;
}

void WatchConfigure() {}

const TPlatformBackend* WatchBackend() {
    return HeadlessBackend();
}

bool WatchStoppedByViewer() {
    return false;
}
