// velmora-sim input scripts on arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "app/input_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  try {
    parse_input_script({reinterpret_cast<const char*>(data), size});
  } catch (const ScriptError&) {
  }
  return 0;
}
