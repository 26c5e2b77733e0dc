#include "dynamics/engine.h"

#include <cmath>

#include "app/run.h"
#include "common/rounding.h"
#include "dynamics/handles.h"
#include "dynamics/traction.h"
#include "sound/vehicle_sounds.h"

namespace velmora {
namespace {

int start_sound(const Run& run) { return run.vehicle.engine_sound2[2]; }
int stop_sound(const Run& run) { return run.vehicle.engine_sound2[3]; }

void automatic_gear_selection(Run& run) {
  EngineState& e = run.engine;
  const auto& rows = run.vehicle.engine;
  const int n = static_cast<int>(rows.size());
  const long double v = std::fabs(run.motion.speed);
  // One pass may climb several positions but falls back only one.
  for (int i = 0; i < n; ++i) {
    const EngineGear& row = rows[static_cast<std::size_t>(i)];
    if (e.gear_pos == i && e.gear_pos < n - 1 && v > row.speed2) e.gear_pos += 1;
    if (e.gear_pos == i && v < row.speed0) e.gear_pos -= 1;
  }
  if (e.gear >= 1 && run.motion.speed < 10) e.gear = 1;
}

void gear_change(Run& run) {
  EngineState& e = run.engine;
  const HandleState& h = run.handles;
  const bool doors = doors_allow_traction(run);
  if (doors) {
    if (e.shift_state == 0 && e.engine_run == 1 && h.power_notch > 0 && e.gear != e.gear_pos &&
        e.shift_timer == 0 && !h.ats_eb && !h.eb_device) {
      e.shift_state = 1;
      masconupdate(run);
    } else if (e.shift_state == 0 && e.gear != 0 && h.power_notch == 0 && e.shift_timer == 0) {
      e.gear = 0;
      e.shift_state = 2;
      masconupdate(run);
    }
  }
  if (e.shift_state == 0) return;
  e.shift_timer += static_cast<int>(round_half_even(run.frame.frame_ms));
  if (e.shift_timer < 10) return;
  e.shift_timer = 0;
  // Position 0 is never engaged.
  if (doors && e.shift_state == 1 && !h.ats_eb && e.gear_pos >= 1) e.gear = e.gear_pos;
  if (e.shift_state == 2) e.gear = 0;
  e.shift_state = 0;
  masconupdate(run);
}

void stall_check(Run& run) {
  EngineState& e = run.engine;
  HandleState& h = run.handles;
  const int highest = static_cast<int>(run.vehicle.engine.size()) - 1;
  if (e.engine_run == 1 && h.reverser != 0 && e.gear == e.gear_pos && e.gear == highest && h.power_notch > 0 &&
      std::fabs(run.motion.speed) < 0.5L) {
    e.engine_run = 0;
    h.power_notch = 0;
    vehicle_sound_restart(run, stop_sound(run));
  }
}

void starter(Run& run) {
  EngineState& e = run.engine;
  const int key = run.input.starter_key;
  const int count = e.starter_count;  // the count from before this pass
  if (e.engine_run == 0 && key == 1 && count == 1) {
    vehicle_sound_restart(run, start_sound(run));
    e.engine_run = -1;
  } else if (e.engine_run == -1 && key == 1 && count == 50) {
    e.engine_run = 1;
  } else if (e.engine_run == -1 && key == 0 && count >= 1 && count < 50) {
    vehicle_sound_restart(run, stop_sound(run));  // let go too early
    e.engine_run = 0;
    e.starter_count = 0;
  }

  if (e.engine_run == 1 && key == 2 && count == 1 && run.handles.power_handle == 0) {
    e.engine_run = -2;
  } else if (e.engine_run == -2 && key == 2 && count == 40) {
    vehicle_sound_restart(run, stop_sound(run));
  } else if (e.engine_run == -2 && key == 2 && count == 50) {
    e.engine_run = 0;
    e.starter_count = 0;
  } else if (e.engine_run == -2 && key == 0 && count >= 1 && count < 50) {
    e.engine_run = 1;
    e.starter_count = 0;
  }

  if (key == 0)
    e.starter_count = 0;
  else
    e.starter_count += 1;
}

}  // namespace

void engine_speed_step(Run& run) {
  EngineState& e = run.engine;
  const VehicleData& v = run.vehicle;
  const HandleState& h = run.handles;
  const long double dt_ms = run.frame.frame_ms;
  const bool pulling = h.power_notch != 0 && e.shift_state == 0;

  if (e.gear > 0) {
    const auto row = static_cast<std::size_t>(e.gear);
    if (row < v.engine_rate.size())
      e.rpm_target = std::fabs(run.motion.speed) * v.engine_rate[row].per_kmh + v.engine_rate[row].standstill;
    if (pulling) {
      if (e.engine_rpm < e.rpm_target - 5)
        e.engine_rpm += dt_ms / 20;
      else if (e.engine_rpm > e.rpm_target + 5)
        e.engine_rpm -= dt_ms / 20;
      else if (e.engine_rpm < e.rpm_target - 1)
        e.engine_rpm += dt_ms / 200;
      else if (e.engine_rpm > e.rpm_target + 1)
        e.engine_rpm -= dt_ms / 200;
    } else if (e.engine_rpm > 30) {
      e.engine_rpm -= dt_ms / 20;
    }
  } else if (v.gear_type == 0) {
    if (!pulling && e.engine_rpm > 30) e.engine_rpm -= dt_ms / 20;
  } else if (v.gear_type == 1) {
    // A manual lever out of gear lets the engine rev freely, up to 95.
    if (pulling) {
      if (e.engine_rpm < 95) e.engine_rpm += dt_ms / 20;
      if (e.engine_rpm >= 95) e.engine_rpm = 95;
    } else if (e.engine_rpm > 30) {
      e.engine_rpm -= dt_ms / 20;
    }
  }

  if (e.engine_run == 0 && e.engine_rpm > 0) e.engine_rpm -= dt_ms / 30;
  if (e.engine_run != 0 && e.engine_rpm < 30) e.engine_rpm += dt_ms / 30;
  if (e.engine_rpm < 0) e.engine_rpm = 0;
}

void transmission_step(Run& run) {
  if (run.vehicle.engine_type != EngineType::Diesel) return;
  if (run.vehicle.gear_type == 0 && run.engine.shift_state == 0) automatic_gear_selection(run);
  gear_change(run);
}

void engine_state_step(Run& run) {
  stall_check(run);
  starter(run);
}

void jump_ats(Run& run, bool on) {
  run.engine.ats_enabled = on;
  // Switching protection on in the dialog also clears the saved "protection off" option.
  if (on) run.options.opt_ats_reg = 0;
  run.protection.ats_lamps[0] = on;
}

void jump_engine_start(Run& run) {
  if (run.engine.engine_run == 0) vehicle_sound_restart(run, start_sound(run));
  run.platform.clock.sleep_ms(700);  // the dialog holds the whole program for the start
  run.engine.engine_run = 1;
}

void jump_engine_stop(Run& run) {
  if (run.engine.engine_run != 1) return;
  vehicle_sound_restart(run, stop_sound(run));
  run.engine.engine_run = 0;
}

}  // namespace velmora
