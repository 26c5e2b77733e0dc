#pragma once
// The sounds of one frame: the equipment sounds first, then the trackside and running sounds.

namespace velmora {

struct Run;

void sound_step(Run& run);

// The sound models as at the start of a run: faders at 1, no latch, no mark, the handle
// sounds comparing with power 0 and the brake at emergency.
void start_sounds(Run& run);

// A station jump: the trackside and points sounds may sound again.
void sounds_after_jump(Run& run);

// Pausing silences every channel, noting what it did; resuming starts each again from its
// beginning, once or in a loop as it was (a sound that had ended stays silent).
void pause_sounds(Run& run);
void resume_sounds(Run& run);

}  // namespace velmora
