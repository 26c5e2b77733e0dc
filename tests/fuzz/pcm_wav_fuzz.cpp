// The sound device's WAV loader on arbitrary bytes: a sound or a reason, never more.
#include <cstddef>
#include <cstdint>
#include <string>

#include "input_file.h"
#include "platform/openal/pcm_wav.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const velmora::FuzzInputFile input("sound.wav");
  velmora::PcmSound sound;
  std::string error;
  if (!velmora::read_pcm_wav(input.write(data, size), sound, error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  const std::size_t frame = static_cast<std::size_t>(sound.channels) * (sound.bits / 8);
  if ((sound.channels != 1 && sound.channels != 2) || (sound.bits != 8 && sound.bits != 16) ||
      sound.rate <= 0 || sound.samples.size() % frame != 0)
    __builtin_trap();
  return 0;
}
