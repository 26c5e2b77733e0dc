#pragma once
// The desktop's sound device as the simulation sees it: every call goes to the real device,
// but a channel's play state is told by PlayState from the sound's length and the run's
// frame clock, not from the mixer. The simulation reads that state (doors close when their
// sound is over, calls wait for the one before), so the desktop and a headless replay of its
// recording — whose device tells it the same way on the recorded frame times — take the
// same decisions in the same frames, however the mixer's periods fall.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/play_state.h"
#include "platform/sound_device.h"

namespace velmora {

class FrameTimedSound final : public SoundDevice {
 public:
  explicit FrameTimedSound(SoundDevice& device) : device_(device) {}
  // The clock the play state is read on: the counter of the frame last run (as the
  // headless drive's clock reads during and after that frame) and its ticks a second.
  void set_clock(std::function<std::int64_t()> counter, std::int64_t frequency) {
    counter_ = std::move(counter);
    frequency_ = frequency;
  }

  int load(const std::string& path, std::string& error) override;
  void attach(int channel, int sound) override;
  void play(int channel) override { start(channel, false); }
  void loop(int channel) override { start(channel, true); }
  void stop(int channel) override;
  int status(int channel) override;
  void set_volume(int channel, int volume) override { device_.set_volume(channel, volume); }
  int volume(int channel) override { return device_.volume(channel); }
  void set_pan(int channel, int pan) override { device_.set_pan(channel, pan); }
  void set_freq_rate(int channel, long double rate) override {
    device_.set_freq_rate(channel, rate);
  }
  void release_all() override;
  bool connected() override { return device_.connected(); }
  bool reopen() override { return device_.reopen(); }

 private:
  struct Channel {
    int sound = -1;
    PlayState state;
  };
  static bool valid(int channel) { return channel >= 0 && channel < kChannels; }
  long double now_s() const;
  void start(int channel, bool looping);

  SoundDevice& device_;
  std::function<std::int64_t()> counter_;
  std::int64_t frequency_ = 1;
  std::vector<long double> lengths_;  // s, by sound id
  std::array<Channel, kChannels> channels_{};
};

}  // namespace velmora
