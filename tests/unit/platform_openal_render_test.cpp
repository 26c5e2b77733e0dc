// The way from a WAV file to the output, heard through OpenAL Soft's wave-file output: the
// device mixes in real time on its own thread and writes the mix to a file, which the tests
// read back and measure.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "platform/openal/openal_sound_device.h"
#include "platform_openal_wavs.h"
#include "tool_run.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

struct Mix {
  int rate = 0;                               // Hz
  std::vector<std::vector<double>> channels;  // -1..1 per output channel
};

std::uint32_t u32_at(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i)
    v = v << 8 | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
  return v;
}
std::uint16_t u16_at(const std::string& b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    static_cast<unsigned char>(b[at + 1]) << 8);
}

// The output file, which the settings below make WAVE_FORMAT_EXTENSIBLE with 32-bit floats.
// A data size that was never filled in is taken as the rest of the file.
Mix read_mix(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Mix mix;
  if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) {
    ADD_FAILURE() << path << " is no WAV file (" << b.size() << " bytes)";
    return mix;
  }
  std::size_t channels = 0;
  bool floats = false;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::string id = b.substr(at, 4);
    std::size_t size = u32_at(b, at + 4);
    const std::size_t body = at + 8;
    if (id == "fmt " && size >= 40 && body + size <= b.size()) {
      channels = u16_at(b, body + 2);
      mix.rate = static_cast<int>(u32_at(b, body + 4));
      // The extensible layout names the sample format in the first two bytes of its GUID.
      floats = u16_at(b, body) == 0xfffe && u16_at(b, body + 14) == 32 && u16_at(b, body + 24) == 3;
    } else if (id == "data") {
      if (!floats || channels == 0) {
        ADD_FAILURE() << path << ": no extensible fmt chunk of 32-bit floats before the data";
        return mix;
      }
      if (body + size > b.size() || size == 0) size = b.size() - body;
      const std::size_t frames = size / (4 * channels);
      mix.channels.assign(channels, std::vector<double>(frames));
      for (std::size_t f = 0; f < frames; ++f)
        for (std::size_t c = 0; c < channels; ++c) {
          const std::uint32_t u = u32_at(b, body + (f * channels + c) * 4);
          float x;
          std::memcpy(&x, &u, 4);
          mix.channels[c][f] = x;
        }
      return mix;
    }
    at = body + size + (size & 1);
  }
  ADD_FAILURE() << path << " has no data";
  return mix;
}

std::vector<double> both_sides(const Mix& mix) {
  std::vector<double> sum(mix.channels.empty() ? 0 : mix.channels[0].size());
  for (const auto& side : mix.channels)
    for (std::size_t i = 0; i < sum.size(); ++i)
      sum[i] += side[i] / static_cast<double>(mix.channels.size());
  return sum;
}

struct Span {
  std::size_t begin = 0, end = 0;
};

// Where the sound is steady: the middle half of the stretch that is sounding, so the start
// (the device's gain ramps, a late start on a busy machine) and the end stay out.
Span steady_part(const std::vector<double>& s, int rate) {
  const std::size_t block = static_cast<std::size_t>(rate / 100);
  std::vector<double> level;
  for (std::size_t at = 0; at + block <= s.size(); at += block) {
    double sum = 0;
    for (std::size_t i = at; i < at + block; ++i) sum += s[i] * s[i];
    level.push_back(std::sqrt(sum / static_cast<double>(block)));
  }
  if (level.empty()) return {};
  const double loudest = *std::max_element(level.begin(), level.end());
  std::size_t first = level.size(), last = 0;
  for (std::size_t i = 0; i < level.size(); ++i)
    if (level[i] > loudest * 0.3) {
      first = std::min(first, i);
      last = i;
    }
  if (first > last) return {};
  const std::size_t length = (last + 1 - first) * block;
  return {first * block + length / 4, first * block + length * 3 / 4};
}

double rms(const std::vector<double>& s, Span span) {
  double sum = 0;
  for (std::size_t i = span.begin; i < span.end; ++i) sum += s[i] * s[i];
  return std::sqrt(sum / static_cast<double>(span.end - span.begin));
}

// The span under a Hann window, so that one tone hardly leaks into the measure of another.
std::vector<double> windowed(const std::vector<double>& s, Span span) {
  const auto n = static_cast<double>(span.end - span.begin);
  std::vector<double> w;
  w.reserve(span.end - span.begin);
  for (std::size_t i = span.begin; i < span.end; ++i)
    w.push_back(s[i] * (0.5 - 0.5 * std::cos(2 * std::numbers::pi *
                                             static_cast<double>(i - span.begin) / n)));
  return w;
}

