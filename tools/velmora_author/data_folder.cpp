#include "data_folder.h"

#include <algorithm>
#include <stdexcept>

#include "common/paths.h"
#include "data/file_kind.h"
#include "interface_files.h"
#include "line_model.h"
#include "overlay_pictures.h"
#include "vehicle_writer.h"

namespace velmora::author {

namespace fs = std::filesystem;

std::vector<std::string> write_interface_files(const fs::path& data_dir, const FolderSettings& s) {
  std::vector<std::string> written;
  if (!resolve_data_file(data_dir, "velmora.dat")) {
    demo::InterfaceSettings interface;
    interface.film_width = s.film_width;
    interface.film_height = s.film_height;
    interface.fps = s.fps;
    demo::write_velmora_dat(data_dir, interface);
    written.push_back("velmora.dat");
  }
  if (!resolve_data_file(data_dir, "mascon.dat")) {
    demo::write_mascon_dat(data_dir);
    written.push_back("mascon.dat");
  }
  if (!resolve_data_file(data_dir, "operation.dat")) {
    demo::write_operation_dat(data_dir);
    written.push_back("operation.dat");
  }
  return written;
}

std::string choose_vehicle(const fs::path& data_dir, const std::string& wanted, bool& written) {
  written = false;
  if (!wanted.empty()) {
    const std::optional<fs::path> found = resolve_data_file(data_dir, wanted);
    if (!found || !is_vehicle_file(*found))
      throw std::runtime_error("--vehicle " + wanted + ": no vehicle file of that name in " + data_dir.string());
    return fs::relative(*found, data_dir).generic_string();
  }
  std::vector<std::string> vehicles;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(data_dir, ec)) {
    std::string name = e.path().filename().string();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // The folder's own files and the routes are never vehicles, whatever their first lines.
    const bool reserved = name == "velmora.dat" || name == "mascon.dat" || name == "operation.dat" || name.rfind("line_", 0) == 0;
    if (e.is_regular_file() && !reserved && name.size() > 4 && name.substr(name.size() - 4) == ".dat" &&
        is_vehicle_file(e.path()))
      vehicles.push_back(e.path().filename().string());
  }
  if (!vehicles.empty()) return *std::min_element(vehicles.begin(), vehicles.end());
  demo::write_train_85(data_dir);
  written = true;
  return "train_85.dat";
}

RoutePictures draw_route_pictures(const fs::path& data_dir, const RouteSkeleton& route,
                                  const FolderSettings& settings, int cars) {
  // The demo's drawings read a line model; this one holds what they show of this route.
  demo::LineModel line;
  line.design.key = route.name;
  line.design.line_name = route.line_name;
  line.design.cars = std::max(1, cars);
  for (const SkeletonStation& s : route.stations) {
    demo::StationDesign d;
    d.name = s.name;
    d.maxspeed_kmh = s.maxspeed;
    line.design.stations.push_back(d);
    demo::BuiltStation b;
    b.frame = s.frame;
    b.departure = s.departure;
    // The staff card shows arrivals: the clock runs with the film.
    b.arrival = kStartTicks + static_cast<int>(static_cast<long long>(s.frame) * 30 / std::max(1, settings.fps));
    line.stations.push_back(b);
  }
  for (const SkeletonSlope& s : route.slopes) line.slopes.push_back({0, 0, s.permille});
  demo::draw_overlays(line, data_dir, settings.film_width, settings.film_height, {}, {});
  demo::draw_route_pictures(line, data_dir, settings.film_width, settings.film_height);

  const demo::OverlaySizes z = demo::overlay_sizes(settings.film_width);
  const std::string img = "image\\" + route.name + "\\";
  const auto l = [](const std::string& file, int n) { return file + "," + std::to_string(n); };
  RoutePictures p;
  p.staf = {img + "staff.png", img + "standby.png", img + "sub.png"};
  p.sign_images = {l(img + "teimoku.png", z.marker), l(img + "stop_s.png", z.line), l(img + "stop_m.png", z.line),
                   l(img + "stop_e.png", z.line),    l(img + "slope.png", z.post),  l(img + "limit.png", z.post),
                   l(img + "remain.png", z.remain),  l(img + "cross.png", z.cross), l(img + "other.png", z.post)};
  const auto size = [](int w, int h) { return std::to_string(w) + "," + std::to_string(h) + ","; };
  p.signal_images = {"0,0," + size(z.head_w, z.head_h) + img + "signal.png", size(z.sub, z.sub) + img + "signal_s.png",
                     size(z.side, z.side) + img + "signal_l.png", size(z.side, z.side) + img + "signal_r.png"};
  return p;
}

}  // namespace velmora::author
