// The sound device's WAV loader on arbitrary bytes: a sound or a reason, never more.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/openal/pcm_wav.h"

namespace {

const std::string& input_path() {
  static const std::string path = "/tmp/velmora-fuzz-wav-" + std::to_string(::getpid()) + ".wav";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::atexit([] { std::remove(input_path().c_str()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    std::ofstream out(input_path(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  velmora::PcmSound sound;
  std::string error;
  if (!velmora::read_pcm_wav(input_path(), sound, error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  const std::size_t frame = static_cast<std::size_t>(sound.channels) * (sound.bits / 8);
  if ((sound.channels != 1 && sound.channels != 2) || (sound.bits != 8 && sound.bits != 16) ||
      sound.rate <= 0 || sound.samples.size() % frame != 0)
    __builtin_trap();
  return 0;
}
