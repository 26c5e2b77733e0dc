#pragma once
// Reading a route file (line_*.dat): its 49 sections in their checking order, the
// overlay pictures it names, and the checks made once it has been read.

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "data/route_data.h"
#include "platform/image_list.h"

namespace velmora {

// What reading a route needs from the run.
struct RouteLoadContext {
  std::filesystem::path program_dir;  // the data folder: sounds, pictures
  std::string vehicle_file;           // [Monitor] is read only when it names this file
  int film_width = 0;                 // px, film surface: overlay places
  int film_height = 0;                // px
  ImageList& images;
  std::mt19937_64& rng;  // the run's engine: the preceding train's delays
};

// Loads the route file at `path`. Throws LoadFailure with the simulator's messages: the
// route-file pair for a file that cannot be read or holds a bad value (a picture of
// [Monitor], [AnimImageList] or [TrafficSignalImageList] included), an overlay picture's
// own message, or the signal count mismatch.
RouteData load_route(const std::filesystem::path& path, RouteLoadContext& context);

// Reads the route file at `path` again while a run goes on, for its tables alone: no
// picture is loaded (each must still exist) and the preceding train's delays are drawn
// from an engine of its own, so the run's pictures and random engine stay as they were.
// Throws LoadFailure as load_route does.
RouteData reread_route(const std::filesystem::path& path, const std::filesystem::path& program_dir,
                       const std::string& vehicle_file, int film_width, int film_height);

// The same on decoded lines; `path` only names the file in messages.
RouteData read_route(std::vector<std::string> lines, const std::filesystem::path& path,
                     RouteLoadContext& context);

// The section names in checking order (velmora-check compares headers with them).
const std::vector<std::string>& route_section_names();

}  // namespace velmora
