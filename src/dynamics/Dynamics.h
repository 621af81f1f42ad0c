// Vehicle dynamics: frame-rate scaling, driving forces, motion, and the computer drivers.
#pragma once

struct TActor;

// A per-second amount as a per-frame amount: x / Fps, 0 when Fps is 0.
float PerFrameScale(float x);

// Saves the actor's position and body angles as the pose a wall contact restores.
void SavePose(TActor& actor);
// Puts the actor back to its saved pose (its cell is the caller's to mend).
void RestorePose(TActor& actor);

// Frame step 3: curve, energy and resistance figures of every actor.
void UpdateDrivingForces();
// Frame step 4: resistance, skidding and the wheel angle following the body.
void ApplyResistanceAndWheels();
// Frame step 5: moves and turns every actor, keeps its grid cell.
void MoveActors();
// Frame step 8: throttle and ideal-line steering of the computer-driven actors.
void SteerComputerActors();
