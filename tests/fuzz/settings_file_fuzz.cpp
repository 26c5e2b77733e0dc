// The settings file on arbitrary bytes: read or refused with a reason, and whatever is read
// is written and read back unchanged.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/settings/ini_settings.h"

namespace {

std::filesystem::path scratch(const char* name) {
  return std::filesystem::temp_directory_path() /
         ("velmora-fuzz-settings-" + std::to_string(::getpid()) + "-" + name + ".ini");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove(scratch("in"), ignored);
    std::filesystem::remove(scratch("out"), ignored);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  {
    std::ofstream out(scratch("in"), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  SettingsValues values;
  std::string warnings;
  if (!read_ini_settings(scratch("in"), values, warnings)) {
    if (warnings.empty()) __builtin_trap();  // a refusal always says why
    return 0;
  }
  std::string error;
  if (!write_ini_settings(scratch("out"), values, error)) __builtin_trap();
  SettingsValues again;
  std::string more;
  if (!read_ini_settings(scratch("out"), again, more) || again != values || !more.empty())
    __builtin_trap();
  return 0;
}
