#pragma once
// Vehicles for the dynamics tests, with every value the step reads set in code.

#include "app/load_compensation.h"
#include "dynamics/brakes.h"
#include "dynamics/handles.h"
#include "dynamics/train.h"
#include "dynamics/train_io.h"
#include "handle_fixtures.h"
#include "test_rig.h"

namespace velmora {

// A four-car electric train with the acceleration table and a blended electric brake.
inline VehicleData table_emu() {
  VehicleData v = one_lever_emu();
  v.power_type = 1;
  v.ebrake_model = 1;
  v.max_speed = 120;
  v.cars = 4;
  v.length = 20;
  v.tons = {Fixed4(120), Fixed4(0)};
  v.mt = {Fixed4(60), Fixed4(0)};
  v.tt = {Fixed4(60), Fixed4(0)};
  v.max_press = {440, 0};
  v.eb_press = {540, 0};
  v.sap_press = {440, 0};
  v.high_air_press = 880;
  v.low_air_press = 780;
  v.brake_up = 200;
  v.brake_down = 150;
  v.sap_up = 200;
  v.sap_down = 150;
  v.bp_return = 100;
  v.elbr = 40;
  v.air_brake_rate = Fixed4(4.5L);
  v.air_brake_speed = Fixed4(30);
  v.brake_rate2 = Fixed4(0.03L);
  v.max_brake_curr = 400;
  v.ebrake_up = 200;
  v.ebrake_down = 300;
  v.ebrake_force = 60;
  v.ammeter_mode = 1;
  v.ammeter_scale = 100;
  for (int n = 0; n < 8; ++n) v.planned_brake_rate.push_back(Fixed4(0.5L * n));
  for (int n = 1; n <= 5; ++n) v.notch[static_cast<std::size_t>(n - 1)] = {0.6L * n, 0.5L * n, 30, 60, 2, 0};
  return v;
}

// A run standing at the start with that vehicle: loads, handles and brakes as after start-up.
inline void start_with(TestRig& rig, const VehicleData& v) {
  use_vehicle(rig.run, v);
  rig.run.route.route_friction = Fixed4(0.3L);
  rig.run.frame.frame_ms = 16.667L;
  rig.run.frame.fps = 60;
  compensate_load(rig.run);
  reset_brakes(rig.run);
}

// The train on its own, standing at the start without passengers: the data and inputs it
// reads and its state, no run around it.
struct TrainRig {
  explicit TrainRig(const VehicleData& v) : vehicle(v) {
    route.route_friction = Fixed4(0.3L);
    load = LoadState{v.tons.empty, v.mt.empty, v.tt.empty, v.max_press.empty, v.eb_press.empty, v.sap_press.empty};
    reset_handles(train, in, events);
    reset_brakes(train.brakes, vehicle, load);
    events = TrainEvents{};
  }
  TrainRig(const TrainRig&) = delete;
  TrainRig& operator=(const TrainRig&) = delete;

  VehicleData vehicle;
  RouteData route;
  UiTexts ui = handle_texts();
  LoadState load;
  TrainInputs in{
      .vehicle = vehicle, .route = route, .ui = ui, .load = load, .vehicle_file = {}, .frame_ms = 16.667L, .fps = 60};
  Train train;
  TrainEvents events;
};

}  // namespace velmora
