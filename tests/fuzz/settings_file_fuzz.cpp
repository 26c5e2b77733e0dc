// The settings file on arbitrary bytes: read or refused with a reason, and whatever is read
// is written and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>

#include "input_file.h"
#include "platform/settings/ini_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  static const FuzzInputFile input("settings.ini");
  static const FuzzInputFile output("settings-out.ini");
  input.write(data, size);
  SettingsValues values;
  std::string warnings;
  if (!read_ini_settings(input.path(), values, warnings)) {
    if (warnings.empty()) __builtin_trap();  // a refusal always says why
    return 0;
  }
  std::string error;
  if (!write_ini_settings(output.path(), values, error)) __builtin_trap();
  SettingsValues again;
  std::string more;
  if (!read_ini_settings(output.path(), again, more) || again != values || !more.empty())
    __builtin_trap();
  return 0;
}
