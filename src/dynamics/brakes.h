#pragma once
// The air brake, the compressor and the electric brake.

namespace velmora {

struct Run;

// Start values: main reservoir full, trailer cylinders at emergency pressure.
void reset_brakes(Run& run);

// The brake-shoe friction factor and the total braking force of this step.
void brake_force_step(Run& run);

// The pressure models of this step for the vehicle's brake type, with the main-reservoir
// leak. No pressure ends below 0.
void brake_pressure_step(Run& run);

// The compressor and the horns' air use (route step).
void compressor_step(Run& run);

// The electric-brake current of this step and its share of the ammeter.
void electric_brake_step(Run& run);

// rel(p, base) of the release curve: release slows to a tail as the pressure drops.
long double release_divisor(long double pressure, long double base);

}  // namespace velmora
