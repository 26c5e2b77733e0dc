// velmora-check: loads a vehicle file and a route file exactly as the simulator does and
// reports what the simulator would say, plus warnings about what it would silently leave
// out or get wrong.

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "app/headless_platform.h"
#include "common/paths.h"
#include "data/load_failure.h"
#include "data/route_check.h"
#include "data/vehicle_loader.h"
#include "data/vehicle_warnings.h"
#include "view/cab_build.h"
#include "view/cab_window.h"

namespace {

using namespace velmora;
namespace fs = std::filesystem;

constexpr int kLoadFailure = 1;
constexpr int kUsageError = 2;

const char* const kUsage =
    "usage: velmora-check --data DIR [--vehicle FILE] [--route FILE]\n"
    "\n"
    "Loads a vehicle file and a route file as the simulator does. Prints each warning\n"
    "as FILE:LINE: warning: TEXT on stdout; a file the simulator refuses prints its\n"
    "messages as message: TEXT on stderr.\n"
    "\n"
    "  --data DIR       data folder (velmora.dat, route files, vehicles named without a folder)\n"
    "  --vehicle FILE   vehicle file in the data folder, or a path with a folder\n"
    "  --route FILE     route file in the data folder ([Monitor] is read for --vehicle)\n"
    "  --help           this text\n"
    "\n"
    "Exit status: 0 when the files load (warnings or not), 1 when one fails to load,\n"
    "2 for a usage error.\n";

struct CheckOptions {
  fs::path data;
  std::string vehicle, route;
};

[[noreturn]] void usage_error(const std::string& why) {
  std::cerr << "velmora-check: " << why << "\n(velmora-check --help lists the options)\n";
  std::exit(kUsageError);
}

CheckOptions parse_options(int argc, char** argv) {
  CheckOptions o;
  bool have_data = false;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      std::cout << kUsage;
      std::exit(0);
    }
    if (i + 1 >= argc) usage_error(option + " needs a value");
    const std::string value = argv[++i];
    if (option == "--data") {
      o.data = value;
      have_data = true;
    } else if (option == "--vehicle") {
      o.vehicle = value;
    } else if (option == "--route") {
      o.route = value;
    } else {
      usage_error("unknown option " + option);
    }
  }
  if (!have_data || (o.vehicle.empty() && o.route.empty()))
    usage_error("--data and at least one of --vehicle and --route are required");
  return o;
}

// As the simulator finds it: a name in the data folder (letter case and backslashes as a
// data file writes them), or a path when it has a folder.
fs::path find_in(const fs::path& folder, const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  return resolve_data_file(folder, name).value_or(folder / name);
}

int report(const LoadFailure& failure, const std::string& reason = "") {
  for (const std::string& m : failure.messages) std::cerr << "message: " << m << '\n';
  std::cerr << failure.detail << '\n';
  if (!reason.empty()) std::cerr << reason << '\n';
  return kLoadFailure;
}

void print_warning(const std::string& file, int line, const std::string& text) {
  std::cout << file;
  if (line > 0) std::cout << ':' << line;
  std::cout << ": warning: " << text << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  const CheckOptions o = parse_options(argc, argv);

  // The pictures go to the fake platform's image list, which reads no pixels but judges each
  // file as the drawing layer does: whatever the simulator cannot make fails here too.
  HeadlessPlatform platform;
  RunConfig config;
  config.program_dir = o.data;
  Run run(config, platform.services());

  if (!o.vehicle.empty()) {
    const fs::path vehicle_path = find_in(o.data, o.vehicle);
    run.config.vehicle_file = vehicle_path.filename().string();
    run.config.vehicle_dir = vehicle_path.parent_path();
    VehicleSource source;
    try {
      run.vehicle = load_vehicle(vehicle_path, run.panel, &source);
    } catch (const LoadFailure& failure) {
      return report(failure);
    }
    for (const VehicleWarning& w :
         vehicle_warnings(run.vehicle, source, vehicle_path.parent_path()))
      print_warning(vehicle_path.string(), w.line, w.text);
  }

  if (!o.route.empty()) {
    try {
      LoadedRoute loaded =
          load_route_for_check(o.data, o.route, run.config.vehicle_file, platform.images);
      for (const RouteWarning& w : check_route(loaded.route, o.data, loaded.ui.data_path))
        print_warning(w.file, w.line, w.text);
      run.route = std::move(loaded.route);
      run.ui = std::move(loaded.ui);
    } catch (const LoadFailure& failure) {
      return report(failure, platform.images.last_error);
    }
  }

  // Then the cab window's pictures, as the start-up makes them after reading both files.
  try {
    if (!o.vehicle.empty()) build_cab(run);
    if (!o.route.empty()) load_window_pictures(run);
  } catch (const LoadFailure& failure) {
    return report(failure, platform.images.last_error);
  }
  return 0;
}
