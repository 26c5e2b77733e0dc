#include "sound/trackside_sounds.h"

#include <algorithm>
#include <cmath>

#include "common/rounding.h"
#include "sound/sound_levels.h"
#include "sound/sound_run.h"
#include "sound/vehicle_sounds.h"

namespace velmora {

namespace {

constexpr int kWindow = 30;              // film frames a sound's start or end takes
constexpr long double kSoundKmh = 1220;  // speed of sound
constexpr long double kBeside = 300;     // cm from the track to a passing source

bool route_sound(const SoundRun& run, int s) { return s >= 0 && s < run.sound.route_count; }

long double fade(long double frames) { return std::clamp(3.3L * frames / 100, 0.1L, 1.0L); }

// The pitch and the level of a [Sound] entry at this speed.
int shape(const SoundRun& run, const TrackSoundData& e, int channel) {
  const long double v = run.train.motion.speed;
  const long double ref = e.ref_speed;
  // Pitch follows the speed's magnitude: a train backing past a sound does not make it
  // play at a negative rate. At a standstill the rate would be 0, which no device plays:
  // the sound keeps the pitch it had.
  const long double rate = e.rate_flag == 0 || ref <= 0 ? 1 : std::fabs(v) / ref;
  if (rate > 0) run.platform.sound.set_freq_rate(channel, rate);
  if (v > 0 && e.volume_flag == 1 && ref > 0) return level_of(5000, v * run.sound.atten / ref);
  return kFullLevel;
}

}  // namespace

void clear_trackside_marks(const SoundRun& run) {
  run.sound.track_played.assign(run.route.sounds.size(), 0);
  run.sound.switch_sounded.assign(run.route.switches.size(), 0);
}

void trackside_atten(const SoundRun& run) {
  const int ff = run.film.film_frame;
  run.sound.atten = 1;
  for (const AttenData& a : run.route.atten)
    if (a.first_frame < ff && ff < a.end_frame) run.sound.atten = a.factor / 100.0L;
}

void track_sounds_step(const SoundRun& run) {
  SoundDevice& device = run.platform.sound;
  SoundState& s = run.sound;
  const int ff = run.film.film_frame;
  const long double v = run.train.motion.speed;
  if (s.track_played.size() != run.route.sounds.size()) clear_trackside_marks(run);
  for (std::size_t k = 0; k < run.route.sounds.size(); ++k) {
    const TrackSoundData& e = run.route.sounds[k];
    if (!route_sound(run, e.sound)) continue;
    const int channel = s.route_channel(e.sound);
    char& played = s.track_played[k];
    const int d = ff - e.first_frame;
    if (e.pass_flag == 1 && e.first_frame < ff && ff < e.end_frame && !played &&
        round_half_even(v) <= e.ref_speed) {
      device.play(channel);
      played = 1;
    }
    if (e.mode == 0) {
      if (0 <= d && d < kWindow) {
        device.set_volume(channel, shape(run, e, channel));
        if (!played) {
          device.play(channel);
          played = 1;
        }
      }
      continue;
    }
    if (0 <= d && d < kWindow) {
      if (e.fade_flag == 1) s.atten = fade(d);
      device.set_volume(channel, shape(run, e, channel));
      if (!played) {
        device.loop(channel);
        played = 1;
      }
    }
    const int to_end = e.end_frame - ff;
    if (0 <= to_end && to_end < kWindow && e.fade_flag == 1) s.atten = fade(to_end);
    if (0 <= -to_end && -to_end < kWindow && played) device.stop(channel);
    if (e.first_frame <= ff && ff <= e.end_frame) {
      // Silent below 1 km/h, and so whenever the train backs.
      const int level = v < 1 ? kSilent : shape(run, e, channel);
      device.set_volume(channel, std::min(level, kFullLevel));
    }
  }
}

long double doppler_rate(long double speed, long double d) {
  if (d == 0) return 1;  // abreast of the source the train neither nears nor leaves it
  const long double towards = speed * std::cos(std::atan(kBeside / d));
  return d > 0 ? kSoundKmh / (kSoundKmh - towards) : kSoundKmh / (kSoundKmh + towards);
}

void doppler_step(const SoundRun& run) {
  SoundDevice& device = run.platform.sound;
  const SoundState& s = run.sound;
  const auto& departed = run.station.st_departed;
  bool any_in_range = false;
  for (const DopplerData& e : run.route.doppler) {
    if (!route_sound(run, e.sound)) continue;
    const int channel = s.route_channel(e.sound);
    const long double d = e.position - run.train.motion.position_cm;
    if (!(std::fabs(d) <= e.range)) continue;
    any_in_range = true;
    const bool enabled =
        e.station == 0 || (e.station > 0 && static_cast<std::size_t>(e.station) < departed.size() &&
                           departed[static_cast<std::size_t>(e.station)]);
    if ((device.status(channel) & SoundDevice::kPlaying) == 0 && enabled) device.loop(channel);
    if (e.doppler_off == 0) {
      const long double rate = doppler_rate(run.train.motion.speed, d);
      if (rate > 0) device.set_freq_rate(channel, rate);
    }
    device.set_volume(
        channel, e.range > 0 ? level_of(2000, (e.range - std::fabs(d)) / e.range) : kFullLevel);
  }
  if (any_in_range) return;
  for (const DopplerData& e : run.route.doppler) {
    if (!route_sound(run, e.sound)) continue;
    const int channel = s.route_channel(e.sound);
    if (device.status(channel) & SoundDevice::kPlaying) device.stop(channel);
  }
}

void points_sounds_step(const SoundRun& run) {
  SoundState& s = run.sound;
  const int ff = run.film.film_frame;
  const long double v = run.train.motion.speed;  // signed: backing, every limit is above it
  if (s.switch_sounded.size() != run.route.switches.size()) clear_trackside_marks(run);
  for (std::size_t k = 0; k < run.route.switches.size(); ++k) {
    const SwitchData& sw = run.route.switches[k];
    if (!(std::abs(sw.frame - ff) < 10) || s.switch_sounded[k]) continue;
    for (const auto& [sound, limit, type] : run.vehicle.switch_sound) {
      if (limit > v && type == sw.points_type) {
        vehicle_sound_restart(run, sound);
        break;
      }
    }
    s.switch_sounded[k] = 1;
  }
}

}  // namespace velmora
