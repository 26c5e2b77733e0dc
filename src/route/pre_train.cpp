#include <cstddef>
#include <cstdlib>

#include "common/rounding.h"
#include "route/route_run.h"
#include "route/signals.h"
#include "route/station_table.h"

namespace velmora {
namespace {

// Record k, or the empty record after the last one.
const PreTrainData& record_at(const RouteData& route, std::size_t k) {
  static const PreTrainData none{};
  return k < route.pre_train.size() ? route.pre_train[k] : none;
}

int tail_of(const RouteData& route, int station) { return station_at(route, station).tail; }

int sign_of(int v) { return (v > 0) - (v < 0); }

}  // namespace

void pre_train_remove(const RouteRun& run) {
  SignalState& st = run.signals;
  if (st.pre_train_end < st.pre_train_frame) st.pre_train_frame = 0;
}

void pre_train_step(const RouteRun& run) {
  SignalState& st = run.signals;
  const RouteData& route = run.route;
  // A removed train (frame 0) stays removed even while the own train is at frame 0.
  if (st.pre_train_frame == 0 || st.pre_train_frame < run.film.film_frame) return;

  for (std::size_t k = 0; k < route.pre_train.size(); ++k) {
    const PreTrainData& r = route.pre_train[k];
    const int from = tail_of(route, r.station);
    const int to = tail_of(route, record_at(route, k + 1).station);
    if (from <= st.pre_train_frame && st.pre_train_frame < to)
      st.pre_train_rate = r.departure < run.train.motion.sim_ticks ? r.rate : 0;
  }
  for (const SpeedUnitData& u : route.speed_units) {
    if (u.first_frame <= st.pre_train_frame && st.pre_train_frame < u.last_frame) {
      st.pre_train_film_speed = static_cast<int>(
          round_half_away((u.speed_last - u.speed_first) / (u.last_frame - u.first_frame) *
                              (st.pre_train_frame - u.first_frame) +
                          u.speed_first));
      break;
    }
  }
  const long double frame_ms = run.frame.frame_ms;
  const long double inc =
      frame_ms > 0 ? run.ui.film_fps / (1000.0L / frame_ms) * st.pre_train_rate : 0;
  st.pre_train_accum += static_cast<int>(std::llabs(round_half_away(inc)));

  if (st.pre_train_accum < st.pre_train_film_speed) return;
  const int direction = sign_of(st.pre_train_rate);
  if (st.pre_train_film_speed <= 0) {
    // Filmed standing: many frames show one place, so the train runs through them at once.
    st.pre_train_frame += direction * static_cast<int>(round_half_away(2.0L * st.pre_train_accum));
    st.pre_train_accum = 0;
  } else {
    st.pre_train_frame += direction * (st.pre_train_accum / st.pre_train_film_speed);
    st.pre_train_accum %= st.pre_train_film_speed;
  }
}

void place_pre_train(const RouteRun& run) {
  SignalState& st = run.signals;
  const RouteData& route = run.route;
  const int ticks = run.train.motion.sim_ticks;
  st.pre_train_frame = 0;
  for (std::size_t k = 0; k < route.pre_train.size(); ++k) {
    if (route.pre_train[k].departure <= ticks && ticks < record_at(route, k + 1).departure)
      st.pre_train_frame = tail_of(route, record_at(route, k + 1).station);
  }
}

}  // namespace velmora
