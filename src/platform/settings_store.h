#pragma once
// Per-user integer settings under a key path (the viewing options and the controller
// button map). Nothing else is stored.

#include <optional>
#include <string>

namespace velmora {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // Empty when the value was never written.
  virtual std::optional<int> read_int(const std::string& key, const std::string& name) = 0;
  virtual void write_int(const std::string& key, const std::string& name, int value) = 0;
};

}  // namespace velmora
