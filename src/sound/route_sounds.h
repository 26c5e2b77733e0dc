#pragma once
// The route's sounds ([SoundData]) by their sound number, on channel nV + number. A number
// outside the table, or an empty entry, is silence.

namespace velmora {

struct Run;

void route_sound_restart(Run& run, int number);  // stop, then once from the start
void route_sound_loop(Run& run, int number);     // in a loop from the start
void route_sound_stop(Run& run, int number);
bool route_sound_playing(const Run& run, int number);
void route_sound_volume(Run& run, int number, int volume);  // hundredths of a dB

// The sound's length in whole seconds; 0 for an empty entry or a number outside the table.
int route_sound_seconds(const Run& run, int number);

}  // namespace velmora
