#include "panel_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "pictures.h"

namespace velmora::demo {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Dial {
  int cx, cy, r;
  double from, to;  // scale values at the ends
  int zero;         // degrees of the first mark, clockwise from up
  double sweep;     // degrees the scale covers
  const char* label;
  int major;        // value between numbered marks
  int minor;
  bool label_above = false;  // the label above the hub instead of below it
};

// px: the smallest figure that still reads on the desk; small gauges' figures would be
// smaller in proportion.
constexpr double kSmallestText = 8;

double figure_size(const Dial& d) { return std::max(kSmallestText, d.r * 0.17); }

double angle_of(const Dial& d, double value) {
  return (d.zero + (value - d.from) / (d.to - d.from) * d.sweep) * kPi / 180;
}

void dial_face(cairo_t* cr, const Dial& d) {
  const double x = d.cx, y = d.cy - kPanelTop;
  cairo_arc(cr, x, y, d.r + 5, 0, 2 * kPi);
  cairo_set_source_rgb(cr, 0.55, 0.56, 0.58);
  cairo_fill(cr);
  cairo_arc(cr, x, y, d.r, 0, 2 * kPi);
  cairo_set_source_rgb(cr, 0.07, 0.07, 0.08);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 0.95, 0.95, 0.95);
  for (double v = d.from; v <= d.to + 1e-9; v += d.minor) {
    const double a = angle_of(d, v);
    const bool big = std::fmod(v - d.from, d.major) < 1e-9;
    const double r0 = d.r * (big ? 0.80 : 0.87);
    cairo_move_to(cr, x + std::sin(a) * r0, y - std::cos(a) * r0);
    cairo_line_to(cr, x + std::sin(a) * d.r * 0.95, y - std::cos(a) * d.r * 0.95);
    cairo_set_line_width(cr, big ? 2.2 : 1.0);
    cairo_stroke(cr);
    if (big) {
      char text[16];
      std::snprintf(text, sizeof text, "%g", v);
      text_at(cr, text, x + std::sin(a) * d.r * 0.64, y - std::cos(a) * d.r * 0.64, figure_size(d),
              true, false);
    }
  }
  // Below the hub the label keeps clear of the rim, in the scale's gap at the bottom.
  const double size = std::max(kSmallestText, d.r * 0.16);
  const double below = std::min(d.r * 0.82, d.r - size * 0.9);
  text_at(cr, d.label, x, y + (d.label_above ? -d.r * 0.36 : below), size, true, false);
}

NeedlePlace needle(const std::filesystem::path& dir, const std::string& rel, const Dial& d,
                   double thick, double length, std::uint32_t colour) {
  const int size = 2 * d.r;
  draw_keyed(dir / rel.substr(rel.rfind('\\') + 1), size, size, [&](cairo_t* cr) {
    const double c = d.r;
    cairo_move_to(cr, c - thick, c + d.r * 0.15);
    cairo_line_to(cr, c - thick * 0.4, c - d.r * length);
    cairo_line_to(cr, c + thick * 0.4, c - d.r * length);
    cairo_line_to(cr, c + thick, c + d.r * 0.15);
    cairo_close_path(cr);
    fill_rgb(cr, colour);
    cairo_fill(cr);
    cairo_arc(cr, c, c, thick * 1.6, 0, 2 * kPi);
    cairo_set_source_rgb(cr, 0.6, 0.6, 0.62);
    cairo_fill(cr);
  });
  NeedlePlace n;
  n.file = rel;
  n.left = d.cx - d.r;
  n.top = d.cy - d.r;
  n.size = size;
  // The simulator turns the needle by value x one from zero, so zero is the angle of the
  // scale's 0 mark, not of its first mark (the ammeter's scale starts below 0).
  n.zero = static_cast<int>(std::lround(angle_of(d, 0) * 180 / kPi));
  n.one = d.sweep / (d.to - d.from);
  return n;
}

struct LampDef {
  const char* key;
  const char* label;
  std::uint32_t colour;
};

// A digit strip: pattern k shows k in seven-segment style (blank below 10 for the tens).
void draw_digits(cairo_t* cr, int columns, int w, int h) {
  for (int k = 0; k < 200; ++k) {
    const int x0 = (k % columns) * w, y0 = (k / columns) * h;
    cairo_rectangle(cr, x0, y0, w, h);
    cairo_set_source_rgb(cr, 0.05, 0.06, 0.05);
    cairo_fill(cr);
    char text[8];
    std::snprintf(text, sizeof text, "%3d", k);
    cairo_select_font_face(cr, "IPAGothic", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, h * 0.8);
    cairo_text_extents_t e;
    cairo_text_extents(cr, "888", &e);
    cairo_move_to(cr, x0 + w - e.width - e.x_bearing - 4, y0 + h * 0.82);
    cairo_set_source_rgb(cr, 0.15, 1.0, 0.35);
    cairo_show_text(cr, text);
  }
}

}  // namespace

