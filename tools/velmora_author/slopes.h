#pragma once
// Gradients from the track's elevations: the elevation over distance along the line,
// smoothed, cut into stretches of steady gradient (neighbours within 1 per mille of each
// other are merged), each stretch's gradient then measured on the fixes themselves.

#include <string>
#include <vector>

#include "film_motion.h"

namespace velmora::author {

struct SlopeStretch {
  double from_m = 0;    // distance along the track where it starts
  double to_m = 0;      // where it ends
  double permille = 0;  // ‰, uphill positive, to one decimal
};

constexpr double kSlopeMergePermille = 1;  // neighbours closer than this are one gradient
constexpr double kLevelPermille = 0.5;     // flatter than this is level: no entry

// The stretches that are not level, in order. A track with elevations on fewer than
// four fixes in five, or shorter than 100 m, gives none and says why in `notes`.
std::vector<SlopeStretch> find_slopes(const TrackProfile& profile, std::vector<std::string>& notes);

}  // namespace velmora::author
