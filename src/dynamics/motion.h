#pragma once
// Speed, position and clock.

namespace velmora {

struct Run;

// Hold-back on a down grade, constant speed and the stop film, then the stopping rule and
// the speed integration. A braked train stops at exactly 0 and never reverses.
void integrate_speed(Run& run);

// The film speed at film_frame from the [SpeedUnit] segment that holds it; entering a new
// segment puts the position on that segment's boundary, so film and distance stay in step.
void anchor_film_speed(Run& run);

// Position, distance to the stop and the simulation clock.
void advance_position_and_clock(Run& run);

}  // namespace velmora
