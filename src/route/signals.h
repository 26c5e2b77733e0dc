#pragma once
// Signals and blocks, the preceding train and the road traffic lights.

#include "route/route_run.h"

namespace velmora {

// Start state: the preceding train at its first place, nothing in view.
void start_signals(const RouteRun& run);

// Route step, every pass: the aspects from the preceding train, the control overrides,
// the pictures, the signal in view and the passing of signals.
void signal_step(const RouteRun& run);

// Route step, every pass after signal_step: the phases and driver texts of the lights.
void traffic_light_step(const RouteRun& run);

// Route step, at the start of every pass: the preceding train leaves the line.
void pre_train_remove(const RouteRun& run);

// Dynamics step, once per step: the preceding train moves along the film.
void pre_train_step(const RouteRun& run);

// Station jump: the preceding train stands at the next station it has not yet left.
void place_pre_train(const RouteRun& run);

// Station jump: the signal and traffic-light displays are re-evaluated on the next pass.
void refresh_views(const RouteRun& run);

// The picture frame of a main head of type `head` showing `aspect`; `fast` picks the
// high-speed picture of heads 7 and 8 at aspect 5 ([MaxSpeed] above 160 km/h).
int signal_picture(int head, int aspect, bool fast);

// A stop picture (the protection and the heads' sub-heads treat these as stop).
bool is_stop_picture(int image);

}  // namespace velmora
