#pragma once
// The sound device: 320 channels, each holding at most one loaded sound, with play state,
// volume, pan and frequency.

#include <cstdio>
#include <string>

namespace velmora {

class SoundDevice {
 public:
  static constexpr int kChannels = 320;
  // status() bits: playing, and playing in a loop.
  static constexpr int kPlaying = 1;
  static constexpr int kLooping = 4;

  virtual ~SoundDevice() = default;

  // Reads a PCM WAV file into a sound buffer. Returns its id (0 and up), or -1 with the
  // reason in `error`.
  virtual int load(const std::string& path, std::string& error) = 0;
  // Attaches a loaded sound to a channel (a playback copy of its own).
  virtual void attach(int channel, int sound) = 0;
  // Rewinds and plays once / in a loop; a channel without a sound ignores it.
  virtual void play(int channel) = 0;
  virtual void loop(int channel) = 0;
  // Stops; the position stays until the next play.
  virtual void stop(int channel) = 0;
  virtual int status(int channel) = 0;
  // Hundredths of a dB: 0 full level, -10000 silent.
  virtual void set_volume(int channel, int volume) = 0;
  virtual int volume(int channel) = 0;
  // -10000 (left) .. 10000 (right).
  virtual void set_pan(int channel, int pan) = 0;
  // Samples per second: the sound's own rate times `rate`, cut to an integer.
  virtual void set_freq_rate(int channel, long double rate) = 0;
  // Detaches and releases every sound.
  virtual void release_all() = 0;
  // False once the output device has gone (a headset unplugged): sounds then play nowhere,
  // and every call still works on the channels' kept state.
  virtual bool connected() { return true; }
  // Opens the system's default output in place of a lost one and gives every channel back
  // its sound, level, pan, frequency and play state. False when no output opens (the caller
  // tries again later); the channels' state is kept either way.
  virtual bool reopen() { return true; }
};

// What the sound layer tells the user of a channel number outside 0 .. kChannels-1.
inline std::string invalid_channel_message(int channel) {
  char text[160];
  std::snprintf(text, sizeof text, "チャンネル番号%dは無効です、%d～%dの範囲で指定してください",
                channel, 0, SoundDevice::kChannels - 1);
  return text;
}

}  // namespace velmora
