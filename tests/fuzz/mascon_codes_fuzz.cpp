// mascon.dat on arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "data/mascon_codes.h"
#include "data/sectioned_file.h"
#include "data/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  try {
    const MasconCodes codes = read_mascon_codes(split_text_lines({reinterpret_cast<const char*>(data), size}));
    if (codes.codes.size() > kMasconCapacity) __builtin_trap();
  } catch (const DataError&) {
  }
  return 0;
}
