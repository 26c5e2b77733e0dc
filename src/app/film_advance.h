#pragma once
// Turning the train's speed into film frames.

#include "dynamics/motion_state.h"
#include "view/film_state.h"

namespace velmora {

// Advances film_frame by the distance run in this frame: at the filming speed the film
// runs at film_fps frames a second. Whole frames move; the fraction stays in
// frame_accum. Ten seconds' worth of film or more in one frame moves exactly film_fps
// frames and drops the excess. A film_speed of exactly 0 becomes 0.1 km/h first.
void advance_film_frame(FilmState& film, MotionState& motion, int film_fps,
                        long double frame_ms);

}  // namespace velmora
