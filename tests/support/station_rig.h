#pragma once
// A run on the stations fixture route, started as the simulator starts it, with helpers to
// place the train and to let the clock and the sound device's clock run together.

#include <string>
#include <vector>

#include "app/startup.h"
#include "app/timer1.h"
#include "route/station_step.h"
#include "test_rig.h"

namespace velmora {

// line_stations.dat: 始発駅 (0 m, 10:00:00), 通過駅 (450 m, passed), 中央駅 (900 m, 10:02:00),
// 終点駅 (1766.67 m, no time); stop zones ±3 m; arrival sound 2 s, departure melody 3 s.
// The station calls at 中央駅 are slots 0..5 for events 0..5; 19 is the doors-shut call and
// 20 the call of powering away.
inline RunConfig stations_config() {
  RunConfig c = fixture_config();
  c.route_file = "line_stations.dat";
  return c;
}

constexpr long double kCentral = 90000;  // cm, stop position of 中央駅

struct StationRig : TestRig {
  explicit StationRig(RunConfig config = stations_config()) : TestRig(std::move(config)) {
    FormCreate(run);
  }

  // Departed from the first station: doors shut, running to 中央駅.
  void leave_first() {
    run.station.doors_open = run.station.door_cmd = false;
    set_next_stop(run, 0);
  }
  void at(long double position_cm, long double speed) {
    run.train.motion.position_cm = position_cm;
    run.train.motion.speed = speed;
    run.train.motion.stop_distance = run.station.stop_position - position_cm;
  }
  void passes(int n = 1) {
    for (int i = 0; i < n; ++i) station_rules(run);
  }
  // n clock ticks of 1/30 s, a route-step pass after each.
  void ticks(int n) {
    for (int i = 0; i < n; ++i) {
      clock.advance_ns(1'000'000'000 / 30);
      ++run.train.motion.sim_ticks;
      station_rules(run);
    }
  }
  // How many events of that kind mention `text`.
  int count(const std::string& kind, const std::string& text) const {
    int n = 0;
    for (const Event& e : log.events)
      if (e.kind == kind && e.detail.find(text) != std::string::npos) ++n;
    return n;
  }
  // The details of the events of that kind, in order.
  std::vector<std::string> details(const std::string& kind) const {
    std::vector<std::string> out;
    for (const Event& e : log.events)
      if (e.kind == kind) out.push_back(e.detail);
    return out;
  }
};

}  // namespace velmora
