// The demo's stations as the film shows them: platforms with their roofs, name boards and
// stop markers, and the looks that tell the three starts apart: a terminal under a train
// shed with headshunts ending in buffer stops, a through station with platforms on both
// lines and a footbridge, and a country halt with a short platform and a shelter.

#include <algorithm>
#include <cmath>

#include "film_scene.h"

namespace velmora::demo {
namespace {

constexpr double kOtherTrack = 3.8;   // m: the other line of a double track
constexpr std::uint32_t kGrey = 0x808080;  // an item's colour when its kind draws its own
constexpr double kEdge = 1.55;        // m from a track's centre to its platform's edge


Item name_board(const StationDesign& st, double s, double lateral) {
  Item nb = make_item(ItemKind::name_board, s, lateral, 1, 0, kGrey);
  nb.text = st.name;
  nb.reading = st.reading;
  return nb;
}

// A post from the ground (or a platform) to a height.
void pillar(cairo_t* cr, const View& v, double s, double lat, double from, double to, double width,
            std::uint32_t colour) {
  v.fill(cr, {v.at(s, lat - width / 2, from), v.at(s, lat + width / 2, from), v.at(s, lat + width / 2, to),
              v.at(s, lat - width / 2, to)},
         colour);
}

// The default look: one platform on the train's side, roofed in its middle, name boards
// where a driver running in sees them.
void plain_station(Scene& scene, const StationDesign& st, double at, double train_m) {
  const double side = st.platform_right ? 1 : -1;
  scene.platforms.push_back({at - train_m - 20, at + 25, side * kEdge, 4.95, true});
  scene.items.push_back(name_board(st, at - 25, side * 5.2));
  scene.items.push_back(name_board(st, at - train_m + 15, side * 5.2));
}

// A terminal on a double-track line: platforms on both lines under a train shed,
// headshunts beyond them ending in buffer stops ahead of the train, name boards ahead.
void terminal(Scene& scene, const StationDesign& st, double at, double train_m) {
  const double from = at - train_m - 20, to = at + 32;
  scene.platforms.push_back({from, to, -kEdge, 7.0, false});
  scene.platforms.push_back({from, to, kOtherTrack + kEdge, 6.0, false});
  const double left_stub = -kEdge - 7.0 - 2.1, right_stub = kOtherTrack + kEdge + 6.0 + 2.1;
  // The headshunts run out of the shed; their ends lie where the first picture shows them.
  scene.tracks.push_back({scene.origin_m, at + 42, left_stub});
  scene.tracks.push_back({scene.origin_m, at + 50, right_stub});
  scene.items.push_back(make_item(ItemKind::buffer, at + 42, left_stub, 1, 1, kGrey));
  scene.items.push_back(make_item(ItemKind::buffer, at + 50, right_stub, 1, 1, kGrey));
  const double left = left_stub - 2.5, right = right_stub + 2.5, height = 8.5;
  scene.sheds.push_back({from, to, left, right, height});
  // Columns carry it along both platforms and the two outer walls.
  for (double s = std::floor(to / 16) * 16; s > from; s -= 16)
    for (double lat : {left + 0.6, -kEdge - 3.5, kOtherTrack + kEdge + 3.0, right - 0.6})
      scene.items.push_back(make_item(ItemKind::column, s, lat, height, 1, kGrey));
  scene.items.push_back(name_board(st, at + 12, -4.4));
  scene.items.push_back(name_board(st, at + 26, kOtherTrack + kEdge + 2.2));
}

// A through station on a double-track line: a platform on each line, roofed, and a
// footbridge across ahead.
void through(Scene& scene, const StationDesign& st, double at, double train_m) {
  const double from = at - train_m - 20, to = at + 70;
  scene.platforms.push_back({from, to, -kEdge, 5.5, true});
  scene.platforms.push_back({from, to, kOtherTrack + kEdge, 5.5, true});
  Item bridge = make_item(ItemKind::footbridge, at + 22, -kEdge - 2.8, kOtherTrack + kEdge + 2.8, 0, kGrey);
  scene.items.push_back(bridge);
  scene.items.push_back(name_board(st, at + 12, -4.0));
  scene.items.push_back(name_board(st, at + 34, kOtherTrack + kEdge + 2.2));
}

// A country halt: a short, low platform with a shelter and a name board, in the fields.
void halt(Scene& scene, const StationDesign& st, double at, double train_m) {
  const double side = st.platform_right ? 1 : -1;
  scene.platforms.push_back({at - train_m - 6, at + 24, side * kEdge, 3.2, false, 0.76});
  scene.items.push_back(make_item(ItemKind::shelter, at + 7, side * (kEdge + 1.9), 1, 1, kGrey));
  scene.items.push_back(name_board(st, at + 21, side * (kEdge + 1.5)));
}

void draw_footbridge(cairo_t* cr, const View& v, const Item& it) {
  const double s = it.s, left = it.lateral, right = it.size;
  const double low = 6.2, high = 8.4, depth = 3.0;
  // The stair towers down to the two platforms, then the deck across in front of them.
  for (double lat : {left, right}) {
    v.fill(cr, {v.at(s, lat - 1.1, 1.0), v.at(s, lat + 1.1, 1.0), v.at(s, lat + 1.1, high), v.at(s, lat - 1.1, high)},
           0x8c969c);
    v.fill(cr, {v.at(s, lat - 0.8, 1.0), v.at(s, lat + 0.8, 1.0), v.at(s, lat + 0.8, 3.2), v.at(s, lat - 0.8, 3.2)},
           0x3a3e44);
  }
  v.fill(cr, {v.at(s, left - 1.1, low), v.at(s + depth, left - 1.1, low), v.at(s + depth, right + 1.1, low),
              v.at(s, right + 1.1, low)},
         0x5c646a);
  v.fill(cr, {v.at(s, left - 1.1, low), v.at(s, right + 1.1, low), v.at(s, right + 1.1, high), v.at(s, left - 1.1, high)},
         0xa4aeb2);
  v.fill(cr, {v.at(s, left - 0.6, 7.1), v.at(s, right + 0.6, 7.1), v.at(s, right + 0.6, 7.9), v.at(s, left - 0.6, 7.9)},
         0x4a5a68);
}

void draw_shelter(cairo_t* cr, const View& v, const Item& it) {
  const double s = it.s, lat = it.lateral, base = 0.76, top = base + 2.4, depth = 3.0;
  const double side = lat < 0 ? -1 : 1, open = lat - side * 1.3;  // the side that faces the track
  // The open side along the track with its bench, then the end wall facing the train,
  // with a window, then the roof over both.
  v.fill(cr, {v.at(s, open, base), v.at(s + depth, open, base), v.at(s + depth, open, top), v.at(s, open, top)},
         0x3a3028);
  v.fill(cr, {v.at(s + 0.3, open + side * 0.9, base + 0.45), v.at(s + depth - 0.3, open + side * 0.9, base + 0.45),
              v.at(s + depth - 0.3, open + side * 0.9, base + 0.6), v.at(s + 0.3, open + side * 0.9, base + 0.6)},
         0xa07848);
  v.fill(cr, {v.at(s, lat - 1.3, base), v.at(s, lat + 1.3, base), v.at(s, lat + 1.3, top), v.at(s, lat - 1.3, top)},
         0x8e6c48);
  v.fill(cr, {v.at(s, lat - 0.6, base + 1.2), v.at(s, lat + 0.6, base + 1.2), v.at(s, lat + 0.6, base + 1.9),
              v.at(s, lat - 0.6, base + 1.9)},
         0x9ab0c0);
  v.fill(cr, {v.at(s - 0.3, lat - 1.6, top), v.at(s - 0.3, lat + 1.6, top), v.at(s + depth + 0.3, lat + 1.6, top + 0.3),
              v.at(s + depth + 0.3, lat - 1.6, top + 0.3)},
         0x505860);
}

}  // namespace

void place_stations(Scene& scene) {
  const LineModel& line = *scene.line;
  const RouteDesign& d = line.design;
  const double train_m = d.cars * d.car_length_m;
  for (std::size_t i = 0; i < d.stations.size(); ++i) {
    const double at = line.stations[i].at_m;
    const StationDesign& st = d.stations[i];
    switch (st.look) {
      case StationLook::terminal: terminal(scene, st, at, train_m); break;
      case StationLook::through: through(scene, st, at, train_m); break;
      case StationLook::halt: halt(scene, st, at, train_m); break;
      case StationLook::plain: plain_station(scene, st, at, train_m); break;
    }
    if (st.type == StopType::DoorStop) {
      scene.items.push_back(make_item(ItemKind::stop_marker, at, st.platform_right ? 1.9 : -1.9, 1, 1, kGrey, d.cars));
      if (i > 0)
        for (int m : {300, 200, 150, 100, 50})
          if (!line.short_mode || m <= 50) scene.items.push_back(make_item(ItemKind::distance_board, at - m, -2.0, 1, 1, kGrey, m));
    }
  }
}

bool under_station(const Scene& scene, double s, double lateral) {
  for (const PlatformRun& p : scene.platforms) {
    const double side = p.edge < 0 ? -1 : 1, back = p.edge + side * p.width;
    if (p.from_m - 5 <= s && s <= p.to_m + 5 && std::min(p.edge, back) - 4 <= lateral &&
        lateral <= std::max(p.edge, back) + 4)
      return true;
  }
  for (const Shed& h : scene.sheds)
    if (h.from_m - 10 <= s && s <= h.to_m + 10 && h.left - 8 <= lateral && lateral <= h.right + 8) return true;
  return false;
}

void draw_platforms(cairo_t* cr, const View& v, const Scene& scene) {
  const double here = v.metres();
  for (const PlatformRun& p : scene.platforms) {
    if (p.to_m < here + 1 || p.from_m > here + 600) continue;
    const double side = p.edge < 0 ? -1 : 1;
    const double from = std::max(p.from_m, here + 1);
    const double edge = p.edge, back = p.edge + side * p.width, h = p.height;
    v.fill(cr, {v.at(from, edge, -0.3), v.at(p.to_m, edge, -0.3), v.at(p.to_m, edge, h), v.at(from, edge, h)},
           0x8a8680);
    v.fill(cr, {v.at(from, edge, h), v.at(p.to_m, edge, h), v.at(p.to_m, back, h), v.at(from, back, h)}, 0xb4b0a8);
    v.fill(cr, {v.at(from, edge + side * 0.7, h + 0.01), v.at(p.to_m, edge + side * 0.7, h + 0.01),
                v.at(p.to_m, edge + side * 1.0, h + 0.01), v.at(from, edge + side * 1.0, h + 0.01)},
           0xe8c820);
    if (!p.roof) continue;
    // A roof over the middle of the platform on pillars.
    const double r0 = std::max(p.from_m + 30, here + 1), r1 = p.to_m - 30;
    const double near = edge + side * 1.05, far = back + side * 0.3, mid = (near + far) / 2;
    if (r1 > r0) {
      v.fill(cr, {v.at(r0, near, 4.2), v.at(r1, near, 4.2), v.at(r1, far, 4.6), v.at(r0, far, 4.6)}, 0x5a6068);
      for (double s = std::ceil(r0 / 10) * 10; s <= r1; s += 10) pillar(cr, v, s, mid, h, 4.4, 0.25, 0x707880);
    }
  }
}

void draw_sheds(cairo_t* cr, const View& v, const Scene& scene) {
  const double here = v.metres();
  for (const Shed& h : scene.sheds) {
    if (h.to_m < here + 1 || h.from_m > here + 400) continue;
    const double a = std::max(h.from_m, here + 1);
    v.fill(cr, {v.at(a, h.left, h.height), v.at(h.to_m, h.left, h.height), v.at(h.to_m, h.right, h.height),
                v.at(a, h.right, h.height)},
           0x3e4248);
    // The valance at its open end and the trusses under the roof, far to near. The
    // columns are items, in their place among the others.
    v.fill(cr, {v.at(h.to_m, h.left, h.height - 1.3), v.at(h.to_m, h.right, h.height - 1.3),
                v.at(h.to_m, h.right, h.height), v.at(h.to_m, h.left, h.height)},
           0x7c848c);
    for (double s = std::floor(h.to_m / 8) * 8; s > a; s -= 8)
      v.fill(cr, {v.at(s, h.left, h.height - 0.5), v.at(s, h.right, h.height - 0.5), v.at(s, h.right, h.height),
                  v.at(s, h.left, h.height)},
             0x2a2e34);
  }
}

void draw_station_item(cairo_t* cr, const View& v, const Item& it) {
  if (it.kind == ItemKind::footbridge) draw_footbridge(cr, v, it);
  if (it.kind == ItemKind::shelter) draw_shelter(cr, v, it);
  if (it.kind == ItemKind::column) pillar(cr, v, it.s, it.lateral, 0, it.size, 0.35, 0x646c74);
}

}  // namespace velmora::demo
