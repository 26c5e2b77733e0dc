#pragma once
// File names written in data files follow Windows conventions: backslashes between
// folders and letter case that need not match the disk. These find the real file.

#include <filesystem>
#include <optional>
#include <string_view>

namespace velmora {

// Finds `name` (as written in a data file) below `folder`: backslashes become slashes,
// then an exact match is tried, then a case-insensitive match per path component.
// Empty when nothing matches; callers report the name as written.
std::optional<std::filesystem::path> resolve_data_file(const std::filesystem::path& folder,
                                                       std::string_view name);

}  // namespace velmora
