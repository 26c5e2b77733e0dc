// velmora-check-route: loads a route file as the simulator does and tells its author
// what the simulator would refuse (its own messages) and what looks wrong (warnings).

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "data/load_failure.h"
#include "data/route_check.h"
#include "platform/fake/fake_platform.h"

namespace {

constexpr int kUsageError = 2;

const char* const kUsage =
    "usage: velmora-check-route --data DIR --route FILE [--vehicle FILE]\n"
    "\n"
    "Loads the route file as the simulator does. Prints each warning as\n"
    "FILE:LINE: warning: TEXT on stdout; a file the simulator refuses prints its\n"
    "messages as message: TEXT on stderr and exits with 1.\n"
    "\n"
    "  --data DIR       data folder (velmora.dat, the route file, its sounds and pictures)\n"
    "  --route FILE     route file in the data folder\n"
    "  --vehicle FILE   vehicle driven on it ([Monitor] is read only for this vehicle)\n"
    "  --help           this text\n";

[[noreturn]] void usage_error(const std::string& why) {
  std::cerr << "velmora-check-route: " << why
            << "\n(velmora-check-route --help lists the options)\n";
  std::exit(kUsageError);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velmora;
  std::string data, route, vehicle;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (i + 1 >= argc) usage_error(option + " needs a value");
    const std::string value = argv[++i];
    if (option == "--data")
      data = value;
    else if (option == "--route")
      route = value;
    else if (option == "--vehicle")
      vehicle = std::filesystem::path(value).filename().string();
    else
      usage_error("unknown option " + option);
  }
  if (data.empty() || route.empty()) usage_error("--data and --route are required");

  FakeImageList images;
  try {
    const LoadedRoute loaded = load_route_for_check(data, route, vehicle, images);
    for (const RouteWarning& w : check_route(loaded.route, data, loaded.ui.data_path)) {
      std::cout << w.file;
      if (w.line > 0) std::cout << ':' << w.line;
      std::cout << ": warning: " << w.text << '\n';
    }
  } catch (const LoadFailure& failure) {
    for (const std::string& m : failure.messages) std::cerr << "message: " << m << '\n';
    std::cerr << "velmora-check-route: " << failure.detail << '\n';
    return 1;
  }
  return 0;
}
