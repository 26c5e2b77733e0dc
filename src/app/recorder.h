#pragma once
// Records a drive's inputs as a velmora-sim input script, so that any drive in the desktop
// program replays headless. Each input is written at once (and flushed): a crash loses
// nothing that came before it.
//
// Every call names the frame the input applies to: the frame about to run, counted from 0
// at the start of the run the way velmora-sim counts its frames. A frame lower than one
// already written is taken as that one, so the script keeps the order of the inputs.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/driver_command.h"
#include "app/run.h"

namespace velmora {

struct RecorderError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The velmora-sim command line that replays a drive of this configuration with the
// script `script` (its --frames left to the caller).
std::string replay_command(const RunConfig& config, const std::filesystem::path& script);

class Recorder {
 public:
  // Creates (or empties) the file and writes the header: seed, data folder, route,
  // vehicle and the command line that replays it. Throws RecorderError when the file
  // cannot be written.
  Recorder(const std::filesystem::path& file, const RunConfig& config);

  // A command as `apply` receives it, or a device's state (held key, controller, frame
  // time) as the run reads it.
  void record(long long frame, const DriverCommand& command);

  // A comment at this frame (a device lost or back): read by people, skipped by a replay.
  void note(long long frame, const std::string& text);

  // The run is over: a last comment with the number of frames to replay.
  void finish(long long frames);

  // False once a write has failed; what was written before stays.
  bool good() const { return out_.good(); }

 private:
  std::ofstream out_;
  long long last_frame_ = 0;
};

}  // namespace velmora
