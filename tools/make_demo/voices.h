#pragma once
// Spoken calls and announcements: espeak-ng's Japanese voice, run through its command
// line into a temporary WAV file, where espeak-ng is installed; otherwise a tone sequence
// that stands for the phrase (the same phrase always gives the same tones).

#include <filesystem>
#include <string>

#include "sounds.h"

namespace velmora::demo {

class Voices {
 public:
  // `scratch`: a folder for espeak-ng's files. `use_speech` false forces the tones.
  Voices(std::filesystem::path scratch, bool use_speech);
  bool speaking() const { return speech_; }
  // The phrase (kana reads best) spoken, or its tones.
  Wave say(const std::string& kana);

 private:
  std::filesystem::path scratch_;
  bool speech_;
  int serial_ = 0;
};

// Whether espeak-ng can be run here.
bool speech_available();

}  // namespace velmora::demo
