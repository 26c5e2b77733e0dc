#include "route/timetable.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "common/rounding.h"
#include "route/route_run.h"
#include "route/station_table.h"
#include "sound/route_sounds.h"

namespace velmora {
namespace {

constexpr int kTicksPerSecond = 30;

// A clock reading as the int the clock is kept in; a reading below midnight of the first
// day would show as a negative time, so it stops at 0.
int clock_ticks(long double ticks) {
  return static_cast<int>(std::clamp<long double>(ticks, 0, static_cast<long double>(INT_MAX)));
}

std::string two_digits(int n) { return (n >= 0 && n < 10 ? "0" : "") + std::to_string(n); }

ClockHand hand(long double degrees, long double length) {
  constexpr long double kPi = 3.14159265358979323846264338327950288L;
  const long double a = degrees * kPi / 180;
  return {25 + static_cast<int>(round_half_even(std::sin(a) * length)),
          25 + static_cast<int>(round_half_even(-std::cos(a) * length))};
}

}  // namespace

int stop_end_ticks(const RouteRun& run, int station) {
  const StationData& s = station_at(run.route, station);
  return clock_ticks(
      static_cast<long double>(s.deptime) -
      kTicksPerSecond * static_cast<long double>(route_sound_seconds(run.sounds, s.depsound)) -
      kTicksPerSecond * static_cast<long double>(route_sound_seconds(run.sounds, s.arrsound)));
}

void start_clock(const RouteRun& run) {
  const int count = station_count(run.route);
  if (count == 0) return;
  const int first = std::clamp(run.config.first_station, 0, count - 1);
  run.train.motion.sim_ticks = stop_end_ticks(run, first);
}

void jump_clock(const RouteRun& run, int t) {
  const RouteData& r = run.route;
  const StationData& target = station_at(r, t);
  if (target.deptime != 0) {
    run.train.motion.sim_ticks = stop_end_ticks(run, t);
    return;
  }
  int p = t - 1;
  while (p >= 0 && station_at(r, p).deptime == 0) --p;
  int n = t + 1;
  while (n < station_count(r) && station_at(r, n).deptime == 0) ++n;
  const bool before = p >= 0;
  const bool after = n < station_count(r);
  if (!before && !after) return;  // nothing to take a time from

  long double time = 0;
  if (!after) {
    time = station_at(r, p).deptime;
  } else if (!before) {
    time = station_at(r, n).deptime;
  } else {
    const StationData& sp = station_at(r, p);
    const StationData& sn = station_at(r, n);
    if (sn.position == sp.position) {
      time = sp.deptime;  // no distance to share the time out over
    } else {
      time = static_cast<long double>(sn.deptime - static_cast<long double>(sp.deptime)) /
                 (static_cast<long double>(sn.position) - sp.position) *
                 (static_cast<long double>(target.position) - sp.position) +
             sp.deptime;
    }
  }
  run.train.motion.sim_ticks = clock_ticks(
      static_cast<long double>(round_half_even(time)) -
      kTicksPerSecond * static_cast<long double>(route_sound_seconds(run.sounds, target.depsound)) -
      kTicksPerSecond * static_cast<long double>(route_sound_seconds(run.sounds, target.arrsound)));
}

std::string clock_text_of(int ticks) {
  const int t = std::max(ticks, 0);
  const int s = t / kTicksPerSecond;
  const int h = t / 108000;
  const int m = (s - 3600 * h) / 60;
  const int sec = s - 3600 * h - 60 * m;
  return two_digits(h) + ":" + two_digits(m) + ":" + two_digits(sec);
}

void timecalc(const RouteRun& run, int ticks) {
  StationState& st = run.station;
  const int t = std::max(ticks, 0);
  const int s = t / kTicksPerSecond;
  const int h = t / 108000;
  const int m = (s - 3600 * h) / 60;
  const int sec = s - 3600 * h - 60 * m;
  if (sec == st.clock_sec_prev) return;
  st.clock_sec_prev = sec;
  st.clock_text = clock_text_of(t);

  const auto& clock = run.panel.clock;  // [Clock]: left, top, hand length R
  if (clock[0] <= 0) return;
  const long double R = clock[2];
  st.clock_hands[0] =
      hand(30.0L * h + 0.5L * m, static_cast<long double>(round_half_away(0.6L * R)));
  st.clock_hands[1] = hand(6.0L * m + 0.1L * sec, R);
  st.clock_hands[2] = hand(6.0L * sec, R);
  st.clock_face_drawn = true;
}

}  // namespace velmora
