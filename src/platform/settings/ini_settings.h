#pragma once
// Settings kept in an INI file: one section per key path, one integer per name. Written
// whole to a temporary file and renamed over the old one, so a crash never leaves half a
// file.

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "platform/settings_store.h"

namespace velmora {

using SettingsValues = std::map<std::pair<std::string, std::string>, int>;

// Reads the file; a missing file gives no values. Lines that are not integers are left
// out and named in `warnings` (one line each). Returns false when the file exists but
// cannot be read or parsed, with the reason in `warnings`.
bool read_ini_settings(const std::filesystem::path& path, SettingsValues& values,
                       std::string& warnings);

// Writes every value; returns false with the reason in `error` when it cannot.
bool write_ini_settings(const std::filesystem::path& path, const SettingsValues& values,
                        std::string& error);

// $XDG_CONFIG_HOME/velmora/settings.ini, or ~/.config/velmora/settings.ini.
std::filesystem::path default_settings_path();

class IniSettings final : public SettingsStore {
 public:
  explicit IniSettings(std::filesystem::path path);
  std::optional<int> read_int(const std::string& key, const std::string& name) override;
  // Keeps the value and saves the file; a failed save is kept in last_error(), the file on
  // the disk stays as it was, and the value is saved with the next write that works.
  void write_int(const std::string& key, const std::string& name, int value) override;
  const std::string& last_error() const { return error_; }
  // Hears the error when saving starts to fail, and "" when a save works again.
  void set_save_sink(std::function<void(const std::string& error)> on_change) {
    on_change_ = std::move(on_change);
  }

 private:
  std::filesystem::path path_;
  SettingsValues values_;
  std::string error_;
  bool failing_ = false;
  std::function<void(const std::string&)> on_change_;
};

}  // namespace velmora
