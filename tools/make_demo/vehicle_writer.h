#pragma once
// The three demo vehicles: their files in the vehicle-file format (train sections and cab
// panel sections), their cab pictures and their sounds.

#include <filesystem>
#include <string>

namespace velmora::demo {

// An electric train with the acceleration table, two handles, a notch brake with an
// electric brake and the pattern protection (ATS-P).
void write_train_85(const std::filesystem::path& data_dir);
// An electric train with the motor-current model and its notching steps, the automatic
// air brake with brake-valve positions and warning-bell protection.
void write_train_75(const std::filesystem::path& data_dir);
// A two-car diesel railcar with automatic gears, engine sounds and a cab signal.
void write_train_313(const std::filesystem::path& data_dir);

// The speeds the diesel's cab signal shows, one picture each; a route's continuous limits
// for it use these values.
const int* diesel_cab_signal_speeds(int& count);

}  // namespace velmora::demo
