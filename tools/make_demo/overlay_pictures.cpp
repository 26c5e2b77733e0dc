#include "overlay_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "pictures.h"

namespace velmora::demo {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::string clock_text(int ticks, bool seconds) {
  const int s = ticks / 30;
  char text[16];
  if (seconds)
    std::snprintf(text, sizeof text, "%d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
  else
    std::snprintf(text, sizeof text, "%d:%02d", s / 3600, s / 60 % 60);
  return text;
}

void frame_rect(cairo_t* cr, double x, double y, double w, double h, std::uint32_t face, std::uint32_t rim, double line) {
  cairo_rectangle(cr, x, y, w, h);
  fill_rgb(cr, rim);
  cairo_fill(cr);
  cairo_rectangle(cr, x + line, y + line, w - 2 * line, h - 2 * line);
  fill_rgb(cr, face);
  cairo_fill(cr);
}

// Lamps of each head type from top to bottom, and which are lit for a picture number.
struct HeadPicture {
  std::vector<std::uint32_t> lamps;  // colours when lit
  std::vector<bool> lit;
};

constexpr std::uint32_t R = 0xff2a1a, Y = 0xffc020, G = 0x20e070, W = 0xf0f0e8;

HeadPicture head_picture(int p) {
  switch (p) {
    case 4: return {{Y, G}, {true, false}};
    case 5: return {{Y, G}, {true, true}};
    case 6: return {{Y, G}, {false, true}};
    case 7: case 10: return {{G, Y, R}, {false, false, true}};
    case 8: case 11: return {{G, Y, R}, {false, true, false}};
    case 9: case 12: return {{G, Y, R}, {true, false, false}};
    case 13: return {{Y, G, Y, R}, {false, false, false, true}};
    case 14: return {{Y, G, Y, R}, {false, false, true, false}};
    case 15: return {{Y, G, Y, R}, {true, true, false, false}};
    case 16: return {{Y, G, Y, R}, {false, true, false, false}};
    case 17: return {{Y, G, Y, R}, {false, false, false, true}};
    case 18: return {{Y, G, Y, R}, {true, false, true, false}};
    case 19: return {{Y, G, Y, R}, {false, false, true, false}};
    case 20: return {{Y, G, Y, R}, {false, true, false, false}};
    case 21: return {{Y, G, Y, R, Y}, {false, false, false, true, false}};
    case 22: return {{Y, G, Y, R, Y}, {true, false, false, false, true}};
    case 23: return {{Y, G, Y, R, Y}, {false, false, true, false, false}};
    case 24: return {{Y, G, Y, R, Y}, {true, true, false, false, false}};
    case 25: return {{Y, G, Y, R, Y}, {false, true, false, false, false}};
    case 26: return {{G, Y, G, R}, {false, false, false, true}};
    case 27: return {{G, Y, G, R}, {false, true, false, false}};
    case 28: return {{G, Y, G, R}, {false, false, true, false}};
    case 29: return {{G, Y, G, R}, {true, false, true, false}};
    case 30: return {{G, Y, G, Y, R}, {false, false, false, false, true}};
    case 31: return {{G, Y, G, Y, R}, {false, false, false, true, false}};
    case 32: return {{G, Y, G, Y, R}, {false, true, true, false, false}};
    case 33: return {{G, Y, G, Y, R}, {false, false, true, false, false}};
    case 34: return {{G, Y, G, Y, R}, {true, false, true, false, false}};
    default: return {};
  }
}

void draw_head(cairo_t* cr, int p, double x0, double w, double h) {
  if (p == 0) return;
  if (p >= 1 && p <= 3) {
    // A repeater: a black disc with three white lamps in a row, turned by the aspect.
    const double cx = x0 + w / 2, cy = h * 0.3, r = w * 0.46;
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    cairo_set_source_rgb(cr, 0.06, 0.06, 0.07);
    cairo_fill(cr);
    const double a = p == 1 ? 0 : p == 2 ? -kPi / 4 : -kPi / 2;
    for (int k = -1; k <= 1; ++k) {
      cairo_arc(cr, cx + std::cos(a) * r * 0.6 * k, cy + std::sin(a) * r * 0.6 * k, r * 0.22, 0, 2 * kPi);
      fill_rgb(cr, W);
      cairo_fill(cr);
    }
    cairo_rectangle(cr, cx - 2, cy + r, 4, h - cy - r);
    cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
    cairo_fill(cr);
    return;
  }
  if (p >= 35) {
    // A cab-signal head: the allowed speed in a box.
    static const char* speeds[] = {"×", "25", "45", "65", "75", "90", "110", "120"};
    frame_rect(cr, x0 + 2, h * 0.2, w - 4, w - 4, 0x101012, 0x808080, 2);
    fill_rgb(cr, p == 35 ? R : Y);
    text_at(cr, speeds[p - 35], x0 + w / 2, h * 0.2 + (w - 4) / 2, w * 0.36);
    return;
  }
  const HeadPicture hp = head_picture(p);
  // Five lamps must fit the frame's height as well as three.
  const double lamp = std::min(w * 0.62, (h - 12) / static_cast<double>(hp.lamps.size()));
  const double top = 4, height = lamp * hp.lamps.size() + 8;
  cairo_rectangle(cr, x0 + (w - lamp - 8) / 2, top, lamp + 8, height);
  cairo_set_source_rgb(cr, 0.06, 0.06, 0.07);
  cairo_fill(cr);
  for (std::size_t k = 0; k < hp.lamps.size(); ++k) {
    cairo_arc(cr, x0 + w / 2, top + 4 + lamp * (k + 0.5), lamp * 0.38, 0, 2 * kPi);
    fill_rgb(cr, hp.lit[k] ? hp.lamps[k] : 0x2a2a2c);
    cairo_fill(cr);
  }
  if (top + height < h) {
    cairo_rectangle(cr, x0 + w / 2 - 2, top + height, 4, h - top - height);
    cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
    cairo_fill(cr);
  }
}

// A gradient post: two arms, the one towards the climb raised, and the per mille figure.
void draw_grade(cairo_t* cr, double x0, double n, double permil) {
  frame_rect(cr, x0 + n * 0.44, n * 0.3, n * 0.12, n * 0.66, 0xf0f0f0, 0x404040, 1);
  const double slant = permil > 0 ? -0.18 : permil < 0 ? 0.18 : 0;
  cairo_set_line_width(cr, n * 0.09);
  cairo_set_source_rgb(cr, 0.95, 0.95, 0.95);
  cairo_move_to(cr, x0 + n * 0.5, n * 0.32);
  cairo_line_to(cr, x0 + n * 0.08, n * (0.32 - slant));
  cairo_move_to(cr, x0 + n * 0.5, n * 0.32);
  cairo_line_to(cr, x0 + n * 0.92, n * (0.32 + slant));
  cairo_stroke(cr);
  char text[16];
  std::snprintf(text, sizeof text, "%g", std::fabs(permil));
  cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
  frame_rect(cr, x0 + n * 0.2, n * 0.55, n * 0.6, n * 0.24, 0xffffff, 0x202020, 1);
  cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
  text_at(cr, permil == 0 ? "L" : text, x0 + n * 0.5, n * 0.67, n * 0.2);
}

}  // namespace

OverlaySizes overlay_sizes(int film_width) {
  const double k = film_width / 800.0;
  const auto s = [k](int full) { return std::max(8, static_cast<int>(std::lround(full * k))); };
  OverlaySizes o;
  o.marker = s(128);
  o.line = std::max(2, static_cast<int>(std::lround(4 * k)));
  o.post = s(96);
  o.remain = s(kRemainWidthFull);
  o.cross = s(64);
  o.head_w = s(48);
  o.head_h = s(112);
  o.sub = s(32);
  o.side = s(40);
  return o;
}

void draw_overlays(const LineModel& line, const std::filesystem::path& data_dir, int film_width,
                   int film_height, const LimitPictures& limits,
                   const std::vector<SignPicture>& signs) {
  const OverlaySizes z = overlay_sizes(film_width);
  const std::filesystem::path dir = data_dir / "image" / line.design.key;
  const auto& stations = line.design.stations;

  // Stop-position marker: boards 50 to 300 m, then one stop marker per station. The
  // remaining-distance board slides down the film's right edge over the marker's right
  // part, so the boards stand in the part left of it.
  const int n = z.marker;
  const double face = n - z.remain - std::max(2.0, n * 0.03);  // px of the cell left of the board
  const int count = 10 + static_cast<int>(stations.size());
  draw_keyed(dir / "teimoku.png", n * count, n, [&](cairo_t* cr) {
    const int boards[] = {50, 100, 150, 200, 300};
    for (int k = 1; k <= 5; ++k) {
      const double x = k * n, cx = x + face / 2, w = face * 0.7;
      frame_rect(cr, cx - w / 2, n * 0.12, w, n * 0.6, 0xffffff, 0xc01818, n * 0.04);
      cairo_set_source_rgb(cr, 0.75, 0.05, 0.05);
      text_at(cr, std::to_string(boards[k - 1]), cx, n * 0.36, n * 0.22, true, true, w * 0.84);
      text_at(cr, "m", cx, n * 0.58, n * 0.14);
      cairo_rectangle(cr, cx - n * 0.03, n * 0.72, n * 0.06, n * 0.26);
      cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
      cairo_fill(cr);
    }
    for (std::size_t i = 0; i < stations.size(); ++i) {
      const double x = (10 + static_cast<double>(i)) * n, cx = x + face / 2, w = face * 0.94;
      frame_rect(cr, cx - w / 2, n * 0.06, w, n * 0.62, 0xf2d21a, 0x202020, n * 0.03);
      cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
      text_at(cr, std::to_string(line.design.cars), cx, n * 0.3, n * 0.3);
      text_at(cr, stations[i].name, cx, n * 0.56, n * 0.13, true, true, w * 0.88);
      cairo_rectangle(cr, cx - n * 0.03, n * 0.68, n * 0.06, n * 0.3);
      cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
      cairo_fill(cr);
    }
  });
  // Stop lines: the near end of the zone, the stop position and the far end.
  const std::uint32_t line_colours[3] = {0x20a0ff, 0xff2020, 0x20ff60};
  const char* line_names[3] = {"stop_s.png", "stop_m.png", "stop_e.png"};
  for (int k = 0; k < 3; ++k)
    draw_opaque(dir / line_names[k], 64, z.line, [&](cairo_t* cr) {
      fill_rgb(cr, line_colours[k]);
      cairo_paint(cr);
    });

  const int p = z.post;
  draw_keyed(dir / "slope.png", p * (1 + static_cast<int>(line.slopes.size())), p, [&](cairo_t* cr) {
    for (std::size_t k = 0; k < line.slopes.size(); ++k) draw_grade(cr, (k + 1.0) * p, p, line.slopes[k].value);
  });
  draw_keyed(dir / "limit.png", p * (2 + static_cast<int>(limits.speeds.size())), p, [&](cairo_t* cr) {
    for (std::size_t k = 0; k <= limits.speeds.size(); ++k) {
      const double x = (k + 1.0) * p;
      cairo_arc(cr, x + p / 2.0, p * 0.42, p * 0.36, 0, 2 * kPi);
      cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
      cairo_fill(cr);
      cairo_arc(cr, x + p / 2.0, p * 0.42, p * 0.32, 0, 2 * kPi);
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_fill(cr);
      cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
      if (k < limits.speeds.size()) {
        text_at(cr, std::to_string(limits.speeds[k]), x + p / 2.0, p * 0.42, p * 0.3, true, true, p * 0.52);
      } else {
        // The end of the limit: the figure struck through.
        text_at(cr, "解除", x + p / 2.0, p * 0.42, p * 0.2, true, true, p * 0.5);
        cairo_move_to(cr, x + p * 0.25, p * 0.68);
        cairo_line_to(cr, x + p * 0.75, p * 0.16);
        cairo_set_line_width(cr, p * 0.05);
        cairo_stroke(cr);
      }
      cairo_rectangle(cr, x + p * 0.47, p * 0.78, p * 0.06, p * 0.2);
      cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
      cairo_fill(cr);
    }
  });

  // The remaining-distance board, a tape 900 px tall: the figure at the top edge of the
  // picture is the distance to the stop (the board slides down film_height px over 30 m).
  const int rw = z.remain;
  draw_opaque(dir / "remain.png", rw * 2, 900, [&](cairo_t* cr) {
    for (int pattern = 0; pattern < 2; ++pattern) {
      const double x = pattern * rw;
      cairo_rectangle(cr, x, 0, rw, 900);
      fill_rgb(cr, pattern == 0 ? 0x203040 : 0x402020);
      cairo_fill(cr);
      const double zero_row = 870.0 - film_height;  // at the top edge when standing at the stop
      const double per_metre = film_height / 30.0;
      for (int m = -30; m <= 40; ++m) {
        const double row = zero_row + m * per_metre;
        if (row < 0 || row > 900) continue;
        const bool big = m % 5 == 0;
        cairo_rectangle(cr, x, row, big ? rw * 0.5 : rw * 0.25, big ? 2 : 1);
        fill_rgb(cr, m == 0 ? 0xff3030 : 0xe0e0e0);
        cairo_fill(cr);
        if (big && per_metre * 5 > 12) {
          fill_rgb(cr, m == 0 ? 0xff3030 : 0xffffff);
          text_at(cr, std::to_string(m), x + rw * 0.75, row + 7, std::min(rw * 0.34, per_metre * 3), true);
        }
      }
    }
  });

  // The crossing light stands above the other signs (its place is 5 % of the film's
  // height higher, theirs overlaps its lower part): it keeps to the upper part of its cell.
  const int c = z.cross;
  draw_keyed(dir / "cross.png", c * 3, c, [&](cairo_t* cr) {
    for (int k = 1; k <= 2; ++k) {
      const double x = k * c;
      frame_rect(cr, x + c * 0.15, c * 0.04, c * 0.7, c * 0.4, 0x101010, 0x606060, std::max(1.0, c * 0.03));
      cairo_set_line_width(cr, c * 0.07);
      fill_rgb(cr, k == 1 ? 0xffffff : 0x505050);
      cairo_move_to(cr, x + c * 0.32, c * 0.1);
      cairo_line_to(cr, x + c * 0.68, c * 0.38);
      cairo_move_to(cr, x + c * 0.68, c * 0.1);
      cairo_line_to(cr, x + c * 0.32, c * 0.38);
      cairo_stroke(cr);
    }
  });

  // Other signs: picture 0 is the time board, the rest the route's signs. A sign of two
  // words shows them on two lines; every line keeps to its board.
  draw_keyed(dir / "other.png", p * (1 + static_cast<int>(signs.size())), p, [&](cairo_t* cr) {
    frame_rect(cr, p * 0.12, p * 0.1, p * 0.76, p * 0.55, 0x1838a0, 0xf0f0f0, 2);
    cairo_set_source_rgb(cr, 1, 1, 1);
    text_at(cr, "時刻", p * 0.5, p * 0.27, p * 0.18);
    text_at(cr, "確認", p * 0.5, p * 0.48, p * 0.18);
    for (std::size_t k = 0; k < signs.size(); ++k) {
      const double x = (k + 1.0) * p;
      frame_rect(cr, x + p * 0.14, p * 0.12, p * 0.72, p * 0.56, signs[k].warning ? 0xf0c820 : 0xffffff, 0x202020, 2);
      cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
      std::vector<std::string> words;
      for (std::size_t from = 0; from <= signs[k].text.size();) {
        const std::size_t to = std::min(signs[k].text.find(' ', from), signs[k].text.size());
        if (to > from) words.push_back(signs[k].text.substr(from, to - from));
        from = to + 1;
      }
      const double inner = p * 0.72 - 8, rows = static_cast<double>(std::max<std::size_t>(1, words.size()));
      for (std::size_t w = 0; w < words.size(); ++w)
        text_at(cr, words[w], x + p * 0.5, p * (0.4 + (static_cast<double>(w) - (rows - 1) / 2) * 0.22), p * (rows > 1 ? 0.18 : 0.24),
                true, true, inner);
      cairo_rectangle(cr, x + p * 0.47, p * 0.68, p * 0.06, p * 0.3);
      cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
      cairo_fill(cr);
    }
  });

  draw_keyed(dir / "signal.png", z.head_w * 43, z.head_h, [&](cairo_t* cr) {
    for (int k = 1; k < 43; ++k) draw_head(cr, k, k * z.head_w, z.head_w, z.head_h);
  });
  draw_keyed(dir / "signal_s.png", z.sub * 4, z.sub, [&](cairo_t* cr) {
    const char* plates[] = {"", "1", "2", "3"};
    for (int k = 1; k < 4; ++k) {
      frame_rect(cr, k * z.sub + 2, 2, z.sub - 4, z.sub - 4, 0xffffff, 0x202020, 1);
      cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
      text_at(cr, plates[k], k * z.sub + z.sub / 2.0, z.sub / 2.0, z.sub * 0.6);
    }
  });
  for (const char* name : {"signal_l.png", "signal_r.png"}) {
    const bool left = name[7] == 'l';
    draw_keyed(dir / name, z.side * 3, z.side, [&](cairo_t* cr) {
      for (int k = 1; k < 3; ++k) {
        const double x = k * z.side;
        cairo_arc(cr, x + z.side / 2.0, z.side / 2.0, z.side * 0.42, 0, 2 * kPi);
        cairo_set_source_rgb(cr, 0.06, 0.06, 0.07);
        cairo_fill(cr);
        // A route indicator: lamps in a slanting row.
        for (int j = 0; j < 3; ++j) {
          const double t = j / 2.0 - 0.5;
          cairo_arc(cr, x + z.side / 2.0 + (left ? -1 : 1) * t * z.side * 0.5, z.side / 2.0 + t * z.side * 0.5,
                    z.side * 0.09, 0, 2 * kPi);
          fill_rgb(cr, k == 1 ? W : 0x303030);
          cairo_fill(cr);
        }
      }
    });
  }
}

void draw_route_pictures(const LineModel& line, const std::filesystem::path& data_dir,
                         int film_width, int film_height) {
  const std::filesystem::path dir = data_dir / "image" / line.design.key;
  const auto& stations = line.design.stations;

  // The staff timetable card beside the film.
  draw_opaque(dir / "staff.png", 400, 470, [&](cairo_t* cr) {
    fill_rgb(cr, 0xf4f0e4);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    text_at(cr, line.design.line_name + "  行路表", 200, 28, 20, true, true, 380);
    text_at(cr, "駅名", 70, 66, 14);
    text_at(cr, "着", 200, 66, 14);
    text_at(cr, "発", 320, 66, 14);
    cairo_rectangle(cr, 10, 80, 380, 2);
    cairo_fill(cr);
    double y = 110;
    for (std::size_t i = 0; i < stations.size(); ++i) {
      const BuiltStation& s = line.stations[i];
      const bool pass = stations[i].type == StopType::Pass;
      cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
      text_at(cr, stations[i].name, 70, y, 18, true, true, 120);
      if (pass) {
        text_at(cr, "レ", 200, y, 16);
        text_at(cr, "（通過）", 320, y, 14);
      } else {
        text_at(cr, i == 0 ? "" : clock_text(s.arrival, true), 200, y, 15, true, false);
        text_at(cr, i + 1 == stations.size() ? "（終着）" : clock_text(s.departure, true), 320, y, 15, true, false);
      }
      cairo_rectangle(cr, 10, y + 22, 380, 1);
      cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
      cairo_fill(cr);
      y += 52;
    }
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    text_at(cr, "最高速度  " + std::to_string(stations.front().maxspeed_kmh) + " km/h", 200, 450, 13, true, false, 380);
  });

  // Shown on the film surface until the run starts.
  draw_opaque(dir / "standby.png", film_width, film_height, [&](cairo_t* cr) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, film_height);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.10, 0.16, 0.30);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.02, 0.04, 0.08);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    cairo_set_source_rgb(cr, 1, 1, 1);
    const double wide = film_width * 0.9;
    text_at(cr, line.design.line_name, film_width / 2.0, film_height * 0.4, film_height * 0.09, true, true, wide);
    text_at(cr, stations.front().name + " → " + stations.back().name, film_width / 2.0, film_height * 0.55,
            film_height * 0.05, true, false, wide);
    text_at(cr, "運転開始を待っています", film_width / 2.0, film_height * 0.7, film_height * 0.035, true, false, wide);
  });

  // Behind the text labels to the right of the film.
  draw_opaque(dir / "sub.png", 404, 321, [&](cairo_t* cr) {
    fill_rgb(cr, 0x141a22);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.25, 0.32, 0.4);
    cairo_set_line_width(cr, 1);
    for (double y : {58.0, 112.0, 160.0, 206.0, 246.0, 280.0}) {
      cairo_move_to(cr, 12, y);
      cairo_line_to(cr, 392, y);
    }
    cairo_stroke(cr);
  });
}

}  // namespace velmora::demo
