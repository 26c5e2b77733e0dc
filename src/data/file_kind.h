#pragma once
// What a data file is, from its first section header: the vehicle picker lists the files
// that can be driven before the other ".dat" files of a folder.

#include <filesystem>

namespace velmora {

// Whether the first section header of the file (Shift_JIS, read as the loaders read it)
// opens a section of the vehicle file. False for a file that cannot be read.
bool is_vehicle_file(const std::filesystem::path& path);

}  // namespace velmora
