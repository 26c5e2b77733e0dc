#include "sound/sound_loading.h"

#include <filesystem>

#include "app/run.h"
#include "common/paths.h"
#include "common/wav_seconds.h"
#include "data/load_failure.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// Loads one named sound onto a channel; empty names leave the channel empty.
void load_onto(Run& run, const fs::path& folder, const std::string& name, int channel) {
  if (name.empty() || channel >= SoundDevice::kChannels) return;
  const std::optional<fs::path> found = resolve_data_file(folder, name);
  const std::string shown = (folder / name).string();
  if (!found) throw LoadFailure({shown + "が見つかりません"}, shown + ": no such sound file");
  SoundDevice& device = run.platform.sound;
  std::string error;
  const int sound = device.load(found->string(), error);
  if (sound < 0) throw LoadFailure({error}, error);
  device.attach(channel, sound);
  // A length that cannot be read is shown and counts as 0; the sound still plays.
  run.sound.wave_seconds[static_cast<std::size_t>(channel)] =
      wav_seconds(*found, [&](const std::string& e) { run.platform.dialogs.message(e); });
}

}  // namespace

void load_sounds(Run& run) {
  const VehicleData& v = run.vehicle;
  SoundState& s = run.sound;
  s.vehicle_count = static_cast<int>(v.drive_sound.size());
  s.route_count = static_cast<int>(run.route.sound_data.size());
  s.motor_count = static_cast<int>(v.engine_sound1.size());
  s.gear_count = static_cast<int>(v.engine_sound3.size());
  s.wave_seconds.assign(SoundDevice::kChannels, 0);

  const fs::path vehicle_dir = run.config.vehicle_dir.empty() ? run.config.program_dir : run.config.vehicle_dir;
  for (int i = 0; i < s.vehicle_count; ++i) load_onto(run, vehicle_dir, v.drive_sound[static_cast<std::size_t>(i)], i);
  for (int k = 0; k < s.route_count; ++k)
    load_onto(run, run.config.program_dir, run.route.sound_data[static_cast<std::size_t>(k)], s.route_channel(k));
  for (int i = 0; i < s.motor_count; ++i)
    load_onto(run, vehicle_dir, v.engine_sound1[static_cast<std::size_t>(i)].index, s.motor_channel(i));
  for (int i = 0; i < s.gear_count; ++i)
    load_onto(run, vehicle_dir, v.engine_sound3[static_cast<std::size_t>(i)].index, s.gear_channel(i));
  for (int channel = 0; channel < SoundDevice::kChannels; ++channel) run.platform.sound.stop(channel);
}

}  // namespace velmora
