#include "platform/openal/pcm_wav.h"

#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
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

std::uint32_t le32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}
void put_le32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Cuts every chunk length down to the bytes the file really holds. The decoder allocates what
// a chunk header claims before it reads, so a cut-off file or a damaged header would
// otherwise cost gigabytes; a cut-off sound plays what is there. The decoder also reads
// files that begin at the WAVE mark, without the RIFF header, so those are cut too.
void fit_chunks_to_file(std::vector<std::uint8_t>& f) {
  std::size_t at = 0;
  if (f.size() >= 12 && std::memcmp(f.data(), "RIFF", 4) == 0) {
    put_le32(&f[4], std::min<std::uint32_t>(le32(&f[4]), static_cast<std::uint32_t>(f.size() - 8)));
    at = 12;
  } else if (f.size() >= 4 && std::memcmp(f.data(), "WAVE", 4) == 0) {
    at = 4;
  } else {
    return;
  }
  while (at + 8 <= f.size()) {
    const std::size_t room = f.size() - at - 8;
    const std::uint32_t length = le32(&f[at + 4]);
    if (length > room) put_le32(&f[at + 4], static_cast<std::uint32_t>(room));
    at += 8 + std::min<std::size_t>(length, room) + (length & 1);
  }
}

constexpr std::streamoff kMaxWavBytes = std::streamoff{1} << 30;

}  // namespace

bool read_pcm_wav(const std::string& path, PcmSound& sound, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be opened (" + std::strerror(errno) + ")";
    return false;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0);
  if (size < 0 || size > kMaxWavBytes) {
    error = path + ": larger than sounds are read (1 GiB)";
    return false;
  }
  std::vector<std::uint8_t> contents(static_cast<std::size_t>(size));
  if (!in.read(reinterpret_cast<char*>(contents.data()), size)) {
    error = path + ": cannot be read";
    return false;
  }
  fit_chunks_to_file(contents);
  SDL_RWops* file = SDL_RWFromConstMem(contents.data(), static_cast<int>(contents.size()));
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
