#pragma once
// The closing fade of the cab window (the back command).

#include "app/run.h"

namespace velmora {

// Starts the fade; the window closes when it has run out.
void start_fade(Run& run);

// One frame of the fade: 5 steps of opacity a frame, or at once with the visual effects
// off. Asks for the window to close when it is done.
void step_fade(Run& run);

}  // namespace velmora
