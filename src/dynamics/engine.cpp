#include "dynamics/engine.h"

#include <cmath>

#include "common/rounding.h"
#include "dynamics/handles.h"
#include "dynamics/traction.h"

namespace velmora {
namespace {

void automatic_gear_selection(Train& train, const TrainInputs& in) {
  EngineState& e = train.engine;
  const auto& rows = in.vehicle.engine;
  const int n = static_cast<int>(rows.size());
  const long double v = std::fabs(train.motion.speed);
  // One pass may climb several positions but falls back only one.
  for (int i = 0; i < n; ++i) {
    const EngineGear& row = rows[static_cast<std::size_t>(i)];
    if (e.gear_pos == i && e.gear_pos < n - 1 && v > row.speed2) e.gear_pos += 1;
    if (e.gear_pos == i && v < row.speed0) e.gear_pos -= 1;
  }
  if (e.gear >= 1 && train.motion.speed < 10) e.gear = 1;
}

void gear_change(Train& train, const TrainInputs& in, TrainEvents& events) {
  EngineState& e = train.engine;
  const HandleState& h = train.handles;
  const bool doors = doors_allow_traction(in.vehicle, in.doors_open);
  if (doors) {
    if (e.shift_state == 0 && e.engine_run == 1 && h.power_notch > 0 && e.gear != e.gear_pos &&
        e.shift_timer == 0 && !h.ats_eb && !h.eb_device) {
      e.shift_state = 1;
      masconupdate(train, in, events);
    } else if (e.shift_state == 0 && e.gear != 0 && h.power_notch == 0 && e.shift_timer == 0) {
      e.gear = 0;
      e.shift_state = 2;
      masconupdate(train, in, events);
    }
  }
  if (e.shift_state == 0) return;
  e.shift_timer += static_cast<int>(round_half_even(in.frame_ms));
  if (e.shift_timer < 10) return;
  e.shift_timer = 0;
  // Position 0 is never engaged.
  if (doors && e.shift_state == 1 && !h.ats_eb && e.gear_pos >= 1) e.gear = e.gear_pos;
  if (e.shift_state == 2) e.gear = 0;
  e.shift_state = 0;
  masconupdate(train, in, events);
}

void stall_check(Train& train, const TrainInputs& in, TrainEvents& events) {
  EngineState& e = train.engine;
  HandleState& h = train.handles;
  const int highest = static_cast<int>(in.vehicle.engine.size()) - 1;
  if (e.engine_run == 1 && h.reverser != 0 && e.gear == e.gear_pos && e.gear == highest && h.power_notch > 0 &&
      std::fabs(train.motion.speed) < 0.5L) {
    e.engine_run = 0;
    h.power_notch = 0;
    events.engine_sounds.push_back(EngineSound::Stop);
  }
}

void starter(Train& train, const TrainInputs& in, TrainEvents& events) {
  EngineState& e = train.engine;
  const int key = in.starter_key;
  const int count = e.starter_count;  // the count from before this pass
  if (e.engine_run == 0 && key == 1 && count == 1) {
    events.engine_sounds.push_back(EngineSound::Start);
    e.engine_run = -1;
  } else if (e.engine_run == -1 && key == 1 && count == 50) {
    e.engine_run = 1;
  } else if (e.engine_run == -1 && key == 0 && count >= 1 && count < 50) {
    events.engine_sounds.push_back(EngineSound::Stop);  // let go too early
    e.engine_run = 0;
    e.starter_count = 0;
  }

  if (e.engine_run == 1 && key == 2 && count == 1 && train.handles.power_handle == 0) {
    e.engine_run = -2;
  } else if (e.engine_run == -2 && key == 2 && count == 40) {
    events.engine_sounds.push_back(EngineSound::Stop);
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

void engine_speed_step(Train& train, const TrainInputs& in) {
  EngineState& e = train.engine;
  const VehicleData& v = in.vehicle;
  const HandleState& h = train.handles;
  const long double dt_ms = in.frame_ms;
  const bool pulling = h.power_notch != 0 && e.shift_state == 0;

  if (e.gear > 0) {
    const auto row = static_cast<std::size_t>(e.gear);
    if (row < v.engine_rate.size())
      e.rpm_target = std::fabs(train.motion.speed) * v.engine_rate[row].per_kmh + v.engine_rate[row].standstill;
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

void transmission_step(Train& train, const TrainInputs& in, TrainEvents& events) {
  if (in.vehicle.engine_type != EngineType::Diesel) return;
  if (in.vehicle.gear_type == 0 && train.engine.shift_state == 0) automatic_gear_selection(train, in);
  gear_change(train, in, events);
}

void engine_state_step(Train& train, const TrainInputs& in, TrainEvents& events) {
  stall_check(train, in, events);
  starter(train, in, events);
}

void jump_engine_start(EngineState& e, TrainEvents& events) {
  if (e.engine_run == 0) events.engine_sounds.push_back(EngineSound::Start);
  e.engine_run = 1;
}

void jump_engine_stop(EngineState& e, TrainEvents& events) {
  if (e.engine_run != 1) return;
  events.engine_sounds.push_back(EngineSound::Stop);
  e.engine_run = 0;
}

}  // namespace velmora