// Amplitude of the component at `hz` in a Hann-windowed stretch (Goertzel).
double amplitude_at(const std::vector<double>& w, int rate, double hz) {
  const double coeff = 2 * std::cos(2 * std::numbers::pi * hz / rate);
  double s1 = 0, s2 = 0;
  for (const double x : w) {
    const double s0 = x + coeff * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
  // The window's mean is one half.
  return 4 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(w.size());
}

// The strongest frequency between `low` and `high`, to the hertz.
int dominant_hz(const std::vector<double>& w, int rate, int low, int high) {
  int best = low;
  double best_amplitude = -1;
  for (int hz = low; hz <= high; ++hz) {
    const double a = amplitude_at(w, rate, hz);
    if (a > best_amplitude) {
      best_amplitude = a;
      best = hz;
    }
  }
  return best;
}

double db(double ratio) { return 20 * std::log10(ratio); }

class OpenAlRender : public ::testing::Test {
 protected:
  // OpenAL reads its settings once a process, when the first device opens; every render
  // of the process therefore writes the same file.
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("velmora_openal_render_" + std::to_string(getpid()));
    fs::create_directories(dir_);
    // The output's layout is pinned, whatever the machine's own OpenAL settings say (HRTF
    // would move the pan).
    std::ofstream(dir_ / "alsoft.conf") << "[general]\ndrivers=wave\nchannels=stereo\n"
                                           "sample-type=float32\nhrtf=false\n[wave]\nfile="
                                        << output().string() << "\n";
    setenv("ALSOFT_CONF", (dir_ / "alsoft.conf").c_str(), 1);
    // It would win over the file's driver list.
    unsetenv("ALSOFT_DRIVERS");
  }

  fs::path output() const { return dir_ / "out.wav"; }

  // Opens a device, lets `start` set up and play its channels, lets it sound for a good
  // while (the file is written in real time, and a busy machine may start it late), then
  // closes it, which finishes the file.
  Mix render(const std::function<void(OpenAlSoundDevice&)>& start) {
    std::vector<std::string> reports;
    {
      OpenAlSoundDevice device([&](const std::string& m) { reports.push_back(m); });
      EXPECT_TRUE(device.working());
      start(device);
      std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    }
    for (const std::string& r : reports) ADD_FAILURE() << r;
    return read_mix(output());
  }

  int attach(OpenAlSoundDevice& device, int channel, const fs::path& wav) {
    std::string error;
    const int sound = device.load(wav.string(), error);
    EXPECT_GE(sound, 0) << error;
    device.attach(channel, sound);
    return sound;
  }

  fs::path dir_;
};

TEST_F(OpenAlRender, DoubleRateDoublesThePitchAndVolumeIsHundredthsOfADecibel) {
  const fs::path wav = tone_wav(openal_scratch("tone"), {1, 16, 22050}, 440, 4.0);
  double level[2] = {};
  const int volumes[2] = {0, -2000};
  for (int run = 0; run < 2; ++run) {
    const Mix mix = render([&](OpenAlSoundDevice& device) {
      attach(device, 5, wav);
      device.set_freq_rate(5, 2.0L);
      device.set_volume(5, volumes[run]);
      device.play(5);
    });
    ASSERT_FALSE(mix.channels.empty());
    const std::vector<double> sound = both_sides(mix);
    const Span steady = steady_part(sound, mix.rate);
    ASSERT_GT(steady.end - steady.begin, static_cast<std::size_t>(mix.rate / 5))
        << "too little sound in the output: " << sound.size() << " frames at " << mix.rate << " Hz";
    EXPECT_NEAR(dominant_hz(windowed(sound, steady), mix.rate, 100, 4000), 880, 3) << volumes[run];
    level[run] = rms(sound, steady);
  }
  ASSERT_GT(level[0], 0.01);
  EXPECT_NEAR(db(level[1] / level[0]), -20.0, 1.5);
}

