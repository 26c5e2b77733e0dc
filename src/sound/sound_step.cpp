#include "sound/sound_step.h"

#include "sound/equipment_sounds.h"
#include "sound/running_sounds.h"
#include "sound/sound_run.h"
#include "sound/trackside_sounds.h"

namespace velmora {

void sound_step(const SoundRun& run) {
  brake_squeal_step(run);
  air_valve_step(run);
  emergency_valve_step(run);
  brake_step_sounds(run);
  horn_step(run);
  stop_alert_step(run);
  key4_sounds_step(run);
  notching_sound_step(run);
  ats_warn_step(run);

  trackside_atten(run);
  track_sounds_step(run);
  doppler_step(run);
  points_sounds_step(run);
  running_noise_step(run);
  if (run.vehicle.engine_type == EngineType::Electric) {
    electric_motor_step(run);
  } else {
    diesel_engine_step(run);
    engine_idle_step(run);
    gear_sounds_step(run);
  }
}

void start_sounds(const SoundRun& run) {
  reset_running_sounds(run);
  clear_trackside_marks(run);
  SoundState& s = run.sound;
  s.eb_latch = s.step_latch = s.stop_latch = s.notch_sound_pending = false;
  s.horn_noted = 0;
  s.notch_step_seen = 0;
  s.atten = 1;
}

void stop_running_train_sounds(const SoundRun& run) {
  const SoundState& s = run.sound;
  for (int channel = 0; channel < s.motor_channel(s.motor_count); ++channel)
    run.platform.sound.stop(channel);
}

void sounds_after_jump(const SoundRun& run) { clear_trackside_marks(run); }

void pause_sounds(const SoundRun& run) {
  SoundDevice& device = run.platform.sound;
  for (int channel = 0; channel < SoundDevice::kChannels; ++channel) {
    const int status = device.status(channel);
    char& state = run.sound.paused_channel_state[static_cast<std::size_t>(channel)];
    state = (status & SoundDevice::kLooping) ? 2 : (status & SoundDevice::kPlaying) ? 1 : 0;
    if (state != 0) device.stop(channel);
  }
}

void resume_sounds(const SoundRun& run) {
  SoundDevice& device = run.platform.sound;
  for (int channel = 0; channel < SoundDevice::kChannels; ++channel) {
    char& state = run.sound.paused_channel_state[static_cast<std::size_t>(channel)];
    if (state == 0) continue;
    device.stop(channel);
    if (state == 1)
      device.play(channel);
    else
      device.loop(channel);
    state = 0;
  }
}

}  // namespace velmora
