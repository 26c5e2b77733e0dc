#pragma once
// The sound device on OpenAL Soft. Each sound is one OpenAL buffer; a channel that holds a
// sound gets a source of its own playing that shared buffer, so 320 channels cost only as
// many sources as channels in use.
//
// A machine without sound output keeps running: the device reports why once and every call
// after that changes nothing (status 0). OpenAL's current context belongs to the process,
// so only one device may exist at a time.
//
// Pan: a mono sound is placed on the front half circle around the listener. A stereo sound
// plays its left and right as recorded whatever the pan (OpenAL places only mono sounds);
// the pan is still kept and read back.
//
// Frequency: a rate of 0 or less plays at 1 Hz, next to still, instead of stopping: a running
// sound slowed to a standstill still counts as playing, so nothing starts it over.
//
// Output: the device mixes at its own rate (the system's, typically 44.1 or 48 kHz) and every
// sound keeps its own, resampled by OpenAL: a mix at 22 050 Hz would cut everything above
// 11 kHz from 44.1 kHz recordings. OpenAL Soft's output limiter holds the mix within full
// scale when many sounds play at once (a departure's bell, call, handle and brake over the
// running sounds reach 3 dB beyond it); the channel volumes stay the sound logic's.
//
// A lost output (a headset unplugged) is told by connected(); the drive goes on silent and
// reopen() opens the system's default output in its place. OpenAL Soft 1.19 cannot move a
// context to another device, so reopening builds everything again: each sound is read again
// from its file (kept by path, not as a second copy of its samples), and every channel gets
// a new source with its level, pan, frequency and play state. A loop plays on; a sound played
// once goes on from where it was when its source can still tell its place (an output that is
// reopened while still there), else it is left stopped: a lost output stops every source and
// forgets where it was. While the output is lost a started loop still reads as playing, so
// nothing starts it over; a sound played once reads as over.
//
// Reported: a channel number out of range (once per number until the sounds are released),
// a channel the device has no source for (once), and an output that cannot be opened or a
// format it refuses (once, at start).

#include <array>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/sound_device.h"

namespace velmora {

// Shows a sound device error to the user (a message box in the desktop program).
using SoundErrorReport = std::function<void(const std::string& message)>;

struct OpenAlSettings {
  std::string device;          // output device name; empty: the system's default
  int frequency = 0;           // Hz asked of the device; 0: its own rate
  int mono_sources = 400;      // sources asked of the device: 320 channels need 320 at most
  bool output_limiter = true;  // keep the mix within full scale (off: measurements only)
  // No output device: the mix is made only when render() asks, as fast as it can be (a
  // drive's sound measured or written to a file). Stereo floats at `frequency`, 48 kHz at 0.
  bool offline = false;
};

class OpenAlSoundDevice final : public SoundDevice {
 public:
  // Opens the output device; `on_error` hears every error (may be empty to drop them).
  explicit OpenAlSoundDevice(SoundErrorReport on_error, const OpenAlSettings& settings = {});
  ~OpenAlSoundDevice() override;
  OpenAlSoundDevice(const OpenAlSoundDevice&) = delete;
  OpenAlSoundDevice& operator=(const OpenAlSoundDevice&) = delete;

  int load(const std::string& path, std::string& error) override;
  void attach(int channel, int sound) override;
  void play(int channel) override;
  void loop(int channel) override;
  void stop(int channel) override;
  int status(int channel) override;
  void set_volume(int channel, int volume) override;
  int volume(int channel) override;
  void set_pan(int channel, int pan) override;
  void set_freq_rate(int channel, long double rate) override;
  void release_all() override;
  // Always true for an offline device, and for one that never had an output (nothing lost).
  bool connected() override;
  // False, changing nothing, for a device that never had an output: there is none to replace.
  bool reopen() override;

  static constexpr int kOfflineRate = 48000;  // Hz of an offline device left at frequency 0

  // False when no output could be opened: every call is then a no-op.
  bool working() const { return output_ != nullptr; }
  // Offline devices: mixes the next `frames` sample frames into `out`, stereo interleaved,
  // full scale at +-1. False, with nothing written, for a device with a real output.
  bool render(float* out, int frames);
  // Hz the device mixes at; 0 when not working.
  int output_rate() const;
  // The channel's pan as last set (clamped), and its frequency in Hz (0 without a sound).
  int pan(int channel) const;
  long long frequency(int channel) const;
  // Sample frames of its sound the channel has played; 0 without a playing source.
  int position(int channel);

 private:
  struct Output;  // the OpenAL device and context
  struct Sound {
    unsigned int buffer = 0;  // 0: none (not working)
    int rate = 0;             // Hz, the sound's own
    std::string path;         // read again when the output is reopened
  };
  struct Channel {
    bool sourced = false;  // has a source of its own
    unsigned int source = 0;
    int sound = -1;
    bool looping = false;
    bool playing = false;  // started and not stopped since: what a reopened output restores
    int volume = 0;        // hundredths of a dB, clamped
    int pan = 0;           // -10000..10000
    long long hz = 0;
  };

  // The channel, or null after reporting a number out of range.
  Channel* channel_at(int channel);
  // The channel when it has a source to drive, else null (an invalid number is reported).
  Channel* sourced_at(int channel);
  void start(int channel, bool looping);
  void give_source(Channel& c, const Sound& sound);
  void report(const std::string& message) const;
  // The output was lost and no other has opened yet.
  bool lost() const { return had_output_ && !working(); }
  void close_output();
  // Reads every sound into a buffer of the current output and gives each channel its source
  // back, playing as it was (`places`: sample frame of each channel's source still playing,
  // -1 for none).
  void restore(const std::array<int, kChannels>& places);

  SoundErrorReport report_;
  OpenAlSettings settings_;
  bool had_output_ = false;  // an output opened at start
  std::unique_ptr<Output> output_;
  std::vector<Sound> sounds_;
  std::array<Channel, kChannels> channels_{};
  bool source_failure_reported_ = false;
  std::set<int> invalid_reported_;  // channel numbers out of range already reported
};

}  // namespace velmora
