#include "app/file_picker.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "data/file_kind.h"

namespace velmora {

namespace {

bool is_dat_file(const std::filesystem::path& p) {
  std::string ext = p.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".dat";
}

}  // namespace

FilePicker open_picker(const std::filesystem::path& folder, bool all_files) {
  FilePicker picker;
  picker.all_files = all_files;
  picker.folder = std::filesystem::absolute(folder).lexically_normal();
  std::error_code ec;
  std::filesystem::directory_iterator it(picker.folder, ec);
  if (ec) {
    picker.error = picker.folder.string() + ": " + ec.message();
    return picker;
  }
  for (const auto& e : it) {
    std::error_code kind;
    const bool folder_entry = e.is_directory(kind);
    if (folder_entry)
      picker.entries.push_back({e.path().filename().string(), true});
    else if (e.is_regular_file(kind) && is_dat_file(e.path()))
      picker.entries.push_back({e.path().filename().string(), false, is_vehicle_file(e.path())});
  }
  std::sort(picker.entries.begin(), picker.entries.end(), [](const PickerEntry& a, const PickerEntry& b) {
    return a.folder != b.folder ? a.folder : a.name < b.name;
  });
  if (picker.folder.has_parent_path() && picker.folder != picker.folder.root_path())
    picker.entries.insert(picker.entries.begin(), {"..", true});
  return picker;
}

std::optional<std::filesystem::path> choose(FilePicker& picker, const PickerEntry& entry) {
  if (!entry.folder) return picker.folder / entry.name;
  picker = open_picker(entry.name == ".." ? picker.folder.parent_path() : picker.folder / entry.name,
                       picker.all_files);
  return std::nullopt;
}

}  // namespace velmora
