#pragma once
// What velmora-author adds to a data folder besides the route file and the film: the
// interface files and a vehicle when the folder has none, and the route's pictures (the
// trackside overlays, the staff timetable, the picture shown before the run starts and the
// one behind the labels), drawn as make-demo draws the demo's.

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "route_skeleton.h"

namespace velmora::author {

struct FolderSettings {
  int fps = 30;
  int film_width = 800;   // px
  int film_height = 600;  // px
};

// Writes velmora.dat, mascon.dat and operation.dat where the folder lacks them; returns the
// names written.
std::vector<std::string> write_interface_files(const std::filesystem::path& data_dir,
                                               const FolderSettings& settings);

// The vehicle to drive the route with: `wanted` when given (found as the simulator finds
// names), else the first vehicle file of the folder by name, else make-demo's electric
// train, written into the folder (`written` says so). Throws std::runtime_error when
// `wanted` is no vehicle file of the folder.
std::string choose_vehicle(const std::filesystem::path& data_dir, const std::string& wanted, bool& written);

struct RoutePictures {
  std::array<std::string, 3> staf;         // [Staf]
  std::vector<std::string> sign_images;    // [SignImageList] lines
  std::vector<std::string> signal_images;  // [SignalImageList] lines
};

// Draws the route's pictures into data_dir/image/NAME/ and returns their lines for the
// route file. `cars` is shown on the stop-position markers.
RoutePictures draw_route_pictures(const std::filesystem::path& data_dir, const RouteSkeleton& route,
                                  const FolderSettings& settings, int cars);

}  // namespace velmora::author
