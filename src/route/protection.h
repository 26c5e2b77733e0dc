#pragma once
// Train protection, the route's speed checks and the driver-vigilance device.

#include <cstddef>

#include "route/route_run.h"

namespace velmora {

// Start of a run, once the train stands at its start station: the one-point checks behind
// it count as passed.
void start_protection(const RouteRun& run);

// Station jump: the signal check and the cab signal are forgotten, and the one-point checks
// behind the new place count as passed; the alarm and the brake flags carry over.
void protection_after_jump(const RouteRun& run);

// Route step, after the station rules: the vigilance timer, its bell and its emergency
// brake, released by putting the brake handle to emergency.
void vigilance_step(const RouteRun& run);

// Inside the signal loop, for signal i after its view: its warning point and its check point
// (warning-point and pattern protection, while protection is on). At the check point of a
// signal that no longer shows stop, a stop pattern that signal set is released.
void signal_points(const RouteRun& run, std::size_t i);

// Route step, cab signalling: the brake while the train runs faster than the speed shown in
// the cab, released once it is below (a stop aspect's emergency brake waits for the reset).
void cab_signal_check(const RouteRun& run);

// Route step, every pass, late: the driver's two lines about the pattern or the speed
// restrictions he must brake for now.
void protect_text_step(const RouteRun& run);

// Route step, warning-point protection while on: the alarm from a signal at stop, the bell,
// the emergency brake at a red signal's check point and the chime after a confirmation.
void warning_alarm(const RouteRun& run);

// The driver's confirmation of the alarm (a second press silences the chime's state).
void ats_confirm(const RouteRun& run);

// The reset after a protection stop: brakes released, alarm cleared, lamps back to normal.
void ats_reset(const RouteRun& run);

// Route step, while protection is on: the alarm's timer, which ends in the emergency brake
// unless the driver confirms in time.
void alarm_timer(const RouteRun& run);

// Route step, every pass: the next three speed limits and one-point checks ahead, with the
// distance the train needs to come down to them.
void limit_preview_step(const RouteRun& run);

// Route step, while protection is on: the one-point and continuous checks, the continuous
// limits with the line's maximum speed, and the cab-signal value.
void speed_checks(const RouteRun& run);

}  // namespace velmora
