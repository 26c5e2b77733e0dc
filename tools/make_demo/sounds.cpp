#include "sounds.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "data_writer.h"

namespace velmora::demo {
namespace {

constexpr double kPi = 3.14159265358979323846;

// A small fixed generator: the same noise on every machine.
struct Noise {
  std::uint32_t state;
  explicit Noise(std::uint32_t seed) : state(seed * 2654435761u + 1) {}
  double next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
  }
};

std::size_t count(double seconds) { return static_cast<std::size_t>(seconds * kSoundRate); }

Wave silence(double seconds) {
  Wave w;
  w.samples.assign(count(seconds), 0.0f);
  return w;
}

// One-pole low-pass over a buffer; `cut` in Hz.
void low_pass(std::vector<float>& s, double cut) {
  const double a = 1 - std::exp(-2 * kPi * cut / kSoundRate);
  double y = 0;
  for (float& v : s) {
    y += a * (v - y);
    v = static_cast<float>(y);
  }
}

void high_pass(std::vector<float>& s, double cut) {
  std::vector<float> low = s;
  low_pass(low, cut);
  for (std::size_t i = 0; i < s.size(); ++i) s[i] -= low[i];
}

void normalise(Wave& w, double peak) {
  float m = 0;
  for (float v : w.samples) m = std::max(m, std::fabs(v));
  if (m <= 0) return;
  const float k = static_cast<float>(peak / m);
  for (float& v : w.samples) v *= k;
}

// Makes a loop seamless: the last `fade` seconds are blended into the start.
void make_loop(Wave& w, double fade) {
  const std::size_t n = std::min(count(fade), w.samples.size() / 2);
  const std::size_t keep = w.samples.size() - n;
  for (std::size_t i = 0; i < n; ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(n);
    w.samples[i] = w.samples[i] * t + w.samples[keep + i] * (1 - t);
  }
  w.samples.resize(keep);
}

void envelope(Wave& w, double attack, double release) {
  const std::size_t n = w.samples.size();
  const std::size_t a = std::min(n, count(attack)), r = std::min(n, count(release));
  for (std::size_t i = 0; i < a; ++i) w.samples[i] *= static_cast<float>(i) / static_cast<float>(a);
  for (std::size_t i = 0; i < r; ++i) w.samples[n - 1 - i] *= static_cast<float>(i) / static_cast<float>(r);
}

Wave noise(double seconds, std::uint32_t seed) {
  Wave w;
  Noise n(seed);
  w.samples.resize(count(seconds));
  for (float& v : w.samples) v = static_cast<float>(n.next());
  return w;
}

// A tone with harmonics; frequencies in Hz, amplitudes relative.
void add_tone(Wave& w, double freq, double amp, double from_s = 0, double to_s = 1e9,
              double decay = 0) {
  const std::size_t a = count(from_s), b = std::min(w.samples.size(), count(to_s));
  for (std::size_t i = a; i < b; ++i) {
    const double t = static_cast<double>(i - a) / kSoundRate;
    w.samples[i] += static_cast<float>(amp * std::sin(2 * kPi * freq * t) * std::exp(-decay * t));
  }
}

void add(Wave& into, const Wave& w, double at_s, double gain = 1) {
  const std::size_t a = count(at_s);
  if (into.samples.size() < a + w.samples.size()) into.samples.resize(a + w.samples.size(), 0.0f);
  for (std::size_t i = 0; i < w.samples.size(); ++i) into.samples[a + i] += static_cast<float>(w.samples[i] * gain);
}

void put32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 255);
}
void put16(std::string& s, std::uint16_t v) {
  s += static_cast<char>(v & 255);
  s += static_cast<char>(v >> 8);
}

}  // namespace

std::string wave_bytes(const Wave& wave) {
  const std::uint32_t data = static_cast<std::uint32_t>(wave.samples.size() * 2);
  std::string s = "RIFF";
  put32(s, 36 + data);
  s += "WAVEfmt ";
  put32(s, 16);
  put16(s, 1);  // PCM
  put16(s, 1);  // mono
  put32(s, kSoundRate);
  put32(s, kSoundRate * 2);
  put16(s, 2);
  put16(s, 16);
  s += "data";
  put32(s, data);
  for (float v : wave.samples) {
    const long q = std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f);
    put16(s, static_cast<std::uint16_t>(static_cast<std::int16_t>(q)));
  }
  return s;
}

