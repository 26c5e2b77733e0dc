// Dynamics steps per second for each traction model, on a train running under power.
// Run: build/release/bench/velmora_bench --benchmark_filter=Keisan
#include <benchmark/benchmark.h>

#include "app/load_compensation.h"
#include "app/headless_platform.h"
#include "app/run.h"
#include "app/train_steps.h"
#include "dynamics/brakes.h"
#include "dynamics/handles.h"
#include "dynamics/keisan.h"

namespace {

using namespace velmora;

enum class Model { Table, Current, Diesel };

VehicleData vehicle_for(Model model) {
  VehicleData v;
  v.brake_type = BrakeType::NotchWithPipe;
  v.brake_type2 = model == Model::Diesel ? 0 : 1;
  v.brake = 8;
  v.power = 5;
  v.max_speed = 1000;  // keep pulling for the whole measurement
  v.cars = 4;
  v.tons = {Fixed4(120), Fixed4(0)};
  v.mt = {Fixed4(60), Fixed4(0)};
  v.tt = {Fixed4(60), Fixed4(0)};
  v.max_press = {440, 0};
  v.eb_press = {540, 0};
  v.high_air_press = 880;
  v.brake_up = v.brake_down = 200;
  v.air_brake_rate = Fixed4(4.5L);
  v.air_brake_speed = Fixed4(30);
  v.brake_rate2 = Fixed4(0.03L);
  v.planned_brake_rate.assign(8, Fixed4(1));
  v.engine_type = model == Model::Diesel ? EngineType::Diesel : EngineType::Electric;
  v.power_type = model == Model::Table ? 1 : 0;
  for (int n = 1; n <= 5; ++n) v.notch.push_back({0.6L * n, 0.5L * n, 30, 60, 2, 0});
  v.current_p_reference = 300;
  v.current_p_accel = 3;
  v.current_p_falloff_speed = 40;
  v.current_p = {{1, 3000, -10, 100, 0}, {2, 6000, -5, 100, 0}, {3, 9000, 0, 100, 0}};
  v.engine = {{0, 20, 1000, 2, 1.5L, 1}};
  v.engine_rate = {{30, 2}};
  return v;
}

void run_model(benchmark::State& state, Model model) {
  HeadlessPlatform platform;
  Run run(RunConfig{}, platform.services());
  run.vehicle = vehicle_for(model);
  run.route.route_friction = Fixed4(0.3L);
  run.frame.frame_ms = 16.667L;
  run.frame.fps = 60;
  compensate_load(run);
  reset_handles(run);
  reset_brakes(run);
  HandleState& h = run.train.handles;
  h.brake_handle = h.brake_notch = h.sap_notch = 0;
  h.power_handle = h.power_notch = 5;
  run.train.brakes.bc_t = Fixed4();
  run.train.motion.speed = 20;
  for (auto _ : state) {
    keisan(run);
    benchmark::DoNotOptimize(run.train.motion.speed);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_Keisan_Table(benchmark::State& state) { run_model(state, Model::Table); }
void BM_Keisan_Current(benchmark::State& state) { run_model(state, Model::Current); }
void BM_Keisan_Diesel(benchmark::State& state) { run_model(state, Model::Diesel); }
BENCHMARK(BM_Keisan_Table);
BENCHMARK(BM_Keisan_Current);
BENCHMARK(BM_Keisan_Diesel);

}  // namespace
