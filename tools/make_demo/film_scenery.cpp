// The objects beside the demo track and how each is drawn: trees, buildings, catenary
// poles and wires, signals, signs and posts, name boards, level crossings, bridge girders,
// buffer stops, and trains on other tracks. The stations' own scenery (platforms, sheds,
// footbridges, shelters) is film_stations.cpp's.

#include <algorithm>
#include <cmath>
#include <random>

#include "film_scene.h"

namespace velmora::demo {
namespace {

constexpr double kOtherTrack = 3.8;

// A draw in [0, 1) from the scene's own generator; spelled out so every standard library
// gives the same scenery.
double unit(std::mt19937& rng) { return static_cast<double>(rng() >> 8) / 16777216.0; }


bool under_shed(const Scene& scene, double s) {
  for (const Shed& h : scene.sheds)
    if (h.from_m - 5 <= s && s <= h.to_m + 5) return true;
  return false;
}

bool inside(const std::vector<Stretch>& list, double s, double margin = 0) {
  for (const Stretch& t : list)
    if (t.from_m - margin <= s && s < t.to_m + margin) return true;
  return false;
}

// Text centred on a board, made smaller where it would be wider than the board's face.
void text_centred(cairo_t* cr, const std::string& text, double cx, double cy, double size,
                  std::uint32_t colour, double max_width) {
  cairo_select_font_face(cr, "IPAGothic", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  if (e.width > max_width && e.width > 0) {
    size *= max_width / e.width * 0.97;
    cairo_set_font_size(cr, size);
    cairo_text_extents(cr, text.c_str(), &e);
  }
  if (size < 5) return;
  cairo_move_to(cr, cx - e.width / 2 - e.x_bearing, cy - e.height / 2 - e.y_bearing);
  set_rgb(cr, colour);
  cairo_show_text(cr, text.c_str());
}

// A vertical post from the ground to `top`, `width` metres thick.
void post(cairo_t* cr, const View& v, double s, double lat, double top, double width,
          std::uint32_t colour) {
  v.fill(cr, {v.at(s, lat - width / 2, 0), v.at(s, lat + width / 2, 0), v.at(s, lat + width / 2, top),
              v.at(s, lat - width / 2, top)},
         colour);
}

// A board facing the train; returns false when it is too small or out of the picture.
bool board(cairo_t* cr, const View& v, double s, double lat, double bottom, double w, double h,
           std::uint32_t face, std::uint32_t rim, double& x, double& y, double& bw, double& bh) {
  if (!v.board(s, lat, bottom, w, h, x, y, bw, bh) || bw < 1) return false;
  cairo_rectangle(cr, x, y, bw, bh);
  set_rgb(cr, rim);
  cairo_fill(cr);
  const double m = std::max(0.5, bw * 0.06);
  cairo_rectangle(cr, x + m, y + m, bw - 2 * m, bh - 2 * m);
  set_rgb(cr, face);
  cairo_fill(cr);
  return true;
}

void draw_tree(cairo_t* cr, const View& v, const Item& it) {
  const CamPoint base = v.at(it.s, it.lateral, 0);
  if (base.fwd < 2) return;
  const double scale = v.focal() / base.fwd;
  const double r = it.size * 0.32 * scale;
  if (r < 0.6) return;
  post(cr, v, it.s, it.lateral, it.size * 0.5, 0.35, 0x5a4630);
  const CamPoint c = v.at(it.s, it.lateral, it.size * 0.62);
  cairo_arc(cr, v.sx(c), v.sy(c), r, 0, 2 * M_PI);
  set_rgb(cr, it.colour);
  cairo_fill(cr);
  cairo_arc(cr, v.sx(c) - r * 0.25, v.sy(c) - r * 0.3, r * 0.55, 0, 2 * M_PI);
  set_rgb(cr, shade(it.colour, 1.18));
  cairo_fill(cr);
}

void draw_building(cairo_t* cr, const View& v, const Item& it) {
  const double side = it.lateral < 0 ? -1 : 1;
  const double nearl = it.lateral, farl = it.lateral + side * it.size2;
  const double h = it.size, depth = it.size2 * 0.8;
  // The face towards the track, then the face towards the camera.
  v.fill(cr, {v.at(it.s, nearl, 0), v.at(it.s + depth, nearl, 0), v.at(it.s + depth, nearl, h),
              v.at(it.s, nearl, h)},
         shade(it.colour, 0.82));
  v.fill(cr, {v.at(it.s, nearl, 0), v.at(it.s, farl, 0), v.at(it.s, farl, h), v.at(it.s, nearl, h)},
         it.colour);
  const CamPoint p = v.at(it.s, nearl, 0);
  if (p.fwd > 2 && v.focal() * h / p.fwd > 40) {
    // Windows on the front, a row per storey.
    for (double wy = 1.2; wy + 1.2 < h; wy += 3.0)
      for (double wx = 1.0; wx + 1.4 < it.size2; wx += 2.6)
        v.fill(cr, {v.at(it.s, nearl + side * wx, wy), v.at(it.s, nearl + side * (wx + 1.4), wy),
                    v.at(it.s, nearl + side * (wx + 1.4), wy + 1.3), v.at(it.s, nearl + side * wx, wy + 1.3)},
               0x4a5a6a);
  }
}

void draw_pole(cairo_t* cr, const View& v, const Item& it) {
  post(cr, v, it.s, it.lateral, 7.6, 0.32, 0x8a8a84);
  const CamPoint a = v.at(it.s, it.lateral, 7.0), b = v.at(it.s, it.size, 7.0);
  if (a.fwd < 1 || b.fwd < 1) return;
  cairo_move_to(cr, v.sx(a), v.sy(a));
  cairo_line_to(cr, v.sx(b), v.sy(b));
  set_rgb(cr, 0x70706a);
  cairo_set_line_width(cr, std::max(0.6, v.focal() * 0.18 / a.fwd));
  cairo_stroke(cr);
}

void draw_signal(cairo_t* cr, const View& v, const Item& it) {
  post(cr, v, it.s, it.lateral, 4.6, 0.22, 0x9a9a9a);
  double x, y, w, h;
  const int lamps = it.number == 0 ? 3 : std::clamp(it.number, 2, 5);
  if (!v.board(it.s, it.lateral, 4.4, 0.55, 0.34 * lamps + 0.2, x, y, w, h) || w < 1.5) return;
  cairo_rectangle(cr, x, y, w, h);
  cairo_set_source_rgb(cr, 0.08, 0.08, 0.09);
  cairo_fill(cr);
  for (int k = 0; k < lamps; ++k) {
    cairo_arc(cr, x + w / 2, y + h * (k + 0.75) / (lamps + 0.5), w * 0.28, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 0.22, 0.22, 0.24);
    cairo_fill(cr);
  }
}

void draw_crossing(cairo_t* cr, const View& v, const Item& it, int tick) {
  const double s = it.s;
  for (double lat : {-3.2, it.size}) {
    post(cr, v, s, lat, 3.2, 0.16, 0xdedede);
    double x, y, w, h;
    if (v.board(s, lat, 2.1, 1.3, 1.1, x, y, w, h) && w > 2) {
      cairo_set_line_width(cr, std::max(1.0, w * 0.16));
      cairo_move_to(cr, x, y);
      cairo_line_to(cr, x + w, y + h);
      cairo_move_to(cr, x + w, y);
      cairo_line_to(cr, x, y + h);
      cairo_set_source_rgb(cr, 0.95, 0.85, 0.1);
      cairo_stroke(cr);
    }
    if (v.board(s, lat, 1.35, 1.1, 0.45, x, y, w, h) && w > 2) {
      const bool first = (tick / 15) % 2 == 0;  // the two lamps take turns, twice a second
      for (int k = 0; k < 2; ++k) {
        cairo_arc(cr, x + w * (0.22 + 0.56 * k), y + h / 2, h * 0.42, 0, 2 * M_PI);
        if ((k == 0) == first)
          cairo_set_source_rgb(cr, 1.0, 0.12, 0.08);
        else
          cairo_set_source_rgb(cr, 0.25, 0.05, 0.05);
        cairo_fill(cr);
      }
    }
    // The barrier is down across the road: yellow and black bands.
    const double dir = lat < 0 ? -1 : 1;
    for (int k = 0; k < 6; ++k) {
      const double a = lat + dir * (0.3 + k * 0.9), b = a + dir * 0.9;
      v.fill(cr, {v.at(s + 1.2, a, 0.95), v.at(s + 1.2, b, 0.95), v.at(s + 1.2, b, 1.1), v.at(s + 1.2, a, 1.1)},
             k % 2 == 0 ? 0xf0d020 : 0x202020);
    }
  }
}

void draw_item(cairo_t* cr, const View& v, const Item& it, int tick) {
  double x, y, w, h;
  switch (it.kind) {
    case ItemKind::tree: draw_tree(cr, v, it); break;
    case ItemKind::building: draw_building(cr, v, it); break;
    case ItemKind::pole: draw_pole(cr, v, it); break;
    case ItemKind::signal: draw_signal(cr, v, it); break;
    case ItemKind::crossing: draw_crossing(cr, v, it, tick); break;
    case ItemKind::limit_sign:
    case ItemKind::limit_end:
      post(cr, v, it.s, it.lateral, 2.0, 0.12, 0xd0d0d0);
      if (board(cr, v, it.s, it.lateral, 2.0, 0.9, 0.9, 0xffffff, 0x202020, x, y, w, h)) {
        if (it.kind == ItemKind::limit_end) {
          cairo_move_to(cr, x + w * 0.15, y + h * 0.85);
          cairo_line_to(cr, x + w * 0.85, y + h * 0.15);
          cairo_set_line_width(cr, std::max(1.0, w * 0.1));
          cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
          cairo_stroke(cr);
        } else {
          text_centred(cr, std::to_string(it.number), x + w / 2, y + h / 2, h * 0.6, 0x101010, w * 0.8);
        }
      }
      break;
    case ItemKind::grade_post:
      post(cr, v, it.s, it.lateral, 1.6, 0.12, 0xe8e8e8);
      if (board(cr, v, it.s, it.lateral, 1.45, 0.9, 0.3, 0xf4f4f4, 0x303030, x, y, w, h))
        text_centred(cr, it.number == 0 ? "L" : std::to_string(std::abs(it.number)), x + w / 2,
                     y + h / 2, h * 0.8, 0x101010, w * 0.8);
      break;
    case ItemKind::sign_board:
      post(cr, v, it.s, it.lateral, 2.2, 0.12, 0xd0d0d0);
      if (board(cr, v, it.s, it.lateral, 2.0, 0.8, 0.8, 0xf8f8f0, 0x202020, x, y, w, h))
        text_centred(cr, it.text, x + w / 2, y + h / 2, h * 0.45, 0x101010, w * 0.82);
      break;
    case ItemKind::distance_board:
      post(cr, v, it.s, it.lateral, 1.5, 0.1, 0xd0d0d0);
      if (board(cr, v, it.s, it.lateral, 1.3, 0.55, 0.55, 0xffffff, 0xc02020, x, y, w, h))
        text_centred(cr, std::to_string(it.number), x + w / 2, y + h / 2, h * 0.42, 0xc01010, w * 0.8);
      break;
    case ItemKind::stop_marker:
      post(cr, v, it.s, it.lateral, 1.5, 0.1, 0xd0d0d0);
      if (board(cr, v, it.s, it.lateral, 1.2, 0.6, 0.7, 0xf2d21a, 0x202020, x, y, w, h))
        text_centred(cr, std::to_string(it.number), x + w / 2, y + h / 2, h * 0.6, 0x101010, w * 0.8);
      break;
    case ItemKind::name_board:
      post(cr, v, it.s, it.lateral - 1.0, 2.6, 0.1, 0x909090);
      post(cr, v, it.s, it.lateral + 1.0, 2.6, 0.1, 0x909090);
      if (board(cr, v, it.s, it.lateral, 1.75, 2.6, 0.9, 0xffffff, 0x2060a0, x, y, w, h)) {
        text_centred(cr, it.text, x + w / 2, y + h * 0.42, h * 0.46, 0x101010, w * 0.86);
        text_centred(cr, it.reading, x + w / 2, y + h * 0.82, h * 0.16, 0x303030, w * 0.86);
      }
      break;
    case ItemKind::km_post:
      post(cr, v, it.s, it.lateral, 0.9, 0.16, 0xf0f0f0);
      break;
    case ItemKind::buffer: {
      const double l = it.lateral - 1.6, r = it.lateral + 1.6;
      v.fill(cr, {v.at(it.s, l, 0), v.at(it.s, r, 0), v.at(it.s, r, 1.3), v.at(it.s, l, 1.3)}, 0xd02020);
      v.fill(cr, {v.at(it.s, l, 0.55), v.at(it.s, r, 0.55), v.at(it.s, r, 0.8), v.at(it.s, l, 0.8)}, 0xf0f0f0);
      break;
    }
    case ItemKind::footbridge:
    case ItemKind::shelter:
    case ItemKind::column:
      draw_station_item(cr, v, it);
      break;
  }
}

}  // namespace

void draw_items(cairo_t* cr, const View& v, const Scene& scene, int tick, double from_m, double to_m) {
  const double here = v.metres();
  const auto first = std::lower_bound(scene.items.begin(), scene.items.end(), std::max(from_m, here + 1.0),
                                      [](const Item& it, double s) { return it.s < s; });
  auto last = std::lower_bound(first, scene.items.end(), std::min(to_m, here + 650),
                               [](const Item& it, double s) { return it.s < s; });
  while (last != first) {
    --last;
    draw_item(cr, v, *last, tick);
  }
}

void draw_bridges(cairo_t* cr, const View& v, const Scene& scene) {
  const double here = v.metres();
  for (const Stretch& b : scene.line->bridges) {
    if (b.to_m < here + 1 || b.from_m > here + 500) continue;
    for (double side : {-2.3, 2.3}) {
      const double from = std::max(b.from_m, here + 1.5);
      v.fill(cr, {v.at(from, side, 1.9), v.at(b.to_m, side, 1.9), v.at(b.to_m, side, 2.2), v.at(from, side, 2.2)},
             0x3a5a8a);
      for (double s = std::ceil(from / 4) * 4; s <= b.to_m; s += 4)
        post(cr, v, s, side, 2.1, 0.18, 0x3a5a8a);
    }
  }
}

void draw_wires(cairo_t* cr, const View& v, const Scene& scene) {
  const double here = v.metres();
  std::vector<double> lines = {0};
  if (!scene.tracks.empty()) lines.push_back(kOtherTrack);
  for (double lat : lines)
    for (double height : {5.3, 6.4}) {
      cairo_new_path(cr);
      bool open = false;
      for (double ahead = 6; ahead < 500; ahead *= 1.1) {
        const double s = here + ahead;
        if (s > scene.end_m) break;
        // Through a tunnel's exit the wires go on; the next tunnel ends them.
        if (inside(scene.line->tunnels, s)) {
          if (open) break;
          continue;
        }
        const CamPoint p = v.at(s, lat, height);
        if (p.fwd < 0.8) continue;
        if (!open) {
          cairo_move_to(cr, v.sx(p), v.sy(p));
          open = true;
        } else {
          cairo_line_to(cr, v.sx(p), v.sy(p));
        }
      }
      cairo_set_source_rgb(cr, 0.18, 0.18, 0.2);
      cairo_set_line_width(cr, std::max(0.7, v.width() / 700.0));
      cairo_stroke(cr);
    }
}

void draw_trains(cairo_t* cr, const View& v, const std::vector<OtherTrain>& trains) {
  for (const OtherTrain& t : trains)
    for (int c = t.cars - 1; c >= 0; --c) {
      const double s0 = t.front_m + c * t.car_m, s1 = s0 + t.car_m - 0.6;
      const double l0 = t.lateral_m - 1.45, l1 = t.lateral_m + 1.45;
      v.fill(cr, {v.at(s0, l0, 0.9), v.at(s1, l0, 0.9), v.at(s1, l0, 3.9), v.at(s0, l0, 3.9)}, 0xd8d0b8);
      v.fill(cr, {v.at(s0, l0, 2.4), v.at(s1, l0, 2.4), v.at(s1, l0, 3.1), v.at(s0, l0, 3.1)}, 0x405060);
      v.fill(cr, {v.at(s0, l0, 1.4), v.at(s1, l0, 1.4), v.at(s1, l0, 1.7), v.at(s0, l0, 1.7)}, 0xc03020);
      v.fill(cr, {v.at(s0, l0, 0.9), v.at(s0, l1, 0.9), v.at(s0, l1, 3.9), v.at(s0, l0, 3.9)}, 0xe4dcc4);
      v.fill(cr, {v.at(s0, l0 + 0.3, 2.4), v.at(s0, l1 - 0.3, 2.4), v.at(s0, l1 - 0.3, 3.2), v.at(s0, l0 + 0.3, 3.2)},
             0x304050);
    }
}

void place_items(Scene& scene) {
  const LineModel& line = *scene.line;
  const RouteDesign& d = line.design;
  std::vector<Item>& items = scene.items;
  const double right_edge = d.double_track ? kOtherTrack + 3.4 : 3.4;

  place_stations(scene);

  for (const SignalDesign& sg : d.signals) {
    Item it = make_item(ItemKind::signal, line.place(sg.at), -2.5);
    it.number = sg.role == SignalRole::repeater ? 0 : sg.head >= 5 ? 4 : 3;
    items.push_back(it);
  }
  for (const Stretch& l : line.limits) {
    items.push_back(make_item(ItemKind::limit_sign, l.from_m, -2.4, 1, 1, 0, static_cast<int>(l.value)));
    items.push_back(make_item(ItemKind::limit_end, l.to_m, -2.4));
  }
  for (const Stretch& s : line.slopes) {
    items.push_back(make_item(ItemKind::grade_post, s.from_m, -2.3, 1, 1, 0, static_cast<int>(s.value)));
    items.push_back(make_item(ItemKind::grade_post, s.to_m, -2.3, 1, 1, 0, 0));
  }
  for (const SignDesign& sg : d.signs) {
    Item it = make_item(ItemKind::sign_board, line.place(sg.at), -2.3);
    it.text = sg.text;
    items.push_back(it);
  }
  for (const PointDesign& c : d.crossings) {
    const double s = line.place(c.at);
    scene.roads.push_back({s - 3, s + 3, 0});
    items.push_back(make_item(ItemKind::crossing, s - 5, 0, right_edge));
  }
  for (const PointDesign& p : d.switches) {
    const double s = line.place(p.at);
    // Before a station the line spreads to its loop; beyond it the loop comes back.
    const bool towards_station = p.at.offset_m < 0;
    scene.turnouts.push_back({s, s + 35, towards_station ? 1.0 : 2.0});
    if (!d.double_track && towards_station)
      scene.tracks.push_back({s + 35, line.stations[static_cast<std::size_t>(p.at.station)].at_m + 120, kOtherTrack});
  }
  // Passing loops end at the points beyond the station.
  for (const Stretch& t : scene.turnouts)
    if (t.value > 1.5)
      for (TrackRun& run : scene.tracks)
        if (run.from_m < t.from_m && run.to_m > t.from_m - 200 && run.to_m < t.to_m + 400)
          run.to_m = t.from_m;
  items.push_back(make_item(ItemKind::buffer, scene.end_m, 0));

  // Poles every 50 m, out of the tunnels.
  if (d.electrified)
    for (double s = -250; s < scene.end_m + 500; s += 50)
      if (!inside(line.tunnels, s, 5) && !under_shed(scene, s))
        items.push_back(make_item(ItemKind::pole, s, -3.1, d.double_track ? 5.4 : 1.0));
  for (double s = 100; s < scene.end_m; s += 100)
    if (!inside(line.tunnels, s)) items.push_back(make_item(ItemKind::km_post, s, -2.1));

  // Trees and houses from the route's own seed.
  std::mt19937 rng(scene.seed);
  const auto in_town = [&](double s) {
    for (const Anchor& a : d.towns)
      if (std::fabs(s - line.place(a)) < (line.short_mode ? 120 : 320)) return true;
    return false;
  };
  for (double s = -250; s < scene.end_m + 600; s += 6 + unit(rng) * 14) {
    const double side = unit(rng) < 0.5 ? -1 : 1;
    if (inside(line.tunnels, s, 40)) continue;
    if (in_town(s)) {
      Item b = make_item(ItemKind::building, s, side * (12 + unit(rng) * 30), 5 + unit(rng) * 14, 8 + unit(rng) * 10);
      const std::uint32_t colours[] = {0xc8c0b0, 0xa8b0b8, 0xd8d0c0, 0x988878, 0xb8a890, 0x9098a8};
      b.colour = colours[rng() % 6];
      if (std::fabs(b.lateral) < (side > 0 ? right_edge + 8 : 10)) b.lateral = side * 14;
      if (!under_station(scene, b.s, b.lateral)) items.push_back(b);
      s += 8;
    } else {
      Item t = make_item(ItemKind::tree, s, side * (7 + unit(rng) * 40), 5 + unit(rng) * 6);
      if (side > 0) t.lateral += right_edge - 3.4;
      const std::uint32_t greens[] = {0x3f6a30, 0x4c7a36, 0x355e2c, 0x5a7f3a};
      t.colour = greens[rng() % 4];
      if (!under_station(scene, t.s, t.lateral)) items.push_back(t);
    }
  }
  std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.s < b.s; });
}

}  // namespace velmora::demo
