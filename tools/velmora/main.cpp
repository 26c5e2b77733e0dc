// velmora: the desktop simulator. The title window offers the routes; a choice opens the
// cab window for one drive, and closing it comes back to the title window.

#include <SDL.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>

#include "app/run.h"
#include "cab_session.h"
#include "common/numbers.h"
#include "desktop_services.h"
#include "platform/ffmpeg/ffmpeg_film_source.h"
#include "platform/openal/openal_sound_device.h"
#include "platform/sdl/renderer_choice.h"
#include "platform/sdl/sdl_game_controller.h"
#include "platform/serial/termios_serial_port.h"
#include "platform/settings/ini_settings.h"
#include "report/drives_folder.h"
#include "report/run_curve.h"
#include "report_view.h"
#include "title_window.h"

namespace fs = std::filesystem;
using namespace velmora;

namespace {

constexpr const char* kUsage =
    "usage: velmora [DATA_FOLDER] [options]\n"
    "  DATA_FOLDER           the folder holding velmora.dat (default: the working folder when it\n"
    "                        holds one, else the installed demo)\n"
    "  --route FILE --vehicle FILE [--start-station N]\n"
    "                        drive that pair at once, without the title window\n"
    "  --fullscreen          the cab window fills the screen (its layout scaled, letterboxed)\n"
    "  --scale X             the cab window at X times its size (default: as large as fits\n"
    "                        the screen, at most the display's own scale)\n"
    "  --software            draw with SDL's software renderer (the default when OpenGL has\n"
    "                        no graphics processor behind it)\n"
    "  --no-software         draw with OpenGL even without a graphics processor\n"
    "  --settings FILE       the settings file (default $XDG_CONFIG_HOME/velmora/settings.ini)\n"
    "  --record FILE         write the drive's inputs as a velmora-sim input script\n"
    "  --seed N              the drive's random seed (default: a new one each drive)\n"
    "  --show-hidden-menu    offer the menu items the cab window keeps hidden (列車設定, "
    "視覚効果OFF)\n"
    "  --quit-after S        end the program after S seconds (automation)\n"
    "  --screenshot-every S DIR  save the window as DIR/velmora-NNNN.png every S seconds\n"
    "  --automate FILE       put scripted clicks, keys and texts into the event queue at\n"
    "                        given seconds (lines \"SECONDS click X Y [right]\", \"SECONDS key\n"
    "                        NAME\", \"SECONDS text CHARS\", \"SECONDS close\")\n"
    "  --version             the program's version\n"
    "  --help                this text\n"
    "Each drive that reaches a station is kept with its report in\n"
    "$XDG_DATA_HOME/velmora/drives (default ~/.local/share/velmora/drives).\n";

constexpr const char* kVersion = "velmora 0.1";

[[noreturn]] void usage_error(const std::string& why) {
  std::cerr << "velmora: " << why << "\n(velmora --help lists the options)\n";
  std::exit(2);
}

struct CommandLine {
  fs::path data;
  std::string route, vehicle;
  int start_station = 0;
  fs::path settings;
  bool seeded = false;
  std::uint64_t seed = 0;
  SessionOptions session;
  fs::path automate;
  RendererChoice renderer = RendererChoice::automatic;
  fs::path screenshot_dir;
  double screenshot_every = 0;
};

CommandLine parse(int argc, char** argv) {
  CommandLine o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) usage_error(a + " needs a value");
      return argv[++i];
    };
    const auto number = [&](const std::string& text) -> double {
      try {
        const long double n = to_real(text);
        if (n > 0) return static_cast<double>(n);
      } catch (const ConversionError&) {
      }
      usage_error(a + " takes a positive number, not \"" + text + "\"");
    };
    const auto whole = [&](const std::string& text) -> int {
      try {
        const int n = to_int(text);
        if (n >= 0) return n;
      } catch (const ConversionError&) {
      }
      usage_error(a + " takes a whole number (0 or more), not \"" + text + "\"");
    };
    if (a == "--help") {
      std::cout << kUsage;
      std::exit(0);
    } else if (a == "--version") {
      std::cout << kVersion << '\n';
      std::exit(0);
    } else if (a == "--route") {
      o.route = value();
    } else if (a == "--vehicle") {
      o.vehicle = value();
    } else if (a == "--start-station") {
      o.start_station = whole(value());
    } else if (a == "--fullscreen") {
      o.session.fullscreen = true;
    } else if (a == "--scale") {
      o.session.scale = static_cast<float>(number(value()));
    } else if (a == "--software") {
      o.renderer = RendererChoice::software;
    } else if (a == "--no-software") {
      o.renderer = RendererChoice::accelerated;
    } else if (a == "--settings") {
      o.settings = value();
    } else if (a == "--record") {
      o.session.record = value();
    } else if (a == "--seed") {
      o.seeded = true;
      o.seed = static_cast<std::uint64_t>(whole(value()));
    } else if (a == "--show-hidden-menu") {
      o.session.show_hidden_menu = true;
    } else if (a == "--quit-after") {
      o.session.quit_after = number(value());
    } else if (a == "--screenshot-every") {
      o.screenshot_every = number(value());
      o.screenshot_dir = value();
      if (!fs::is_directory(o.screenshot_dir))
        usage_error("--screenshot-every: the folder " + o.screenshot_dir.string() +
                    " does not exist");
    } else if (a == "--automate") {
      o.automate = value();
    } else if (!a.empty() && a[0] == '-') {
      usage_error("unknown option " + a);
    } else if (o.data.empty()) {
      o.data = a;
    } else {
      usage_error("one data folder only (" + o.data.string() + " and " + a + ")");
    }
  }
  if (o.route.empty() != o.vehicle.empty()) usage_error("--route and --vehicle go together");
  return o;
}