TEST_F(OpenAlRender, PanPutsAMonoSoundOnItsSide) {
  const fs::path dir = openal_scratch("pan");
  const Mix mix = render([&](OpenAlSoundDevice& device) {
    // Four tones at once, told apart by their pitch.
    attach(device, 0, tone_wav(dir, {1, 16, 22050}, 440, 4.0));
    attach(device, 1, tone_wav(dir, {1, 16, 16000}, 660, 4.0));
    attach(device, 2, tone_wav(dir, {1, 16, 11025}, 990, 4.0));
    attach(device, 3, tone_wav(dir, {1, 8, 22050}, 1250, 4.0));
    device.set_pan(1, -10000);
    device.set_pan(2, 10000);
    device.set_pan(3, 600);
    for (int channel = 0; channel < 4; ++channel) device.play(channel);
  });
  ASSERT_EQ(mix.channels.size(), 2u) << "stereo output expected";
  const Span steady = steady_part(both_sides(mix), mix.rate);
  ASSERT_GT(steady.end - steady.begin, static_cast<std::size_t>(mix.rate / 5));
  const std::vector<double> left = windowed(mix.channels[0], steady);
  const std::vector<double> right = windowed(mix.channels[1], steady);
  auto side_ratio_db = [&](double hz) {
    return db(amplitude_at(right, mix.rate, hz) / amplitude_at(left, mix.rate, hz));
  };
  EXPECT_NEAR(side_ratio_db(440), 0.0, 0.5) << "centred";
  EXPECT_LT(side_ratio_db(660), -20.0) << "left";
  EXPECT_GT(side_ratio_db(990), 20.0) << "right";
  // 6 dB off the left: over to the right, yet still heard on the left.
  EXPECT_GT(side_ratio_db(1250), 3.0);
  EXPECT_LT(side_ratio_db(1250), 15.0);
}

TEST_F(OpenAlRender, A44kHzRecordingKeepsItsTop) {
  // 1 kHz and 15 kHz together: a mix at 22 050 Hz has no room for the second.
  const WavLayout layout{1, 16, 44100};
  std::vector<double> samples = tone(layout, 1000, 4.0, 0.3);
  const std::vector<double> top = tone(layout, 15000, 4.0, 0.3);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] += top[i];
  const fs::path wav = openal_scratch("top") / "two_tones.wav";
  write_wav(wav, layout, samples);
  const Mix mix = render([&](OpenAlSoundDevice& device) {
    attach(device, 0, wav);
    device.play(0);
  });
  ASSERT_GE(mix.rate, 44100) << "mixed at too low a rate for 15 kHz";
  const std::vector<double> sound = both_sides(mix);
  const Span steady = steady_part(sound, mix.rate);
  ASSERT_GT(steady.end - steady.begin, static_cast<std::size_t>(mix.rate / 5));
  const std::vector<double> w = windowed(sound, steady);
  EXPECT_NEAR(db(amplitude_at(w, mix.rate, 15000) / amplitude_at(w, mix.rate, 1000)), 0.0, 1.5);
}

// The device's calls of a drive as velmora-sim's --events writes them; other events are left
// out.
struct SoundEvent {
  int frame = 0;
  std::string kind;  // play, loop, stop, volume, pan or freq
  int channel = 0;
  std::string arg;  // the file of play and loop (relative to the data folder), else the value
};

std::vector<SoundEvent> read_sound_events(const fs::path& path) {
  static const std::set<std::string> kinds = {"play", "loop", "stop", "volume", "pan", "freq"};
  std::vector<SoundEvent> events;
  for (const std::string& line : velmora_scenario::read_lines(path)) {
    std::istringstream in(line);
    SoundEvent e;
    if (!(in >> e.frame >> e.kind) || kinds.count(e.kind) == 0 || !(in >> e.channel)) continue;
    std::getline(in >> std::ws, e.arg);
    events.push_back(e);
  }
  return events;
}

