#pragma once
// Turning handle positions into the notches in effect: delays, overrides, hold-back and
// constant speed, and the handle texts.

namespace velmora {

struct Run;
struct VehicleData;

// Start values of every handle and notch, overrides cleared; then masconupdate once.
void reset_handles(Run& run);

// The notch a delayed brake change ends at: emergency under a protection emergency,
// maximum service under a protection service brake (unless the handle is at emergency),
// otherwise the brake handle.
int brake_target(const Run& run);

// Applies a handle change at once: reverser lamps, constant speed and hold-back states,
// the handle texts and the mode text.
void masconupdate(Run& run);

// The power delay of the dynamics step: a power change takes effect after [PowerDelay].
void power_delay_step(Run& run);

// The brake, straight-air and electric-brake delays of the dynamics step.
void brake_delay_step(Run& run);

// Emergency brake when the train runs against the reverser faster than 7 km/h ([Back] 1).
void rollback_protection(Run& run);

// Sets all four pending flags: every handle command ends with this.
void set_handle_latches(Run& run);

// Sets the three brake pending flags (brake, straight-air pipe, electric brake).
void set_brake_latches(Run& run);

// Power taken while a hold-back notch of the electric brake is engaged drops that notch.
void suppression_reset(Run& run);

// Group of the [Notch] row a power handle position stands on. Off, and positions beyond
// the rows, stand on no row and count as group 0, so the first group notches up from off.
int notch_row_group(const VehicleData& vehicle, int position);

// The gear label after a key: the diesel lever text, or the electric hold-back notch.
void update_gear_label(Run& run);

}  // namespace velmora
