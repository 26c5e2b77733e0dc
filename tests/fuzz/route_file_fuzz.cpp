// The route loader and the route tables on arbitrary bytes: each input loads, or fails
// with the simulator's messages, and never stores past a table's capacity. The fixture
// folder is the data folder, so inputs that name its pictures get past the overlays.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>

#include "data/load_failure.h"
#include "data/route_loader.h"
#include "data/route_tables.h"
#include "data/text_file.h"
#include "platform/fake/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  FakeImageList images;
  std::mt19937_64 rng(size);
  RouteLoadContext context{VELMORA_FIXTURES "/basic", "train_fixture.dat", 800, 600, rng};
  try {
    RouteData route =
        take_route(read_route(split_text_lines({reinterpret_cast<const char*>(data), size}),
                              "line_fuzz.dat", context),
                   images);
    if (route.signals.size() != route.signal_chain.size()) __builtin_trap();
    if (route.stations.size() > kStationCapacity || route.sound_data.size() > kSoundDataCapacity ||
        route.speed_signal.size() > kSpeedSignalCapacity ||
        route.staf_switch.size() > kStafSwitchCapacity ||
        route.announce.size() > kAnnounceCapacity + 1 || route.sounds.size() > kRouteListCapacity ||
        route.call_voice.size() > kFixedCallSlots + kRouteListCapacity)
      __builtin_trap();
    build_route_tables(route, 30);
    if (route.events.size() > kRouteEventCapacity) __builtin_trap();
    if (!std::is_sorted(
            route.events.begin(), route.events.end(),
            [](const RouteEvent& a, const RouteEvent& b) { return a.position < b.position; }))
      __builtin_trap();
  } catch (const LoadFailure& f) {
    if (f.messages.empty()) __builtin_trap();
  }
  return 0;
}
