// Frame-rate scaling and the driving forces of every car: curve figures, energy, resistance, skidding and
// the direction of travel following the body.
#include <cmath>
#include <cstddef>

#include "dynamics/Dynamics.h"
#include "exact/ExactMath.h"
#include "exact/Numeric.h"
#include "world/DatenStruktur.h"

namespace {

constexpr double Gravity = 9.81;
constexpr double AirDragFactor = 0.6;
constexpr double ResistanceToStep = 220000.0; // resistance in N per metre-per-frame-per-second
constexpr float WheelFollowRate = 32.0f;      // degrees per second
constexpr double SnapDifference = 0.2;        // degrees, compared as the decimal written

// Radius, centrifugal force, slide and tip speed of the curve the actor drives in this frame.
void ComputeCurve(TActor& actor) {
    const float angle = DegToRad(actor.Steering);
    const double sine = ExactSin((double)angle);
    if (sine == 0) return;
    actor.CurveRadius = F32((double)actor.StepLength / sine);
    if (actor.CurveRadius == 0) return;

    const double radius = (double)actor.CurveRadius;
    const double speed = (double)actor.SpeedKmh / KmhPerMs;
    actor.CentrifugalForce = F32(speed * speed * (double)actor.Mass / radius);
    actor.SlideSpeed = F32(std::sqrt(std::fabs(radius) * (Gravity * (double)actor.Friction)) * KmhPerMs);
    if (actor.CogHeight != 0) {
        const double tip =
            std::fabs(radius) * (Gravity * (double)actor.TrackWidth) / (2.0 * (double)actor.CogHeight);
        actor.TipSpeed = F32(std::sqrt(tip) * KmhPerMs);
    }
}

} // namespace

float PerFrameScale(float x) {
    return Fps == 0 ? 0.0f : F32((double)x / (double)Fps);
}

void UpdateDrivingForces() {
    for (int32_t a = 0; a < ActorsInPlay(); a++) {
        TActor& actor = Actors[(size_t)a];
        actor.CurveRadius = 0;
        actor.CentrifugalForce = 0;
        actor.SlideSpeed = 0;
        actor.TipSpeed = 0;

        if (actor.SpeedKmh > 0) {
            actor.Distance =
                F32((double)actor.Distance + (double)PerFrameScale(F32((double)actor.SpeedKmh / KmhPerMs)));
        }
        if (actor.Steering != 0) ComputeCurve(actor);

        // The speed enters in km/h here, as the display shows it.
        const double kmh = (double)actor.SpeedKmh;
        actor.KineticEnergy = F32(0.5 * (double)actor.Mass * kmh * kmh / 1000.0);
        actor.Resistance =
            F32(AirDragFactor * kmh * kmh * (double)actor.DragArea + (double)actor.RollResistance);
    }
}

void ApplyResistanceAndWheels() {
    for (int32_t a = 0; a < ActorsInPlay(); a++) {
        TActor& actor = Actors[(size_t)a];
        actor.StepLength = F32((double)actor.StepLength -
                               (double)PerFrameScale(F32((double)actor.Resistance / ResistanceToStep)));

        // Skidding starts above the tip speed and lasts until the car drives straight or stands.
        if (actor.TipSpeed > 0 && actor.SpeedKmh > actor.TipSpeed) actor.Skidding = 1;
        if (actor.TipSpeed == 0) actor.Skidding = 0;

        // The direction of travel turns toward the body heading at a fixed rate.
        const double difference = (double)actor.AngleZ - (double)actor.WheelAngle;
        actor.AngleDiff = F32(difference);
        if (difference < 0) {
            actor.WheelAngle = F32((double)actor.WheelAngle - (double)PerFrameScale(WheelFollowRate));
        }
        if (difference > 0) {
            actor.WheelAngle = F32((double)actor.WheelAngle + (double)PerFrameScale(WheelFollowRate));
        }
        actor.AngleDiff = F32(std::fabs(difference));
        if (actor.Skidding == 0 && (double)actor.AngleDiff < SnapDifference) actor.WheelAngle = actor.AngleZ;
    }
}
