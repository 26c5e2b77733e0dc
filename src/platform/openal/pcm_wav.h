#pragma once
// Reading a WAV file into plain PCM samples, with SDL's WAV decoder. SDL needs no
// initialisation for this: it only reads the file.

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

struct PcmSound {
  std::vector<std::uint8_t> samples;  // interleaved; 8-bit unsigned or 16-bit signed little-endian
  int channels = 0;                   // 1 or 2
  int bits = 0;                       // 8 or 16
  int rate = 0;                       // sample frames per second
};

// Reads `path`. Anything SDL decodes (8/16/24/32-bit PCM, float, ADPCM, a-law, mu-law) comes
// out as 8 or 16 bits; more than two channels is refused. On failure returns false with a
// reason that names the file in `error`.
bool read_pcm_wav(const std::string& path, PcmSound& sound, std::string& error);

}  // namespace velmora