void save_wave(const Wave& wave, const std::filesystem::path& path) {
  if (wave.samples.empty()) throw std::runtime_error(path.string() + ": an empty sound");
  write_bytes(path, wave_bytes(wave));
}

Wave read_wave(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const auto u16 = [&b](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8));
  };
  const auto u32 = [&](std::size_t at) { return u16(at) | (u16(at + 2) << 16); };
  Wave w;
  if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return w;
  std::uint32_t channels = 0, rate = 0, bits = 0;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::string id = b.substr(at, 4);
    std::uint32_t size = u32(at + 4);
    const std::size_t body = at + 8;
    if (id == "fmt " && body + 16 <= b.size()) {
      channels = u16(body + 2);
      rate = u32(body + 4);
      bits = u16(body + 14);
    } else if (id == "data") {
      if (bits != 16 || channels < 1 || rate == 0) return w;
      size = std::min<std::uint32_t>(size, static_cast<std::uint32_t>(b.size() - body));
      const std::size_t frames = size / (2 * channels);
      std::vector<float> src(frames);
      for (std::size_t i = 0; i < frames; ++i)
        src[i] = static_cast<float>(static_cast<std::int16_t>(u16(body + i * 2 * channels))) / 32768.0f;
      // Linear resampling to the demo's rate.
      const std::size_t out = frames * kSoundRate / rate;
      w.samples.resize(out);
      for (std::size_t i = 0; i < out; ++i) {
        const double pos = static_cast<double>(i) * rate / kSoundRate;
        const std::size_t k = std::min(frames - 1, static_cast<std::size_t>(pos));
        const double t = pos - static_cast<double>(k);
        const float next = src[std::min(frames - 1, k + 1)];
        w.samples[i] = static_cast<float>(src[k] * (1 - t) + next * t);
      }
      return w;
    }
    at = body + size + (size & 1);
  }
  return w;
}

Wave running_noise(int band) {
  if (band == 0) {
    // Standing: the hum of the auxiliary machines.
    Wave w = silence(2.0);
    for (double f : {100.0, 200.0, 300.0, 420.0}) add_tone(w, f, 1.0 / (f / 100));
    Wave n = noise(2.0, 11);
    low_pass(n.samples, 300);
    add(w, n, 0, 0.4);
    normalise(w, 0.25);
    return w;
  }
  const double v = band * 10 / 3.6;  // m/s
  const double loop = 2.0;
  Wave w = noise(loop + 0.1, 100 + static_cast<std::uint32_t>(band));
  low_pass(w.samples, 250 + band * 60);
  // Rail joints every 25 m: a pair of knocks per bogie, two bogies per car.
  const double joint = 25.0 / v;
  Wave knock = noise(0.05, 7);
  low_pass(knock.samples, 900);
  envelope(knock, 0.002, 0.04);
  for (double t = 0.1; t < loop; t += joint)
    for (double d : {0.0, 2.1 / v, 13.8 / v, 15.9 / v}) {
      if (t + d < loop) add(w, knock, t + d, 6.0);
    }
  normalise(w, std::min(0.9, 0.35 + band * 0.05));
  make_loop(w, 0.1);
  return w;
}

Wave motor_whine(int variant) {
  // Whole cycles in one second, so the loop is seamless at any playback rate.
  Wave w = silence(1.0);
  const double base = variant == 0 ? 180 : 300;
  add_tone(w, base, 1.0);
  add_tone(w, base * 2, 0.5);
  add_tone(w, base * 3, 0.25);
  add_tone(w, base * 4.5 == std::floor(base * 4.5) ? base * 4.5 : base * 4, 0.15);
  Wave n = noise(1.0, 31 + static_cast<std::uint32_t>(variant));
  low_pass(n.samples, 2000);
  add(w, n, 0, 0.08);
  normalise(w, 0.5);
  return w;
}

