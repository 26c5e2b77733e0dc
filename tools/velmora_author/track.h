#pragma once
// A GPS track as velmora-author reads it from a GPX, NMEA or CSV file: fixes in time order,
// each with its place and, when the file gives them, its elevation and the receiver's speed.
// The readers take the file's text and never trust it: a malformed file throws TrackError
// naming the line and what is wrong with it.

#include <cmath>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::author {

// What a track's times count from.
enum class TrackClock {
  utc,          // seconds since 1970-01-01 00:00 UTC: the file gives dates and times
  time_of_day,  // seconds since midnight UTC of the first day (NMEA without a date)
  relative,     // seconds as written, from any origin (CSV with plain numbers)
};

struct TrackPoint {
  double time = 0;             // s, on the track's clock
  double lat = 0;              // degrees, north positive
  double lon = 0;              // degrees, east positive
  double ele = std::nan("");   // m above sea level; NaN when the fix has none
  double speed = std::nan(""); // km/h measured by the receiver; NaN when the fix has none
  int line = 0;                // line of the file the fix comes from
};

struct Track {
  std::vector<TrackPoint> points;  // at least two, times strictly rising
  TrackClock clock = TrackClock::utc;
  std::vector<std::string> notes;  // what was left out, for the author
};

// A track file that cannot be used. line is 1-based; 0 means the file as a whole.
class TrackError : public std::runtime_error {
 public:
  TrackError(int line, const std::string& what)
      : std::runtime_error(what), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

Track read_gpx(std::string_view text);
Track read_nmea(std::string_view text);
Track read_csv_track(std::string_view text);

// Reads a track file, choosing the reader by the name's ending (.gpx, .nmea/.nma/.log,
// .csv) or, for other names, by the first character (<, $ or anything else).
Track read_track_file(const std::filesystem::path& path);

// Checks and orders the fixes the readers found: every place on the globe, times never
// going back (a repeated time keeps its first fix), at least two fixes.
Track finish_track(std::vector<TrackPoint> points, TrackClock clock, std::vector<std::string> notes);

// Seconds since 1970-01-01 UTC of an ISO 8601 date and time ("2024-05-01T10:00:00Z",
// fractions and a zone offset allowed; no zone means UTC). Empty when the text is not one.
std::optional<double> parse_iso_time(std::string_view text);
// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long long days_from_civil(int year, int month, int day);
// "HH:MM:SS" of a time of day in seconds (the day dropped), for messages.
std::string time_text(double seconds);

// The lines of a text file with their numbers (from 1): any \r and trailing blanks cut, a
// UTF-8 byte order mark before the first left out.
struct TextLine {
  int number = 0;
  std::string_view text;
};
std::vector<TextLine> text_lines(std::string_view text);

// A decimal number with optional blanks around and an optional sign; empty for anything
// else, and for infinities and NaN.
std::optional<double> parse_number(std::string_view text);

}  // namespace velmora::author
