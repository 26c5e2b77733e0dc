// velmora-sim: the simulator's run without a window. A fixed frame time, a script of
// inputs by frame and a trace of named state variables make every drive reproducible.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/drive_report.h"
#include "app/headless_platform.h"
#include "app/input_script.h"
#include "app/main_loop.h"
#include "app/run.h"
#include "app/scripted_drive.h"
#include "app/startup.h"
#include "app/trace_fields.h"
#include "common/numbers.h"
#include "data/load_failure.h"
#include "platform/ffmpeg/ffmpeg_film_source.h"
#include "platform/sdl/sdl_cab_screen.h"
#include "platform/sdl/sdl_imgui.h"
#include "platform/settings/ini_settings.h"
#include "report/report_html.h"
#include "report/report_json.h"
#include "report/run_curve.h"
#include "ui/cab_windows.h"

namespace {

using namespace velmora;

constexpr int kUsageError = 2;
constexpr const char* kDefaultFields = "frame,sim_ticks,speed,position_cm,film_frame";

const char* const kUsage =
    "usage: velmora-sim --data DIR --vehicle FILE --route FILE [options]\n"
    "\n"
    "Runs a drive without a window, with a fixed frame time.\n"
    "\n"
    "  --data DIR            data folder (velmora.dat, mascon.dat, route files)\n"
    "  --vehicle FILE        vehicle file in the data folder, or a path with a folder\n"
    "  --route FILE          route file in the data folder\n"
    "  --start-station N     first station index (default 0)\n"
    "  --last-station N      last station index (default 999)\n"
    "  --frames N            frames to run (default 600); the run may end earlier\n"
    "  --frame-ms X          milliseconds between passes (default 16.667)\n"
    "  --seed N              seed of the run's random engine (default 0)\n"
    "  --input SCRIPT        input commands by frame (see README)\n"
    "  --trace FILE          CSV trace of --fields, every --every frames (- for stdout)\n"
    "  --fields a,b,c        traced names (default frame,sim_ticks,speed,position_cm,film_frame);\n"
    "                        all: every name, arrays element by element\n"
    "  --every K             trace every K-th frame (default 1)\n"
    "  --events FILE         events: FRAME<TAB>KIND<TAB>DETAIL per line\n"
    "  --report FILE.html    the run report after the drive: score, stations, speeds,\n"
    "                        protection, comfort and the run curve, in one HTML page\n"
    "  --report-json FILE    the same report as JSON\n"
    "  --run-curve FILE.png  the report's run curve as a PNG picture\n"
    "  --settings FILE       user settings (INI) to start from; never written\n"
    "  --film real|fake      film frame source: the films themselves, or synthetic frames "
    "(default)\n"
    "  --screenshot F:FILE   save the cab window as PNG after frame F has run (repeatable);\n"
    "                        the value display (key F3) and the easy-cab window (menu N3)\n"
    "                        are drawn in it when shown\n"
    "  --help                this text\n";

struct Screenshot {
  long long frame;
  std::string file;
};

struct SimOptions {
  RunConfig config;
  long long frames = 600;
  long double frame_ms = 16.667L;
  std::string input_path, trace_path, events_path, settings_path, report_path, report_json_path,
      run_curve_path;
  std::string fields = kDefaultFields;
  long long every = 1;
  bool real_film = false;
  std::vector<Screenshot> screenshots;
};

[[noreturn]] void usage_error(const std::string& why) {
  std::cerr << "velmora-sim: " << why << "\n(velmora-sim --help lists the options)\n";
  std::exit(kUsageError);
}

long long whole_number(const std::string& option, const std::string& text, long long low) {
  try {
    const int n = to_int(text);
    if (n < low) usage_error(option + " must be at least " + std::to_string(low));
    return n;
  } catch (const ConversionError& e) {
    usage_error(option + ": " + e.what());
  }
}

SimOptions parse_options(int argc, char** argv) {
  SimOptions o;
  std::string data, vehicle, route;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      std::cout << kUsage;
      std::exit(0);
    }
    if (i + 1 >= argc) usage_error(option + " needs a value");
    const std::string value = argv[++i];
    if (option == "--data")
      data = value;
    else if (option == "--vehicle")
      vehicle = value;
    else if (option == "--route")
      route = value;
    else if (option == "--start-station")
      o.config.first_station = static_cast<int>(whole_number(option, value, 0));
    else if (option == "--last-station")
      o.config.last_station = static_cast<int>(whole_number(option, value, 0));
    else if (option == "--frames")
      o.frames = whole_number(option, value, 0);
    else if (option == "--seed")
      o.config.seed = static_cast<std::uint64_t>(whole_number(option, value, 0));
    else if (option == "--every")
      o.every = whole_number(option, value, 1);
    else if (option == "--input")
      o.input_path = value;
    else if (option == "--trace")
      o.trace_path = value;
    else if (option == "--fields")
      o.fields = value;
    else if (option == "--events")
      o.events_path = value;
    else if (option == "--report")
      o.report_path = value;
    else if (option == "--report-json")
      o.report_json_path = value;
    else if (option == "--run-curve")
      o.run_curve_path = value;
    else if (option == "--settings")
      o.settings_path = value;
    else if (option == "--frame-ms") {
      try {
        o.frame_ms = to_real(value);
      } catch (const ConversionError& e) {
        usage_error("--frame-ms: " + std::string(e.what()));
      }
      if (!(o.frame_ms > 0) || o.frame_ms > 3'600'000)
        usage_error("--frame-ms must be above 0 and at most 3600000");
    } else if (option == "--film") {
      if (value != "real" && value != "fake") usage_error("--film takes real or fake");
      o.real_film = value == "real";
    } else if (option == "--screenshot") {
      const std::size_t colon = value.find(':');
      if (colon == std::string::npos || colon == 0 || colon + 1 == value.size())
        usage_error("--screenshot takes FRAME:FILE, e.g. --screenshot 120:cab.png");
      o.screenshots.push_back(
          {whole_number(option, value.substr(0, colon), 0), value.substr(colon + 1)});
    } else {
      usage_error("unknown option " + option);
    }
  }
  if (data.empty() || vehicle.empty() || route.empty())
    usage_error("--data, --vehicle and --route are required");
  for (const Screenshot& s : o.screenshots) {
    if (s.frame >= o.frames)
      usage_error("--screenshot " + std::to_string(s.frame) + ":" + s.file + ": frame " +
                  std::to_string(s.frame) + " is not reached in " + std::to_string(o.frames) +
                  " frames; ask for more with --frames");
    const std::filesystem::path folder = std::filesystem::path(s.file).parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder))
      usage_error("--screenshot: the folder " + folder.string() + " does not exist");
  }
  // A report that cannot be written is told before the drive, not after it.
  for (const std::string& report : {o.report_path, o.report_json_path, o.run_curve_path}) {
    const std::filesystem::path folder = std::filesystem::path(report).parent_path();
    if (!report.empty() && !folder.empty() && !std::filesystem::is_directory(folder))
      usage_error("--report: the folder " + folder.string() + " does not exist");
  }
  o.config.program_dir = data;
  o.config.route_file = route;
  if (vehicle.find('/') != std::string::npos) {
    // A vehicle file picked from elsewhere: its pictures and sounds lie beside it.
    const std::filesystem::path p = std::filesystem::absolute(vehicle);
    o.config.vehicle_dir = p.parent_path();
    o.config.vehicle_file = p.filename().string();
  } else {
    o.config.vehicle_file = vehicle;
  }
  return o;
}

