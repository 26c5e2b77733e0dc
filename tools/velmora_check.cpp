// velmora-check: loads a vehicle file exactly as the simulator does and reports what the
// simulator would say, plus warnings about things it would silently leave out.

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "common/paths.h"
#include "data/load_failure.h"
#include "data/text_file.h"
#include "data/vehicle_loader.h"
#include "data/vehicle_warnings.h"

namespace {

using namespace velmora;
namespace fs = std::filesystem;

constexpr int kLoadFailure = 1;
constexpr int kUsageError = 2;

const char* const kUsage =
    "usage: velmora-check --data DIR --vehicle FILE [--route FILE]\n"
    "\n"
    "Loads a vehicle file as the simulator does and prints its messages and warnings.\n"
    "\n"
    "  --data DIR       data folder (route files; vehicle files named without a folder)\n"
    "  --vehicle FILE   vehicle file in the data folder, or a path with a folder\n"
    "  --route FILE     route file in the data folder; only checked to be readable\n"
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
  if (!have_data || o.vehicle.empty()) usage_error("--data and --vehicle are required");
  return o;
}

// As the simulator finds it: a name in the data folder (letter case and backslashes as a
// data file writes them), or a path when it has a folder.
fs::path find_in(const fs::path& folder, const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  return resolve_data_file(folder, name).value_or(folder / name);
}

int report(const LoadFailure& failure) {
  for (const std::string& m : failure.messages) std::cerr << "message: " << m << '\n';
  std::cerr << failure.detail << '\n';
  return kLoadFailure;
}

}  // namespace

int main(int argc, char** argv) {
  const CheckOptions o = parse_options(argc, argv);

  const fs::path vehicle_path = find_in(o.data, o.vehicle);
  VehicleData vehicle;
  PanelData panel;
  VehicleSource source;
  try {
    vehicle = load_vehicle(vehicle_path, panel, &source);
  } catch (const LoadFailure& failure) {
    return report(failure);
  }
  const std::vector<VehicleWarning> warnings =
      vehicle_warnings(vehicle, source, vehicle_path.parent_path());
  for (const VehicleWarning& w : warnings)
    std::cerr << vehicle_path.string() << ':' << w.line << ": warning: " << w.text << '\n';

  if (!o.route.empty()) {
    const fs::path route_path = find_in(o.data, o.route);
    try {
      read_text_lines(route_path);
    } catch (const FileReadError& e) {
      return report(
          load_failure(DataFileKind::Route, LoadError(e.what(), "その他", "", route_path, 0)));
    }
  }

  std::cout << "velmora-check: " << vehicle_path.string() << " loads; " << warnings.size()
            << (warnings.size() == 1 ? " warning" : " warnings") << '\n';
  return 0;
}
