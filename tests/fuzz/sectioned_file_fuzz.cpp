// The sectioned-file reader on arbitrary bytes, with fixed sections of every number kind
// and a small list, so that capacity, end-of-file and conversion paths are all reached.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/fields.h"
#include "common/numbers.h"
#include "data/sectioned_file.h"
#include "data/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  std::vector<std::string> list;
  SectionedFormat f;
  f.default_label = "- default";
  f.sections = {
      {"[Int]", "", [](ValueLines& in) { to_int(get_field(in.next(), 2)); }, {}, {}, 0},
      {"[Real]", "- real", [](ValueLines& in) { to_real(in.next()); }, {}, {}, 0},
      {"[Fixed]", "", [](ValueLines& in) { to_fixed(in.next()); to_fixed(in.next()); }, {}, {}, 0},
      {"[Text]", "[Text]", [](ValueLines& in) { in.next(); }, {}, {}, 0},
      {"[List]", "[List]", {},
       [&](const std::string& e, std::size_t i) {
         if (list.size() <= i) list.resize(i + 1);
         list[i] = e;
       },
       [&](std::size_t n) { list.resize(n); }, 4},
  };
  try {
    read_sectioned(split_text_lines({reinterpret_cast<const char*>(data), size}), f, "fuzz.dat");
  } catch (const LoadError&) {
  }
  if (list.size() > 4) __builtin_trap();
  return 0;
}