std::string read_whole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) usage_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::ofstream open_output(const std::string& path) {
  std::ofstream out(path, std::ios::trunc);
  if (!out) usage_error("cannot write " + path);
  return out;
}

// The report after the drive, as HTML and as JSON, for whichever was asked for.
void write_reports(const SimOptions& o, const Run& run) {
  if (o.report_path.empty() && o.report_json_path.empty() && o.run_curve_path.empty()) return;
  const RunReport report = drive_report(run);
  if (!o.report_path.empty()) open_output(o.report_path) << report_html(report);
  if (!o.report_json_path.empty()) open_output(o.report_json_path) << report_json(report);
  if (!o.run_curve_path.empty()) {
    const std::vector<std::uint8_t> png = run_curve_png(report);
    if (png.empty()) usage_error("--run-curve: the run curve cannot be drawn");
    open_output(o.run_curve_path)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  }
  release_curve_fonts();  // the drive is over: nothing more is drawn
}

void write_events(const std::string& path, const EventLog& log) {
  if (path.empty()) return;
  std::ofstream out = open_output(path);
  for (const Event& e : log.events) out << e.frame << '\t' << e.kind << '\t' << e.detail << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  SimOptions o = parse_options(argc, argv);

  std::vector<ScriptCommand> script;
  if (!o.input_path.empty()) {
    try {
      script = parse_input_script(read_whole(o.input_path));
    } catch (const ScriptError& e) {
      usage_error(o.input_path + ": " + e.what());
    }
  }
  std::vector<TraceColumn> columns;
  const bool all_fields = o.fields == "all";
  try {
    if (!all_fields) columns = parse_trace_columns(o.fields);
  } catch (const TraceFieldError& e) {
    usage_error(std::string("--fields: ") + e.what());
  }

  HeadlessPlatform platform;
  std::unique_ptr<FfmpegFilmSource> real_film;
  if (o.real_film) {
    real_film = std::make_unique<FfmpegFilmSource>();
    platform.film = real_film.get();
    // Wait for every frame, so the replay shows the same pictures on any machine.
    o.config.film_wait = std::chrono::seconds(2);
  }
  // Screenshots need the cab drawn: the drawing layer takes the fakes' place, in memory.
  // The small windows (value display, easy cab, dialogs) are drawn into them too.
  std::unique_ptr<SdlCabScreen> cab;
  std::unique_ptr<SdlImGui> windows_layer;
  CabWindows windows;
  if (!o.screenshots.empty()) {
    try {
      cab = SdlCabScreen::offscreen();
      windows_layer = std::make_unique<SdlImGui>(cab->renderer());
    } catch (const SdlError& e) {
      usage_error(std::string("--screenshot: ") + e.what());
    }
    cab->set_window_overlay([&](SDL_Renderer*, float left, float top,
                                float scale) { windows_layer->draw(left, top, scale); },
                            [&] { return windows_layer->changed(); });
    platform.cab_screen = cab.get();
    platform.image_list = &cab->images();
    platform.sprite_engine = &cab->sprites();
  }
  FakeClock& clock = platform.clock;
  EventLog& log = platform.log;
  if (!o.settings_path.empty()) {
    std::string warnings;
    const bool ok = read_ini_settings(o.settings_path, platform.settings.values, warnings);
    std::cerr << warnings;
    if (!ok) usage_error("--settings: " + o.settings_path + " cannot be used");
  }

  Run run(o.config, platform.services());
  try {
    FormCreate(run);
  } catch (const LoadFailure& failure) {
    for (const std::string& m : failure.messages) {
      platform.dialogs.message(m);
      std::cerr << "message: " << m << '\n';
    }
    std::cerr << "velmora-sim: " << failure.detail << '\n';
    const std::string why = cab ? cab->images().last_error() : platform.images.last_error;
    if (!why.empty()) std::cerr << "velmora-sim: " << why << '\n';
    write_events(o.events_path, log);
    return 1;
  }
  // The synthetic film stands in for the route's: in a picture it takes the film's size
  // (one no display could show keeps the synthetic one's).
  constexpr int kLargestFilm = 8192;  // px a side
  if (cab && !real_film && run.ui.film_width > 0 && run.ui.film_width <= kLargestFilm &&
      run.ui.film_height > 0 && run.ui.film_height <= kLargestFilm) {
    platform.fake_film.width = run.ui.film_width;
    platform.fake_film.height = run.ui.film_height;
  }

  // Arrays are as long as the loaded route makes them.
  if (all_fields) columns = every_trace_column(run);

  // "-" is standard output: the same stream as the closing summary, so the two never
  // overwrite each other when stdout is a file.
  std::optional<std::ofstream> trace_file;
  std::ostream* trace = nullptr;
  if (o.trace_path == "-") {
    trace = &std::cout;
  } else if (!o.trace_path.empty()) {
    trace_file = open_output(o.trace_path);
    trace = &*trace_file;
  }
  if (trace != nullptr) {
    for (std::size_t i = 0; i < columns.size(); ++i) *trace << (i ? "," : "") << columns[i].header;
    *trace << '\n';
  }

  const auto frame_ns = static_cast<std::int64_t>(std::llround(o.frame_ms * 1'000'000.0L));
  ScriptedDrive drive(platform, run, std::move(script), frame_ns);
  int status = 0;
  long long frame = 0;
  for (; frame < o.frames && !run.frame.ended; ++frame) {
    // Only the frames saved are drawn; the others only keep the picture's state.
    if (cab)
      cab->set_drawing(std::any_of(o.screenshots.begin(), o.screenshots.end(),
                                   [frame](const Screenshot& s) { return s.frame == frame; }));
    drive.start_frame(frame, [&](const ScriptCommand& c) {
      std::cerr << "velmora-sim: warning: " << o.input_path << ": line " << c.line << ": \""
                << c.text << "\" does nothing in this build; ignored\n";
    });
    if (windows_layer) {
      windows_layer->begin_frame(static_cast<float>(o.frame_ms / 1000));
      draw_cab_windows(run, windows);
      windows.layout.check_windows();
      windows_layer->end_frame();
      apply_window_commands(run, windows);
    }
    drive.finish_frame();
    if (run.frame.ended) log.add("end");
    if (trace && frame % o.every == 0) {
      for (std::size_t i = 0; i < columns.size(); ++i)
        *trace << (i ? "," : "") << trace_cell(columns[i], run, frame);
      *trace << '\n';
    }
    for (const Screenshot& s : o.screenshots) {
      if (s.frame != frame) continue;
      std::string error;
      if (!cab->save_png(s.file, error)) {
        std::cerr << "velmora-sim: " << error << '\n';
        status = kUsageError;
      }
      // What the picture shows drawn badly, so that a check need not look at it.
      std::vector<std::string> faults = cab->layout_faults();
      faults.insert(faults.end(), windows.layout.faults.begin(), windows.layout.faults.end());
      for (const std::string& f : faults)
        std::cerr << "velmora-sim: layout: frame " << frame << ": " << f << '\n';
    }
  }
  for (const Screenshot& s : o.screenshots)
    if (s.frame >= frame)
      std::cerr << "velmora-sim: warning: no screenshot " << s.file
                << ": the run ended before frame " << s.frame << '\n';
  write_events(o.events_path, log);
  write_reports(o, run);

  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.3Lf", static_cast<long double>(clock.now_ns) / 1e9L);
  std::cout << "velmora-sim: " << frame << " frames, " << run.frame.frames_run << " run, "
            << seconds << " s on the clock; "
            << (run.frame.ended ? "the run ended" : "the run goes on") << '\n';
  std::string final_values;
  for (const TraceColumn& c : columns)
    if (c.field != nullptr && !all_fields)
      final_values += " " + c.header + "=" + trace_cell(c, run, frame);
  if (!final_values.empty()) std::cout << "final:" << final_values << '\n';
  return status;
}
