#pragma once
// A demo route file in the route-file format, written from the line model: every place at
// the frame where the filming train passes it. Also writes the route's sounds, calls and
// announcements, and tells the scripted driver what the route asks of it.

#include <filesystem>
#include <string>
#include <vector>

#include "line_model.h"
#include "voices.h"

namespace velmora::demo {

// What a driver of this route must know beyond the line itself.
struct DriveStop {
  int station = 0;
  double at_m = 0;        // stop position
  double window_m = 0;    // half the stop zone
  int departure = 0;      // ticks; 0 for the last stop
  double dwell_extra_s = 0;  // s: the departure sound, which ends before the doors shut
  double arrival_s = 0;      // s: the arrival sound, which plays before the departure
};

struct SignalHold {
  double stop_before_m = 0;  // stop short of here
  int until = 0;             // ticks: the signal has cleared by then
};

struct DriveLimit {
  double from_m = 0, to_m = 0;
  double kmh = 0;
};

struct RouteFacts {
  std::vector<DriveStop> stops;  // stopping stations, in order, the first included
  std::vector<SignalHold> holds;
  std::vector<DriveLimit> limits;
  std::vector<double> line_max;  // per station: maxspeed to the next
  OneManMode one_man = OneManMode::Conductor;
  double door_close_s = 0;    // the door-close sound's length
  int start_ticks = 0;        // the clock when the run starts
};

struct RouteSizes {
  int film_width = 800, film_height = 600;
};

// The shared call sounds (the 22 fixed calls and the common call words); once per folder.
void write_call_sounds(const std::filesystem::path& data_dir, Voices& voices);

// Writes line_<key>.dat with its pictures and sounds. Returns the facts for the driver.
RouteFacts write_route(const LineModel& line, const std::filesystem::path& data_dir,
                       RouteSizes sizes, Voices& voices);

}  // namespace velmora::demo
