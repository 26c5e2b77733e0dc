#pragma once
// The route's [SpeedUnit] table from the film's motion: the fewest piecewise-linear speed
// entries, each starting where the one before ends, whose distance (as the simulator
// converts it) stays within a tolerance of the track's at every frame. Each stop is one
// entry standing at 0 km/h.
//
// The fit is greedy: from where the last entry ends, the next reaches as far as the
// tolerance allows (every frame of it checked), ending at the speed closest to the
// measured one that keeps it within; an entry that must end standing at a stop ends there.

#include <cstddef>
#include <vector>

#include "data/route_data.h"
#include "film_motion.h"
#include "stops.h"

namespace velmora::author {

struct FitResult {
  std::vector<SpeedUnitData> units;  // speeds as the file writes them (four decimals)
  double tolerance_m = 0;            // the tolerance fitted to (raised when the table was full)
  double max_deviation_m = 0;        // largest |route distance - track distance| over the frames
  int worst_frame = 0;               // where it is largest
};

// Tolerance in metres for a line: `per_km` metres per kilometre of its length, and never
// less than that for a kilometre.
double tolerance_for(double length_m, double per_km);

// Fits the table to `motion` (distance held through `stops`, which are in film order and
// do not overlap). At least two frames. When the table would need more than `capacity`
// entries, the tolerance is raised by half again until it fits. The deviation is measured
// with the simulator's own conversion of frames to distances.
FitResult fit_speed_units(const FilmMotion& motion, const std::vector<Stop>& stops, double tolerance_m,
                          std::size_t capacity = kRouteListCapacity);

// The distance of every frame as the simulator converts it through `units` (m); frames
// no entry covers get NaN.
std::vector<double> route_distances(const std::vector<SpeedUnitData>& units, int frames, int fps);

}  // namespace velmora::author
