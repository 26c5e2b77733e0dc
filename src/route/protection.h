#pragma once
// Train protection, the route's speed checks and the driver-vigilance device.

namespace velmora {

struct Run;

// Start of a run, once the train stands at its start station: the one-point checks behind
// it count as passed.
void start_protection(Run& run);

// Station jump: the signal check and the cab signal are forgotten, and the one-point checks
// behind the new place count as passed; the alarm and the brake flags carry over.
void protection_after_jump(Run& run);

// Route step, after the station rules: the vigilance timer, its bell and its emergency
// brake, released by putting the brake handle to emergency.
void vigilance_step(Run& run);

// Route step, while protection is on: the alarm's timer, which ends in the emergency brake
// unless the driver confirms in time.
void alarm_timer(Run& run);

// Route step, every pass: the next three speed limits and one-point checks ahead, with the
// distance the train needs to come down to them.
void limit_preview_step(Run& run);

// Route step, while protection is on: the one-point and continuous checks, the continuous
// limits with the line's maximum speed, and the cab-signal value.
void speed_checks(Run& run);

}  // namespace velmora
