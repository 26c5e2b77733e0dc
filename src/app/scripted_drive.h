#pragma once
// A drive by an input script on the headless platform, frame by frame, as velmora-sim, the
// soak test and the frame benchmark drive it: each frame's commands applied, the clock
// advanced by the frame's time, then the idle loop passed until the frame has run.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/headless_platform.h"
#include "app/input_script.h"

namespace velmora {

// What a recorded drive's header says: "# ROUTE with VEHICLE: ..." on its first line and
// "# frames: N". Empty names and 0 frames where it says nothing.
struct ScriptHeader {
  std::string route, vehicle;
  long long frames = 0;
};
ScriptHeader read_script_header(std::string_view script_text);

class ScriptedDrive {
 public:
  // `frame_ns` is the clock's step for frames without a `time` command.
  ScriptedDrive(HeadlessPlatform& platform, Run& run, std::vector<ScriptCommand> script, std::int64_t frame_ns)
      : platform_(platform), run_(run), script_(std::move(script)), frame_ns_(frame_ns) {}

  // Applies the commands of `frame` and advances the clock. A command this build does not
  // act on goes to `ignored`.
  void start_frame(long long frame, const std::function<void(const ScriptCommand&)>& ignored = {});
  // Passes the idle loop until a frame runs; a paused run passes once.
  void finish_frame();

 private:
  HeadlessPlatform& platform_;
  Run& run_;
  std::vector<ScriptCommand> script_;
  std::int64_t frame_ns_;
  std::size_t next_ = 0;
};

}  // namespace velmora
