#pragma once
// Turning handle positions into the notches in effect: delays, overrides, hold-back and
// constant speed, and the handle texts.

#include "dynamics/train.h"
#include "dynamics/train_io.h"

namespace velmora {

struct VehicleData;

// Start values of every handle and notch, overrides cleared; then masconupdate once.
void reset_handles(Train& train, const TrainInputs& in, TrainEvents& events);

// The notch a delayed brake change ends at: emergency under a protection emergency,
// maximum service under a protection service brake (unless the handle is at emergency),
// otherwise the brake handle.
int brake_target(const HandleState& h, const VehicleData& vehicle);

// Applies a handle change at once: constant speed and hold-back states, the handle texts
// and the mode text. The cab lamps and the departure call follow through the events.
void masconupdate(Train& train, const TrainInputs& in, TrainEvents& events);

// The power delay of the dynamics step: a power change takes effect after [PowerDelay].
void power_delay_step(Train& train, const TrainInputs& in);

// The brake, straight-air and electric-brake delays of the dynamics step.
void brake_delay_step(Train& train, const TrainInputs& in);

// Emergency brake when the train runs against the reverser faster than 7 km/h ([Back] 1).
void rollback_protection(Train& train, const TrainInputs& in, TrainEvents& events);

// Sets all four pending flags: every handle command ends with this.
void set_handle_latches(HandleState& h);

// Sets the three brake pending flags (brake, straight-air pipe, electric brake).
void set_brake_latches(HandleState& h);

// Power taken while a hold-back notch of the electric brake is engaged drops that notch.
void suppression_reset(Train& train, const TrainInputs& in, TrainEvents& events);

// Group of the [Notch] row a power handle position stands on. Off, and positions beyond
// the rows, stand on no row and count as group 0, so the first group notches up from off.
int notch_row_group(const VehicleData& vehicle, int position);

// The gear label after a key: the diesel lever text, or the electric hold-back notch.
void update_gear_label(Train& train, const TrainInputs& in);

}  // namespace velmora
