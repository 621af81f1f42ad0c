// Frame-rate scaling and the driving forces of every car.
#include "dynamics/Dynamics.h"
#include "world/DatenStruktur.h"
#include "world/Numeric.h"

void UpdateDrivingForces() {}
void ApplyResistanceAndWheels() {}
float PerFrameScale(float x) { return Fps == 0 ? 0.0f : F32((double)x / (double)Fps); }