Wave engine_note(int variant) {
  Wave w = silence(1.0);
  const double fire = variant == 0 ? 30 : 45;  // Hz, firing pulses
  for (int h = 1; h <= 8; ++h) add_tone(w, fire * h, 1.0 / h);
  Wave n = noise(1.0, 41 + static_cast<std::uint32_t>(variant));
  low_pass(n.samples, 500);
  for (std::size_t i = 0; i < n.samples.size(); ++i) {
    const double t = static_cast<double>(i) / kSoundRate;
    n.samples[i] *= static_cast<float>(0.5 + 0.5 * std::sin(2 * kPi * fire * t));
  }
  add(w, n, 0, 0.6);
  normalise(w, 0.55);
  return w;
}

Wave gear_whine() {
  Wave w = silence(1.0);
  add_tone(w, 620, 1.0);
  add_tone(w, 1240, 0.3);
  normalise(w, 0.3);
  return w;
}

Wave air_hiss(double seconds, double brightness, double attack, double release) {
  Wave w = noise(seconds, static_cast<std::uint32_t>(seconds * 1000 + brightness * 10));
  high_pass(w.samples, 800 + brightness * 1500);
  low_pass(w.samples, 3000 + brightness * 4000);
  envelope(w, attack, release);
  normalise(w, 0.6);
  return w;
}

Wave brake_squeal() {
  Wave w = silence(1.0);
  for (std::size_t i = 0; i < w.samples.size(); ++i) {
    const double t = static_cast<double>(i) / kSoundRate;
    w.samples[i] = static_cast<float>(std::sin(2 * kPi * 3200 * t + 2.0 * std::sin(2 * kPi * 6 * t)));
  }
  add_tone(w, 4800, 0.3);
  normalise(w, 0.35);
  return w;
}

Wave compressor(int part) {
  if (part == 1) {
    Wave w = silence(1.0);
    for (int h = 1; h <= 6; ++h) add_tone(w, 12.0 * h * 4, 0.8 / h);
    Wave n = noise(1.0, 51);
    low_pass(n.samples, 700);
    for (std::size_t i = 0; i < n.samples.size(); ++i)
      n.samples[i] *= static_cast<float>(0.4 + 0.6 * std::pow(std::sin(kPi * 12 * i / kSoundRate), 2));
    add(w, n, 0, 0.8);
    normalise(w, 0.4);
    return w;
  }
  Wave w = silence(1.2);
  for (std::size_t i = 0; i < w.samples.size(); ++i) {
    const double t = static_cast<double>(i) / kSoundRate;
    const double k = part == 0 ? std::min(1.0, t / 1.0) : std::max(0.0, 1 - t / 1.1);
    w.samples[i] = static_cast<float>(k * std::sin(2 * kPi * (20 + 28 * k) * t * 4));
  }
  normalise(w, 0.4);
  return w;
}

Wave door_sound(bool opening) {
  Wave w = air_hiss(opening ? 1.6 : 2.2, 0.3, 0.05, 0.6);
  Wave thump = noise(0.12, opening ? 61 : 62);
  low_pass(thump.samples, 200);
  envelope(thump, 0.005, 0.1);
  add(w, thump, opening ? 1.3 : 1.9, 3.0);
  if (!opening) {
    // The warning chime while the doors close.
    Wave c = chime({988, 784}, 0.3);
    add(w, c, 0.0, 0.6);
  }
  normalise(w, 0.6);
  return w;
}

Wave horn(int variant) {
  Wave w = silence(variant == 2 ? 2.0 : 1.1);
  const std::vector<double> tones = variant == 1 ? std::vector<double>{840, 1050}
                                                 : std::vector<double>{330, 415, 494};
  for (double f : tones)
    for (int h = 1; h <= 4; ++h) add_tone(w, f * h, 1.0 / (h * h));
  if (variant == 2) {
    normalise(w, 0.6);
    return w;
  }
  envelope(w, 0.04, 0.15);
  normalise(w, 0.7);
  return w;
}

Wave horn_part(int part) {
  Wave w = silence(part == 3 ? 0.4 : 0.8);
  for (double f : {349.0, 440.0})
    for (int h = 1; h <= 3; ++h) add_tone(w, f * h * (part == 2 ? 1.02 : 1.0), 1.0 / (h * h));
  envelope(w, part == 0 ? 0.08 : 0.02, part == 3 ? 0.35 : 0.02);
  normalise(w, 0.65);
  return w;
}

