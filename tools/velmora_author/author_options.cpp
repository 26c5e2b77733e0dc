#include "author_options.h"

#include <charconv>

#include "track.h"

namespace velmora::author {

const char* const kUsage =
    "usage: velmora-author make --film FILM --gps TRACK --out DATA_DIR --name NAME [options]\n"
    "       velmora-author marks --film FILM --marks MARKS.csv --out DATA_DIR --name NAME [options]\n"
    "       velmora-author profile ROUTE.dat [--data DIR] [--preview FILE]\n"
    "\n"
    "make   turns a cab film and its GPS track (GPX, NMEA or CSV) into a route: the film as\n"
    "       the route's AVI, the speed profile, the stations where the train stood, the\n"
    "       gradients, a skeleton route file line_NAME.dat, a preview picture; then checks it.\n"
    "marks  the same from places marked in the film, one \"frame,distance_m\" per line.\n"
    "profile prints a route's [SpeedUnit] table and draws its preview.\n"
    "\n"
    "  --film FILM          the film (MP4, MOV, MKV, AVI, ...; a variable frame rate is fine)\n"
    "  --gps TRACK          .gpx (trkpt with time), .nmea (RMC/GGA) or .csv (time,lat,lon[,ele][,speed m/s])\n"
    "  --marks FILE         frame,distance_m per line; frames as counted at --marks-fps\n"
    "  --marks-fps R        the rate the marks' frames were counted at (default: the film's own)\n"
    "  --offset S|TIME      the film's start on the track: seconds after the track's first fix,\n"
    "                       or an ISO 8601 time (default: the film's creation time, else the\n"
    "                       track's start)\n"
    "  --out DIR            the data folder (made when missing)\n"
    "  --name NAME          names the film NAME.avi and the route file line_NAME.dat\n"
    "  --fps N              film frame rate (default 30, or velmora.dat's)\n"
    "  --size WxH           film size (default 800x600, or velmora.dat's)\n"
    "  --fit pad|crop|stretch  a picture of another shape: bars (default), cut, or distorted\n"
    "  --codec mpeg4|h264   the AVI's codec (default mpeg4)\n"
    "  --keyframes N        frames between keyframes (default: one a second)\n"
    "  --sound wav|drop     the film's sound as the route's ambient sound (default wav)\n"
    "  --tolerance M        metres per km the route's distances may stray from the track's (1)\n"
    "  --vehicle FILE       the vehicle to check and drive with (default: the folder's first,\n"
    "                       or make-demo's electric train when it has none)\n"
    "  --preview FILE       the preview picture (default DATA_DIR/line_NAME_preview.png;\n"
    "                       for profile, ROUTE's name with _profile.png in the working folder)\n"
    "  --force              replace a route, film or pictures of the same NAME\n"
    "  --data DIR           profile: the data folder of ROUTE (default: ROUTE's folder)\n"
    "\n"
    "Exit status: 0 when the route was made (warnings or not), 1 when an input cannot be\n"
    "used or what was written fails to load, 2 for a usage error.\n";

namespace {

int whole(const std::string& option, const std::string& text, int least) {
  int v = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (error != std::errc() || end != text.data() + text.size() || v < least)
    throw UsageError(option + " takes a whole number of at least " + std::to_string(least) + ", not \"" + text + "\"");
  return v;
}

}  // namespace

AuthorOptions parse_options(int argc, const char* const* argv) {
  AuthorOptions o;
  if (argc < 2) throw UsageError("a command is needed: make, marks or profile");
  const std::string command = argv[1];
  if (command == "make") o.command = Command::make;
  else if (command == "marks") o.command = Command::marks;
  else if (command == "profile") o.command = Command::profile;
  else throw UsageError("unknown command \"" + command + "\" (make, marks or profile)");

  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--force") {
      o.force = true;
      continue;
    }
    if (option.rfind("--", 0) != 0) {
      if (o.command == Command::profile && o.route.empty()) {
        o.route = option;
        continue;
      }
      throw UsageError("unexpected argument \"" + option + "\"");
    }
    if (i + 1 >= argc) throw UsageError(option + " needs a value");
    const std::string value = argv[++i];
    if (option == "--film") o.film = value;
    else if (option == "--gps") o.gps = value;
    else if (option == "--marks") o.marks = value;
    else if (option == "--out") o.out = value;
    else if (option == "--name") o.name = value;
    else if (option == "--offset") o.offset = value;
    else if (option == "--fps") o.fps = whole(option, value, 1);
    else if (option == "--keyframes") o.keyframes = whole(option, value, 1);
    else if (option == "--vehicle") o.vehicle = value;
    else if (option == "--preview") o.preview = value;
    else if (option == "--data") o.data = value;
    else if (option == "--size") {
      const std::size_t x = value.find_first_of("xX");
      if (x == std::string::npos) throw UsageError("--size is WIDTHxHEIGHT, such as 800x600");
      o.width = whole(option, value.substr(0, x), 16);
      o.height = whole(option, value.substr(x + 1), 16);
      if (*o.width % 2 != 0 || *o.height % 2 != 0) throw UsageError("--size: the width and height must be even");
    } else if (option == "--codec") {
      if (value != "mpeg4" && value != "h264") throw UsageError("--codec is mpeg4 or h264");
      o.codec = value;
    } else if (option == "--sound") {
      if (value != "wav" && value != "drop") throw UsageError("--sound is wav or drop");
      o.keep_sound = value == "wav";
    } else if (option == "--fit") {
      if (value == "pad") o.fit = FilmFit::pad;
      else if (value == "crop") o.fit = FilmFit::crop;
      else if (value == "stretch") o.fit = FilmFit::stretch;
      else throw UsageError("--fit is pad, crop or stretch");
    } else if (option == "--tolerance") {
      const std::optional<double> v = parse_number(value);
      if (!v || *v <= 0) throw UsageError("--tolerance takes metres per km above 0");
      o.tolerance_per_km = *v;
    } else if (option == "--marks-fps") {
      const std::optional<double> v = parse_number(value);
      if (!v || *v <= 0) throw UsageError("--marks-fps takes frames per second above 0");
      o.marks_fps = *v;
    } else {
      throw UsageError("unknown option " + option);
    }
  }

  if (o.command == Command::profile) {
    if (o.route.empty()) throw UsageError("profile needs a route file");
    return o;
  }
  if (o.film.empty() || o.out.empty() || o.name.empty())
    throw UsageError("--film, --out and --name are needed");
  if (o.command == Command::make && o.gps.empty()) throw UsageError("make needs --gps TRACK");
  if (o.command == Command::marks && o.marks.empty()) throw UsageError("marks needs --marks FILE");
  if (o.name.find_first_of("/\\,:*?\"<>|#; \t") != std::string::npos || o.name[0] == '.' || o.name[0] == '-')
    throw UsageError("--name \"" + o.name + "\": a NAME for file names, without / \\ , : * ? \" < > | # ; or blanks");
  return o;
}

}  // namespace velmora::author
