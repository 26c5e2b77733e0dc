#pragma once
// What a route author wants to hear about a route file that loads: places the speed
// profile misses, gaps in the profile, missing files, signals drawn over each other,
// stops without a time, repeated sections and headers in the wrong letter case. The
// simulator itself says nothing about these.

#include <filesystem>
#include <string>
#include <vector>

#include "data/route_data.h"
#include "data/ui_texts.h"
#include "platform/image_list.h"

namespace velmora {

struct RouteWarning {
  std::string file;  // the route file's name
  int line = 0;      // 1-based; 0 for the file as a whole
  std::string text;
};

// A route loaded as the simulator's start-up loads it, with velmora.dat from the same folder.
struct LoadedRoute {
  UiTexts ui;
  RouteData route;
};

// Reads velmora.dat and the route file from `program_dir` and builds the route tables.
// Throws LoadFailure with the simulator's messages.
LoadedRoute load_route_for_check(const std::filesystem::path& program_dir,
                                 const std::string& route_file, const std::string& vehicle_file,
                                 ImageList& images);

// The warnings about a loaded route, ordered by line. Names of sounds, calls, pictures
// and films are resolved as the simulator resolves them: below `program_dir`, films
// below `film_folder` (velmora.dat's [Path]).
std::vector<RouteWarning> check_route(const RouteData& route,
                                      const std::filesystem::path& program_dir,
                                      const std::string& film_folder);

}  // namespace velmora