Wave beeper(double freq, double seconds, double on_s, double off_s) {
  Wave w = silence(seconds);
  for (double t = 0; t < seconds; t += on_s + off_s) {
    Wave b = silence(on_s);
    add_tone(b, freq, 1.0);
    add_tone(b, freq * 3, 0.3);
    envelope(b, 0.005, 0.01);
    add(w, b, t);
  }
  w.samples.resize(count(seconds));
  normalise(w, 0.5);
  return w;
}

Wave bell(double freq, double seconds, double strikes_per_s) {
  Wave w = silence(seconds);
  for (double t = 0; t < seconds; t += 1 / strikes_per_s) {
    Wave s = silence(0.4);
    add_tone(s, freq, 1.0, 0, 1e9, 9);
    add_tone(s, freq * 2.76, 0.5, 0, 1e9, 14);
    add_tone(s, freq * 5.4, 0.25, 0, 1e9, 20);
    add(w, s, t);
  }
  w.samples.resize(count(seconds));
  normalise(w, 0.55);
  return w;
}

Wave chime(const std::vector<double>& notes, double note_s) {
  Wave w = silence(note_s * notes.size() + 0.6);
  for (std::size_t k = 0; k < notes.size(); ++k) {
    add_tone(w, notes[k], 1.0, k * note_s, 1e9, 3.5);
    add_tone(w, notes[k] * 2, 0.3, k * note_s, 1e9, 6);
  }
  envelope(w, 0.002, 0.2);
  normalise(w, 0.5);
  return w;
}

Wave click(double weight) {
  Wave w = noise(0.08, static_cast<std::uint32_t>(weight * 100));
  low_pass(w.samples, 1500 + 2500 / weight);
  envelope(w, 0.001, 0.07);
  add_tone(w, 180 / weight, 0.5, 0, 0.06, 40);
  normalise(w, std::min(0.8, 0.4 * weight));
  return w;
}

Wave melody(int variant) {
  // Short original tunes in a major scale; each station has its own.
  static const std::vector<std::vector<int>> tunes = {
      {0, 4, 7, 12, 11, 7, 9, 7, 4, 5, 7, 12},
      {7, 5, 4, 2, 4, 7, 12, 9, 7, 4, 2, 0},
      {0, 2, 4, 0, 4, 7, 9, 7, 5, 4, 2, 4},
      {12, 7, 9, 4, 5, 0, 2, 7, 4, 9, 7, 12},
      {4, 4, 7, 9, 7, 4, 2, 4, 0, 2, 4, 7},
  };
  const std::vector<int>& t = tunes[static_cast<std::size_t>(variant) % tunes.size()];
  const double note = 0.32;
  Wave w = silence(note * t.size() * 2 + 0.5);
  const double root = 523.25 * std::pow(2.0, (variant % 3) / 12.0);
  for (int rep = 0; rep < 2; ++rep)
    for (std::size_t k = 0; k < t.size(); ++k) {
      const double f = root * std::pow(2.0, t[k] / 12.0);
      const double at = (rep * t.size() + k) * note;
      add_tone(w, f, 1.0, at, at + note * 1.5, 4);
      add_tone(w, f * 2, 0.25, at, at + note, 8);
      if (k % 4 == 0) add_tone(w, root / 2, 0.4, at, at + note * 3, 2);
    }
  envelope(w, 0.01, 0.4);
  normalise(w, 0.55);
  return w;
}

Wave points_clatter(bool heavy) {
  Wave w = silence(1.2);
  Wave knock = noise(0.05, heavy ? 71 : 72);
  low_pass(knock.samples, heavy ? 700 : 1200);
  envelope(knock, 0.002, 0.045);
  for (double t : {0.0, 0.08, 0.5, 0.58, 0.9, 0.98}) add(w, knock, t, heavy ? 1.0 : 0.7);
  normalise(w, heavy ? 0.85 : 0.6);
  return w;
}

