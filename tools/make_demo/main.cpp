// make-demo: writes the demo data folder: the interface files, three routes with their
// vehicles, films, pictures, sounds and calls, and a scripted drive for each route.
//
//   make-demo [--short] [--no-speech] [--jobs N] OUT_DIR

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "data_writer.h"
#include "driver.h"
#include "films.h"
#include "interface_files.h"
#include "pictures.h"
#include "route_designs.h"
#include "route_writer.h"
#include "sounds.h"
#include "vehicle_writer.h"
#include "voices.h"

namespace {

using namespace velmora::demo;
namespace fs = std::filesystem;

const char* const kUsage =
    "usage: make-demo [--short] [--no-speech] [--jobs N] OUT_DIR\n"
    "\n"
    "Writes the demo data folder into OUT_DIR (made, or replaced when make-demo wrote it).\n"
    "  --short       the same three routes with a few seconds of film between stations,\n"
    "                at a small film size (for tests)\n"
    "  --no-speech   tone sequences instead of espeak-ng voices\n"
    "  --jobs N      films written at once (default: the processor count, at most 4)\n";

constexpr const char* kMarker = ".make-demo";  // marks a folder make-demo may replace

struct Options {
  bool short_mode = false;
  bool speech = true;
  int jobs = 0;
  fs::path out;
};

[[noreturn]] void usage(const std::string& why) {
  std::cerr << "make-demo: " << why << "\n" << kUsage;
  std::exit(2);
}

Options parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      std::exit(0);
    } else if (a == "--short") {
      o.short_mode = true;
    } else if (a == "--no-speech") {
      o.speech = false;
    } else if (a == "--jobs" && i + 1 < argc) {
      o.jobs = std::atoi(argv[++i]);
      if (o.jobs < 1) usage("--jobs takes a number of at least 1");
    } else if (!a.empty() && a[0] != '-' && o.out.empty()) {
      o.out = a;
    } else {
      usage("unknown argument " + a);
    }
  }
  if (o.out.empty()) usage("OUT_DIR is required");
  if (o.jobs == 0) o.jobs = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
  return o;
}

// An empty folder, or one make-demo wrote before, becomes an empty folder.
void prepare(const fs::path& out) {
  if (fs::exists(out)) {
    const bool empty = fs::is_directory(out) && fs::directory_iterator(out) == fs::directory_iterator();
    if (!empty && !fs::exists(out / kMarker))
      throw std::runtime_error(out.string() + " exists and was not written by make-demo; not replacing it");
    fs::remove_all(out);
  }
  fs::create_directories(out);
  write_bytes(out / kMarker, "written by make-demo\n");
}

std::uintmax_t folder_bytes(const fs::path& dir) {
  std::uintmax_t total = 0;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file()) total += e.file_size();
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = parse(argc, argv);
  try {
    prepare(o.out);
    const FilmSize film = route_film_size(o.short_mode);

    std::cout << "make-demo: " << (o.short_mode ? "short " : "") << "demo into " << o.out.string() << '\n';
    std::vector<LineModel> lines;
    for (const RouteDesign& d : demo_designs(o.short_mode)) {
      lines.push_back(build_line(d, o.short_mode));
      const LineModel& l = lines.back();
      std::cout << "  line " << d.route_file << ": " << l.frame_count << " frames, "
                << static_cast<int>(l.length_m) << " m, " << d.stations.size() << " stations\n";
    }

    std::cout << "  interface files\n";
    write_velmora_dat(o.out, interface_settings(o.short_mode));
    write_mascon_dat(o.out);
    write_operation_dat(o.out);
    write_readme(o.out, lines);

    Voices voices(o.out / ".voices", o.speech);
    std::cout << "  calls (" << (voices.speaking() ? "espeak-ng" : "tone sequences") << ")\n";
    write_call_sounds(o.out, voices);

    std::cout << "  vehicles\n";
    write_train_85(o.out);
    write_train_75(o.out);
    write_train_313(o.out);

    std::vector<RouteFacts> facts;
    for (const LineModel& l : lines) {
      std::cout << "  route " << l.design.route_file << '\n';
      facts.push_back(write_route(l, o.out, {film.width, film.height}, voices));
    }
    fs::remove_all(o.out / ".voices");

    std::cout << "  title pictures and jingle\n";
    write_title_pictures(o.out, lines);
    const Wave tune = jingle();
    save_wave(tune, o.out / "sound" / "39911.wav");

    for (std::size_t i = 0; i < lines.size(); ++i) {
      const DriveResult drive = drive_route(o.out, lines[i], facts[i]);
      write_bytes(o.out / ("drive_" + lines[i].design.key + ".txt"), drive.script);
      std::cout << "  drive " << lines[i].design.route_file << ": " << drive.frames << " frames, "
                << drive.stops_made << " of " << facts[i].stops.size() - 1 << " stops in the zone\n";
    }

    std::vector<FilmJob> jobs;
    for (const LineModel& l : lines) jobs.push_back(route_film(l, o.out / "movie" / (l.design.key + ".avi"), film));
    const LineModel& local = lines[2];
    jobs.push_back(crossing_film(local, 2, o.short_mode ? 150 : 300, o.out / "movie" / "local_cross.avi", film));
    std::vector<short> sound;
    for (float v : tune.samples) sound.push_back(static_cast<short>(v * 32767));
    jobs.push_back(opening_film(lines[0], sound, kSoundRate, o.out / "move" / "opening.avi", {352, 264},
                                o.short_mode ? 60 : 150));
    std::cout << "  films (" << o.jobs << " at once)\n";
    run_film_jobs(std::move(jobs), o.jobs);

    std::cout << "make-demo: done, " << folder_bytes(o.out) / (1024 * 1024) << " MiB in " << o.out.string() << '\n';
    release_font_caches();
  } catch (const std::exception& e) {
    std::cerr << "make-demo: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