// Plays the events on an offline device, each frame's before its 1/60 s of mix, and gives the
// mix of `frames` frames.
Mix render_drive(const std::vector<SoundEvent>& events, int frames, const fs::path& data,
                 const OpenAlSettings& settings) {
  struct Held {
    int sound = -1;
    long long own_hz = 0;
    int volume = 0, pan = 0;
    long long hz = 0;  // 0: the sound's own
  };
  std::map<int, Held> held;
  std::map<std::string, int> sounds;
  OpenAlSoundDevice device([](const std::string& m) { ADD_FAILURE() << m; }, settings);
  auto apply = [&](int channel) {
    const Held& h = held[channel];
    device.set_volume(channel, h.volume);
    device.set_pan(channel, h.pan);
    if (h.hz > 0 && h.own_hz > 0)
      device.set_freq_rate(channel, static_cast<long double>(h.hz) / h.own_hz);
  };
  Mix mix;
  mix.rate = device.output_rate();
  const int per_frame = mix.rate / 60;
  std::vector<float> block(static_cast<std::size_t>(per_frame) * 2);
  mix.channels.assign(2, {});
  auto next = events.begin();
  for (int frame = 0; frame < frames; ++frame) {
    for (; next != events.end() && next->frame <= frame; ++next) {
      const SoundEvent& e = *next;
      Held& h = held[e.channel];
      if (e.kind == "play" || e.kind == "loop") {
        auto [it, fresh] = sounds.try_emplace(e.arg, -1);
        std::string error;
        if (fresh) it->second = device.load((data / e.arg).string(), error);
        EXPECT_GE(it->second, 0) << error;
        if (h.sound != it->second) {
          // Attaching resets the channel; a first attach happened before the drive began, so
          // the levels recorded until now stay.
          if (h.sound >= 0) h = Held{};
          h.sound = it->second;
          device.attach(e.channel, h.sound);
          h.own_hz = device.frequency(e.channel);
          apply(e.channel);
        }
        e.kind == "play" ? device.play(e.channel) : device.loop(e.channel);
      } else if (e.kind == "stop") {
        device.stop(e.channel);
      } else {
        const long long value = std::stoll(e.arg);
        if (e.kind == "volume") h.volume = static_cast<int>(value);
        if (e.kind == "pan") h.pan = static_cast<int>(value);
        if (e.kind == "freq") h.hz = value;
        if (h.sound >= 0) apply(e.channel);
      }
    }
    EXPECT_TRUE(device.render(block.data(), per_frame));
    for (int i = 0; i < per_frame; ++i)
      for (int c = 0; c < 2; ++c) mix.channels[c].push_back(block[2 * i + c]);
  }
  return mix;
}

struct Level {
  double peak = 0;    // full scale 1
  int beyond = 0;     // samples beyond full scale, either side
  double rms_db = 0;  // dB of full scale
};

Level level_of(const Mix& mix) {
  Level l;
  double sum = 0;
  std::size_t n = 0;
  for (const auto& side : mix.channels)
    for (const double x : side) {
      l.peak = std::max(l.peak, std::abs(x));
      l.beyond += std::abs(x) > 1.0 ? 1 : 0;
      sum += x * x;
      ++n;
    }
  l.rms_db = 10 * std::log10(sum / static_cast<double>(std::max<std::size_t>(n, 1)));
  return l;
}

// The short demo: ctest makes it once before these tests; run alone, this test makes it.
fs::path short_demo() {
  const fs::path d = DEMO_SHORT_DIR;
  if (!fs::exists(d / "drive_local.txt")) {
    const auto r = velmora_scenario::run_tool(MAKE_DEMO, "--short --no-speech " + d.string());
    EXPECT_EQ(r.status, 0) << r.output;
  }
  return d;
}

TEST(OpenAlDrive, ADepartureStaysWithinFullScale) {
  // The first 20 s of the local demo drive: the doors close and the train departs, its bell,
  // call, handle and brake over the engine, gears and the running sounds.
  constexpr int kFrames = 1200;
  const fs::path demo = short_demo();
  const fs::path events = openal_scratch("drive") / "events.txt";
  const auto r = velmora_scenario::run_tool(
      VELMORA_SIM, "--data " + demo.string() +
                       " --vehicle train_313_2cars.dat --route line_local.dat --frames " +
                       std::to_string(kFrames) + " --input " + (demo / "drive_local.txt").string() +
                       " --events " + events.string());
  ASSERT_EQ(r.status, 0) << r.output;
  const std::vector<SoundEvent> drive = read_sound_events(events);
  ASSERT_GT(drive.size(), 100u);

  OpenAlSettings unlimited;
  unlimited.offline = true;
  unlimited.output_limiter = false;
  const Level raw = level_of(render_drive(drive, kFrames, demo, unlimited));
  OpenAlSettings settings;  // as the simulator opens its device
  settings.offline = true;
  const Level out = level_of(render_drive(drive, kFrames, demo, settings));
  std::cout << "departure, unlimited: peak " << raw.peak << ", " << raw.beyond
            << " samples beyond full scale, RMS " << raw.rms_db << " dBFS; as opened: peak "
            << out.peak << ", RMS " << out.rms_db << " dBFS\n";
  // Unlimited, the departure goes beyond full scale; otherwise this stretch proves nothing.
  ASSERT_GT(raw.beyond, 0) << "peak " << raw.peak;
  EXPECT_EQ(out.beyond, 0) << "peak " << out.peak;
  EXPECT_LE(out.peak, 1.0);
  // Only the peaks are touched: the drive sounds as loud as before.
  EXPECT_NEAR(out.rms_db, raw.rms_db, 0.5);
  EXPECT_GT(out.rms_db, -30.0);
}

}  // namespace
}  // namespace velmora
