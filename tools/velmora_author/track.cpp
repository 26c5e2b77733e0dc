#include "track.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace velmora::author {
namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Exactly `n` digits at `at`; -1 when they are not there.
int digits(std::string_view s, std::size_t at, std::size_t n) {
  if (at + n > s.size()) return -1;
  int v = 0;
  for (std::size_t i = at; i < at + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return -1;
    v = v * 10 + (s[i] - '0');
  }
  return v;
}

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

std::optional<double> parse_number(std::string_view text) {
  std::string_view s = trimmed(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty() || s.front() == '+' || s.front() == ' ') return std::nullopt;
  double v = 0;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (error != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

long long days_from_civil(int year, int month, int day) {
  // Counts in 400-year eras from 0000-03-01, so February's length needs no table.
  const long long y = year - (month <= 2 ? 1 : 0);
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

std::optional<double> parse_iso_time(std::string_view text) {
  const std::string_view s = trimmed(text);
  const int year = digits(s, 0, 4), month = digits(s, 5, 2), day = digits(s, 8, 2);
  if (year < 0 || month < 1 || month > 12 || day < 1 || day > 31 || s.size() < 19) return std::nullopt;
  if (s[4] != '-' || s[7] != '-' || (s[10] != 'T' && s[10] != 't' && s[10] != ' ')) return std::nullopt;
  const int hour = digits(s, 11, 2), minute = digits(s, 14, 2), second = digits(s, 17, 2);
  if (s[13] != ':' || s[16] != ':' || hour < 0 || hour > 24 || minute < 0 || minute > 59 ||
      second < 0 || second > 60)
    return std::nullopt;
  double t = static_cast<double>(days_from_civil(year, month, day)) * 86400.0 + hour * 3600.0 +
             minute * 60.0 + second;
  std::size_t at = 19;
  if (at < s.size() && (s[at] == '.' || s[at] == ',')) {
    double scale = 0.1;
    std::size_t i = at + 1;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, scale /= 10) t += (s[i] - '0') * scale;
    if (i == at + 1) return std::nullopt;
    at = i;
  }
  if (at == s.size()) return t;
  if ((s[at] == 'Z' || s[at] == 'z') && at + 1 == s.size()) return t;
  if (s[at] != '+' && s[at] != '-') return std::nullopt;
  const int sign = s[at] == '+' ? 1 : -1;
  const int zh = digits(s, at + 1, 2);
  int zm = 0;
  if (zh < 0 || zh > 14) return std::nullopt;
  if (at + 3 == s.size()) {
    zm = 0;
  } else if (at + 6 == s.size() && s[at + 3] == ':') {
    zm = digits(s, at + 4, 2);
  } else if (at + 5 == s.size()) {
    zm = digits(s, at + 3, 2);
  } else {
    return std::nullopt;
  }
  if (zm < 0 || zm > 59) return std::nullopt;
  // A local time ahead of UTC is earlier in UTC.
  return t - sign * (zh * 3600.0 + zm * 60.0);
}

std::vector<TextLine> text_lines(std::string_view text) {
  std::vector<TextLine> lines;
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::string_view l = text.substr(at, end - at);
    at = end + 1;
    while (!l.empty() && (l.back() == '\r' || l.back() == ' ' || l.back() == '\t')) l.remove_suffix(1);
    if (lines.empty() && l.substr(0, 3) == "\xef\xbb\xbf") l.remove_prefix(3);
    lines.push_back({static_cast<int>(lines.size()) + 1, l});
  }
  return lines;
}

std::string time_text(double seconds) {
  long long s = static_cast<long long>(std::floor(seconds));
  s = ((s % 86400) + 86400) % 86400;
  char text[16];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
  return text;
}

Track finish_track(std::vector<TrackPoint> points, TrackClock clock, std::vector<std::string> notes) {
  Track track;
  track.clock = clock;
  track.notes = std::move(notes);
  int repeated = 0;
  for (TrackPoint& p : points) {
    // About 3000 years either side of 1970: any receiver's clock, and room for sums of times.
    if (!(std::fabs(p.time) < 1e11))
      throw TrackError(p.line, "the time " + std::to_string(p.time) + " s lies beyond any date a receiver gives");
    if (!(p.lat >= -90 && p.lat <= 90) || !(p.lon >= -180 && p.lon <= 180))
      throw TrackError(p.line, "the place " + std::to_string(p.lat) + ", " + std::to_string(p.lon) +
                                   " is not on the globe (latitude -90 to 90, longitude -180 to 180)");
    if (!std::isnan(p.speed) && !(p.speed >= 0 && p.speed < 2000))
      throw TrackError(p.line, "the speed " + std::to_string(p.speed) + " km/h cannot be a train's");
    if (!track.points.empty()) {
      const TrackPoint& last = track.points.back();
      if (p.time < last.time)
        throw TrackError(p.line, "the time goes back, from " + time_text(last.time) + " (line " +
                                     std::to_string(last.line) + ") to " + time_text(p.time) +
                                     "; the fixes must be in time order");
      if (p.time == last.time) {
        ++repeated;
        continue;
      }
    }
    track.points.push_back(p);
  }
  if (track.points.size() < 2)
    throw TrackError(0, "the track holds " + std::to_string(track.points.size()) +
                            " fix" + (track.points.size() == 1 ? "" : "es") +
                            " with a time; it needs at least two");
  if (repeated > 0)
    track.notes.push_back(std::to_string(repeated) + " fix" + (repeated == 1 ? "" : "es") +
                          " repeating the time of the one before left out");
  return track;
}

Track read_track_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw TrackError(0, "cannot be read");
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::string ext = lower(path.extension().string());
  if (ext == ".gpx") return read_gpx(text);
  if (ext == ".nmea" || ext == ".nma" || ext == ".log") return read_nmea(text);
  if (ext == ".csv") return read_csv_track(text);
  const std::size_t first = text.find_first_not_of(" \t\r\n\xef\xbb\xbf");
  if (first != std::string::npos && text[first] == '<') return read_gpx(text);
  if (first != std::string::npos && text[first] == '$') return read_nmea(text);
  return read_csv_track(text);
}

}  // namespace velmora::author
