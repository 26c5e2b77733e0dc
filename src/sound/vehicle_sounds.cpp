#include "sound/vehicle_sounds.h"

#include "sound/sound_run.h"

namespace velmora {
namespace {

// Sound number s of the vehicle is its [DriveSound] entry s, on channel s; 0 is none.
bool has_sound(const SoundRun& run, int number) {
  return number > 0 && number < run.sound.vehicle_count;
}

}  // namespace

void vehicle_sound_play(const SoundRun& run, int number) {
  if (has_sound(run, number)) run.platform.sound.play(number);
}

void vehicle_sound_restart(const SoundRun& run, int number) {
  if (!has_sound(run, number)) return;
  run.platform.sound.stop(number);
  run.platform.sound.play(number);
}

void vehicle_sound_loop(const SoundRun& run, int number) {
  if (has_sound(run, number)) run.platform.sound.loop(number);
}

void vehicle_sound_stop(const SoundRun& run, int number) {
  if (has_sound(run, number)) run.platform.sound.stop(number);
}

bool vehicle_sound_playing(const SoundRun& run, int number) {
  return has_sound(run, number) && (run.platform.sound.status(number) & SoundDevice::kPlaying) != 0;
}

}  // namespace velmora
