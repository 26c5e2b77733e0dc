#include <cstddef>
#include <cstdlib>
#include <string>

#include "common/rounding.h"
#include "route/route_run.h"
#include "route/signals.h"

namespace velmora {
namespace {

constexpr int kPhases = 6;
constexpr long double kTextRange = 9900;  // cm ahead within which the distance is shown

TrafficPhase& phase_of(TrafficSignalData& t, int p) {
  return t.phases[static_cast<std::size_t>(p - 1)];
}
int& count_of(TrafficSignalData& t, int p) {
  return t.phase_count[static_cast<std::size_t>(p - 1)];
}

void advance_phase(TrafficSignalData& t) {
  if (t.phase < 1 || t.phase > kPhases) t.phase = 1;
  --count_of(t, t.phase);
  // Rising order: a phase of length 0 is left again in the pass it began; the wrap from
  // phase 6 to phase 1 ends the pass.
  for (int p = 1; p <= kPhases; ++p) {
    if (t.phase == p && count_of(t, p) < 1) {
      const int next = p % kPhases + 1;
      count_of(t, p) = phase_of(t, p).length;
      count_of(t, next) = phase_of(t, next).length;
      t.phase = next;
    }
  }
}

std::string metres(const std::string& piece, long double cm) {
  return piece + " " + std::to_string(round_half_even(cm / 100)) + "m";
}

}  // namespace

void traffic_light_step(const RouteRun& run) {
  SignalState& st = run.signals;
  const int ff = run.film.film_frame;
  const long double pos = run.train.motion.position_cm;
  for (TrafficSignalData& t : run.route.traffic_signals) {
    advance_phase(t);
    const long double midpoint =
        (static_cast<long double>(t.stop_position) + t.second_position) / 2;
    if (midpoint < pos && ff <= t.warn_until_frame) {
      if (phase_of(t, t.phase).permit == 1) {
        st.light2_frame_now = t.state_go;
        if (st.light2_frame_now != st.light2_frame_shown)
          st.light2_frame_shown = st.light2_frame_now;
      } else {
        st.light2_frame_now = t.state_stop;
        if (st.light2_frame_now != st.light2_frame_shown) {
          st.signal_info_text = run.ui.tc;
          st.light2_frame_shown = st.light2_frame_now;
        }
      }
    }
    if (std::abs(t.end_frame - ff) < 15) st.light2_frame_now = st.light2_frame_shown = kNoSignal;
    if (std::abs(t.warn_until_frame - ff) < 15 && t.second_frame != 0) st.signal_info_text.clear();
  }

  bool set = false;
  for (TrafficSignalData& t : run.route.traffic_signals) {
    const long double d2 = t.second_position - pos;
    if (t.no_distance_text == 0 && 0 < d2 && d2 < kTextRange) {
      st.distance_text = metres(run.ui.stops[0], d2);
      set = true;
      continue;  // a later light may still replace the text
    }
    const long double d1 = t.stop_position - pos;
    if (-500 < d1 && d1 < kTextRange) {
      if (phase_of(t, t.phase).permit == 0) {
        st.distance_text = metres(run.ui.stops[1], d1);
        set = true;
      }
      break;
    }
  }
  if (!set) st.distance_text.clear();
}

}  // namespace velmora