PanelLayout draw_panel(const PanelDesign& design, const std::filesystem::path& data_dir) {
  PanelLayout L;
  const std::filesystem::path dir = data_dir / "cab" / design.key;
  const std::string rel = "cab\\" + design.key + "\\";

  // The desk's rows, px on the cab surface: the lamp row just below the film, then the
  // dials and strips down to 774. The window shows the surface to 778, and the cab sway
  // moves the desk by up to 3 px either way, so every row keeps a few px from both edges.
  const int lamp_w = 36, lamp_h = 18, lamp_pitch = 41;
  const int lamp_y = kPanelTop + 4;
  const int dials_top = lamp_y + lamp_h + 4;  // the highest rim
  const int dials_bottom = 774;               // the lowest rim or strip ends above it

  // The speedometer's unit sits above the hub: below it is the digital speed's box.
  const int speed_cy = (dials_top + dials_bottom) / 2;
  const Dial speed{400, speed_cy, 68, 0, static_cast<double>(design.speed_max), -135, 270, "km/h",
                   design.speed_max > 130 ? 20 : 10, 5, true};
  const Dial air1{184, 690, 56, 0, 1000, -135, 270, "MR/BC kPa", 200, 50};
  // Low in the gap between the air gauge and the speedometer, whose rims part downwards.
  const Dial erbp{286, dials_bottom - 33 - 5, 33, 0, 700, -135, 270, "ER/BP", 200, 50};
  const Dial amps{576, dials_top + 56, 51, -500, 1000, -90, 225, "A", 250, 125};
  // The right-hand gauges, one above the other, end short of the column the
  // remaining-distance board slides down (it reaches 30 px into the desk at a stop, and
  // further on an overrun).
  const int right_r = 31, right_cx = kDeskRightEdge - right_r - 5;
  const Dial volts{right_cx, dials_top + right_r + 5, right_r, 0, 2000, -120, 240, "V", 1000, 250};
  const Dial brake_cmd{right_cx, dials_bottom - right_r - 5, right_r, 0, 5, -120, 240, "B", 1, 1};

  const std::vector<LampDef> lamp_defs = {
      {"Lamp_Door", "戸閉", 0x30e060},  {"Lamp_Power", "力行", 0xf0d020},
      {"Lamp_EB", "非常", 0xff3020},    {"Lamp_Gen", "電制", 0xf0a020},
      {"Lamp_Air", "常用", 0xf0f0f0},   {"Lamp_Fin", "ノッチ", 0xa0e0ff},
      {"Lamp_Ele", "電気", 0x30e060},   {"Lamp_Ats1", "ATS", 0xf0f0f0},
      {"Lamp_Ats2", "ATS", 0xff3020},   {"Lamp_Ats3", "確認", 0xf0d020},
      {"Lamp_ATSP1", design.ats_p ? "P電源" : "P", 0xf0f0f0},
      {"Lamp_ATSP2", design.ats_p ? "ブレーキ" : "P", 0xff3020},
      {"Lamp_Fwd", "前", 0xf0f0f0},     {"Lamp_Neut", "切", 0xf0f0f0},
      {"Lamp_Back", "後", 0xf0f0f0},    {"Lamp_Const", "定速", 0x30e060},
      {"Lamp_Stop", "停通", 0xff3020},
  };
  std::vector<std::pair<const LampDef*, Placed>> lamp_places;
  for (std::size_t i = 0; i < lamp_defs.size(); ++i) {
    const int x = 8 + static_cast<int>(i) * lamp_pitch;
    const std::string file = rel + "lamp_" + std::to_string(i) + ".png";
    lamp_places.push_back({&lamp_defs[i], {file, x, lamp_y, lamp_w, lamp_h}});
  }

  // The desk. An unlit lamp shows its caption dimly in its own glass: the lit picture
  // covers it with the same caption, so the row needs no line of captions below it.
  draw_keyed(dir / "panel.png", 800, kPanelHeight, [&](cairo_t* cr) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, kPanelHeight);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.30, 0.34, 0.34);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.18, 0.20, 0.21);
    cairo_rectangle(cr, 0, 0, 800, kPanelHeight);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    cairo_rectangle(cr, 0, 0, 800, 3);
    cairo_set_source_rgb(cr, 0.12, 0.12, 0.13);
    cairo_fill(cr);
    for (const auto& [def, at] : lamp_places) {
      const double x = at.x, y = at.y - kPanelTop;
      cairo_rectangle(cr, x - 1, y - 1, lamp_w + 2, lamp_h + 2);
      cairo_set_source_rgb(cr, 0.08, 0.08, 0.08);
      cairo_fill(cr);
      cairo_rectangle(cr, x, y, lamp_w, lamp_h);
      fill_rgb(cr, 0x2a2c2c);
      cairo_fill(cr);
      cairo_set_source_rgb(cr, 0.55, 0.56, 0.56);
      text_at(cr, def->label, x + lamp_w / 2.0, y + lamp_h / 2.0, 11, true, true, lamp_w - 3);
    }
    dial_face(cr, speed);
    dial_face(cr, air1);
    if (design.aab) dial_face(cr, erbp);
    if (!design.diesel) {
      dial_face(cr, amps);
      dial_face(cr, volts);
    }
    if (!design.aab) dial_face(cr, brake_cmd);
  });
  L.panel = {rel + "panel.png", 0, kPanelTop, 800, kPanelHeight};

  // Inside tunnels the dark windscreen mirrors the lit desk: the lamp row as faint marks
  // at the glass's lower edge, below the texts drawn low on the film, and nothing else of
  // the view is covered.
  draw_keyed(dir / "panel2.png", 800, kPanelTop, [&](cairo_t* cr) {
    const double mirror = kPanelTop - 4;  // px: the reflections' lower edge
    for (const auto& [def, at] : lamp_places) {
      cairo_rectangle(cr, at.x + 3, mirror - 4, lamp_w - 6, 4);
      fill_rgb(cr, 0x2a2e32);
      cairo_fill(cr);
    }
  });
  L.panel2 = {rel + "panel2.png", 0, 0, 800, kPanelTop};

  for (const auto& entry : lamp_places) {
    const LampDef* def = entry.first;
    const Placed& at = entry.second;
    draw_keyed(dir / at.file.substr(at.file.rfind('\\') + 1), lamp_w, lamp_h + 2, [&](cairo_t* cr) {
      cairo_rectangle(cr, 0, 0, lamp_w, lamp_h);
      fill_rgb(cr, def->colour);
      cairo_fill(cr);
      cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
      text_at(cr, def->label, lamp_w / 2.0, lamp_h / 2.0, 11, true, true, lamp_w - 3);
    });
    L.lamps.push_back({def->key, at});
  }
  // The suppression lamp takes the lamp row's last place.
  draw_keyed(dir / "suppress.png", lamp_w, lamp_h + 2, [&](cairo_t* cr) {
    cairo_rectangle(cr, 0, 0, lamp_w, lamp_h);
    fill_rgb(cr, 0xff9020);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    text_at(cr, "抑止", lamp_w / 2.0, lamp_h / 2.0, 11);
  });
  const int suppress_x = 8 + static_cast<int>(lamp_defs.size()) * lamp_pitch;
  L.suppress = {rel + "suppress.png", suppress_x, lamp_y, lamp_w, lamp_h};

  L.speed = needle(dir, rel + "needle_speed.png", speed, 4, 0.92, 0xf4f4f4);
  L.bc = needle(dir, rel + "needle_bc.png", air1, 3, 0.85, 0xf0f0f0);
  L.mr = needle(dir, rel + "needle_mr.png", air1, 3, 0.7, 0xff4030);
  if (design.aab) {
    L.er = needle(dir, rel + "needle_er.png", erbp, 2.5, 0.85, 0xff4030);
    L.bp = needle(dir, rel + "needle_bp.png", erbp, 2.5, 0.7, 0xf0f0f0);
  }
  if (!design.diesel) {
    L.ammeter = needle(dir, rel + "needle_amp.png", amps, 3, 0.88, 0xf4f4f4);
    L.volt = needle(dir, rel + "needle_volt.png", volts, 2.5, 0.85, 0xf4f4f4);
  }
  if (!design.aab) L.brake_cmd = needle(dir, rel + "needle_brake.png", brake_cmd, 2.5, 0.85, 0xffc020);

  // Notch strips: a row of cells, the current notch lit; the two rows below the ammeter.
  const auto notch_strip = [&](const std::string& name, int cells, bool brake, int x, int y) {
    const int cw = 20, h = 16, w = cw * cells;
    draw_keyed(dir / name, w * (cells + 1), h, [&](cairo_t* cr) {
      for (int p = 0; p <= cells; ++p)
        for (int c = 0; c < cells; ++c) {
          const bool lit = c < p;
          const bool emergency = brake && p == cells && cells > 1;
          cairo_rectangle(cr, p * w + c * cw + 1, 1, cw - 2, h - 2);
          if (!lit)
            fill_rgb(cr, 0x303232);
          else if (emergency)
            fill_rgb(cr, 0xff2010);
          else
            fill_rgb(cr, brake ? 0xff7040 : 0x40d0ff);
          cairo_fill(cr);
        }
    });
    return StripPlace{rel + name, x, y, w, h};
  };
  L.notch_p = notch_strip("notch_p.png", design.power, false, 484, dials_bottom - 34);
  L.notch_b = notch_strip("notch_b.png", design.aab ? 5 : design.brake, true, 484, dials_bottom - 17);

  // Inside the speedometer, below its hub, between the scale's two ends and their figures.
  const int digits_w = 56, digits_h = 20;
  L.digits = {rel + "digits.png", speed.cx - digits_w / 2, speed.cy + 39, digits_w, digits_h};
  draw_keyed(dir / "digits.png", digits_w * 10, digits_h * 20,
             [&](cairo_t* cr) { draw_digits(cr, 10, digits_w, digits_h); });

  if (design.diesel) {
    // In the ammeter's place, which a diesel has not.
    const char* names[] = {"中立", "変速", "直結1", "直結2", "直結3", "直結4"};
    const int gw = 64, gh = 22;
    const int count = std::max(2, design.gears);
    draw_keyed(dir / "gear.png", gw * count, gh, [&](cairo_t* cr) {
      for (int g = 0; g < count; ++g) {
        cairo_rectangle(cr, g * gw + 1, 1, gw - 2, gh - 2);
        fill_rgb(cr, g == 0 ? 0x404444 : 0x30c060);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
        text_at(cr, names[g], g * gw + gw / 2.0, gh / 2.0, 12);
      }
    });
    L.gear = {rel + "gear.png", amps.cx - gw / 2, dials_top + 10, gw, gh};
    draw_keyed(dir / "gear_lever.png", gw * 6, gh, [&](cairo_t* cr) {
      for (int g = 0; g < 6; ++g) {
        cairo_rectangle(cr, g * gw + 1, 1, gw - 2, gh - 2);
        fill_rgb(cr, 0xd0d0c0);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
        text_at(cr, names[g], g * gw + gw / 2.0, gh / 2.0, 12);
      }
    });
    L.gear_lever = {rel + "gear_lever.png", amps.cx - gw / 2, dials_top + 36, gw, gh};
  }
  if (!design.cab_signal_speeds.empty()) {
    const int cs = 56;
    const int n = static_cast<int>(design.cab_signal_speeds.size());
    draw_keyed(dir / "cab_signal.png", cs * n, cs, [&](cairo_t* cr) {
      for (int i = 0; i < n; ++i) {
        const int v = design.cab_signal_speeds[static_cast<std::size_t>(i)];
        cairo_rectangle(cr, i * cs + 2, 2, cs - 4, cs - 4);
        cairo_set_source_rgb(cr, 0.05, 0.05, 0.06);
        cairo_fill(cr);
        cairo_arc(cr, i * cs + cs / 2.0, cs / 2.0, cs * 0.38, 0, 2 * kPi);
        fill_rgb(cr, v == 0 ? 0xff2010 : 0xffb020);
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
        fill_rgb(cr, v == 0 ? 0xff2010 : 0xffe060);
        text_at(cr, v == 0 ? "×" : std::to_string(v), i * cs + cs / 2.0, cs / 2.0, cs * 0.36);
      }
    });
    // In the voltmeter's place, which a diesel has not.
    L.cab_signal = {rel + "cab_signal.png", volts.cx - cs / 2, volts.cy - cs / 2, cs, cs};
  }

  // Extra pictures by slot: door-side lamps, the door-side picture, the engine lamp, the
  // announcement picture, the protection-type lamp and two always-shown plates.
  const char* other_text[] = {"左扉", "右扉", "扉選択", "機関", "案内", "ATS-P", design.title.c_str(), "運転士"};
  const std::uint32_t other_colour[] = {0xffa020, 0xffa020, 0xa0d0ff, 0x30e060, 0xf0f0f0, 0x40a0ff, 0xb0b0a8, 0xb0b0a8};
  for (int i = 0; i < 8; ++i) {
    const std::string name = "other_" + std::to_string(i) + ".png";
    const int w = i >= 6 ? 110 : 44, h = 18;
    draw_keyed(dir / name, w, h + 2, [&](cairo_t* cr) {
      cairo_rectangle(cr, 0, 0, w, h);
      fill_rgb(cr, other_colour[i]);
      cairo_fill(cr);
      cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
      text_at(cr, other_text[i], w / 2.0, h / 2.0, 11, true, true, w - 4);
    });
    // Left of the air gauge: the two plates on top, below them slots 0 to 5 in pairs (the
    // two door sides side by side).
    const int x = i < 6 ? 8 + (i % 2) * 66 : 8;
    const int y = i < 6 ? dials_top + 64 + (i / 2) * 24 : dials_top + 4 + (i - 6) * 24;
    L.others.push_back({rel + name, x, y, w, h});
  }
  return L;
}

}  // namespace velmora::demo
