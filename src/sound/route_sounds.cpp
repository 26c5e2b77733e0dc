#include "sound/route_sounds.h"

#include "sound/sound_run.h"

namespace velmora {
namespace {

bool has_sound(const SoundRun& run, int number) {
  return number >= 0 && number < run.sound.route_count;
}

}  // namespace

void route_sound_restart(const SoundRun& run, int number) {
  if (!has_sound(run, number)) return;
  const int channel = run.sound.route_channel(number);
  run.platform.sound.stop(channel);
  run.platform.sound.play(channel);
}

void route_sound_loop(const SoundRun& run, int number) {
  if (has_sound(run, number)) run.platform.sound.loop(run.sound.route_channel(number));
}

void route_sound_stop(const SoundRun& run, int number) {
  if (has_sound(run, number)) run.platform.sound.stop(run.sound.route_channel(number));
}

bool route_sound_playing(const SoundRun& run, int number) {
  return has_sound(run, number) &&
         (run.platform.sound.status(run.sound.route_channel(number)) & SoundDevice::kPlaying) != 0;
}

void route_sound_volume(const SoundRun& run, int number, int volume) {
  if (has_sound(run, number))
    run.platform.sound.set_volume(run.sound.route_channel(number), volume);
}

int route_sound_seconds(const SoundRun& run, int number) {
  if (!has_sound(run, number)) return 0;
  const auto channel = static_cast<std::size_t>(run.sound.route_channel(number));
  return channel < run.sound.wave_seconds.size() ? run.sound.wave_seconds[channel] : 0;
}

}  // namespace velmora
