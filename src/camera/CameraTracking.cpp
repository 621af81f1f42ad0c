// The camera following the current actor.
#include "camera/Camera.h"
#include "world/DatenStruktur.h"

void TrackCamera() {}
