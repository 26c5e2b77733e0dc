#pragma once
// Vehicles for the handle and key tests, set up in code so each test shows the settings
// it depends on.

#include "app/run.h"
#include "app/train_steps.h"
#include "dynamics/handles.h"

namespace velmora {

// A one-lever electric car: 5 power notches, 7 service brake notches and emergency.
inline VehicleData one_lever_emu() {
  VehicleData v;
  v.handle = HandleType::OneLever;
  v.brake_type = BrakeType::NotchWithPipe;
  v.brake_type2 = 1;
  v.brake = 8;
  v.power = 5;
  v.notch_back = 3;
  v.power_delay = 500;
  v.brake_delay = 300;
  v.sap_delay = 200;
  v.ebrake_delay = 400;
  v.lose_elec = {10, 5};
  v.engine_type = EngineType::Electric;
  v.notch.resize(5);
  v.power_mode = {{"P", "通勤"}};
  return v;
}

inline UiTexts handle_texts() {
  UiTexts t;
  t.forward = "前";
  t.neutral = "中";
  t.reverse = "後";
  t.neut = "B切";
  t.neut2 = "P切";
  t.eb = "非常";
  t.hold2 = "抑速";
  t.const_speed = "定速";
  t.maintain = "保ち";
  t.hold = "重なり";
  t.apply = "込め";
  t.remove = "緩め";
  t.gears = {"中立", "変速", "直結"};
  return t;
}

inline void clear_latches(HandleState& h) {
  h.power_pending = h.brake_pending = h.sap_pending = h.ebrake_pending = false;
}

inline bool all_latches(const HandleState& h) {
  return h.power_pending && h.brake_pending && h.sap_pending && h.ebrake_pending;
}

// Puts the vehicle into the run with the start values of the handles.
inline void use_vehicle(Run& run, const VehicleData& v) {
  run.vehicle = v;
  run.ui = handle_texts();
  run.frame.frame_ms = 16.7L;  // counts as 17 ms in the delays
  reset_handles(run);
}

}  // namespace velmora
