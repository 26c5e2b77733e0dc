#include "sound/running_sounds.h"

#include <algorithm>
#include <cmath>

#include "common/rounding.h"
#include "sound/sound_levels.h"
#include "sound/sound_run.h"
#include "sound/vehicle_sounds.h"

namespace velmora {

namespace {

constexpr int kBands = 13;  // running-noise channels 0..12, one per 10 km/h

bool playing(const SoundRun& run, int channel) {
  return (run.platform.sound.status(channel) & SoundDevice::kPlaying) != 0;
}

// A curve may run below zero at its far end; the device is never asked to play backwards.
void set_rate(const SoundRun& run, int channel, long double rate) {
  if (rate > 0) run.platform.sound.set_freq_rate(channel, rate);
}

void keep_looping(const SoundRun& run, int channel) {
  if (!playing(run, channel)) run.platform.sound.loop(channel);
}

long double along(long double x, long double x0, long double x1, long double y0, long double y1) {
  return x1 == x0 ? y0 : y0 + (y1 - y0) * (x - x0) / (x1 - x0);
}

// A curve of one segment from (lo, rate0, vol0) to (hi, rate1, vol1) with 10-wide margins in
// which the level fades to 0: the rate and the level at x, or only the level 1 outside.
struct CurvePoint {
  bool rate_set = false;
  long double rate = 1, level = 1;
};
CurvePoint margin_curve(long double x, long double lo, long double hi, long double rate0,
                        long double rate1, long double vol0, long double vol1) {
  CurvePoint c;
  if (!(lo - 10 < x && x < hi + 10)) return c;
  c.rate_set = true;
  c.rate = along(x, lo, hi, rate0, rate1);
  if (lo < x && x < hi)
    c.level = along(x, lo, hi, vol0, vol1);
  else if (x <= lo)
    c.level = vol0 * (x - lo + 10) / 10;
  else
    c.level = vol1 * (hi + 10 - x) / 10;
  return c;
}

// Output level of a row: its curve level (at least 1) times its faders, on the 1660 scale.
int row_level(long double level, long double fade, long double common) {
  return level_of(1660, std::max(1.0L, level) * fade * common / 1'000'000);
}

void raise(long double& fader, long double by, long double top) {
  if (fader < top) fader += by;
}
void lower(long double& fader, long double by, long double floor) {
  if (fader > floor) fader -= by;
}

bool braking_not_emergency(const SoundRun& run) {
  const int notch = run.train.handles.brake_notch;
  return notch < 0 && notch != -run.vehicle.brake;
}

}  // namespace

void reset_running_sounds(const SoundRun& run) {
  SoundState& s = run.sound;
  s.motor_level.assign(static_cast<std::size_t>(s.motor_count), 1);
  s.motor_fade.assign(static_cast<std::size_t>(s.motor_count), 1);
  s.gear_level.assign(static_cast<std::size_t>(s.gear_count), 1);
  s.gear_fade.assign(static_cast<std::size_t>(s.gear_count), 1);
  s.load_fade = s.gear_load = 1;
  s.door_counter = 0;
}

void running_noise_step(const SoundRun& run) {
  SoundDevice& device = run.platform.sound;
  const int count = std::min(kBands, run.sound.vehicle_count);
  const auto band = [&](int k) { return k >= 0 && k < count; };
  const int u = static_cast<int>(round_half_away(std::fabs(run.train.motion.speed)));
  const int b = u / 10, f = u % 10;
  if (u >= 120) {
    if (!band(12)) return;
    keep_looping(run, 12);
    device.set_volume(12, kFullLevel);
    return;
  }
  if (u > 10 && b > 1 && band(b - 1) && playing(run, b - 1)) device.stop(b - 1);
  if (u < 110 && band(b + 2) && playing(run, b + 2)) device.stop(b + 2);
  if (band(b)) keep_looping(run, b);
  if (band(b + 1)) keep_looping(run, b + 1);
  const int a = std::max(1, 100 - 10 * f), c = std::max(1, 10 * f);
  // Band 0 keeps its own level: the standstill sound goes on under the others.
  if (b > 0 && band(b)) device.set_volume(b, level_of_away(2000, a / 100.0L));
  if (band(b + 1)) device.set_volume(b + 1, level_of_away(2000, c / 100.0L));
}

void electric_motor_step(const SoundRun& run) {
  SoundState& s = run.sound;
  SoundDevice& device = run.platform.sound;
  const HandleState& h = run.train.handles;
  const long double v = std::fabs(run.train.motion.speed);
  const long double ms = run.frame.frame_ms;
  const auto& rows = run.vehicle.engine_sound1;
  const std::size_t n = std::min(rows.size(), s.motor_fade.size());

  const bool trip = h.ats_eb || h.eb_device;
  const bool working = h.power_notch != 0 || h.brake_notch != 0 || h.suppress_state != 0 || trip;

  for (std::size_t i = 0; i < n; ++i) {
    const MotorSoundData& r = rows[i];
    const int channel = s.motor_channel(static_cast<int>(i));
    long double& level = s.motor_level[i];
    long double& fade = s.motor_fade[i];
    if (r.Speed1 < v && v <= r.Speed2) {
      set_rate(run, channel, along(v, r.Speed1, r.Speed2, r.Rate1, r.Rate2));
      level = along(v, r.Speed1, r.Speed2, r.Volume1, r.Volume2);
    } else if (r.Speed2 < v && v <= r.Speed3) {
      set_rate(run, channel, along(v, r.Speed2, r.Speed3, r.Rate2, r.Rate3));
      level = along(v, r.Speed2, r.Speed3, r.Volume2, r.Volume3);
    } else if (r.Speed3 < v && v <= r.Speed4) {
      set_rate(run, channel, along(v, r.Speed3, r.Speed4, r.Rate3, r.Rate4));
      level = along(v, r.Speed3, r.Speed4, r.Volume3, r.Volume4);
    } else {
      level = 1;
    }
    const bool active = (r.kagen == 0 && h.power_notch > 0) ||
                        (r.kagen == 1 && braking_not_emergency(run)) ||
                        (r.kagen >= 2 && h.brake_notch != -run.vehicle.brake);
    if (active)
      fade = 100;
    else
      lower(fade, ms / 10, 11);
    // The common fader moves once for every row, so with more rows it swells faster.
    if (working)
      raise(s.load_fade, ms / 20, 85);
    else
      lower(s.load_fade, ms / 10, 15);
    s.load_fade = std::min(s.load_fade, 100.0L);
    const int out = row_level(level, fade, r.kagen == 3 ? 100 : s.load_fade);
    device.set_volume(channel, out > -3000 && fade > 10 ? out : kSilent);
    if (fade < 5) {
      if (playing(run, channel)) device.stop(channel);
    } else {
      keep_looping(run, channel);
    }
  }
}

void diesel_engine_step(const SoundRun& run) {
  SoundState& s = run.sound;
  SoundDevice& device = run.platform.sound;
  const HandleState& h = run.train.handles;
  const EngineState& e = run.train.engine;
  const long double ms = run.frame.frame_ms;
  const auto& rows = run.vehicle.engine_sound1;
  const std::size_t n = std::min(rows.size(), s.motor_fade.size());

  for (std::size_t i = 0; i < n; ++i) {
    const MotorSoundData& r = rows[i];
    const int channel = s.motor_channel(static_cast<int>(i));
    const CurvePoint c =
        margin_curve(e.engine_rpm, r.Speed1, r.Speed4, r.Rate1, r.Rate4, r.Volume1, r.Volume4);
    if (c.rate_set) set_rate(run, channel, c.rate);
    s.motor_level[i] = c.level;
    long double& fade = s.motor_fade[i];
    if (r.kagen >= 0)
      fade = r.kagen == e.gear_pos ? 100 : 1;
    else if (r.kagen == -1 || (r.kagen == -2 && h.brake_notch < 0))
      fade = 100;
    // Once for every row, as in the electric model.
    if (h.power_notch != 0 && e.shift_state == 0 && e.engine_run == 1)
      raise(s.load_fade, ms / 10, 95);
    else if (h.power_notch == 0 || e.shift_state != 0)
      lower(s.load_fade, ms / 10, 5);
    device.set_volume(channel, row_level(s.motor_level[i], fade, s.load_fade));
    keep_looping(run, channel);
  }
}

void engine_idle_step(const SoundRun& run) {
  SoundState& s = run.sound;
  const StationState& st = run.station;
  const int a = run.vehicle.engine_sound2[0], b = run.vehicle.engine_sound2[1];
  if (st.doors_open && !st.door_cmd)
    ++s.door_counter;
  else if (!st.doors_open && !st.door_cmd)
    s.door_counter = 0;
  const auto switch_to = [&](int sound) {
    vehicle_sound_stop(run, a);
    vehicle_sound_stop(run, b);
    vehicle_sound_loop(run, sound);
  };
  if (run.train.engine.engine_run == 0) {
    vehicle_sound_stop(run, a);
    vehicle_sound_stop(run, b);
    return;
  }
  // B is the idling heard while the doors stand open, A the one heard otherwise.
  if (s.door_counter == 55 && !vehicle_sound_playing(run, a)) switch_to(a);
  if (!st.doors_open && !vehicle_sound_playing(run, a)) switch_to(a);
  if (st.doors_open && s.door_counter < 30 && !vehicle_sound_playing(run, b)) switch_to(b);
}

void gear_sounds_step(const SoundRun& run) {
  SoundState& s = run.sound;
  SoundDevice& device = run.platform.sound;
  const HandleState& h = run.train.handles;
  const EngineState& e = run.train.engine;
  const long double v = run.train.motion.speed;
  const long double ms = run.frame.frame_ms;
  const auto& rows = run.vehicle.engine_sound3;
  const std::size_t n = std::min(rows.size(), s.gear_fade.size());

  for (std::size_t i = 0; i < n; ++i) {
    const HensokuSoundData& r = rows[i];
    const int channel = s.gear_channel(static_cast<int>(i));
    const CurvePoint c = margin_curve(v, r.StartSpeed, r.EndSpeed, r.StartRate, r.EndRate,
                                      r.StartVolume, r.EndVolume);
    if (c.rate_set) set_rate(run, channel, c.rate);
    s.gear_level[i] = c.level;
    long double& fade = s.gear_fade[i];
    if (r.kagen == 1 && h.power_notch > 0) {
      if (r.gear == e.gear) raise(fade, ms / 10, 95);
    } else if (r.kagen == 2 && h.brake_notch < 0 && v > run.vehicle.lose_elec[0]) {
      raise(fade, ms / 10, 95);
    } else {
      lower(fade, ms / 10, 10);
    }
    // Once for every gear row.
    if ((h.power_notch != 0 || h.brake_notch != 0) && e.shift_state == 0 && e.engine_run == 1)
      raise(s.gear_load, ms / 10, 95);
    else if ((h.power_notch == 0 && h.brake_notch == 0) || e.shift_state != 0)
      lower(s.gear_load, ms / 10, 10);
    device.set_volume(channel, row_level(s.gear_level[i], fade, s.gear_load));
    keep_looping(run, channel);
  }
}

}  // namespace velmora
