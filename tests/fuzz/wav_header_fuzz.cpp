// The WAVE length measure on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "common/wav_seconds.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::string error;
  const int seconds = velmora::wav_seconds(in, error);
  if (seconds < 0 || (seconds != 0 && !error.empty())) __builtin_trap();
  return 0;
}
