#pragma once
// The trackside overlays over the film: the stop lines in perspective and the remaining-
// distance board (every frame), and the stop-position boards, monitor, gradient post,
// speed-limit sign, other signs, crossing lights and signal heads (every route step).

#include "view/view_run.h"

namespace velmora {

// Finds the overlay pictures the route file loaded.
void start_overlays(const ViewRun& run);

// Every frame, after the instruments: the two overlays that move with the scene.
void overlay_frame_step(const ViewRun& run);

// Every route step.
void overlay_route_step(const ViewRun& run);

// A station jump: every overlay is drawn anew for the new place on the next route step.
void overlays_after_jump(const ViewRun& run);

// A station's departure was given: the crossing's second light goes out.
void hide_crossing_light2(const ViewRun& run);

// The Display menu's "no stop-position lines": toggles and tells whether they are now hidden.
bool toggle_stop_lines(const ViewRun& run);

// The film row of a point `metres` ahead for the route's perspective `p` (m) and horizon
// `h` (px) on a film `film_height` px high.
int perspective_y(long double metres, long double p, int h, int film_height);

}  // namespace velmora
