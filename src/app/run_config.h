#pragma once
// What a run is asked to drive: the files, the stations and the random seed.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

namespace velmora {

// What a run is asked to drive.
struct RunConfig {
  std::filesystem::path program_dir;  // data folder: velmora.dat, mascon.dat, route files
  std::string route_file;             // name inside program_dir, as written
  std::string vehicle_file;           // name inside vehicle_dir, as written
  std::filesystem::path vehicle_dir;  // folder of a picked vehicle file; empty: program_dir
  int first_station = 0;
  int last_station = 999;
  std::uint64_t seed = 0;  // the run's random engine starts from this
  // How long a pass may wait for a film frame being decoded. The desktop program never
  // waits (it shows the last picture meanwhile); a headless replay waits so that its
  // pictures do not depend on the machine's speed.
  std::chrono::microseconds film_wait{0};
};

}  // namespace velmora
