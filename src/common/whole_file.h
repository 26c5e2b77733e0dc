#pragma once
// Writing a file so that it is either the old one or the whole new one: a full disk or a
// crash leaves the old file (or none), never half of the new one, and no temporary behind.

#include <filesystem>
#include <string>

namespace velmora {

// Writes `text` to `path` + ".tmp", syncs it and renames it over `path`. On failure,
// `error` names the file and the system's reason.
bool write_whole_file(const std::filesystem::path& path, const std::string& text,
                      std::string& error);

}  // namespace velmora
