#pragma once
// The route's sounds along the line: the quieting of stretches ([Atten]), sounds tied to
// stretches of film ([Sound]), passing sources with their pitch shift ([Doppler]) and the
// points the train runs over ([Switch]).

#include "sound/sound_run.h"

namespace velmora {

void trackside_atten(const SoundRun& run);
void track_sounds_step(const SoundRun& run);
void doppler_step(const SoundRun& run);
void points_sounds_step(const SoundRun& run);

// The pitch of a source beside the track `d_cm` ahead (negative: behind) for a train at
// `speed` km/h: above 1 while it comes nearer, below 1 once it is passed.
long double doppler_rate(long double speed, long double d_cm);

// Every trackside and points sound may sound again (start of a run, station jump).
void clear_trackside_marks(const SoundRun& run);

}  // namespace velmora
