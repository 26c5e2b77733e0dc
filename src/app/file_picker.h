#pragma once
// The vehicle picker's folder view (the title window's right click on a route): the folders
// and the vehicle files (".dat", in any letter case) of one folder, sorted, with a way up.
// The window that shows it is the desktop program's.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

inline constexpr const char* kPickerTitle = "この路線を任意の列車で運転することができます";
inline constexpr const char* kPickerFilter = "列車データファイル (*.dat)";

struct PickerEntry {
  std::string name;  // as the file system spells it
  bool folder = false;
};

struct FilePicker {
  std::filesystem::path folder;
  std::vector<PickerEntry> entries;  // folders first, then files, each by name
  std::string error;                 // why the folder could not be listed; empty when it could
};

// A picker showing `folder`; a folder that cannot be read shows nothing and says why.
FilePicker open_picker(const std::filesystem::path& folder);

// A chosen entry: a folder is entered (".." goes up); a file is the choice.
std::optional<std::filesystem::path> choose(FilePicker& picker, const PickerEntry& entry);

}  // namespace velmora
