#include "platform/settings/ini_settings.h"

#include <fcntl.h>
#include <ini.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "common/numbers.h"
#include "common/whole_file.h"

namespace velmora {
namespace {

struct ParseState {
  SettingsValues* values;
  std::string* warnings;
};

int on_value(void* user, const char* section, const char* name, const char* value) {
  auto* state = static_cast<ParseState*>(user);
  try {
    (*state->values)[{section, name}] = to_int(value);
  } catch (const ConversionError& e) {
    *state->warnings += std::string("[") + section + "] " + name + ": " + e.what() + "\n";
  }
  return 1;
}

}  // namespace

bool read_ini_settings(const std::filesystem::path& path, SettingsValues& values,
                       std::string& warnings) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return true;
  ParseState state{&values, &warnings};
  const int result = ini_parse(path.c_str(), on_value, &state);
  if (result < 0) {
    warnings += path.string() + ": cannot be read\n";
    return false;
  }
  if (result > 0) {
    warnings += path.string() + ":" + std::to_string(result) + ": not an INI line\n";
    return false;
  }
  return true;
}

bool write_ini_settings(const std::filesystem::path& path, const SettingsValues& values,
                        std::string& error) {
  std::string text;
  std::string section;
  for (const auto& [key, value] : values) {
    if (text.empty() || key.first != section) {
      section = key.first;
      text += (text.empty() ? "[" : "\n[") + section + "]\n";
    }
    text += key.second + "=" + std::to_string(value) + "\n";
  }
  std::error_code ec;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
  return write_whole_file(path, text, error);
}

std::filesystem::path default_settings_path() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::filesystem::path base;
  if (xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::filesystem::path(home != nullptr ? home : ".") / ".config";
  }
  return base / "velmora" / "settings.ini";
}

IniSettings::IniSettings(std::filesystem::path path) : path_(std::move(path)) {
  read_ini_settings(path_, values_, error_);
}

std::optional<int> IniSettings::read_int(const std::string& key, const std::string& name) {
  auto it = values_.find({key, name});
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

void IniSettings::write_int(const std::string& key, const std::string& name, int value) {
  values_[{key, name}] = value;
  error_.clear();
  const bool saved = write_ini_settings(path_, values_, error_);
  // Told once when saving starts to fail, and once when it works again.
  if (saved == failing_ && on_change_) on_change_(error_);
  failing_ = !saved;
}

}  // namespace velmora
