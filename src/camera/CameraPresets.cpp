// The five camera presets and the automatic change between them.
#include "camera/Camera.h"
#include "world/DatenStruktur.h"

void PresetBirdsEye() {}
void PresetSpatialBirdsEye() {}
void PresetInverseBirdsEye() {}
void PresetBonnet() {}
void PresetChase() {}
void ApplyCameraPreset() {}
void AutoChangePreset() {}
