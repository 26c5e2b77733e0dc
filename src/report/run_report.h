#pragma once
// A finished drive as its report shows it: which drive it was, what the log kept and the
// score built from it. Everything in it comes from the drive itself, so a recorded drive
// replayed headless gives the same report as the desktop gave.

#include <cstdint>
#include <string>

#include "report/run_log.h"
#include "report/score.h"

namespace velmora {

struct RunReport {
  std::string line_name;     // [LineName]
  std::string route_file;    // as chosen
  std::string vehicle_file;  // as chosen
  std::uint64_t seed = 0;
  long long frames = 0;  // frames the drive ran
  RunLog log;
  Score score;
};

}  // namespace velmora
