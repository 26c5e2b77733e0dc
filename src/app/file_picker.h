#pragma once
// The vehicle picker's folder view (the title window's right click on a route): the folders
// and the ".dat" files (in any letter case) of one folder, sorted, with a way up. The vehicle
// files (a vehicle-file section first) are offered; the other ".dat" files only when asked
// for, since a route or settings file picked as the vehicle cannot be driven. The window
// that shows it is the desktop program's.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

inline constexpr const char* kPickerTitle = "この路線を任意の列車で運転することができます";
inline constexpr const char* kPickerFilter = "列車データファイル (*.dat)";
inline constexpr const char* kPickerAllFiles = "すべての .dat ファイル / all .dat files";

struct PickerEntry {
  std::string name;  // as the file system spells it
  bool folder = false;
  bool vehicle = false;  // a file whose first section is a vehicle file's
};

struct FilePicker {
  std::filesystem::path folder;
  std::vector<PickerEntry> entries;  // folders first, then files, each by name
  std::string error;                 // why the folder could not be listed; empty when it could
  bool all_files = false;            // list every ".dat" file, not only the vehicle files
  std::string selected;              // the file last clicked once; empty: none

  // Whether an entry is listed.
  bool shown(const PickerEntry& e) const { return e.folder || e.vehicle || all_files; }
};

// A picker showing `folder`; a folder that cannot be read shows nothing and says why.
// `all_files` is kept from the picker it replaces.
FilePicker open_picker(const std::filesystem::path& folder, bool all_files = false);

// A chosen entry: a folder is entered (".." goes up); a file is the choice.
std::optional<std::filesystem::path> choose(FilePicker& picker, const PickerEntry& entry);

}  // namespace velmora
