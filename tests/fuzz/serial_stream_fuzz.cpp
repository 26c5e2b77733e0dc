// The serial master controller's byte stream, received in reads of any length, on the
// fixture run: the handles never leave the vehicle's notches.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "app/headless_platform.h"
#include "app/startup.h"
#include "input/serial_mascon.h"

namespace {

using namespace velmora;

struct SerialRun : HeadlessPlatform {
  SerialRun() : run(config(), services()) { FormCreate(run); }
  static RunConfig config() {
    RunConfig c;
    c.program_dir = VELMORA_FIXTURES "/basic";
    c.vehicle_file = "train_fixture.dat";
    c.route_file = "line_fixture.dat";
    return c;
  }
  Run run;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // A new run each time, so that an input's effect never depends on the inputs before it.
  const auto rig = std::make_unique<SerialRun>();
  Run& run = rig->run;
  // The first byte sets the length of each read, as a port hands over what it has.
  const std::size_t chunk = 1 + data[0] % 16;
  const std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);
  for (std::size_t at = 0; at < stream.size(); at += chunk) {
    RxChar(run, stream.substr(at, std::min(chunk, stream.size() - at)));
    const HandleState& h = run.train.handles;
    if (h.power_handle < 0 || h.power_handle > run.vehicle.power) __builtin_trap();
    if (h.brake_handle > 0 || h.brake_handle < -run.vehicle.brake) __builtin_trap();
  }
  return 0;
}
