#include "data/route_loader.h"

#include "data/load_failure.h"
#include "data/route_reader.h"
#include "data/text_file.h"

namespace velmora {
namespace {

// Lists the format's sections without reading a file, so it is never asked to load.
class NoImages final : public ImageList {
 public:
  bool load(const PictureRequest&) override { return false; }
};

// Takes every picture without reading it: for a second reading of the file, whose
// pictures are loaded already.
class KeepNoImages final : public ImageList {
 public:
  bool load(const PictureRequest&) override { return true; }
};

}  // namespace

RouteData read_route(std::vector<std::string> lines, const std::filesystem::path& path,
                     RouteLoadContext& context) {
  RouteData route;
  route.source.path = path;
  route.source.lines = std::move(lines);
  RouteReader reader(route, context);
  try {
    read_sectioned(route.source.lines, reader.format(), path);
  } catch (const LoadError& e) {
    throw load_failure(DataFileKind::Route, e);
  }
  // The signal and [Signal2] tables are read as parallel tables.
  if (route.signals.size() != route.signal_chain.size()) {
    const std::string counts =
        std::to_string(route.signals.size()) + ":" + std::to_string(route.signal_chain.size());
    throw LoadFailure({"信号機数不一致:" + counts},
                      path.string() + ": [Signal] and [Signal2] differ in length (" + counts + ")");
  }
  return route;
}

RouteData load_route(const std::filesystem::path& path, RouteLoadContext& context) {
  std::vector<std::string> lines;
  try {
    lines = read_text_lines(path);
  } catch (const FileReadError& e) {
    throw load_failure(DataFileKind::Route, LoadError(e.what(), "その他", "", path, 0));
  }
  return read_route(std::move(lines), path, context);
}

RouteData reread_route(const std::filesystem::path& path, const std::filesystem::path& program_dir,
                       const std::string& vehicle_file, int film_width, int film_height) {
  KeepNoImages images;
  std::mt19937_64 rng;
  RouteLoadContext context{program_dir, vehicle_file, film_width, film_height, images, rng};
  return load_route(path, context);
}

const std::vector<std::string>& route_section_names() {
  static const std::vector<std::string> names = [] {
    NoImages images;
    std::mt19937_64 rng;
    RouteLoadContext context{{}, {}, 0, 0, images, rng};
    RouteData route;
    RouteReader reader(route, context);
    std::vector<std::string> out;
    for (const Section& s : reader.format().sections) out.push_back(s.name);
    return out;
  }();
  return names;
}

}  // namespace velmora
