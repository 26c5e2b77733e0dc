#pragma once
// mascon.dat: the line codes a serial master controller sends, one per line until a
// line starting with "#" or the end of the file. Codes 0..22 have meanings; the table
// holds at most 27.

#include <filesystem>
#include <string>
#include <vector>

namespace velmora {

struct MasconCodes {
  std::vector<std::string> codes;  // index = code number
};

constexpr std::size_t kMasconCapacity = 27;

// Builds the table from decoded lines; throws DataError past the capacity.
MasconCodes read_mascon_codes(const std::vector<std::string>& lines);

// Loads mascon.dat; throws LoadFailure when it is missing, unreadable or too long.
MasconCodes load_mascon_codes(const std::filesystem::path& path);

}  // namespace velmora
