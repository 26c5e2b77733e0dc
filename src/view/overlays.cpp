#include "view/overlays.h"

#include <cmath>

#include "common/rounding.h"
#include "view/view_run.h"

namespace velmora {

namespace {

constexpr int kOutOfPicture = -100;
constexpr long double kLinesFrom = 2000;  // cm: the stop lines appear 20 m before the stop
constexpr long double kBoardRun = 3000;   // cm: the remaining-distance board's travel
constexpr int kBoardOffset = 870;         // px
constexpr int kEndImageFrames = 200;      // film frames an end-of-limit picture shows

int first_sprite(const ViewRun& run, const char* picture) {
  const std::vector<int> s = run.platform.sprites.sprites_of(picture);
  return s.empty() ? -1 : s.front();
}

void show(const ViewRun& run, int sprite, bool visible) {
  if (sprite >= 0) run.platform.sprites.set_visible(sprite, visible);
}
void pattern(const ViewRun& run, int sprite, int p) {
  if (sprite >= 0) run.platform.sprites.set_pattern(sprite, p);
}

// The limit sign's pattern, remembered so the route step can tell what it shows.
void limit_sign(const ViewRun& run, int p) {
  run.overlays.limit_pattern = p;
  pattern(run, run.overlays.sprites.limit, p);
}

void stop_lines(const ViewRun& run) {
  const OverlayState& o = run.overlays;
  const RouteData& r = run.route;
  const long double d = run.train.motion.stop_distance;
  const int i = run.station.station_index;
  const long double g = i >= 0 && static_cast<std::size_t>(i) < r.stations.size()
                            ? r.stations[static_cast<std::size_t>(i)].genkai
                            : 0;
  const int film_height = run.ui.film_height;
  const int thickness = static_cast<int>(round_half_away(2 - 0.05L * d / 100));
  const std::pair<int, long double> lines[] = {
      {o.sprites.line_s, d - g}, {o.sprites.line_m, d}, {o.sprites.line_e, d + g}};
  for (const auto& [sprite, e] : lines) {
    if (sprite < 0) continue;
    SpriteEngine& s = run.platform.sprites;
    show(run, sprite, !o.stop_lines_hidden);
    if (d < kLinesFrom && e > 0 && r.perspective_p != 0) {
      s.set_size(sprite, run.ui.film_width, thickness);
      s.set_position(sprite, 0,
                     perspective_y(e / 100, r.perspective_p, r.perspective_h, film_height));
    } else {
      s.set_position(sprite, 0, kOutOfPicture);
    }
  }
}

void remaining_board(const ViewRun& run) {
  const int sprite = run.overlays.sprites.remain;
  if (sprite < 0) return;
  const long double d = run.train.motion.stop_distance;
  if (!(-kBoardRun <= d && d < kBoardRun)) {
    show(run, sprite, false);
    return;
  }
  const int film_height = run.ui.film_height;
  const auto r = round_half_away(film_height / kBoardRun * d);
  show(run, sprite, true);
  pattern(run, sprite, d >= 0 ? 0 : 1);
  const int x = run.ui.film_width - run.route.sign_images[6].width;
  run.platform.sprites.set_position(sprite, x, film_height - static_cast<int>(r) - kBoardOffset);
}

void gradient_post(const ViewRun& run) {
  OverlayState& o = run.overlays;
  const auto& slopes = run.route.slopes;
  const int ff = run.film.film_frame;
  for (std::size_t k = 0; k < slopes.size(); ++k) {
    const SlopeData& e = slopes[k];
    if (e.from_frame < ff && ff < e.end_frame) {
      if (e.gradient != Fixed4{} && e.gradient != o.gradient_shown)
        pattern(run, o.sprites.slope, static_cast<int>(k) + 1);
      o.gradient_shown = e.gradient;
    }
    const bool before_next =
        k + 1 < slopes.size() && e.end_frame < ff && ff < slopes[k + 1].from_frame;
    const bool after_last = k + 1 == slopes.size() && ff > e.end_frame;
    if (before_next || after_last) {
      pattern(run, o.sprites.slope, 0);
      o.gradient_shown = Fixed4{};
    }
  }
}

void limit_blink(const ViewRun& run) {
  const OverlayState& o = run.overlays;
  if (!o.limit_blink) return;
  if (run.frame.tenth_count % 10 == 5) show(run, o.sprites.limit, false);
  if (run.frame.tenth_count % 10 == 0) show(run, o.sprites.limit, true);
}

void limit_sign_step(const ViewRun& run) {
  OverlayState& o = run.overlays;
  const auto& limits = run.route.speed_limits;
  const int ff = run.film.film_frame;
  const int entry = run.protection.limit_entry;
  if (entry >= 0 && static_cast<std::size_t>(entry) < limits.size()) {
    // The pattern protection watches this limit: its sign blinks.
    const SpeedCheckData& e = limits[static_cast<std::size_t>(entry)];
    if (e.sign_image != o.limit_image_shown) limit_sign(run, e.sign_image);
    o.limit_image_shown = e.sign_image;
    o.limit_blink = true;
    o.limit_end_shown = false;
    return;
  }
  bool in_limit = false;
  for (const SpeedCheckData& e : limits) {
    if (!(e.from_frame <= ff && ff < e.to_frame)) continue;
    in_limit = true;
    o.limit_blink = o.limit_end_shown = false;
    show(run, o.sprites.limit, true);
    if (e.speed != o.limit_speed_shown) {
      limit_sign(run, e.sign_image);
      o.last_call_id = 0;
    }
    o.limit_speed_shown = e.speed;
  }
  if (in_limit) return;
  for (const SpeedCheckData& e : limits) {
    if (e.end_image == 0 || o.limit_blink) continue;
    if (e.to_frame < ff && ff < e.to_frame + kEndImageFrames) {
      limit_sign(run, e.end_image);
      o.limit_end_shown = true;
      o.limit_image_shown = e.end_image;
    }
    if (e.to_frame + kEndImageFrames <= ff && ff < e.to_frame + 2 * kEndImageFrames)
      o.limit_end_shown = false;
  }
  if (o.limit_end_shown && o.limit_blink) o.limit_end_shown = false;
  if (o.limit_pattern != 0 && !o.limit_end_shown) {
    limit_sign(run, 0);
    o.limit_speed_shown = 0;
    o.limit_image_shown = kNoLimitImage;
  }
}

void other_signs(const ViewRun& run) {
  OverlayState& o = run.overlays;
  const int ff = run.film.film_frame;
  const int sprite = o.sprites.other;
  bool active = false;
  for (const SignData& e : run.route.signs) {
    if (!(e.first_frame <= ff && ff < e.end_frame)) continue;
    active = true;
    if (o.sign_shown == kNoSign) {
      show(run, sprite, true);
      pattern(run, sprite, e.image);
      o.sign_shown = e.image;
      o.sign_passes = 0;
      o.last_call_id = -1;
    }
    const int r = e.change_rule;
    const bool due =
        (r > 0 && o.sign_passes > 10 * r) || (r > 999 && run.train.motion.sim_ticks > r);
    if (due && o.sign_shown == e.image) {
      pattern(run, sprite, e.image + 1);
      o.sign_shown = e.image + 1;
      o.last_call_id = -1;
    } else if (!due) {
      o.sign_passes += 1;
    }
  }
  const bool standing_near = run.train.motion.speed < 1 && run.train.motion.stop_distance < 10000;
  for (const TimeCheckData& t : run.route.time_checks) {
    if (!(t.first_frame < ff && ff < t.end_frame) || !standing_near) continue;
    active = true;
    if (o.sign_shown == kNoSign) {
      show(run, sprite, true);
      pattern(run, sprite, 0);
      o.sign_shown = kTimeBoard;
      o.last_call_id = -1;
    }
  }
  if (!active) {
    show(run, sprite, false);
    o.sign_shown = kNoSign;
  }
}

void crossing_lights(const ViewRun& run) {
  OverlayState& o = run.overlays;
  const int ff = run.film.film_frame;
  const auto& crossings = run.route.crossings;
  for (const CrossData& c : crossings)
    if (c.announce_frame <= ff && ff < c.announce_frame + 20) return;  // the list is moving on
  const int first = run.calls.cross_pending[0];
  if (first < 0) {
    pattern(run, o.sprites.cross1, 0);
    show(run, o.sprites.cross2, false);
    o.cross_light2_shown = false;
    return;
  }
  if (first == o.cross_shown || static_cast<std::size_t>(first) >= crossings.size()) return;
  const CrossData& c = crossings[static_cast<std::size_t>(first)];
  pattern(run, o.sprites.cross1, c.image);
  const auto& departed = run.station.st_departed;
  const bool waiting = c.option >= 0 && static_cast<std::size_t>(c.option) < departed.size() &&
                       !departed[static_cast<std::size_t>(c.option)];
  show(run, o.sprites.cross2, waiting);
  if (waiting) pattern(run, o.sprites.cross2, c.image);
  o.cross_light2_shown = waiting;
  o.cross_shown = first;
}

// The signal heads as the signal rules chose them.
void signal_heads(const ViewRun& run) {
  const OverlaySprites& s = run.overlays.sprites;
  const auto& heads = run.signals.heads;
  const int sprites[4] = {s.signal_main, s.signal_sub, s.signal_left, s.signal_right};
  for (std::size_t k = 0; k < 4; ++k) {
    if (sprites[k] < 0) continue;
    pattern(run, sprites[k], heads[k].pattern);
    if (run.vehicle.ats_type < AtsType::CabSignal)
      run.platform.sprites.set_position(sprites[k], heads[k].x, heads[k].y);
  }
}

}  // namespace

int perspective_y(long double x, long double p, int h, int film_height) {
  return static_cast<int>(round_half_away(film_height - h * x / (x + p)));
}

void start_overlays(const ViewRun& run) {
  OverlaySprites& s = run.overlays.sprites;
  s.teimoku = first_sprite(run, "img_unten_teimoku");
  s.line_s = first_sprite(run, "img_unten_teimokuS");
  s.line_m = first_sprite(run, "img_unten_teimokuM");
  s.line_e = first_sprite(run, "img_unten_teimokuE");
  s.slope = first_sprite(run, "img_unten_slope");
  s.limit = first_sprite(run, "img_unten_limit");
  s.remain = first_sprite(run, "img_unten_remain");
  s.other = first_sprite(run, "img_unten_other");
  const std::vector<int> cross = run.platform.sprites.sprites_of("img_unten_cross");
  s.cross1 = cross.size() > 0 ? cross[0] : -1;
  s.cross2 = cross.size() > 1 ? cross[1] : -1;
  s.signal_main = first_sprite(run, "img_unten_signal");
  s.signal_sub = first_sprite(run, "img_unten_signal_S");
  s.signal_left = first_sprite(run, "img_unten_signal_L");
  s.signal_right = first_sprite(run, "img_unten_signal_R");
  s.monitor = first_sprite(run, "img_mon");
  show(run, s.cross2, false);
}

void overlay_frame_step(const ViewRun& run) {
  stop_lines(run);
  remaining_board(run);
}

void overlay_route_step(const ViewRun& run) {
  const OverlaySprites& s = run.overlays.sprites;
  limit_blink(run);
  pattern(run, s.teimoku, run.station.teimoku_frame);
  pattern(run, s.monitor, run.station.monitor_frame);
  gradient_post(run);
  limit_sign_step(run);
  other_signs(run);
  crossing_lights(run);
  signal_heads(run);
}

void hide_crossing_light2(const ViewRun& run) {
  show(run, run.overlays.sprites.cross2, false);
  run.overlays.cross_light2_shown = false;
}

bool toggle_stop_lines(const ViewRun& run) {
  OverlayState& o = run.overlays;
  o.stop_lines_hidden = !o.stop_lines_hidden;
  for (int sprite : {o.sprites.line_s, o.sprites.line_m, o.sprites.line_e})
    show(run, sprite, !o.stop_lines_hidden);
  return o.stop_lines_hidden;
}

void overlays_after_jump(const ViewRun& run) {
  OverlayState& o = run.overlays;
  for (int sprite : {o.sprites.signal_main, o.sprites.signal_sub, o.sprites.signal_left,
                     o.sprites.signal_right, o.sprites.cross1})
    pattern(run, sprite, 0);
  show(run, o.sprites.cross2, false);
  o.cross_light2_shown = false;
  o.sign_shown = kNoSign;
  o.gradient_shown = Fixed4{};
  o.cross_shown = kNoCrossing;
}

}  // namespace velmora