Wave engine_start(bool starting) {
  Wave w = silence(starting ? 2.5 : 1.8);
  for (std::size_t i = 0; i < w.samples.size(); ++i) {
    const double t = static_cast<double>(i) / kSoundRate;
    double f, a;
    if (starting) {
      f = t < 1.0 ? 8 + 6 * t : 30;
      a = t < 1.0 ? 0.5 : std::max(0.3, 1.2 - (t - 1.0) * 0.6);
    } else {
      f = std::max(4.0, 30 - 15 * t);
      a = std::max(0.0, 1 - t / 1.8);
    }
    double v = 0;
    for (int h = 1; h <= 6; ++h) v += std::sin(2 * kPi * f * h * t * 1.5) / h;
    w.samples[i] = static_cast<float>(a * v);
  }
  normalise(w, 0.6);
  return w;
}

Wave ambience(int variant) {
  Wave w = noise(3.2, 80 + static_cast<std::uint32_t>(variant));
  if (variant == 0) {
    low_pass(w.samples, 900);
    Noise n(5);
    for (double t = 0.2; t < 3.0; t += 0.35 + 0.3 * std::fabs(n.next())) {
      Wave voice = silence(0.25);
      add_tone(voice, 180 + 120 * std::fabs(n.next()), 0.5, 0, 1e9, 6);
      add(w, voice, t, 0.5);
    }
  } else if (variant == 1) {
    high_pass(w.samples, 300);
    low_pass(w.samples, 2500);
  } else {
    low_pass(w.samples, 400);
    for (double t = 0.3; t < 3.0; t += 0.7) {
      Wave chirp = silence(0.12);
      for (std::size_t i = 0; i < chirp.samples.size(); ++i) {
        const double tt = static_cast<double>(i) / kSoundRate;
        chirp.samples[i] = static_cast<float>(std::sin(2 * kPi * (3000 + 8000 * tt) * tt) * (1 - tt / 0.12));
      }
      add(w, chirp, t, 0.8);
    }
  }
  normalise(w, 0.4);
  make_loop(w, 0.2);
  return w;
}

Wave passing_train() {
  Wave w = noise(6.0, 91);
  low_pass(w.samples, 600);
  for (std::size_t i = 0; i < w.samples.size(); ++i) {
    const double t = static_cast<double>(i) / kSoundRate;
    w.samples[i] *= static_cast<float>(std::exp(-std::pow((t - 3.0) / 1.4, 2)));
  }
  Wave knock = noise(0.05, 92);
  low_pass(knock.samples, 900);
  envelope(knock, 0.002, 0.04);
  for (double t = 1.6; t < 4.4; t += 0.55) add(w, knock, t, 1.5);
  normalise(w, 0.7);
  return w;
}

Wave jingle() {
  Wave w = melody(3);
  w.samples.resize(std::min(w.samples.size(), count(4.5)));
  envelope(w, 0.01, 0.8);
  return w;
}

Wave tone_phrase(const std::string& text) {
  // One short tone per character (bytes of a UTF-8 character folded together), its pitch
  // from the character: the same text always sounds the same.
  Wave w;
  std::uint32_t code = 0;
  int pending = 0;
  std::vector<std::uint32_t> chars;
  for (unsigned char c : text) {
    if ((c & 0xc0) != 0x80) {
      if (pending > 0) chars.push_back(code);
      code = c;
      pending = 1;
    } else {
      code = code * 64 + (c & 0x3f);
    }
  }
  if (pending > 0) chars.push_back(code);
  for (std::uint32_t ch : chars) {
    if (ch == ' ' || ch == 0x3000) {
      add(w, silence(0.08), static_cast<double>(w.samples.size()) / kSoundRate);
      continue;
    }
    Wave t = silence(0.13);
    const double f = 330 * std::pow(2.0, static_cast<double>(ch % 12) / 12.0);
    add_tone(t, f, 1.0);
    add_tone(t, f * 2, 0.3);
    envelope(t, 0.01, 0.04);
    add(w, t, static_cast<double>(w.samples.size()) / kSoundRate + 0.02);
  }
  if (w.samples.empty()) w = silence(0.2);
  normalise(w, 0.5);
  return w;
}

Wave join(const std::vector<Wave>& parts, double gap_s) {
  Wave w;
  for (const Wave& p : parts) {
    if (!w.samples.empty()) w.samples.resize(w.samples.size() + count(gap_s), 0.0f);
    w.samples.insert(w.samples.end(), p.samples.begin(), p.samples.end());
  }
  return w;
}

}  // namespace velmora::demo
