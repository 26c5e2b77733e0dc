#include "report/report_json.h"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace velmora {
namespace {

std::string fixed(long double value, int decimals) {
  const long double scale = std::pow(10.0L, decimals);
  long double rounded = std::round(value * scale) / scale;
  if (rounded == 0) rounded = 0;  // never "-0.0"
  char text[64];
  std::snprintf(text, sizeof text, "%.*Lf", decimals, rounded);
  return text;
}

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", u);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string clock_or_null(const std::optional<int>& ticks) {
  return ticks ? quoted(clock_text(*ticks)) : "null";
}

// Writes "key": value pairs separated by commas, one object per call of open/close.
class Writer {
 public:
  void open(const std::string& key, char bracket) {
    comma();
    if (!key.empty()) out_ << quoted(key) << ": ";
    out_ << bracket;
    first_ = true;
  }
  void close(char bracket) {
    out_ << bracket;
    first_ = false;
  }
  void value(const std::string& key, const std::string& json) {
    comma();
    out_ << quoted(key) << ": " << json;
  }
  void text(const std::string& key, const std::string& v) { value(key, quoted(v)); }
  void number(const std::string& key, long double v, int decimals) {
    value(key, fixed(v, decimals));
  }
  void flag(const std::string& key, bool v) { value(key, v ? "true" : "false"); }
  std::string str() const { return out_.str(); }

 private:
  void comma() {
    if (!first_) out_ << ", ";
    first_ = false;
  }
  std::ostringstream out_;
  bool first_ = true;
};

void stations(Writer& w, const RunLog& log) {
  w.open("stations", '[');
  for (const StationRecord& s : log.stations) {
    w.open("", '{');
    w.number("index", s.index, 0);
    w.text("name", s.name);
    w.flag("stops", s.stops);
    w.flag("start", s.start);
    w.number("position_m", s.position_cm / 100, 2);
    w.value("timetable_departure", s.deptime ? quoted(clock_text(s.deptime)) : "null");
    w.value("arrival", clock_or_null(s.arrival_ticks));
    w.value("departure", clock_or_null(s.departure_ticks));
    w.value("arrival_after_departure_time_s", s.deptime && s.arrival_ticks
                                                  ? fixed((*s.arrival_ticks - s.deptime) / 30.0L, 1)
                                                  : "null");
    w.value("departure_delay_s", s.deptime && s.departure_ticks
                                     ? fixed((*s.departure_ticks - s.deptime) / 30.0L, 1)
                                     : "null");
    w.value("stop_error_cm", s.stop_error_cm ? fixed(*s.stop_error_cm, 0) : "null");
    w.flag("in_zone", s.in_zone);
    w.number("doors_open_s", s.doors_open_ms / 1000, 1);
    w.flag("overrun", s.overrun);
    w.flag("stop_back", s.stop_back);
    w.flag("missed", s.missed);
    w.close('}');
  }
  w.close(']');
}

void over_speeds(Writer& w, const RunLog& log) {
  w.open("over_speed", '[');
  for (const OverSpeed& o : log.over_speeds) {
    w.open("", '{');
    w.number("from_m", o.from_cm / 100, 1);
    w.number("to_m", o.to_cm / 100, 1);
    w.text("clock", clock_text(o.start_ticks));
    w.number("duration_s", o.ms / 1000, 1);
    w.number("distance_m", o.distance_cm / 100, 1);
    w.number("limit_kmh", o.limit_kmh, 0);
    w.text("limit_kind", o.limit_kind);
    w.number("max_over_kmh", o.max_over_kmh, 1);
    w.close('}');
  }
  w.close(']');
}

void protection(Writer& w, const RunLog& log) {
  w.open("protection", '[');
  for (const ProtectionMark& m : log.protection) {
    w.open("", '{');
    w.text("kind", m.kind);
    w.text("clock", clock_text(m.ticks));
    w.number("position_m", m.position_cm / 100, 1);
    w.number("speed_kmh", m.speed_kmh, 1);
    w.text("detail", m.detail);
    w.close('}');
  }
  w.close(']');
  w.open("signals", '[');
  for (const SignalPass& s : log.signals) {
    w.open("", '{');
    w.number("index", s.index, 0);
    w.number("aspect", s.aspect, 0);
    w.text("clock", clock_text(s.ticks));
    w.number("position_m", s.position_cm / 100, 1);
    w.close('}');
  }
  w.close(']');
}

void comfort_and_totals(Writer& w, const RunLog& log) {
  const RunComfort& c = log.comfort;
  w.open("comfort", '{');
  w.number("max_deceleration_kmhs", c.max_decel_kmhs, 2);
  w.number("max_jerk_kmhs2", c.max_jerk_kmhs2, 2);
  w.number("emergency_applications", c.emergency_applications, 0);
  w.number("full_service_applications", c.full_service_applications, 0);
  w.close('}');
  const RunTotals& t = log.totals;
  w.open("totals", '{');
  w.number("distance_m", t.distance_cm / 100, 1);
  w.number("run_s", t.run_ms / 1000, 1);
  w.text("clock_start", clock_text(t.start_ticks));
  w.text("clock_end", clock_text(t.end_ticks));
  w.number("energy_kwh", t.energy_j / 3.6e6L, 3);
  w.number("peak_current_a", t.peak_current_a, 0);
  w.close('}');
}

}  // namespace

std::string clock_text(int ticks) {
  const int s = (ticks < 0 ? 0 : ticks) / 30;
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
  return text;
}

std::string report_json(const RunReport& r) {
  Writer w;
  w.open("", '{');
  w.text("line", r.line_name);
  w.text("route", r.route_file);
  w.text("vehicle", r.vehicle_file);
  w.value("seed", std::to_string(r.seed));
  w.value("frames", std::to_string(r.frames));
  w.open("score", '{');
  w.number("total", r.score.total, 1);
  w.open("lines", '[');
  for (const ScoreLine& l : r.score.lines) {
    w.open("", '{');
    w.text("rule", l.rule);
    w.text("counted", l.counted);
    w.number("points", l.points, 2);
    w.close('}');
  }
  w.close(']');
  w.close('}');
  stations(w, r.log);
  over_speeds(w, r.log);
  protection(w, r.log);
  comfort_and_totals(w, r.log);
  w.close('}');
  return w.str() + "\n";
}

}  // namespace velmora
