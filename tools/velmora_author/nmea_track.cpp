// NMEA 0183 logs: RMC sentences (time, place, speed in knots, date) and GGA sentences
// (time, place, elevation), from any talker ($GP, $GN, $GL, $GA, $BD). Sentences of one
// time make one fix. Sentences without a fix (RMC status V, GGA quality 0) are left out;
// so are sentences whose checksum does not match (damaged in transmission, such as the
// cut-off last line of a log), which the notes count. Any other sentence type is ignored.

#include <optional>
#include <string>

#include "track.h"

namespace velmora::author {
namespace {

constexpr double kKnot = 1.852;  // km/h

std::vector<std::string> split(std::string_view s) {
  std::vector<std::string> out(1);
  for (char c : s) {
    if (c == ',') out.emplace_back();
    else out.back() += c;
  }
  return out;
}

int hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

struct Sentence {
  int line = 0;
  std::string type;  // "RMC", "GGA", ...
  std::vector<std::string> fields;  // after the address field
};

struct Record {
  int line = 0;
  double time_of_day = 0;  // s since midnight UTC
  std::optional<long long> day;  // days since 1970 (RMC only)
  bool has_place = false;
  double lat = 0, lon = 0;
  double ele = std::nan("");
  double speed = std::nan("");
};

class Reader {
 public:
  void sentence(const Sentence& s) {
    if (s.type == "RMC") rmc(s);
    else if (s.type == "GGA") gga(s);
  }
  std::vector<Record>& records() { return records_; }

 private:
  [[noreturn]] static void bad(const Sentence& s, const std::string& what) {
    throw TrackError(s.line, "the " + s.type + " sentence's " + what);
  }

  const std::string& field(const Sentence& s, std::size_t k, const char* name) {
    if (k >= s.fields.size()) bad(s, std::string(name) + " is missing (too few fields)");
    return s.fields[k];
  }

  double time_of(const Sentence& s) {
    const std::string& t = field(s, 0, "time");
    const bool digits = t.size() >= 6 && t.find_first_not_of("0123456789") >= 6 &&
                        (t.size() == 6 || (t[6] == '.' && t.size() > 7 &&
                                           t.find_first_not_of("0123456789", 7) == std::string::npos));
    if (!digits) bad(s, "time \"" + t + "\" is not hhmmss");
    const int hh = std::stoi(t.substr(0, 2)), mm = std::stoi(t.substr(2, 2));
    const double ss = *parse_number(t.substr(4));
    if (hh > 23 || mm > 59 || ss >= 61) bad(s, "time \"" + t + "\" is not a time of day");
    return hh * 3600.0 + mm * 60.0 + ss;
  }

  // ddmm.mmmm (latitude) or dddmm.mmmm (longitude) with its hemisphere letter.
  double angle(const Sentence& s, std::size_t k, const char* name, char positive, char negative) {
    const std::string& text = field(s, k, name);
    const std::string& side = field(s, k + 1, name);
    const std::optional<double> v = parse_number(text);
    if (!v || *v < 0) bad(s, std::string(name) + " \"" + text + "\" is not a number");
    const double degrees = std::floor(*v / 100);
    const double minutes = *v - degrees * 100;
    if (minutes >= 60) bad(s, std::string(name) + " \"" + text + "\" has minutes past 60");
    if (side.size() != 1 || (side[0] != positive && side[0] != negative))
      bad(s, std::string(name) + " has no hemisphere " + positive + " or " + negative);
    return (degrees + minutes / 60) * (side[0] == negative ? -1 : 1);
  }

  // A fix's time and place; the latitude at field `at`, the longitude two fields on.
  Record placed(const Sentence& s, std::size_t at) {
    Record r;
    r.line = s.line;
    r.time_of_day = time_of(s);
    r.lat = angle(s, at, "latitude", 'N', 'S');
    r.lon = angle(s, at + 2, "longitude", 'E', 'W');
    r.has_place = true;
    return r;
  }

