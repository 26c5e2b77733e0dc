#include "sound/sound_loading.h"

#include "common/paths.h"
#include "common/wav_seconds.h"
#include "data/load_failure.h"
#include "sound/sound_run.h"

namespace velmora {

namespace fs = std::filesystem;

SoundLoads::SoundLoads(const SoundRun& run)
    : run_(run),
      vehicle_dir_(run.config.vehicle_dir.empty() ? run.config.program_dir
                                                  : run.config.vehicle_dir) {
  const VehicleData& v = run.vehicle;
  SoundState& s = run.sound;
  s.vehicle_count = static_cast<int>(v.drive_sound.size());
  s.route_count = static_cast<int>(run.route.sound_data.size());
  s.motor_count = static_cast<int>(v.engine_sound1.size());
  s.gear_count = static_cast<int>(v.engine_sound3.size());
  s.wave_seconds.assign(SoundDevice::kChannels, 0);
}

// Reads one named sound for a channel; empty names leave the channel empty.
void SoundLoads::load(const fs::path& folder, const std::string& name, int channel) {
  if (name.empty()) return;
  const std::optional<fs::path> found = resolve_data_file(folder, name);
  const std::string shown = (folder / name).string();
  if (!found) throw LoadFailure({shown + "が見つかりません"}, shown + ": no such sound file");
  std::string error;
  const int sound = run_.platform.sound.load(found->string(), error);
  if (sound < 0) throw LoadFailure({error}, error);
  read_.emplace_back(channel, sound);
  if (channel >= SoundDevice::kChannels) return;
  // A length that cannot be read is shown and counts as 0; the sound still plays.
  run_.sound.wave_seconds[static_cast<std::size_t>(channel)] =
      wav_seconds(*found, [&](const std::string& e) { run_.platform.dialogs.message(e); });
}

void SoundLoads::vehicle_sounds() {
  const auto& names = run_.vehicle.drive_sound;
  for (std::size_t i = 0; i < names.size(); ++i) load(vehicle_dir_, names[i], static_cast<int>(i));
}

void SoundLoads::environment_sounds() {
  const auto& names = run_.route.sound_data;
  for (std::size_t k = 0; k < names.size(); ++k)
    load(run_.config.program_dir, names[k], run_.sound.route_channel(static_cast<int>(k)));
}

void SoundLoads::row_sounds() {
  const VehicleData& v = run_.vehicle;
  for (std::size_t i = 0; i < v.engine_sound1.size(); ++i)
    load(vehicle_dir_, v.engine_sound1[i].index, run_.sound.motor_channel(static_cast<int>(i)));
  for (std::size_t i = 0; i < v.engine_sound3.size(); ++i)
    load(vehicle_dir_, v.engine_sound3[i].index, run_.sound.gear_channel(static_cast<int>(i)));
}

void SoundLoads::attach() {
  SoundDevice& device = run_.platform.sound;
  // The device reports a channel past its last and uses none.
  for (const auto& [channel, sound] : read_) device.attach(channel, sound);
  for (int channel = 0; channel < SoundDevice::kChannels; ++channel) device.stop(channel);
}

}  // namespace velmora
