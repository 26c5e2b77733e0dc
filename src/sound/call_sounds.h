#pragma once
// Loading the call voices at start-up. They are attached to the call channel only while one
// of them is played.

#include "sound/sound_run.h"

namespace velmora {

// Loads every named voice of [KankoSound1], [KankoSound2], [OtherKanko] and [LimitKanko]
// from the data folder. A named file that does not exist stops the start with its path and
// "が見つかりません" (a LoadFailure); a file the device cannot read is kept with the device's
// reason, which the player shows when that call comes up.
void load_call_sounds(const SoundRun& run);

}  // namespace velmora