  void rmc(const Sentence& s) {
    if (field(s, 1, "status") != "A") return;  // no fix
    if (field(s, 2, "latitude").empty()) return;
    Record r = placed(s, 2);
    const std::string& knots = field(s, 6, "speed");
    if (!knots.empty()) {
      const std::optional<double> v = parse_number(knots);
      if (!v || *v < 0) bad(s, "speed \"" + knots + "\" is not a number of knots");
      r.speed = *v * kKnot;
    }
    const std::string& date = field(s, 8, "date");
    if (date.size() != 6 || date.find_first_not_of("0123456789") != std::string::npos)
      bad(s, "date \"" + date + "\" is not ddmmyy");
    const int dd = std::stoi(date.substr(0, 2)), mo = std::stoi(date.substr(2, 2)),
              yy = std::stoi(date.substr(4, 2));
    if (dd < 1 || dd > 31 || mo < 1 || mo > 12) bad(s, "date \"" + date + "\" is not a date");
    // Two-digit years: receivers of the last century wrote 80..99.
    r.day = days_from_civil(yy >= 80 ? 1900 + yy : 2000 + yy, mo, dd);
    merge(r);
  }

  void gga(const Sentence& s) {
    const std::string& quality = field(s, 5, "fix quality");
    if (quality.empty() || quality == "0") return;  // no fix
    if (field(s, 1, "latitude").empty()) return;
    Record r = placed(s, 1);
    const std::string& altitude = field(s, 8, "altitude");
    if (!altitude.empty()) {
      const std::optional<double> v = parse_number(altitude);
      if (!v) bad(s, "altitude \"" + altitude + "\" is not a number");
      r.ele = *v;
    }
    merge(r);
  }

  // Sentences of the same second describe one fix.
  void merge(const Record& r) {
    if (!records_.empty() && records_.back().time_of_day == r.time_of_day) {
      Record& m = records_.back();
      if (r.day) m.day = r.day;
      if (!std::isnan(r.ele)) m.ele = r.ele;
      if (!std::isnan(r.speed)) m.speed = r.speed;
      return;
    }
    records_.push_back(r);
  }

  std::vector<Record> records_;
};

}  // namespace

Track read_nmea(std::string_view text) {
  Reader reader;
  int line = 0, damaged = 0, first_damaged = 0;
  for (const TextLine& text_line : text_lines(text)) {
    line = text_line.number;
    std::string_view l = text_line.text;
    if (l.empty()) continue;
    if (l[0] != '$' && l[0] != '!')
      throw TrackError(line, "this line is not an NMEA sentence (a sentence starts with $)");
    const std::size_t star = l.rfind('*');
    bool intact = star != std::string_view::npos && star + 3 == l.size();
    if (intact) {
      const int high = hex(l[star + 1]), low = hex(l[star + 2]);
      int sum = 0;
      for (std::size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(l[i]);
      intact = high >= 0 && low >= 0 && sum == high * 16 + low;
    }
    if (!intact) {
      if (damaged++ == 0) first_damaged = line;
      continue;
    }
    std::vector<std::string> fields = split(l.substr(1, star - 1));
    Sentence s;
    s.line = line;
    const std::string& address = fields.front();
    s.type = address.size() >= 3 ? address.substr(address.size() - 3) : address;
    s.fields.assign(fields.begin() + 1, fields.end());
    reader.sentence(s);
  }

  std::vector<std::string> notes;
  if (damaged > 0)
    notes.push_back(std::to_string(damaged) + " sentence" + (damaged == 1 ? "" : "s") +
                    " with a wrong or missing checksum left out (the first at line " +
                    std::to_string(first_damaged) + ")");
  std::vector<Record>& records = reader.records();
  if (records.empty())
    throw TrackError(0, "no RMC or GGA sentence with a fix: the log holds no places");

  // Fixes before the first dated one take its date; the day turns at midnight.
  std::optional<long long> day;
  for (const Record& r : records)
    if (r.day) {
      day = r.day;
      break;
    }
  const bool dated = day.has_value();
  long long current = day.value_or(0);
  double last_tod = records.front().time_of_day;
  std::vector<TrackPoint> points;
  for (const Record& r : records) {
    if (r.day) {
      current = *r.day;
    } else if (r.time_of_day < last_tod - 43200) {
      ++current;
    }
    last_tod = r.time_of_day;
    TrackPoint p;
    p.time = static_cast<double>(current) * 86400 + r.time_of_day;
    p.lat = r.lat;
    p.lon = r.lon;
    p.ele = r.ele;
    p.speed = r.speed;
    p.line = r.line;
    points.push_back(p);
  }
  return finish_track(std::move(points), dated ? TrackClock::utc : TrackClock::time_of_day,
                      std::move(notes));
}

}  // namespace velmora::author
