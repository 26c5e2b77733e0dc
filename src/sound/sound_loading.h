#pragma once
// Loading the sounds at start-up and laying them out on the channels.

namespace velmora {

struct Run;

// Loads the vehicle's sounds, the route's environment sounds and the motor and gear sound
// rows, attaches them to their channels and stops every channel. A named sound file that
// does not exist stops the start with its path and "が見つかりません" (a LoadFailure).
void load_sounds(Run& run);

}  // namespace velmora
