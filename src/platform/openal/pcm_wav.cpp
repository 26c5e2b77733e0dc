#include "platform/openal/pcm_wav.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace velmora {
namespace {

struct WavDeleter {
  void operator()(Uint8* data) const { SDL_FreeWAV(data); }
};

// 32-bit integer and float samples (SDL gives these for 24/32-bit and float files) kept to
// their top 16 bits, which is what the device mixes anyway.
void narrow_to_16(const Uint8* data, Uint32 bytes, SDL_AudioFormat format,
                  std::vector<std::uint8_t>& out) {
  const Uint32 count = bytes / 4;
  out.resize(std::size_t{count} * 2);
  for (Uint32 i = 0; i < count; ++i) {
    std::int16_t s = 0;
    if (format == AUDIO_F32LSB) {
      float f;
      std::memcpy(&f, data + std::size_t{i} * 4, 4);
      s = static_cast<std::int16_t>(std::lround(std::clamp(f, -1.0f, 1.0f) * 32767.0f));
    } else {
      std::int32_t v;
      std::memcpy(&v, data + std::size_t{i} * 4, 4);
      s = static_cast<std::int16_t>(v >> 16);
    }
    out[std::size_t{i} * 2] = static_cast<std::uint8_t>(s & 0xff);
    out[std::size_t{i} * 2 + 1] = static_cast<std::uint8_t>((s >> 8) & 0xff);
  }
}

}  // namespace

bool read_pcm_wav(const std::string& path, PcmSound& sound, std::string& error) {
  SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
  if (file == nullptr) {
    error = path + ": cannot be opened (" + SDL_GetError() + ")";
    return false;
  }
  SDL_AudioSpec format{};
  Uint8* raw = nullptr;
  Uint32 bytes = 0;
  if (SDL_LoadWAV_RW(file, 1, &format, &raw, &bytes) == nullptr) {
    error = path + ": not a WAV sound that can be read (" + SDL_GetError() + ")";
    return false;
  }
  const std::unique_ptr<Uint8, WavDeleter> data(raw);
  if (format.channels != 1 && format.channels != 2) {
    error = path + ": has " + std::to_string(format.channels) +
            " channels; only mono and stereo sounds can be played";
    return false;
  }
  if (format.freq <= 0) {
    error = path + ": has no sample rate";
    return false;
  }
  sound.channels = format.channels;
  sound.rate = format.freq;
  switch (format.format) {
    case AUDIO_U8:
      sound.bits = 8;
      sound.samples.assign(raw, raw + bytes);
      break;
    case AUDIO_S16LSB:
      sound.bits = 16;
      sound.samples.assign(raw, raw + bytes);
      break;
    case AUDIO_S32LSB:
    case AUDIO_F32LSB:
      sound.bits = 16;
      narrow_to_16(raw, bytes, format.format, sound.samples);
      break;
    default:
      error = path + ": has " + std::to_string(SDL_AUDIO_BITSIZE(format.format)) +
              "-bit samples in a layout that cannot be played";
      return false;
  }
  // The device takes whole sample frames only; a torn last frame is dropped.
  const std::size_t frame = static_cast<std::size_t>(sound.channels * sound.bits / 8);
  sound.samples.resize(sound.samples.size() / frame * frame);
  return true;
}

}  // namespace velmora
