#pragma once
// Synthesised sounds for the demo: PCM WAV files with the canonical 44-byte header the
// simulator's length reader expects. Each sound is made from tones, noise and envelopes
// by a fixed recipe, so the same version always writes the same bytes.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velmora::demo {

constexpr int kSoundRate = 22050;  // Hz, the sound device's primary format

struct Wave {
  std::vector<float> samples;  // mono, -1 .. 1
  double seconds() const { return static_cast<double>(samples.size()) / kSoundRate; }
};

// Writes 16-bit mono PCM with a 44-byte header.
void save_wave(const Wave& wave, const std::filesystem::path& path);
// The bytes of such a file.
std::string wave_bytes(const Wave& wave);
// Reads a PCM WAV file (any header layout, 16-bit, mono or stereo, any rate) as a Wave at
// kSoundRate; empty when it cannot be read.
Wave read_wave(const std::filesystem::path& path);

// The recipes. `variant` picks one of a family (a band, a melody).
Wave running_noise(int band);           // 0: standing hum; k: k x 10 km/h over rail joints
Wave motor_whine(int variant);          // traction motor and gears, looped
Wave engine_note(int variant);          // diesel engine, looped
Wave gear_whine();                      // a diesel's gearbox, looped
Wave air_hiss(double seconds, double brightness, double attack, double release);
Wave brake_squeal();                    // looped
Wave compressor(int part);              // 0 start, 1 running (looped), 2 stop
Wave door_sound(bool opening);
Wave horn(int variant);                 // 0 air horn, 1 electric whistle, 2 long loop
Wave horn_part(int part);               // the sequenced horn: 0 start, 1, 2 sustains, 3 end
Wave beeper(double freq, double seconds, double on_s, double off_s);  // buzzers, bells
Wave bell(double freq, double seconds, double strikes_per_s);
Wave chime(const std::vector<double>& notes, double note_s);
Wave click(double weight);              // handles, switches, reverser
Wave melody(int variant);               // departure melodies
Wave points_clatter(bool heavy);
Wave engine_start(bool starting);
Wave ambience(int variant);             // 0 platform crowd, 1 river, 2 birds
Wave passing_train();
Wave jingle();                          // the title jingle

// A recognisable stand-in for a spoken phrase: a short tone sequence derived from the
// text, used where no speech synthesiser is installed.
Wave tone_phrase(const std::string& text);
// Concatenates waves with a gap between them.
Wave join(const std::vector<Wave>& parts, double gap_s = 0.15);

}  // namespace velmora::demo
