#pragma once
// The sounds of one frame: the equipment sounds first, then the trackside and running sounds.

#include "sound/sound_run.h"

namespace velmora {

void sound_step(const SoundRun& run);

// The sound models as at the start of a run: faders at 1, no latch, no mark.
void start_sounds(const SoundRun& run);

// At a stop point of the film: the vehicle's, the route's and the motor sounds, channel 0
// (running noise) included, so that nothing of the running train keeps sounding.
void stop_running_train_sounds(const SoundRun& run);

// A station jump: the trackside and points sounds may sound again.
void sounds_after_jump(const SoundRun& run);

// Pausing silences every channel, noting what it did; resuming starts each again from its
// beginning, once or in a loop as it was (a sound that had ended stays silent).
void pause_sounds(const SoundRun& run);
void resume_sounds(const SoundRun& run);

}  // namespace velmora
