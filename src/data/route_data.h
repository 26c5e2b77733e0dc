#pragma once
// The route file's values. Filled once at start-up by the route loader, read-only
// afterwards.

#include <string>

#include "common/fixed4.h"
#include <vector>

namespace velmora {

// One [Station] entry, field names as in the route file's documentation.
struct StationData {
  int trntype = 0;   // 0 stop with doors, 1 pass, 2 stop without doors, 3 fixed next-stop text
  std::string Name;  // station name
  int Start = 0;     // film frame of the stop position
  int genkai = 0;    // cm, stop tolerance
  int arrsound = 0, depsound = 0, bcksound = 0;  // sound numbers
  int deptime = 0;   // clock ticks (0: none)
  int position = 0;  // cm, derived stop position
  int position_s = 0, position_e = 0;  // cm, position ∓ genkai
  int maxspeed = 0;  // km/h to the next station
  int pattern = 0;   // m beyond the stop position where the stop pattern ends
  int door = 0, prob = 0, time = 0, person = 0, doorprob = 0;
  int tail = 0;      // film frame of the preceding train stopped here
  int percent = 0;   // passenger load, percent, for the run to the next station
};

struct RouteData {
  std::vector<StationData> stations;
  int one_man = 0;          // [OneMan] 0 conductor-operated, >= 1 one-man
  int one_man_display = 0;  // [OneMan] second value: 1 shows the one-man texts
  Fixed4 route_friction;    // [Friction] adhesion factor of the rails
  int tunnel_r = 0;         // [TunnelR] tunnel resistance factor
};

}  // namespace velmora
