#include "route/signals.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "route/protection.h"
#include "route/route_run.h"
#include "route/station_table.h"
#include "sound/vehicle_sounds.h"

namespace velmora {
namespace {

enum Head { kMain = 0, kSub = 1, kLeft = 2, kRight = 3 };

constexpr int kNoPicture = -1;  // an aspect beyond a row's end keeps the plain picture

// Main-head pictures by head type (rows) and aspect (columns). Heads 7 and 8 at aspect 5
// take the low-speed picture here; signal_picture swaps in the high-speed one.
constexpr std::array<std::array<int, 8>, 10> kPictures = {{
    {1, 2, 2, 2, 3, 3, kNoPicture, kNoPicture},
    {4, 4, 4, 5, 6, 6, kNoPicture, kNoPicture},
    {7, 7, 8, 8, 9, 9, kNoPicture, kNoPicture},
    {10, 10, 11, 11, 12, 12, kNoPicture, kNoPicture},
    {13, 13, 14, 15, 16, 16, kNoPicture, kNoPicture},
    {17, 18, 19, 19, 20, 20, kNoPicture, kNoPicture},
    {21, 22, 23, 24, 25, 25, kNoPicture, kNoPicture},
    {26, 26, 27, 27, 28, 28, kNoPicture, kNoPicture},
    {30, 30, 31, 32, 33, 33, kNoPicture, kNoPicture},
    {35, 36, 37, 38, 39, 40, 41, 42},
}};

bool is_repeater(const SignalData& s) { return s.head == 0 || s.head == -1; }

bool departed(const RouteRun& run, int station) {
  const auto& flags = run.station.st_departed;
  return station >= 0 && static_cast<std::size_t>(station) < flags.size() && flag(flags, station);
}

void block_aspects(const RouteRun& run) {
  std::vector<SignalData>& sig = run.route.signals;
  const auto& chain = run.route.signal_chain;
  const int n = static_cast<int>(sig.size());
  // A route without [Speed_Signal] entries still has a "clear": aspect 0 is all it knows.
  const int highest = std::max(static_cast<int>(run.route.speed_signal.size()), 1) - 1;
  for (SignalData& s : sig) s.aspect = highest;

  const int pre = run.signals.pre_train_frame;
  int j = 0;
  if (pre != 0) {
    for (int i = n - 1; i >= 1; --i) {
      if (sig[i - 1].frame < pre && pre <= sig[i].frame) {
        j = i - 1;
        break;
      }
    }
  }
  while (j > 0 && is_repeater(sig[j])) --j;
  // The block behind signal 0 (and no block at all) sets no stop.
  if (j == 0) return;
  sig[j].aspect = 0;

  int ahead = 0;
  for (int i = j - 1; i >= 0; --i) {
    if (ahead == highest) break;
    if (is_repeater(sig[i])) {
      sig[i].aspect = sig[i + 1].aspect;
      continue;
    }
    if (ahead >= 0 && ahead <= 4 && static_cast<std::size_t>(i) < chain.size()) {
      const auto& steps = run.input.suppress_on ? chain[i].step_b : chain[i].step_a;
      sig[i].aspect = steps[static_cast<std::size_t>(ahead)];
      ahead = sig[i].aspect;
    }
  }
}

void control_overrides(const RouteRun& run) {
  const int ticks = run.train.motion.sim_ticks;
  const bool stop_film = run.film.movie_state == MovieState::StopFilm;
  for (SignalData& s : run.route.signals) {
    if (s.kind == 1 && ticks < s.release_time) {
      s.aspect = s.fixed_aspect;
    } else if (stop_film) {
      s.aspect = s.fixed_aspect;
    } else if (s.kind >= 3 && !(departed(run, s.station) && ticks >= s.release_time)) {
      s.aspect = s.fixed_aspect;
    } else if (s.set_aspect != 0) {
      s.aspect = s.set_aspect;
    } else if (s.kind == 2) {
      s.aspect = s.fixed_aspect;
    }
  }
}

bool in_stretch(const SignalData& s, int film_frame) {
  return s.show_from <= film_frame && film_frame < s.frame;
}

void clear_heads(SignalState& st) {
  for (SignalHead& h : st.heads) h.pattern = 0;
}

// The heads show the signal in view; the cab signal follows it on cab-signalling vehicles.
void draw_heads(const RouteRun& run, const SignalData& s) {
  SignalState& st = run.signals;
  const int image = st.signal_image_now;
  clear_heads(st);
  if (run.vehicle.ats_type == AtsType::CabSignal) {
    vehicle_sound_restart(run.sounds, run.vehicle.sound_atc);
    if (s.head == 9) st.heads[kMain].pattern = image;
    st.heads[kSub].pattern = s.sub_frame;
    st.cab_signal_pattern = image >= 35 ? image - 35 : -1;
  } else {
    const int ox = run.route.signal_offset_x, oy = run.route.signal_offset_y;
    st.heads[kMain].x = s.x + ox;
    st.heads[kMain].y = s.y + oy;
    st.heads[kLeft].x = s.left_x + ox;
    st.heads[kLeft].y = s.left_y + oy;
    st.heads[kRight].x = s.right_x + ox;
    st.heads[kRight].y = s.right_y + oy;
    st.heads[kSub].x = s.sub_x + ox;
    st.heads[kSub].y = s.sub_y + oy;
    if (s.head < 9) {
      const bool stop = is_stop_picture(image);
      st.heads[kMain].pattern = image;
      st.heads[kSub].pattern = s.sub_frame;
      if (s.left_frame > 0)
        st.heads[kLeft].pattern = stop && s.left_stop_frame != 0 ? s.left_stop_frame : s.left_frame;
      if (s.right_frame > 0)
        st.heads[kRight].pattern =
            stop && s.right_stop_frame != 0 ? s.right_stop_frame : s.right_frame;
    }
  }
  st.signal_image_shown = image;
  st.signal_call_voice = s.call_voice;
}

}  // namespace

int signal_picture(int head, int aspect, bool fast) {
  int image = aspect != 0 ? 12 : 0;
  if (head < 0 || head > 9 || aspect < 0 || aspect > 7) return image;
  const int row = kPictures[static_cast<std::size_t>(head)][static_cast<std::size_t>(aspect)];
  if (row != kNoPicture) image = row;
  if (fast && aspect == 5 && (head == 7 || head == 8)) image = head == 7 ? 29 : 34;
  return image;
}

bool is_stop_picture(int image) {
  constexpr std::array<int, 8> stops = {7, 10, 13, 17, 21, 26, 30, 35};
  return std::find(stops.begin(), stops.end(), image) != stops.end();
}

void start_signals(const RouteRun& run) {
  SignalState& st = run.signals;
  st = SignalState{};
  st.pre_train_frame = run.route.pre_train_frame;
  st.pre_train_end = run.route.pre_train_end;
}

void signal_step(const RouteRun& run) {
  std::vector<SignalData>& sig = run.route.signals;
  if (sig.empty()) return;
  block_aspects(run);
  control_overrides(run);

  SignalState& st = run.signals;
  const int ff = run.film.film_frame;
  const bool fast = run.vehicle.max_speed > 160;
  for (SignalData& s : sig) {
    s.image = s.aspect != 0 ? 12 : 0;
    if (in_stretch(s, ff)) s.image = signal_picture(s.head, s.aspect, fast);
  }
  for (std::size_t i = 0; i < sig.size(); ++i) {
    const SignalData& s = sig[i];
    // View: where two stretches overlap both are drawn and the later signal remains.
    if (in_stretch(s, ff)) {
      st.signal_image_now = s.image;
      st.shown_signal = static_cast<int>(i);
      if (st.signal_image_now != st.signal_image_shown) draw_heads(run, s);
    }
    if (run.vehicle.ats_type < AtsType::CabSignal && run.train.engine.ats_enabled)
      signal_points(run, i);
    // Passing: the heads go dark as the train runs by the signal.
    if (s.frame <= ff && ff < s.frame + 20) {
      clear_heads(st);
      if (run.vehicle.ats_type < AtsType::CabSignal) {
        st.signal_image_now = kNoSignal;
        st.signal_image_shown = kNoSignal;
      }
      st.signal_call_voice = kNoSignal;
      st.shown_signal = kNoSignal;
    }
  }
}

void refresh_views(const RouteRun& run) {
  SignalState& st = run.signals;
  const int ff = run.film.film_frame;
  st.signal_image_shown = 1000;
  st.light2_frame_shown = 1000;
  st.distance_text.clear();
  st.signal_info_text.clear();
  const auto& sig = run.route.signals;
  const bool signal_near = std::any_of(sig.begin(), sig.end(), [ff](const SignalData& s) {
    return s.show_from < ff && ff < s.frame;
  });
  if (!signal_near) {
    clear_heads(st);
    st.signal_image_now = st.signal_image_shown = kNoSignal;
    st.signal_call_voice = st.shown_signal = kNoSignal;
    run.protection.signal_speed = kNoSpeedCheck;
  }
  const auto& lights = run.route.traffic_signals;
  const bool light_near = std::any_of(
      lights.begin(), lights.end(),
      [ff](const TrafficSignalData& t) { return t.first_frame < ff && ff < t.end_frame; });
  // The signal in view is the signals' business: a light far away does not forget it.
  if (!light_near) st.light2_frame_now = st.light2_frame_shown = kNoSignal;
}

}  // namespace velmora
