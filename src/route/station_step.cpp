#include "route/station_step.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "common/random_below.h"
#include "common/rounding.h"
#include "route/doors.h"
#include "route/route_run.h"
#include "route/station_jump.h"
#include "route/station_table.h"
#include "sound/calls.h"
#include "sound/route_sounds.h"
#include "sound/sound_levels.h"
#include "sound/vehicle_sounds.h"
#include "view/overlays.h"

namespace velmora {
namespace {

const std::string kNow = "ただいま ";
const std::string kNext = "次は ";

// The station call made when power is next taken after this stop (the masconupdate).
void arm_departure_call(StationState& st, int station) {
  st.departure_call_armed = true;
  st.departure_call_station = station;
}

// Stopped: the speed rounds to 0, that is |speed| <= 0.5 km/h.
bool stopped(const RouteRun& run) { return round_half_even(run.train.motion.speed) == 0; }

bool in_zone(const StationData& s, long double x) { return s.position_s <= x && x <= s.position_e; }

// The next-station text by the station's type; other types leave the text as it is.
std::optional<std::string> next_station_text(const RouteRun& run, int j) {
  const StationData& s = station_at(run.route, j);
  switch (s.trntype) {
    case StopType::DoorStop:
      return kNext + s.Name + run.ui.stop;
    case StopType::Pass:
      return kNext + s.Name + run.ui.pass;
    case StopType::NoDoorStop:
      return kNext + s.Name + run.ui.stop2;
    case StopType::FixedText:
      return run.ui.info(0);
    default:
      return std::nullopt;
  }
}

// A: running between station i and the next (or beyond the last).
void between_stations(const RouteRun& run, int i) {
  const RouteData& r = run.route;
  StationState& st = run.station;
  const long double x = run.train.motion.position_cm;
  const bool last = i == station_count(r) - 1;
  if (!(station_at(r, i).position_e < x && (x < station_at(r, i + 1).position_s || last))) return;
  if (auto text = next_station_text(run, i + 1)) st.station_text = *text;
  st.teimoku_frame = distance_board(run.train.motion.stop_distance);
  flag(st.st_arrived, i) = false;
  flag(st.st_arrived, i + 1) = false;
  st.monitor_frame = i + 1;
}

// B: inside the stop zone of a station the train does not pass.
void in_stop_zone(const RouteRun& run, int i) {
  const StationData& s = station_at(run.route, i);
  StationState& st = run.station;
  if (!in_zone(s, run.train.motion.position_cm) || s.trntype == StopType::Pass) return;
  if (!flag(st.st_arrived, i)) {
    st.teimoku_frame = 10 + i;
    st.door_chance = s.doorprob;
    // Reseeded from the simulation clock rather than the wall clock, so that a replay with
    // the same seed draws the same.
    run.rng.seed(run.config.seed ^ static_cast<std::uint64_t>(run.train.motion.sim_ticks));
    st.door_draw = random_below(run.rng, 100);
  }
  st.station_text = kNow + s.Name;
  st.zone_station = i;
  flag(st.st_arrived, i) = true;
  st.monitor_frame = i;
}

// C: within 20 m of the stop position; true when the train is.
bool background_sound(const RouteRun& run, int i) {
  const StationData& s = station_at(run.route, i);
  const long double from_stop = run.train.motion.position_cm - s.position;
  if (!(-2000 <= from_stop && from_stop <= 2000)) return false;
  if (s.bcksound != 0) {
    route_sound_volume(run.sounds, s.bcksound, background_volume(from_stop));
    if (!route_sound_playing(run.sounds, s.bcksound)) route_sound_loop(run.sounds, s.bcksound);
  }
  return true;
}

// D: the one-man hint once the arrival sound has finished.
void one_man_hint(const RouteRun& run, int i) {
  StationState& st = run.station;
  if (!flag(st.st_arrived, i) || run.route.one_man < OneManMode::OneMan ||
      !flag(st.st_doors_done, i) || !st.door_cmd)
    return;
  if (route_sound_playing(run.sounds, station_at(run.route, i).arrsound)) return;
  if (run.ui.info_label.size() > 1) st.train_info_text = run.ui.info(1);
}

// The [Sound2] sound runs between two stations only when the route has exactly one.
const StationRangeSoundData* single_sound2(const RouteRun& run) {
  return run.route.sound2.size() == 1 ? &run.route.sound2.front() : nullptr;
}

// E: arrival, departure, doors and the end of the run, in this order.
void stop_sequence(const RouteRun& run, int i) {
  StationState& st = run.station;
  if (!flag(st.st_arrived, i) || flag(st.st_stop_done, i)) return;
  const StationData& s = station_at(run.route, i);
  const StopType type = s.trntype;
  const OneManMode one_man = run.route.one_man;
  const long double speed = run.train.motion.speed;
  const bool at_rest = stopped(run);
  const int now = run.train.motion.sim_ticks;

  // 1. The station the run started from, or the first of the route.
  if ((type == StopType::DoorStop || type == StopType::NoDoorStop) &&
      (st.zone_station == 0 || st.zone_station == run.config.first_station) && at_rest &&
      !flag(st.st_doors_done, i)) {
    route_sound_restart(run.sounds, 0);
    st.arrival_tick = now;
    flag(st.st_doors_done, i) = true;
    arm_departure_call(st, i);
  }
  // 2. An announcement held back by an overrun plays once the doors are open.
  if (flag(st.st_announce_pending, i) && type == StopType::DoorStop && st.doors_open && at_rest) {
    route_sound_restart(run.sounds, run.route.announce_open_sound);
    flag(st.st_announce_pending, i) = false;
  }
  // 3. One-man: standing with the doors still shut.
  if (type == StopType::DoorStop && one_man >= OneManMode::OneMan && !st.doors_open && at_rest &&
      !flag(st.st_oneman_called, i)) {
    flag(st.st_oneman_called, i) = true;
    station_call(run.sounds, 0, i);
  }
  // 4. One-man: the driver has opened the doors.
  if (type == StopType::DoorStop && one_man >= OneManMode::OneMan && st.doors_open &&
      !flag(st.st_doors_done, i) && at_rest) {
    route_sound_restart(run.sounds, s.arrsound);
    st.arrival_tick = now;
    flag(st.st_doors_done, i) = true;
    station_call(run.sounds, 1, i);
    arm_departure_call(st, i);
    set_next_stop(run, i);
  }
  // 5. Conductor: the doors open as soon as the train stands.
  if (type == StopType::DoorStop && one_man == OneManMode::Conductor && !st.doors_open &&
      std::fabs(speed) < 0.05L) {
    station_call(run.sounds, 0, i);
    Door_operate(run);
    flag(st.st_doors_done, i) = true;
    route_sound_restart(run.sounds, s.arrsound);
    st.arrival_tick = now;
    station_call(run.sounds, 1, i);
    arm_departure_call(st, i);
    if (const auto* s2 = single_sound2(run); s2 != nullptr && s2->end_station == i)
      route_sound_stop(run.sounds, s2->sound);
  }
  // 6. A stop without doors.
  if (type == StopType::NoDoorStop && !flag(st.st_doors_done, i) && at_rest) {
    route_sound_restart(run.sounds, s.arrsound);
    st.arrival_tick = now;
    flag(st.st_doors_done, i) = true;
    arm_departure_call(st, i);
  }
  // 7. Departure: the melody starts so that it ends at the departure time.
  if (run.film.movie_state != MovieState::StopFilm &&
      s.deptime - 30 * route_sound_seconds(run.sounds, s.depsound) < now &&
      !flag(st.st_departed, i) &&
      now - st.arrival_tick > 30 * route_sound_seconds(run.sounds, s.arrsound) &&
      ((type >= StopType::NoDoorStop && speed < 0.1L) ||
       (type == StopType::DoorStop && st.doors_open))) {
    set_next_stop(run, i);
    route_sound_restart(run.sounds, s.depsound);
    flag(st.st_departed, i) = true;
    hide_crossing_light2(run.view);
    st.arrival_tick = now;
    station_call(run.sounds, 2, i);
    if (type == StopType::NoDoorStop) vehicle_sound_restart(run.sounds, run.vehicle.dep_sign);
  }
  // 8. Conductor: the doors close once the departure time has passed and the melody ended.
  if (run.film.movie_state != MovieState::StopFilm && one_man == OneManMode::Conductor &&
      s.deptime < now && st.doors_open && flag(st.st_departed, i) && flag(st.st_doors_done, i) &&
      !flag(st.st_stop_done, i) &&
      now - st.arrival_tick > 30 * route_sound_seconds(run.sounds, s.depsound)) {
    Door_operate(run);
    flag(st.st_stop_done, i) = true;
    route_sound_stop(run.sounds, s.arrsound);
    station_call(run.sounds, 5, i);
    if (const auto* s2 = single_sound2(run); s2 != nullptr && s2->first_station <= i &&
                                             i < s2->end_station &&
                                             !route_sound_playing(run.sounds, s2->sound))
      route_sound_loop(run.sounds, s2->sound);
  }
  // One-man: the stop is complete once the driver has shut the doors after the melody,
  // which releases the station's stop pattern as the conductor's closing does.
  if (one_man >= OneManMode::OneMan && type == StopType::DoorStop && !st.door_cmd &&
      flag(st.st_departed, i) && flag(st.st_doors_done, i) && !flag(st.st_stop_done, i) &&
      now - st.arrival_tick > 30 * route_sound_seconds(run.sounds, s.depsound))
    flag(st.st_stop_done, i) = true;
  // 9. The last station ends the run once the arrival sound is over.
  const bool last = i == station_count(run.route) - 1 || i == run.config.last_station;
  if (at_rest && last && !st.run_ended &&
      ((type == StopType::DoorStop && st.doors_open) || type >= StopType::NoDoorStop) &&
      !route_sound_playing(run.sounds, s.arrsound)) {
    BackClick(run);
    st.run_ended = true;
  }
}

}  // namespace

int distance_board(long double d) {
  if (27500 <= d && d < 30000) return 5;
  if (17500 <= d && d < 20000) return 4;
  if (12500 <= d && d < 15000) return 3;
  if (7500 <= d && d < 10000) return 2;
  if (3000 <= d && d < 5000) return 1;
  return 0;
}

int background_volume(long double distance) {
  return level_of(2000, (2000 - std::fabs(distance)) / 2000);
}

void start_stations(const RouteRun& run) {
  const RouteData& r = run.route;
  StationState& st = run.station;
  const int count = station_count(r);
  clear_station_flags(st, count);
  st.run_ended = false;
  if (count == 0) return;
  // A first station beyond the table starts at the last one.
  const int first = std::clamp(run.config.first_station, 0, count - 1);
  const StationData& s = station_at(r, first);
  run.train.motion.position_cm = s.position;
  st.stop_position = s.position;
  st.station_index = first;
  st.cur_station = first;
  st.announce_next = first + 1;
  if (s.trntype == StopType::DoorStop) {
    st.doors_open = true;
    st.door_cmd = true;
    st.door_lamp_lit = false;
  }
  st.station_text = kNow + s.Name;
  line_max_speed_step(run);
}

void line_max_speed_step(const RouteRun& run) {
  const RouteData& r = run.route;
  StationState& st = run.station;
  const long double x = run.train.motion.position_cm;
  for (int i = 0; i < station_count(r); ++i) {
    if (station_at(r, i).position <= x && x < station_at(r, i + 1).position) {
      st.line_max_speed = station_at(r, i).maxspeed;
      st.maxspeed_text = "最高" + std::to_string(st.line_max_speed);
    }
  }
}

void station_step(const RouteRun& run) {
  const int count = station_count(run.route);
  fit_station_flags(run.station, count);
  bool near_a_stop = false;
  for (int i = 0; i < count; ++i) {
    between_stations(run, i);
    in_stop_zone(run, i);
    near_a_stop = background_sound(run, i) || near_a_stop;
    one_man_hint(run, i);
    stop_sequence(run, i);
  }
  // F: no station within 20 m, so no background sound.
  if (near_a_stop) return;
  for (const StationData& s : run.route.stations)
    if (s.bcksound != 0 && route_sound_playing(run.sounds, s.bcksound))
      route_sound_stop(run.sounds, s.bcksound);
}

void set_next_stop(const RouteRun& run, int from) {
  const RouteData& r = run.route;
  const int count = station_count(r);
  int j = from + 1;
  while (j < count && station_at(r, j).trntype == StopType::Pass) ++j;
  if (j >= count) return;
  StationState& st = run.station;
  st.stop_position = station_at(r, j).position;
  st.station_index = j;
  st.this_station_text = station_at(r, from).Name;
  st.next_stop_text = station_at(r, j).Name;
}

void overrun_step(const RouteRun& run) {
  StationState& st = run.station;
  const long double x = run.train.motion.position_cm;
  if (!(std::fabs(run.train.motion.speed) < 1) || st.doors_open ||
      !(run.train.motion.stop_distance < 0))
    return;
  for (const StationData& s : run.route.stations)
    if (in_zone(s, x)) return;
  const int c = st.cur_station;
  fit_station_flags(st, station_count(run.route));
  // cur_station runs on by one at every door closing, past the table at the end of a line.
  if (c < 0 || c >= station_count(run.route) || flag(st.st_overrun_called, c)) return;
  flag(st.st_overrun_called, c) = true;
  route_sound_restart(run.sounds, run.route.announce.front().sound);
  flag(st.st_announce_pending, c) = true;
}

}  // namespace velmora
