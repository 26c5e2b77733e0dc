#pragma once
// Pattern protection (ATS-P, ATS-PT, D-ATS-P): trackside beacons before stop signals, speed
// limits and stopping stations give the train a target speed at a target point; the braking
// curve towards it brakes a train that runs above it.

#include "route/route_run.h"

namespace velmora {

// The two curves of one pass, km/h.
struct Patterns {
  int braking = 0;  // p: above it (and above the target) the protection brakes
  int warning = 0;  // w: ATS-P warns the driver from here
};

// The curves towards `target` km/h, `distance_cm` ahead, for a pattern set by a route event
// of `kind` (1 speed limit, 2 stop signal, 3 station); `no_pattern` (line_max_speed + 10)
// caps both.
Patterns pattern_curves(int kind, int target, long double distance_cm, int no_pattern);

// Whether a beacon lies `distance_cm` before a route event.
bool in_beacon_window(long double distance_cm);

// Route step, pattern protection while on and the reverser forward: the beacon walk, the
// curves, the state with its log lines, and the brake it applies or releases.
void pattern_step(const RouteRun& run);

// The pattern forgotten: no target, no target point, no stop signal behind it.
void release_pattern(const RouteRun& run);

}  // namespace velmora
