#pragma once
// The fixture run, started, with the events of start-up forgotten, for the sound tests.

#include <fstream>
#include <string>

#include "app/startup.h"
#include "test_rig.h"

namespace velmora {

struct SoundRig : TestRig {
  SoundRig() : TestRig(fixture_config()) {
    FormCreate(run);
    run.frame.frame_ms = 16.667L;
    log.events.clear();
  }
  SoundDevice& device() { return run.platform.sound; }
  bool playing(int channel) { return (device().status(channel) & SoundDevice::kPlaying) != 0; }
  bool looping(int channel) { return (device().status(channel) & SoundDevice::kLooping) != 0; }
  // Times a channel was played once (loops are not counted).
  int plays(int channel) const { return count("play", channel); }
  int loops(int channel) const { return count("loop", channel); }
  int count(const std::string& kind, int channel) const {
    int n = 0;
    for (const Event& e : log.events)
      if (e.kind == kind && e.detail.rfind(std::to_string(channel) + " ", 0) == 0) ++n;
    return n;
  }
  // The playback rate last set on a channel: its frequency over its sound's own rate; 0 when
  // none was set since start-up.
  long double rate_of(int channel) const {
    long long hz = 0;
    const std::string prefix = std::to_string(channel) + " ";
    for (const Event& e : log.events)
      if (e.kind == "freq" && e.detail.rfind(prefix, 0) == 0) hz = std::stoll(e.detail.substr(prefix.size()));
    std::ifstream wav(sound.file_of(channel), std::ios::binary);
    wav.seekg(24);
    unsigned char b[4] = {};
    wav.read(reinterpret_cast<char*>(b), 4);
    const long long own = b[0] | b[1] << 8 | b[2] << 16 | static_cast<long long>(b[3]) << 24;
    return own > 0 ? static_cast<long double>(hz) / own : 0;
  }
  void seconds(long double s) { clock.advance_ns(static_cast<std::int64_t>(s * 1e9L)); }
};

}  // namespace velmora
