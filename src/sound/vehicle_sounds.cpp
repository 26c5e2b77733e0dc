#include "sound/vehicle_sounds.h"

namespace velmora {

void vehicle_sound_play(Run&, int) {}
void vehicle_sound_restart(Run&, int) {}
void vehicle_sound_loop(Run&, int) {}
void vehicle_sound_stop(Run&, int) {}
bool vehicle_sound_playing(const Run&, int) { return false; }
void handle_sounds(Run&, int, int) {}

}  // namespace velmora
