#pragma once
// The demo's scripted driver. make-demo drives each route once, inside the simulator's
// own core with the headless platform, by a small controller that reads the train's
// state every frame (speed, place, doors, clock) and works the handles like a careful
// driver: power to the line speed, braking curves to the limits, the signals held at stop
// and the stops, waiting for the timetable. What it typed is written as an input script,
// which velmora-sim replays frame for frame with the same result.

#include <filesystem>
#include <string>

#include "line_model.h"
#include "route_writer.h"

namespace velmora::demo {

struct DriveResult {
  int frames = 0;           // frames of the drive, the last stop and a rest included
  int stops_made = 0;       // stops at which the train stood inside the stop zone
  std::string script;       // the input script
};

// Drives the route in the data folder and returns the script; throws std::runtime_error
// when the data does not load or the train cannot be brought to a stop.
DriveResult drive_route(const std::filesystem::path& data_dir, const LineModel& line,
                        const RouteFacts& facts);

}  // namespace velmora::demo
