#pragma once
// The Enter key: the driver calls out what is in view.

#include "sound/sound_run.h"

namespace velmora {

// In this order, the first that applies: the other sign in view (or the time check at the
// time board), the speed-limit sign, the end of a limit, then a crossing whose light is lit
// or else the signal in view.
void enter_call(const SoundRun& run);

// The fixed call slot for a signal picture: kStopCallSlot for a stop aspect, -1 for none.
constexpr int kStopCallSlot = 0;
int image_call_slot(int image);

}  // namespace velmora
