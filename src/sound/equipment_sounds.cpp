#include "sound/equipment_sounds.h"

#include <cmath>

#include "common/rounding.h"
#include "sound/sound_levels.h"
#include "sound/sound_run.h"
#include "sound/vehicle_sounds.h"

namespace velmora {

namespace {

constexpr long double kChargedPipe = 490;  // kPa

// The channel of vehicle sound `number`, or -1 for none.
int channel_of(const SoundRun& run, int number) {
  return number > 0 && number < run.sound.vehicle_count ? number : -1;
}

void set_level(const SoundRun& run, int number, int level) {
  const int channel = channel_of(run, number);
  if (channel >= 0) run.platform.sound.set_volume(channel, level);
}

int level(const SoundRun& run, int number) {
  const int channel = channel_of(run, number);
  return channel >= 0 ? run.platform.sound.volume(channel) : kSilent;
}

void keep_looping(const SoundRun& run, int number) {
  if (!vehicle_sound_playing(run, number)) vehicle_sound_loop(run, number);
}

// Field `field` of entry `k` of a brake-sound table; 0 (none) outside it.
int entry(const std::vector<std::array<int, 2>>& table, int k, int field) {
  return k >= 0 && static_cast<std::size_t>(k) < table.size()
             ? table[static_cast<std::size_t>(k)][field]
             : 0;
}

// Fades the squeal out by `step` a frame and stops it once it is quiet enough.
void fade_squeal(const SoundRun& run, int number, int step) {
  if (level(run, number) > -6000) set_level(run, number, clamp_level(level(run, number) - step));
  if (level(run, number) < -5000) vehicle_sound_stop(run, number);
}

bool any_trip(const HandleState& h) { return h.ats_eb || h.eb_device || h.ats_service; }

}  // namespace

void brake_squeal_step(const SoundRun& run) {
  const int squeak = run.vehicle.sound_squeak;
  if (channel_of(run, squeak) < 0) return;
  const long double speed = run.train.motion.speed;
  const long double v = std::fabs(speed);
  const long double bc = static_cast<long double>(run.train.brakes.bc_t);
  const bool electric = run.train.brakes.ebrake_current != 0;
  if (bc > 0 && v > 1 && !electric && !vehicle_sound_playing(run, squeak))
    vehicle_sound_loop(run, squeak);
  if (bc == 0) fade_squeal(run, squeak, 100);
  if (v < 1) fade_squeal(run, squeak, 1000);
  const long double L = run.vehicle.lose_elec[1];
  const auto kpa = round_half_even(bc);
  // Louder at low speed and high cylinder pressure; the signed speed makes a train backing
  // squeal at full level.
  if (bc > 0 && !electric && v > 1 && L != 0 && kpa != 0)
    set_level(
        run, squeak,
        clamp_level(static_cast<long double>(round_half_even(-500 * (500 * speed / L) / kpa))));
}

void air_valve_step(const SoundRun& run) {
  const VehicleData& veh = run.vehicle;
  if (veh.brake_type != BrakeType::AutomaticAir) return;
  const long double bp = static_cast<long double>(run.train.brakes.bp_press);
  const long double mr = static_cast<long double>(run.train.brakes.mr_press);
  const int notch = run.train.handles.brake_notch;
  const int apply = veh.sound_apply[0], charge = veh.sound_apply[1];
  if (notch == -3 && bp > 0) {
    keep_looping(run, apply);
    set_level(run, apply, bp < 100 ? level_of(2000, bp / 100) : kFullLevel);
  } else {
    vehicle_sound_stop(run, apply);
  }
  if (bp + 10 < mr && notch >= -1 && bp < kChargedPipe) {
    keep_looping(run, charge);
    int l = kFullLevel;
    if (bp > 440)
      l = level_of(2000, (kChargedPipe - bp) / 100);
    else if (bp < mr - 50)
      l = level_of(2000, (mr - bp) / 100);
    set_level(run, charge, l);
  } else {
    vehicle_sound_stop(run, charge);
  }
}

void emergency_valve_step(const SoundRun& run) {
  const VehicleData& veh = run.vehicle;
  const HandleState& h = run.train.handles;
  SoundState& s = run.sound;
  const bool emergency = h.brake_handle == -veh.brake || h.ats_eb || h.eb_device;
  if (!emergency) {
    s.eb_latch = false;
    return;
  }
  if (s.eb_latch) return;
  if (veh.brake_type <= BrakeType::NotchWithPipe && run.train.brakes.bp_press > 0) {
    vehicle_sound_restart(run, veh.sound_eb[0]);
    vehicle_sound_restart(run, entry(veh.sound_ba, veh.brake, 1));
    s.eb_latch = true;
  } else if (veh.brake_type == BrakeType::Notch &&
             run.train.brakes.bc_t < Fixed4(run.load.bc_emergency) &&
             run.train.motion.speed > veh.sound_eb[1]) {
    vehicle_sound_restart(run, veh.sound_eb[0]);
    s.eb_latch = true;
  }
}

void brake_step_sounds(const SoundRun& run) {
  const VehicleData& veh = run.vehicle;
  const HandleState& h = run.train.handles;
  SoundState& s = run.sound;
  if (veh.brake_type <= BrakeType::AutomaticAir || any_trip(h)) return;
  const int sn = -h.brake_notch, step = -h.brake_handle;
  const long double bc = static_cast<long double>(run.train.brakes.bc_t);
  const auto sound_once = [&](int number) {
    if (!s.step_latch && !vehicle_sound_playing(run, number)) {
      vehicle_sound_restart(run, number);
      s.step_latch = true;
    }
  };
  if (h.brake_handle == 0 && sn != 1 && bc > 0) {
    sound_once(entry(veh.sound_bk, sn - 1, 1));
  } else if (sn > step && veh.brake != 0 &&
             bc - 10 > static_cast<long double>(run.load.bc_emergency) * step / veh.brake) {
    sound_once(entry(veh.sound_br, step, 1));
  } else {
    s.step_latch = false;
  }
}

void horn_step(const SoundRun& run) {
  const VehicleData& veh = run.vehicle;
  const InputState& in = run.input;
  int& noted = run.sound.horn_noted;
  const int now = run.train.motion.sim_ticks;
  struct Horn {
    int s1, s2, s3, s4, interval;
    bool held;
  };
  const auto& h1 = veh.sound_horn1.numbers;
  const auto& h2 = veh.sound_horn2.numbers;
  // The OHC-PC01's horn button blows the first horn as key 3 does.
  const bool horn1_held = in.key3_held || run.controllers.ohc_horn != 0;
  const Horn horns[] = {{h1[0], h1[1], h1[2], h1[3], h1[4], horn1_held},
                        {veh.sound_horn2.sound, h2[0], h2[1], h2[2], h2[3], in.key6_held}};
  for (const Horn& h : horns) {
    const bool p1 = vehicle_sound_playing(run, h.s1), p2 = vehicle_sound_playing(run, h.s2),
               p3 = vehicle_sound_playing(run, h.s3);
    const bool due = now - noted > h.interval;
    const auto next = [&](int sound) {
      noted = now;
      vehicle_sound_play(run, sound);
    };
    if (h.held) {
      // The horn keeps blowing while held: the opening, then the two middle sounds in turn.
      if (!p1 && !p2 && !p3)
        next(h.s1);
      else if (p1 && !p2 && due)
        next(h.s2);
      else if (p2 && !p3 && due)
        next(h.s3);
      else if (p3 && !p2 && due)
        next(h.s2);
    } else if ((p1 || p2 || p3) && !vehicle_sound_playing(run, h.s4) && due) {
      vehicle_sound_play(run, h.s4);  // the closing sound
    }
  }
}

void stop_alert_step(const SoundRun& run) {
  SoundState& s = run.sound;
  const int sound = run.vehicle.stop[0], mode = run.vehicle.stop[1];
  const long double v = run.train.motion.speed;
  // Standing (or backing), the alert is over; checked first so that a train standing short
  // of its stop does not start an alert only to cut it off in the same pass.
  if (v < 1) {
    if (vehicle_sound_playing(run, sound)) {
      vehicle_sound_stop(run, sound);
      set_level(run, sound, kFullLevel);
    }
    s.stop_latch = false;
    return;
  }
  const long double to_stop = run.train.motion.stop_distance;
  if (to_stop > 0 && v * v / 18 > to_stop / 100 - 125 && !vehicle_sound_playing(run, sound)) {
    if (mode == 1 || !s.stop_latch) vehicle_sound_play(run, sound);
    s.stop_latch = true;
  }
}

void key4_sounds_step(const SoundRun& run) {
  const VehicleData& veh = run.vehicle;
  const bool held = run.input.key4_held;
  if (veh.key4 == "B") {
    if (held)
      keep_looping(run, veh.buzzer);
    else
      vehicle_sound_stop(run, veh.buzzer);
  } else if (veh.key4 == "H") {
    const int hasten = veh.sound_hasten[0];
    if (held && run.station.doors_open) {
      keep_looping(run, hasten);
    } else if (!held && vehicle_sound_playing(run, hasten)) {
      vehicle_sound_stop(run, hasten);
      vehicle_sound_play(run, veh.sound_hasten[1]);
    }
  }
}

void notching_sound_step(const SoundRun& run) {
  SoundState& s = run.sound;
  const int step = run.train.traction.current_step;
  if (step > s.notch_step_seen) s.notch_sound_pending = true;
  s.notch_step_seen = step;
  if (!s.notch_sound_pending) return;
  const auto& steps = run.vehicle.current_p;
  if (step < 0 || static_cast<std::size_t>(step) >= steps.size()) return;
  const int sound = steps[static_cast<std::size_t>(step)].fifth;
  // A step without a sound of its own leaves the request for the next one that has it.
  if (sound > 0 && !vehicle_sound_playing(run, sound)) {
    vehicle_sound_restart(run, sound);
    s.notch_sound_pending = false;
  }
}

void ats_warn_step(const SoundRun& run) {
  const int warn = run.vehicle.ats_warn;
  if (!run.train.engine.ats_enabled && run.options.opt_ats_reg == 0 &&
      run.train.handles.power_handle >= 2)
    keep_looping(run, warn);
  else
    vehicle_sound_stop(run, warn);
}

}  // namespace velmora
