#include "report/report_html.h"

#include <cmath>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

#include "report/report_json.h"
#include "report/report_text.h"
#include "report/run_curve.h"

namespace velmora {
namespace {

constexpr int kTicksPerSecond = 30;
constexpr std::string_view kNone = "—";

// Written so the page is well-formed XML as well as HTML: no "<" or "&" in the style, every
// element closed, so a plain XML parser can check it.
constexpr std::string_view kStyle =
    "body{font-family:\"IPAGothic\",\"IPAPGothic\",\"Noto Sans CJK JP\",sans-serif;"
    "color:#222;background:#fff;max-width:1240px;margin:1.5em auto;padding:0 1em}\n"
    "h1{font-size:1.6em;margin:0 0 .2em}\n"
    "h2{font-size:1.2em;border-bottom:2px solid #ccd;padding-bottom:.2em;margin-top:1.6em}\n"
    ".score{font-size:2.4em;font-weight:bold;margin:.2em 0 .4em}\n"
    "table{border-collapse:collapse;margin:.5em 0}\n"
    "th,td{border:1px solid #ccc;padding:.25em .6em;text-align:left}\n"
    "th{background:#f0f2f6;font-weight:normal}\n"
    "td.n{text-align:right;font-variant-numeric:tabular-nums}\n"
    ".bad{color:#c00}\n"
    ".curve svg{max-width:100%;height:auto}\n";

// Names come from the users' data files: anything in them must stay text.
std::string escaped(std::string_view text) {
  std::string out;
  for (const char c : clean_text(text)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string clock_or_none(std::optional<int> ticks) {
  return ticks ? clock_text(*ticks) : std::string(kNone);
}

std::string km(long double cm) { return fixed_text(cm / 100000, 3); }

// Minutes and seconds to a tenth ("12分04.5秒"), rounded once so 59.96 s is "1分00.0秒".
std::string duration(long double ms) {
  if (!std::isfinite(ms) || ms < 0) return std::string(kNone);
  const long long tenths = std::llround(ms / 100);
  const long long minutes = tenths / 600, rest = tenths % 600;
  std::string seconds = fixed_text(rest / 10.0L, 1);
  if (rest < 100) seconds.insert(0, "0");
  return std::to_string(minutes) + "分" + seconds + "秒";
}

struct Cell {
  std::string text;
  bool number = false;
  bool bad = false;
};

Cell word(std::string text, bool bad = false) { return {std::move(text), false, bad}; }
Cell number(std::string text, bool bad = false) { return {std::move(text), true, bad}; }

void table(std::string& out, std::initializer_list<std::string_view> heads,
           const std::vector<std::vector<Cell>>& rows) {
  out += "<table>\n<tr>";
  for (const std::string_view h : heads) out += "<th>" + escaped(h) + "</th>";
  out += "</tr>\n";
  for (const auto& row : rows) {
    out += "<tr>";
    for (const Cell& c : row) {
      const std::string classes =
          std::string(c.number ? "n" : "") + (c.number && c.bad ? " " : "") + (c.bad ? "bad" : "");
      out += classes.empty() ? "<td>" : "<td class=\"" + classes + "\">";
      out += escaped(c.text) + "</td>";
    }
    out += "</tr>\n";
  }
  out += "</table>\n";
}

// Name and value pairs, one a row.
void facts(std::string& out, const std::vector<std::pair<std::string_view, std::string>>& rows) {
  out += "<table>\n";
  for (const auto& [name, value] : rows)
    out += "<tr><th>" + escaped(name) + "</th><td>" + escaped(value) + "</td></tr>\n";
  out += "</table>\n";
}

void heading(std::string& out, std::string_view text) { out += "<h2>" + escaped(text) + "</h2>\n"; }

void paragraph(std::string& out, std::string_view text) { out += "<p>" + escaped(text) + "</p>\n"; }

void head(std::string& out, const RunReport& r) {
  const std::string title = (r.line_name.empty() ? std::string() : r.line_name + "　") + "運転記録";
  out += "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\"/>\n";
  out += "<title>" + escaped(title) + "</title>\n<style>\n";
  out += kStyle;
  out += "</style>\n</head>\n<body>\n<h1>" + escaped(title) + "</h1>\n";
  out +=
      "<p class=\"score\">" + escaped("得点 " + fixed_text(r.score.total, 1) + " / 100") + "</p>\n";
  facts(out, {{"路線ファイル", r.route_file},
              {"車両ファイル", r.vehicle_file},
              {"乱数の種", std::to_string(r.seed)},
              {"フレーム数", std::to_string(r.frames)}});
}

void score_lines(std::string& out, const Score& score) {
  heading(out, "減点");
  if (score.lines.empty()) {
    paragraph(out, "減点はありません。得点は100点から何も引かれていません。");
    return;
  }
  std::vector<std::vector<Cell>> rows;
  long double sum = 0;
  for (const ScoreLine& l : score.lines) {
    rows.push_back({word(l.rule), word(l.counted), number(fixed_text(l.points, 1))});
    sum += l.points;
  }
  table(out, {"項目", "内容", "減点"}, rows);
  paragraph(out, "得点は100点からこれらの減点（合計 " + fixed_text(sum, 1) +
                     " 点）を引いたものです。0点より下にはなりません。");
}

std::string station_notes(const StationRecord& s) {
  std::string notes;
  const auto note = [&](std::string_view n) {
    if (!notes.empty()) notes += "、";
    notes += n;
  };
  if (s.start) note("始発");
  if (!s.stops) note("通過駅");
  if (s.overrun) note("行き過ぎ");
  if (s.stop_back) note("後退して停止位置を修正");
  if (s.missed) note("停車駅を通過");
  return notes;
}

void stations(std::string& out, const RunLog& log) {
  heading(out, "駅");
  if (log.stations.empty()) {
    paragraph(out, "駅の記録はありません。");
    return;
  }
  std::vector<std::vector<Cell>> rows;
  for (const StationRecord& s : log.stations) {
    const bool timetabled = s.deptime > 0;
    Cell delay = number(std::string(kNone));
    if (timetabled && s.departure_ticks)
      delay = number(signed_text(
          static_cast<long double>(*s.departure_ticks - s.deptime) / kTicksPerSecond, 1));
    Cell error = number(std::string(kNone)), zone = word(std::string(kNone));
    if (s.stop_error_cm) {
      error = number(signed_text(*s.stop_error_cm / 100, 2), !s.in_zone);
      zone = word(s.in_zone ? "範囲内" : "範囲外", !s.in_zone);
    }
    rows.push_back(
        {word(s.name), number(timetabled ? clock_text(s.deptime) : std::string(kNone)),
         number(clock_or_none(s.arrival_ticks)), number(clock_or_none(s.departure_ticks)), delay,
         error, zone,
         number(s.doors_open_ms > 0 ? fixed_text(s.doors_open_ms / 1000, 1) : std::string(kNone)),
         word(station_notes(s), s.overrun || s.missed)});
  }
  table(out,
        {"駅", "時刻表の発車", "到着", "発車", "発車の遅れ (秒)", "停止位置 (m)", "停止範囲",
         "ドア開 (秒)", "備考"},
        rows);
}

void over_speeds(std::string& out, const RunLog& log) {
  heading(out, "速度超過");
  if (log.over_speeds.empty()) {
    paragraph(out, "速度超過はありません。");
    return;
  }
  std::vector<std::vector<Cell>> rows;
  for (const OverSpeed& o : log.over_speeds)
    rows.push_back({number(km(o.from_cm) + "–" + km(o.to_cm)), number(clock_text(o.start_ticks)),
                    number(fixed_text(o.ms / 1000, 1)),
                    number(fixed_text(std::fabs(o.to_cm - o.from_cm) / 100, 1)),
                    number(std::to_string(o.limit_kmh)), word(limit_kind_text(o.limit_kind)),
                    number(fixed_text(o.max_over_kmh, 1), true)});
  table(out,
        {"区間 (km)", "時刻", "時間 (秒)", "距離 (m)", "制限 (km/h)", "制限の種類",
         "最大超過 (km/h)"},
        rows);
}

void protection(std::string& out, const RunLog& log) {
  heading(out, "保安装置");
  if (log.protection.empty()) {
    paragraph(out, "保安装置の動作はありません。");
    return;
  }
  std::vector<std::vector<Cell>> rows;
  for (const ProtectionMark& m : log.protection)
    rows.push_back(
        {number(clock_text(m.ticks)), number(km(m.position_cm)), number(fixed_text(m.speed_kmh, 1)),
         word(protection_kind_text(m.kind), serious_protection_kind(m.kind)), word(m.detail)});
  table(out, {"時刻", "位置 (km)", "速度 (km/h)", "種類", "詳細"}, rows);
}

void comfort_and_totals(std::string& out, const RunLog& log) {
  heading(out, "乗り心地と合計");
  const RunComfort& c = log.comfort;
  const RunTotals& t = log.totals;
  std::vector<std::pair<std::string_view, std::string>> rows{
      {"最大減速度", fixed_text(c.max_decel_kmhs, 2) + " km/h/s"},
      {"最大加加速度", fixed_text(c.max_jerk_kmhs2, 2) + " km/h/s²"},
      {"走行中の非常ブレーキ", std::to_string(c.emergency_applications) + " 回"},
      {"走行中の常用最大ブレーキ", std::to_string(c.full_service_applications) + " 回"},
      {"走行距離", km(t.distance_cm) + " km"},
      {"運転時間", duration(t.run_ms)},
      {"時刻", clock_text(t.start_ticks) + "–" + clock_text(t.end_ticks)},
      {"力行エネルギー (車輪)", fixed_text(t.energy_j / 3.6e6L, 2) + " kWh"}};
  // Only where the vehicle's model has a motor current.
  if (t.peak_current_a != 0)
    rows.push_back({"最大モーター電流", std::to_string(t.peak_current_a) + " A"});
  facts(out, rows);
}

}  // namespace

std::string report_html(const RunReport& report) {
  std::string out;
  head(out, report);
  score_lines(out, report.score);
  stations(out, report.log);
  over_speeds(out, report.log);
  protection(out, report.log);
  comfort_and_totals(out, report.log);
  heading(out, "運転曲線");
  // The SVG is cairo's own markup, drawn from the same report: it holds glyph outlines, no
  // text of the user's, so it goes in as it is.
  out += "<div class=\"curve\">\n" + run_curve_svg(report) + "</div>\n";
  out += "</body>\n</html>\n";
  return out;
}

}  // namespace velmora
