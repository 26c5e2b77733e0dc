#pragma once
// A drive by an input script on the headless platform, frame by frame, as velmora-sim, the
// soak test and the frame benchmark drive it: each frame's commands applied, the clock
// advanced by the frame's time, then the idle loop passed until the frame has run.

#include <cstdint>
#include <functional>
#include <vector>

#include "app/headless_platform.h"
#include "app/input_script.h"

namespace velmora {

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

  // The frames the script's header asks for ("# frames: N"), 0 when it names none.
  static long long frames_named(std::string_view script_text);

 private:
  HeadlessPlatform& platform_;
  Run& run_;
  std::vector<ScriptCommand> script_;
  std::int64_t frame_ns_;
  std::size_t next_ = 0;
};

}  // namespace velmora
