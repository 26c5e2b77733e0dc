#pragma once
// A channel's play state told from the clock and the sound's length, as the simulation
// reads it: a sound played once is playing until its length has passed; one of no length
// still counts as playing in the pass it was started; a loop plays until stopped. The
// headless device and the desktop's both tell it so, which is what lets a drive recorded in
// the desktop replay headless with the same door closings, calls and announcements.

#include "platform/sound_device.h"

namespace velmora {

struct PlayState {
  bool playing = false, looping = false;
  long double started_s = 0;  // on the clock the state is read on

  void start(bool loop, long double now_s) {
    playing = true;
    looping = loop;
    started_s = now_s;
  }
  void stop() { playing = looping = false; }
  // SoundDevice::status() bits at `now_s` for a sound of `length_s`.
  int status(long double now_s, long double length_s) {
    if (playing && !looping && now_s > started_s && now_s >= started_s + length_s) playing = false;
    return (playing ? SoundDevice::kPlaying : 0) | (looping ? SoundDevice::kLooping : 0);
  }
};

}  // namespace velmora
