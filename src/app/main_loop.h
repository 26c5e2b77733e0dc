#pragma once
// The frame-timed main loop: one pass decides whether a frame is due and runs it.

#include "app/run.h"

namespace velmora {

// One pass of the idle handler. Runs a frame when at least 16.667 ms have passed since
// the last one, otherwise sleeps briefly. Returns true when a frame ran.
bool AppIdle(Run& run);

// Whether the next pass would run a frame (the frame period has passed since the last one):
// the desktop program reads its events and builds its menus only then.
bool frame_due(Run& run);

// The clock's counter at which the next frame is due: the desktop program waits until then
// in one sleep instead of passing again and again.
std::int64_t next_frame_at(Run& run);

// One frame, in its fixed order: load compensation, film advance and decoding, painting,
// output and fade, the dynamics step, the route and event step.
void run_frame(Run& run);

}  // namespace velmora
