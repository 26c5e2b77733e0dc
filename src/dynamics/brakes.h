#pragma once
// The air brake, the compressor and the electric brake.

#include "dynamics/train.h"
#include "dynamics/train_io.h"

namespace velmora {

// Start values: main reservoir full, trailer cylinders at emergency pressure.
void reset_brakes(BrakeState& b, const VehicleData& vehicle, const LoadState& load);

// The brake-shoe friction factor and the total braking force of this step.
void brake_force_step(Train& train, const TrainInputs& in);

// The pressure models of this step for the vehicle's brake type, with the main-reservoir
// leak. No pressure ends below 0.
void brake_pressure_step(Train& train, const TrainInputs& in);

// The compressor (route step): it starts below [LowAirPress], stops at [HighAirPress] and
// fills the main reservoir while it runs.
void compressor_step(Train& train, const TrainInputs& in, TrainEvents& events);

// The horns' air use (route step, after the compressor's sounds): each horn that sounds
// takes its [Air] from the main reservoir.
void horn_air_use(BrakeState& b, const VehicleData& vehicle, bool horn1, bool horn2);

// The electric-brake current of this step and its share of the ammeter.
void electric_brake_step(Train& train, const TrainInputs& in);

// rel(p, base) of the release curve: release slows to a tail as the pressure drops.
long double release_divisor(long double pressure, long double base);

}  // namespace velmora
