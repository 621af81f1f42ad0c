// The camera: five presets, the automatic change between them, and the tracking of the current actor.
#pragma once

void PresetBirdsEye();
void PresetSpatialBirdsEye();
void PresetInverseBirdsEye();
void PresetBonnet();
void PresetChase();
// Applies the preset numbered CameraPreset; a number outside 0 to 4 changes nothing.
void ApplyCameraPreset();

// The camera a game starts with: in the demonstration the bird's eye, changing by itself every five
// seconds from now on; in a race the chase view.
void StartCamera();

// Frame step 9: the preset changes by itself every five seconds while AutoPresetChange is on.
void AutoChangePreset();
// Frame step 6: places and turns the camera after the current actor.
void TrackCamera();
