#pragma once
// Loading the sounds at start-up and laying them out on the channels, a step for each of
// the start-up's progress texts so that a failing load follows its own text.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "sound/sound_run.h"

namespace velmora {

// The sounds of one start-up. A named sound file that does not exist, or that the device
// cannot read, stops the start with its path and "が見つかりません" or the device's reason
// (a LoadFailure).
class SoundLoads {
 public:
  // Counts the vehicle, environment, motor and gear sounds: the channel layout.
  explicit SoundLoads(const SoundRun& run);

  // The vehicle's [DriveSound] list, for channels 0 .. nV-1.
  void vehicle_sounds();
  // The route's [SoundData] list, for channels nV .. nV+nE-1.
  void environment_sounds();
  // The motor or engine rows and the gear rows, for the channels after them.
  void row_sounds();
  // Attaches every sound read to its channel and stops every channel. A channel past the
  // device's last is reported by the sound layer (a message box), and stays unused.
  void attach();

 private:
  void load(const std::filesystem::path& folder, const std::string& name, int channel);

  SoundRun run_;
  std::filesystem::path vehicle_dir_;
  std::vector<std::pair<int, int>> read_;  // channel, sound id
};

}  // namespace velmora
