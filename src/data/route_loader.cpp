#include "data/route_loader.h"

#include "data/load_failure.h"
#include "data/route_reader.h"
#include "data/text_file.h"

namespace velmora {

RouteFile read_route(std::vector<std::string> lines, const std::filesystem::path& path,
                     RouteLoadContext& context) {
  RouteFile file;
  RouteData& route = file.route;
  route.source.path = path;
  route.source.lines = std::move(lines);
  RouteReader reader(route, context, file.pictures);
  try {
    read_sectioned(route.source.lines, reader.format(), path);
  } catch (const LoadError& e) {
    file.failure = load_failure(DataFileKind::Route, e);
    return file;
  }
  // The signal and [Signal2] tables are read as parallel tables.
  if (route.signals.size() != route.signal_chain.size()) {
    const std::string counts =
        std::to_string(route.signals.size()) + ":" + std::to_string(route.signal_chain.size());
    file.failure =
        LoadFailure({"信号機数不一致:" + counts},
                    path.string() + ": [Signal] and [Signal2] differ in length (" + counts + ")");
  }
  return file;
}

RouteFile read_route_file(const std::filesystem::path& path, RouteLoadContext& context) {
  std::vector<std::string> lines;
  try {
    lines = read_text_lines(path);
  } catch (const FileReadError& e) {
    RouteFile file;
    file.failure = load_failure(DataFileKind::Route, LoadError(e.what(), "その他", "", path, 0));
    return file;
  }
  return read_route(std::move(lines), path, context);
}

RouteData take_route(RouteFile file, ImageList& images) {
  for (const RoutePicture& picture : file.pictures)
    if (!images.load(picture.request)) throw picture.failure;
  if (file.failure) throw *file.failure;
  return std::move(file.route);
}

RouteData load_route(const std::filesystem::path& path, RouteLoadContext& context,
                     ImageList& images) {
  return take_route(read_route_file(path, context), images);
}

RouteData reread_route(const std::filesystem::path& path, const std::filesystem::path& program_dir,
                       const std::string& vehicle_file, int film_width, int film_height) {
  std::mt19937_64 rng;
  RouteLoadContext context{program_dir, vehicle_file, film_width, film_height, rng};
  RouteFile file = read_route_file(path, context);
  if (file.failure) throw *file.failure;
  return std::move(file.route);
}

const std::vector<std::string>& route_section_names() {
  static const std::vector<std::string> names = [] {
    std::mt19937_64 rng;
    RouteLoadContext context{{}, {}, 0, 0, rng};
    RouteData route;
    std::vector<RoutePicture> pictures;
    RouteReader reader(route, context, pictures);
    std::vector<std::string> out;
    for (const Section& s : reader.format().sections) out.push_back(s.name);
    return out;
  }();
  return names;
}

}  // namespace velmora
