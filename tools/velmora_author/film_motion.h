#pragma once
// Where the filming train was at every film frame: the track turned into distance along
// the line over time, aligned to the film, with the speed at each frame. The distance is
// the path length of the track's smoothed positions; the speed is the receiver's when every
// fix carries one, else the distance's rate of change. Smoothing is symmetric in time, so
// neither lags behind the film.

#include <string>
#include <vector>

#include "track.h"

namespace velmora::author {

// A time in which the train stood, on the track's clock.
struct Stand {
  double from = 0;  // s: it comes to rest
  double to = 0;    // s: it starts again
};

// The track as distance over time, one value per fix, and the moments a stand begins and
// ends, at which the distance is exact.
struct TrackProfile {
  std::vector<double> time;      // s, on the track's clock
  std::vector<double> distance;  // m along the track from its first fix, never falling
  std::vector<double> speed;     // km/h at each fix
  std::vector<double> ele;       // m above sea level; NaN where the fix has none
  bool receiver_speed = false;   // speed is the receiver's own
  std::vector<Stand> stands;     // in time order
};

// Positions smoothed over about 20 m of track (at most 1 s either way), so noise neither
// lengthens the path nor cuts the curves; fixes where the train stands add no distance, and
// each stand is timed as stops.h describes.
TrackProfile track_profile(const Track& track);

struct FilmMotion {
  int fps = 30;
  std::vector<double> distance_m;  // per film frame, from the film's first frame
  std::vector<double> speed_kmh;   // per film frame, never below 0
  double track_origin_m = 0;       // the track's distance at the film's first frame
};

// The film's frame f is the track's time film_start + f / fps. Frames before the track
// begins or after it ends stand where it begins or ends; `notes` says so.
FilmMotion film_motion(const TrackProfile& profile, double film_start, int frames, int fps,
                       std::vector<std::string>& notes);

// Metres between two nearby places given in degrees.
double metres_between(double lat1, double lon1, double lat2, double lon2);

// The value at `time` of values given at rising `times`, linear between them, held beyond.
double interpolate(const std::vector<double>& times, const std::vector<double>& values, double time);

// Symmetric Gaussian smoothing of equally spaced values (sigma in samples), the kernel
// renormalised at the ends.
std::vector<double> smoothed(const std::vector<double>& values, double sigma);

}  // namespace velmora::author
