// CSV tracks: one fix per line, time, latitude, longitude and optionally elevation (m)
// and the receiver's speed (m/s). A first line of column names chooses the columns by
// name instead (time, lat, lon, ele, speed in m/s or speed_kmh; others are ignored).
// Times are ISO 8601 (UTC unless a zone is given) or plain seconds; commas, semicolons
// or tabs separate the fields; lines starting with # are comments.

#include <map>
#include <optional>
#include <string>

#include "track.h"

namespace velmora::author {
namespace {

enum Column { kTime, kLat, kLon, kEle, kSpeed, kSpeedKmh };

const std::map<std::string, Column>& column_names() {
  static const std::map<std::string, Column> names = {
      {"time", kTime},        {"timestamp", kTime},   {"datetime", kTime},
      {"date_time", kTime},   {"utc", kTime},         {"t", kTime},
      {"lat", kLat},          {"latitude", kLat},     {"lon", kLon},
      {"lng", kLon},          {"long", kLon},         {"longitude", kLon},
      {"ele", kEle},          {"elevation", kEle},    {"alt", kEle},
      {"altitude", kEle},     {"speed", kSpeed},      {"speed_ms", kSpeed},
      {"speed_m/s", kSpeed},  {"speed_kmh", kSpeedKmh}, {"speed_km/h", kSpeedKmh}};
  return names;
}

std::string clean(std::string s) {
  const std::size_t a = s.find_first_not_of(" \t\"");
  if (a == std::string::npos) return {};
  s = s.substr(a, s.find_last_not_of(" \t\"") - a + 1);
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// A cell's text: blanks around and one pair of quotes taken off.
std::string unquoted(std::string s) {
  const std::size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return {};
  s = s.substr(a, s.find_last_not_of(" \t") - a + 1);
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  return s;
}

std::vector<std::string> split(std::string_view line, char separator) {
  std::vector<std::string> out(1);
  for (char c : line) {
    if (c == separator) out.emplace_back();
    else out.back() += c;
  }
  for (std::string& cell : out) cell = unquoted(cell);
  return out;
}

const char* const kColumnWords[] = {"time", "latitude", "longitude", "elevation", "speed", "speed"};

}  // namespace

Track read_csv_track(std::string_view text) {
  std::map<Column, std::size_t> where = {{kTime, 0}, {kLat, 1}, {kLon, 2}, {kEle, 3}, {kSpeed, 4}};
  std::optional<char> separator;
  std::optional<bool> iso;  // the times are ISO 8601 (else plain seconds)
  bool first = true;
  std::vector<TrackPoint> points;
  int line = 0;
  for (const TextLine& text_line : text_lines(text)) {
    line = text_line.number;
    std::string_view l = text_line.text;
    if (l.empty() || l[0] == '#') continue;
    if (!separator)
      separator = l.find(',') != std::string_view::npos   ? ','
                  : l.find(';') != std::string_view::npos ? ';'
                                                          : '\t';
    const std::vector<std::string> fields = split(l, *separator);
    if (first) {
      first = false;
      const std::string head = clean(fields[0]);
      if (!parse_number(head) && !parse_iso_time(fields[0])) {
        // A line of column names.
        where.clear();
        for (std::size_t k = 0; k < fields.size(); ++k) {
          const auto it = column_names().find(clean(fields[k]));
          if (it != column_names().end() && where.count(it->second) == 0) where[it->second] = k;
        }
        for (Column c : {kTime, kLat, kLon})
          if (where.count(c) == 0)
            throw TrackError(line, std::string("the column names hold no ") + kColumnWords[c] +
                                       " column (time, lat and lon are needed)");
        continue;
      }
    }
    TrackPoint p;
    p.line = line;
    const auto cell = [&](Column c) -> std::optional<std::string> {
      const auto it = where.find(c);
      if (it == where.end() || it->second >= fields.size()) return std::nullopt;
      return fields[it->second];
    };
    const auto required = [&](Column c) {
      const std::optional<std::string> v = cell(c);
      if (!v || clean(*v).empty())
        throw TrackError(line, std::string("the ") + kColumnWords[c] + " is missing");
      return *v;
    };
    const auto number = [&](Column c, const std::string& v) {
      const std::optional<double> n = parse_number(v);
      if (!n) throw TrackError(line, std::string("the ") + kColumnWords[c] + " \"" + v + "\" is not a number");
      return *n;
    };
    const std::string time = required(kTime);
    const std::optional<double> as_iso = parse_iso_time(time);
    const std::optional<double> as_seconds = as_iso ? std::nullopt : parse_number(time);
    if (!as_iso && !as_seconds)
      throw TrackError(line, "the time \"" + time +
                                 "\" is neither an ISO 8601 time (2024-05-01T10:00:00Z) nor seconds");
    if (iso && *iso != as_iso.has_value())
      throw TrackError(line, "the time \"" + time + "\" is written unlike the times above it");
    iso = as_iso.has_value();
    p.time = as_iso ? *as_iso : *as_seconds;
    p.lat = number(kLat, required(kLat));
    p.lon = number(kLon, required(kLon));
    if (const std::optional<std::string> e = cell(kEle); e && !clean(*e).empty()) p.ele = number(kEle, *e);
    if (const std::optional<std::string> v = cell(kSpeed); v && !clean(*v).empty())
      p.speed = number(kSpeed, *v) * 3.6;
    if (const std::optional<std::string> v = cell(kSpeedKmh); v && !clean(*v).empty())
      p.speed = number(kSpeedKmh, *v);
    points.push_back(p);
  }
  if (points.empty()) throw TrackError(0, "the file holds no fix (a line of time, lat, lon)");
  return finish_track(std::move(points), iso.value_or(false) ? TrackClock::utc : TrackClock::relative, {});
}

}  // namespace velmora::author
