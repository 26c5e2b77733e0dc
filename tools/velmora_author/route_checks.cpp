#include "route_checks.h"

#include "app/headless_platform.h"
#include "common/paths.h"
#include "data/load_failure.h"
#include "data/route_check.h"
#include "data/vehicle_loader.h"
#include "data/vehicle_warnings.h"
#include "view/cab_build.h"
#include "view/cab_window.h"

namespace velmora::author {

namespace fs = std::filesystem;

CheckOutcome check_written(const fs::path& data_dir, const std::string& vehicle, const std::string& route,
                           std::ostream& out) {
  CheckOutcome outcome;
  const auto warn = [&](const std::string& file, int line, const std::string& text) {
    out << file;
    if (line > 0) out << ':' << line;
    out << ": warning: " << text << '\n';
    ++outcome.warnings;
  };
  const auto failed = [&](const LoadFailure& failure, const std::string& reason) {
    for (const std::string& m : failure.messages) out << "message: " << m << '\n';
    out << failure.detail << '\n';
    if (!reason.empty()) out << reason << '\n';
    return outcome;
  };

  // As velmora-check: the pictures go to the headless image list, which judges every file
  // as the drawing layer does.
  HeadlessPlatform platform;
  RunConfig config;
  config.program_dir = data_dir;
  Run run(config, platform.services());
  const fs::path vehicle_path = resolve_data_file(data_dir, vehicle).value_or(data_dir / vehicle);
  run.config.vehicle_file = vehicle_path.filename().string();
  run.config.vehicle_dir = vehicle_path.parent_path();
  try {
    VehicleSource source;
    run.vehicle = load_vehicle(vehicle_path, run.panel, &source);
    for (const VehicleWarning& w : vehicle_warnings(run.vehicle, source, vehicle_path.parent_path()))
      warn(vehicle_path.string(), w.line, w.text);
  } catch (const LoadFailure& failure) {
    return failed(failure, "");
  }
  try {
    LoadedRoute loaded = load_route_for_check(data_dir, route, run.config.vehicle_file, platform.images);
    for (const RouteWarning& w : check_route(loaded.route, data_dir, loaded.ui.data_path)) warn(w.file, w.line, w.text);
    run.route = std::move(loaded.route);
    run.ui = std::move(loaded.ui);
    build_cab(run);
    load_window_pictures(run);
  } catch (const LoadFailure& failure) {
    return failed(failure, platform.images.last_error);
  }
  outcome.loaded = true;
  return outcome;
}

}  // namespace velmora::author
