#pragma once
// The skeleton route file velmora-author writes: every section of the route file in its
// checking order, filled with what the film and its track tell (the speed profile, the
// stations where the filming train stood, the gradients, the film's own sound) and left
// empty where only the author can fill it in (signals, limits, signs, calls).

#include <array>
#include <string>
#include <vector>

#include "data/data_writer.h"
#include "data/route_data.h"
#include "slopes.h"
#include "stops.h"

namespace velmora::author {

struct SkeletonStation {
  std::string name;   // 駅1, 駅2, ... for the author to rename
  int frame = 0;      // Start: where the filming train came to rest; 0 for the run's start
  int departure = 0;  // deptime: clock ticks when the filming train left; 0 for the last
  int maxspeed = 0;   // km/h to the next station: the filming speed rounded up to 5
};

struct SkeletonSlope {
  double permille = 0;  // ‰, one decimal
  int from_frame = 0;
  int end_frame = 0;
};

struct RouteSkeleton {
  std::string name;        // [DataName] (the film NAME.avi) and the pictures' folder
  std::string line_name;   // [LineName]
  std::string line_name2;  // [LineName2] (read, no effect): where the route came from
  int frames = 0;          // of the film
  int film_height = 600;   // px: the perspective's horizon
  std::vector<SpeedUnitData> units;
  std::vector<SkeletonStation> stations;
  std::vector<SkeletonSlope> slopes;
  std::string ambient;   // [SoundData] name of the film's sound; empty: none
  int ambient_kmh = 0;   // the speed its recording belongs to
  std::array<std::string, 3> staf;         // [Staf] pictures; empty names are allowed
  std::vector<std::string> sign_images;    // [SignImageList]'s 9 lines; none: section left out
  std::vector<std::string> signal_images;  // [SignalImageList]'s 4 lines; none: left out
};

constexpr int kStartTicks = 10 * 3600 * 30;  // 10:00:00, the clock at the film's first frame
constexpr int kStopWindowCm = 500;          // a stop counts within 5 m of its place

// The run's start at frame 0 (a stop there included) and a station at each stop after it,
// named 駅1, 駅2, ...; when the film runs on after its last stop, a last station at its
// last frame, so that the whole film can be driven. Departures are the filming train's,
// on a clock that shows start_ticks at frame 0.
std::vector<SkeletonStation> plan_stations(const std::vector<Stop>& stops,
                                           const std::vector<SpeedUnitData>& units, int frames,
                                           int fps, int start_ticks = kStartTicks);

// The gradient stretches as [Slope] entries: each from the first frame at or beyond its
// start to the first at or beyond its end (`frame_m`: the distance of every frame, on the
// stretches' scale).
std::vector<SkeletonSlope> slope_entries(const std::vector<SlopeStretch>& stretches,
                                         const std::vector<double>& frame_m);

// The route file's lines (Shift_JIS and CRLF when saved).
DataFile route_file(const RouteSkeleton& route);

}  // namespace velmora::author
