#pragma once
// A sound device that plays nothing: it records every change of a channel as an event
// ("play CH FILE", "loop CH FILE", "stop CH", "volume CH V", "pan CH P", "freq CH HZ") and
// reports a sound played once as playing until its length has passed on the clock.
// A sound of no length still counts as playing in the pass it was started. A channel number
// out of range is a "message" event with the real device's text, once per number.

#include <array>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "common/wav_seconds.h"
#include "platform/clock.h"
#include "platform/fake/event_log.h"
#include "platform/play_state.h"
#include "platform/sound_device.h"

namespace velmora {

class FakeSoundDevice final : public SoundDevice {
 public:
  FakeSoundDevice(EventLog& log, Clock& clock) : log_(log), clock_(clock) {}

  bool device_connected = true;
  bool reopen_fails = false;  // set: no output opens yet
  int reopens = 0;

  int load(const std::string& path, std::string& error) override {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      error = path + ": cannot be opened";
      return -1;
    }
    std::string wav_error;
    const long double seconds = wav_length(in, wav_error);
    if (!wav_error.empty()) {
      error = path + ": " + wav_error;
      return -1;
    }
    // The canonical header's sample rate; other layouts are taken as the device's rate.
    in.clear();
    in.seekg(24);
    unsigned char rate[4] = {};
    in.read(reinterpret_cast<char*>(rate), 4);
    long long hz = rate[0] | rate[1] << 8 | rate[2] << 16 | static_cast<long long>(rate[3]) << 24;
    if (!in || hz <= 0) hz = kSampleRate;
    sounds_.push_back({path, seconds, hz});
    return static_cast<int>(sounds_.size()) - 1;
  }
  void attach(int channel, int sound) override {
    if (!usable(channel) || sound < 0 || sound >= static_cast<int>(sounds_.size())) return;
    channels_[static_cast<std::size_t>(channel)] = Channel{sound, {}, 0, 0, 0};
  }
  void play(int channel) override { start(channel, false); }
  void loop(int channel) override { start(channel, true); }
  void stop(int channel) override {
    if (!usable(channel)) return;
    if (status(channel) != 0) log_.add("stop", std::to_string(channel));
    at(channel).state.stop();
  }
  int status(int channel) override {
    if (!usable(channel)) return 0;
    Channel& c = at(channel);
    return c.state.status(now_s(),
                          c.sound < 0 ? 0 : sounds_[static_cast<std::size_t>(c.sound)].seconds);
  }
  void set_volume(int channel, int volume) override {
    if (!usable(channel) || at(channel).volume == volume) return;
    at(channel).volume = volume;
    log_.add("volume", std::to_string(channel) + " " + std::to_string(volume));
  }
  int volume(int channel) override { return usable(channel) ? at(channel).volume : 0; }
  void set_pan(int channel, int pan) override {
    if (!usable(channel) || at(channel).pan == pan) return;
    at(channel).pan = pan;
    log_.add("pan", std::to_string(channel) + " " + std::to_string(pan));
  }
  void set_freq_rate(int channel, long double rate) override {
    if (!usable(channel) || at(channel).sound < 0) return;
    const auto hz =
        static_cast<long long>(sounds_[static_cast<std::size_t>(at(channel).sound)].hz * rate);
    if (at(channel).hz == hz) return;
    at(channel).hz = hz;
    log_.add("freq", std::to_string(channel) + " " + std::to_string(hz));
  }
  void release_all() override {
    channels_ = {};
    sounds_.clear();
    invalid_reported_.clear();
  }
  // A lost output is set by the test; reopening brings it back and is counted.
  bool connected() override { return device_connected; }
  bool reopen() override {
    ++reopens;
    if (reopen_fails) return false;
    device_connected = true;
    return true;
  }

  // The file attached to a channel, for tests; empty when none.
  std::string file_of(int channel) const {
    if (!valid(channel) || channels_[static_cast<std::size_t>(channel)].sound < 0) return {};
    return sounds_[static_cast<std::size_t>(channels_[static_cast<std::size_t>(channel)].sound)]
        .path;
  }

 private:
  static constexpr long long kSampleRate = 22050;

  struct Sound {
    std::string path;
    long double seconds;
    long long hz;  // its own sample rate
  };
  struct Channel {
    int sound = -1;
    PlayState state;
    int volume = 0, pan = 0;
    long long hz = 0;
  };

  static bool valid(int channel) { return channel >= 0 && channel < kChannels; }
  // A number out of range is reported as the real device reports it: once per number until
  // the sounds are released.
  bool usable(int channel) {
    if (valid(channel)) return true;
    if (invalid_reported_.insert(channel).second)
      log_.add("message", invalid_channel_message(channel));
    return false;
  }
  Channel& at(int channel) { return channels_[static_cast<std::size_t>(channel)]; }
  long double now_s() { return static_cast<long double>(clock_.counter()) / clock_.frequency(); }

  void start(int channel, bool looping) {
    if (!usable(channel) || at(channel).sound < 0) return;
    at(channel).state.start(looping, now_s());
    log_.add(looping ? "loop" : "play", std::to_string(channel) + " " + file_of(channel));
  }

  EventLog& log_;
  Clock& clock_;
  std::vector<Sound> sounds_;
  std::array<Channel, kChannels> channels_{};
  std::set<int> invalid_reported_;
};

}  // namespace velmora
