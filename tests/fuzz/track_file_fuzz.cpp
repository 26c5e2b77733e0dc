// velmora-author's track and marks readers on arbitrary text (the first byte picks the
// reader), and what a track that reads is turned into: its profile, stands and stops, the
// motion of a short film on it and the speed table fitted to that.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "film_motion.h"
#include "marks.h"
#include "speed_fit.h"
#include "stops.h"
#include "track.h"

namespace {

using namespace velmora::author;

void check_motion(const FilmMotion& motion, const std::vector<Stop>& stops) {
  for (std::size_t f = 0; f < motion.distance_m.size(); ++f) {
    if (!std::isfinite(motion.distance_m[f]) || !(motion.speed_kmh[f] >= 0)) __builtin_trap();
    if (f > 0 && motion.distance_m[f] < motion.distance_m[f - 1]) __builtin_trap();
  }
  // A table only for lines a film could show: the fit's cost grows with the distance.
  if (motion.distance_m.back() > 1e5) return;
  const FitResult fit = fit_speed_units(motion, stops, 1.0);
  if (fit.units.empty() || fit.units.size() > velmora::kRouteListCapacity) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  constexpr int kFrames = 90, kFps = 30;
  try {
    if (data[0] % 4 == 3) {
      const MarkedMotion m = motion_from_marks(read_marks(text), 30, kFrames, kFps);
      check_motion(m.motion, m.stops);
      return 0;
    }
    const Track track = data[0] % 4 == 0 ? read_gpx(text) : data[0] % 4 == 1 ? read_nmea(text) : read_csv_track(text);
    if (track.points.size() < 2) __builtin_trap();
    for (std::size_t i = 1; i < track.points.size(); ++i)
      if (!(track.points[i].time > track.points[i - 1].time)) __builtin_trap();
    const TrackProfile profile = track_profile(track);
    std::vector<std::string> notes;
    // The film starts a second into the track and runs three seconds.
    FilmMotion motion = film_motion(profile, profile.time.front() + 1, kFrames, kFps, notes);
    const std::vector<Stop> stops = stops_from_stands(profile.stands, profile.time.front() + 1, kFrames, kFps);
    hold_stops(motion, stops);
    check_motion(motion, stops);
  } catch (const TrackError&) {
  }
  return 0;
}
