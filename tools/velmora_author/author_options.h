#pragma once
// velmora-author's command line.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/ffmpeg/film_converter.h"

namespace velmora::author {

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

enum class Command { make, marks, profile };

struct AuthorOptions {
  Command command = Command::make;
  std::filesystem::path film;     // --film
  std::filesystem::path gps;      // --gps (make)
  std::filesystem::path marks;    // --marks (marks)
  std::filesystem::path out;      // --out: the data folder
  std::string name;               // --name: NAME.avi, line_NAME.dat, image/NAME, sound/NAME
  std::optional<std::string> offset;  // --offset: seconds after the track's start, or a time
  std::optional<int> fps;             // --fps
  std::optional<int> width, height;   // --size WxH
  std::string codec = "mpeg4";        // --codec
  std::optional<int> keyframes;       // --keyframes
  double tolerance_per_km = 1;        // --tolerance, m per km
  std::string vehicle;                // --vehicle
  bool keep_sound = true;             // --sound wav|drop
  FilmFit fit = FilmFit::pad;         // --fit
  std::optional<double> marks_fps;    // --marks-fps
  std::filesystem::path preview;      // --preview
  bool force = false;                 // --force
  std::filesystem::path route;        // profile ROUTE
  std::filesystem::path data;         // profile --data
};

// Throws UsageError naming what is wrong.
AuthorOptions parse_options(int argc, const char* const* argv);

extern const char* const kUsage;

}  // namespace velmora::author