// The data folder: the one asked for; else the working folder when it holds velmora.dat;
// else the installed demo, found beside the program (bin/../share/velmora/demo) wherever
// the installation was put.
fs::path data_folder(const CommandLine& o) {
  if (!o.data.empty()) return fs::absolute(o.data);
  if (fs::exists("velmora.dat")) return fs::current_path();
  std::error_code ec;
  const fs::path program = fs::read_symlink("/proc/self/exe", ec);
  const fs::path beside = program.parent_path().parent_path() / "share" / "velmora" / "demo";
  if (!ec && fs::exists(beside / "velmora.dat")) return beside;
  return VELMORA_DEMO_DIR;
}

}  // namespace

int main(int argc, char** argv) {
  CommandLine o = parse(argc, argv);
  const fs::path data = data_folder(o);
  Automation automation;
  std::string error;
  if (!o.automate.empty() && !automation.load(o.automate, error)) usage_error(error);
  automation.screenshots(o.screenshot_dir, o.screenshot_every);
  o.session.automation = &automation;

  // A train controller keeps working while another window has the focus.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER | SDL_INIT_JOYSTICK) != 0) {
    std::cerr << "velmora: no display to open a window on (" << SDL_GetError()
              << "). Run it on a desktop, or under a virtual display, for example:\n"
                 "  xvfb-run -a velmora\n";
    return 1;
  }
  o.session.software = o.renderer == RendererChoice::software;
  if (o.renderer == RendererChoice::automatic) {
    const RendererProbe probe = probe_default_renderer();
    o.session.software = probe.software;
    if (probe.software && probe.screen)
      std::cerr << "velmora: no graphics processor behind " << probe.what
                << ": drawing with the software renderer (--no-software uses OpenGL anyway)\n";
  }
  // With the software renderer the window's pixels go straight to the display, not through
  // a GL texture (which without a GPU is a second software renderer). The windows' pictures
  // are made after this.
  if (o.session.software) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SdlDialogs dialogs;
  // An automated run must not wait for someone to close a message box.
  dialogs.quiet = o.session.quit_after > 0 || !o.automate.empty();
  if (!fs::exists(data / "velmora.dat")) {
    // The system's own text, then what is wrong here and how to put it right.
    const std::string where =
        fs::is_directory(data)
            ? data.string() + " holds no velmora.dat, so it is not a data folder."
            : "The data folder " + data.string() + " does not exist.";
    dialogs.message("実行ファイルが正しい場所に配置されていません\n\n" + where +
                    "\nStart velmora with the folder that holds velmora.dat (velmora DATA_FOLDER), "
                    "or run ./scripts/run in the source folder to make and open the demo.");
    SDL_Quit();
    return 1;
  }

  IniSettings settings(o.settings.empty() ? default_settings_path() : o.settings);
  // The sound layer's reports are message boxes, as every other message of the program.
  OpenAlSoundDevice sound([&](const std::string& m) { dialogs.message(m); });
  FfmpegFilmSource film;
  SdlGameController pad;
  TermiosSerialPort serial;
  SerialDialog serial_dialog;
  serial_dialog.settings = default_serial_settings(list_serial_ports());
  // The help window lives as long as the program: its file is read once, here.
  HelpWindow help;
  if (const auto error = load_help(help, data)) dialogs.message(*error);
  DesktopServices services{dialogs, settings, sound, film, pad, serial, serial_dialog, help};
  // Every drive is kept with its report (report/drives_folder.h).
  o.session.drives = default_drives_folder();
  o.session.keep_drives = drives_to_keep(settings);
  std::random_device entropy;
  // Seeds stay below 2^31 so that velmora-sim --seed can replay any drive.
  const auto seed = [&]() -> std::uint64_t { return o.seeded ? o.seed : entropy() & 0x7fffffffu; };

  int status = 0;
  if (!o.route.empty()) {
    RunConfig config;
    config.program_dir = data;
    config.route_file = o.route;
    config.vehicle_file = o.vehicle;
    config.first_station = o.start_station;
    config.seed = seed();
    SessionResult result = run_cab_session(config, o.session, services);
    if (result.end == SessionEnd::NotStarted) status = 1;
    // The drive's report before the program ends, unless the automation's time is up.
    const bool time_up = o.session.quit_after > 0 && automation.seconds() >= o.session.quit_after;
    if (result.drive && !time_up) show_report_window(std::move(*result.drive), o.session, dialogs);
  } else {
    status = run_title_window(data, o.session, services, seed);
  }
  SDL_Quit();
  release_curve_fonts();  // the fonts the run curves were drawn with; nothing is drawn now
  return status;
}
