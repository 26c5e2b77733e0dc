// velmora.dat on arbitrary bytes: loads or fails with its message, never more.
#include <cstddef>
#include <cstdint>

#include "data/load_failure.h"
#include "data/text_file.h"
#include "data/ui_texts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  UiTexts texts;
  try {
    read_sectioned(split_text_lines({reinterpret_cast<const char*>(data), size}), ui_texts_format(texts),
                   "velmora.dat");
  } catch (const LoadError& e) {
    load_failure(DataFileKind::UiTexts, e);
  }
  if (texts.info_label.size() > kInfoLabelCapacity) __builtin_trap();
  return 0;
}
