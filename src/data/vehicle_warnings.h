#pragma once
// What a vehicle author wants to hear about a vehicle file that loads: lines that look
// like a misspelt header, sound numbers that name no [DriveSound] entry, pictures or
// sounds missing from the vehicle's folder, and values the run reads as "none" (a
// [CurrentB] divisor of 0, a power notch without its [Notch] row, ...). None of these
// stops the simulator from reading the file; each would silently leave something out of
// the drive.

#include <filesystem>
#include <string>
#include <vector>

#include "data/vehicle_loader.h"

namespace velmora {

struct VehicleWarning {
  int line = 0;  // 1-based line of the file
  std::string text;
};

// Every section key of the vehicle file, in checking order.
std::vector<std::string> vehicle_section_names();

// The header a line under no section seems meant to be, or "" when it looks like none:
// a key in other letter case, a key after blanks, or a bracketed word one edit away.
std::string misspelt_header(const std::string& line);

// The warnings about a loaded vehicle file, in line order. `folder` is where its pictures
// and sounds are looked up.
std::vector<VehicleWarning> vehicle_warnings(const VehicleData& vehicle,
                                             const VehicleSource& source,
                                             const std::filesystem::path& folder);

}  // namespace velmora
