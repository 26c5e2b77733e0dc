#pragma once
// Speed, position, clock and the film position.

#include "dynamics/train.h"
#include "dynamics/train_io.h"

namespace velmora {

// Hold-back on a down grade, constant speed and the stop film, then the stopping rule and
// the speed integration. A braked train stops at exactly 0 and never reverses.
void integrate_speed(Train& train, const TrainInputs& in);

// The film speed at film_frame from the [SpeedUnit] segment that holds it; entering a new
// segment puts the position on that segment's boundary, so film and distance stay in step.
void anchor_film_speed(MotionState& m, const TrainInputs& in);

// Position, distance to the stop and the simulation clock.
void advance_position_and_clock(Train& train, const TrainInputs& in, TrainEvents& events);

// Advances film_frame by the distance run in this frame: at the filming speed the film
// runs at film_fps frames a second. Whole frames move; the fraction stays in
// frame_accum. Ten seconds' worth of film or more in one frame moves exactly film_fps
// frames and drops the excess. A film_speed of exactly 0 becomes 0.1 km/h first.
void advance_film_frame(MotionState& motion, long double& frame_accum, int& film_frame,
                        int film_fps, long double frame_ms);

// A stop point of the film: the train stands there with the power handle off.
void halt(Train& train);

}  // namespace velmora
