#pragma once
// Reading a route file (line_*.dat): its 49 sections in their checking order, the
// overlay pictures it names, and the checks made once it has been read.

#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "data/load_failure.h"
#include "data/route_data.h"
#include "platform/image_list.h"

namespace velmora {

// What reading a route needs from the run.
struct RouteLoadContext {
  std::filesystem::path program_dir;  // the data folder: sounds, pictures
  std::string vehicle_file;           // [Monitor] is read only when it names this file
  int film_width = 0;                 // px, film surface: overlay places
  int film_height = 0;                // px
  std::mt19937_64& rng;               // the run's engine: the preceding train's delays
};

// A picture the route file names, with what is reported when it cannot be read.
struct RoutePicture {
  PictureRequest request;
  LoadFailure failure;
};

// A route file as read: its data, the pictures it names in file order and, when the
// reading stopped early, why. The pictures before that point are listed, so that one
// that cannot be read is still reported first, as the file's first fault.
struct RouteFile {
  RouteData route;
  std::vector<RoutePicture> pictures;
  std::optional<LoadFailure> failure;
};

// Reads the route file at `path` without loading a picture; each picture file must exist.
RouteFile read_route_file(const std::filesystem::path& path, RouteLoadContext& context);

// The same on decoded lines; `path` only names the file in messages.
RouteFile read_route(std::vector<std::string> lines, const std::filesystem::path& path,
                     RouteLoadContext& context);

// Loads the pictures of a file read into `images`, in file order, and hands over its
// route. Throws LoadFailure: the first picture that cannot be read with its own message
// (an overlay picture's, or the route-file pair for [Monitor], [AnimImageList] and
// [TrafficSignalImageList]), or else the reading's failure.
RouteData take_route(RouteFile file, ImageList& images);

// read_route_file, then take_route: the route-file pair for a file that cannot be read or
// holds a bad value, an overlay picture's own message, or the signal count mismatch.
RouteData load_route(const std::filesystem::path& path, RouteLoadContext& context,
                     ImageList& images);

// Reads the route file at `path` again while a run goes on, for its tables alone: no
// picture is loaded (each must still exist) and the preceding train's delays are drawn
// from an engine of its own, so the run's pictures and random engine stay as they were.
// Throws LoadFailure as load_route does.
RouteData reread_route(const std::filesystem::path& path, const std::filesystem::path& program_dir,
                       const std::string& vehicle_file, int film_width, int film_height);

// The section names in checking order (velmora-check compares headers with them).
const std::vector<std::string>& route_section_names();

}  // namespace velmora
