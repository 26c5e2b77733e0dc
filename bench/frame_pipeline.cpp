// The whole per-frame work of a drive, measured frame by frame: a demo route driven by its
// recorded script through the film source (FFmpeg decoding through its cache), the run's
// frame (dynamics, route step, sound logic on OpenAL's null output, instruments, overlays,
// texts) and the SDL drawing of the 1202 x 778 cab window with the software renderer into
// memory. Then the same frames on the fake platform: the simulation alone.
//
//   velmora_frame_pipeline DATA_DIR [KEY...] [--frames N] [--unpaced] [--load] [--witness]
//   [--window WxH] [--out DIR]
//
// KEY names a drive_KEY.txt of the data folder (default: every one there). The frames run
// in real time, as on the desktop: the film is never waited for, and the sounds, which the
// sound device plays in real time, last as long in the drive as in the recording. With
// --unpaced the frames follow each other at once, each film frame is waited for and the
// waits are left out of the costs; sounds then end late in the drive's time, so a drive that
// waits for one (a melody, an announcement) goes otherwise than recorded.
//
// Each route gets its frame times (median, p99, p99.9, worst), the missed frames (passes over
// 16.667 ms) and the longest run of them, and a histogram of the times written to
// DIR/frame_times_KEY.png (default: the current folder). Each pass is split into the driver
// commands with the ImGui windows, the run's frame and, inside it, the drawing and the film
// call, with the thread's CPU time, page faults and context switches, so that the passes over 4 ms
// can be told apart: taken off the CPU, faulting, or waiting for the film. --witness adds the time
// the pass's CPU ran nothing of this machine (see machine_witness.h): held back by the
// hypervisor. --load runs one CPU-bound process beside each route's pipeline drive (this
// program again, started with --competing-load PID, which only spins), as another program on
// the desktop would; its histograms are named frame_times_KEY_load.png. --window draws into a
// window of W x H px instead of memory, as the desktop program does on a screen of that size:
// the layout scaled to fit below the menu bar's strip (SDL's offscreen video driver unless
// SDL_VIDEODRIVER says otherwise, so what showing the window costs is left out).
#include <SDL.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/headless_platform.h"
#include "app/scripted_drive.h"
#include "app/startup.h"
#include "competing_load.h"
#include "data/load_failure.h"
#include "frame_histogram.h"
#include "machine_witness.h"
#include "platform/ffmpeg/ffmpeg_film_source.h"
#include "platform/openal/openal_sound_device.h"
#include "platform/sdl/sdl_cab_screen.h"
#include "platform/sdl/sdl_imgui.h"
#include "slow_passes.h"
#include "ui/cab_windows.h"
#include "ui/menu_bar.h"

namespace {

using namespace velmora;
using namespace velmora::bench;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr std::int64_t kFrameNs = 16'667'000;

double ms_of(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }
double ms_of_timeval(const timeval& t) {
  return static_cast<double>(t.tv_sec) * 1000 + static_cast<double>(t.tv_usec) / 1000;
}
// The thread's CPU time from its own clock: getrusage's user and system times are sampled
// at the scheduler tick and only scaled to the total, off by milliseconds on a short pass.
double thread_cpu_ms() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1000 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The film source with the time spent inside avi_getframe counted, so that a wait for the
// decoder can be told from the frame's own work.
class TimedFilm final : public FilmSource {
 public:
  explicit TimedFilm(FilmSource& source) : source_(source) {}
  int avi_open(const std::string& path) override { return source_.avi_open(path); }
  void avi_close() override { source_.avi_close(); }
  bool is_open() const override { return source_.is_open(); }
  int avi_length() const override { return source_.avi_length(); }
  int film_width() const override { return source_.film_width(); }
  int film_height() const override { return source_.film_height(); }
  FilmFrame avi_getframe(int n, std::chrono::microseconds wait) override {
    const auto start = Clock::now();
    FilmFrame f = source_.avi_getframe(n, wait);
    inside_ += Clock::now() - start;
    return f;
  }
  bool frame_busy() const override { return source_.frame_busy(); }
  FilmSourceStats stats() const override { return source_.stats(); }
  Clock::duration take_inside() { return std::exchange(inside_, Clock::duration{}); }

 private:
  FilmSource& source_;
  Clock::duration inside_{};
};

// The cab screen with the time spent drawing counted (texts and labels, the composed cab, the
// window shown), so that a slow run's frame can be told to be drawing or the simulation.
class TimedScreen final : public CabScreen {
 public:
  explicit TimedScreen(SdlCabScreen& screen) : screen_(screen) {}
  void set_film_picture(const std::shared_ptr<const FilmPicture>& picture) override {
    screen_.set_film_picture(picture);
  }
  void set_film_surface(int width, int height) override { screen_.set_film_surface(width, height); }
  void set_screen_top(int top) override { screen_.set_screen_top(top); }
  bool can_draw() override { return screen_.can_draw(); }
  void draw_text(int x, int y, const std::string& utf8, int size, int shadow) override {
    timed([&] { screen_.draw_text(x, y, utf8, size, shadow); });
  }
  int text_width(const std::string& utf8, int size) override {
    int width = 0;
    timed([&] { width = screen_.text_width(utf8, size); });
    return width;
  }
  void compose() override {
    timed([&] { screen_.compose(); });
  }
  void set_opacity(int opacity) override { screen_.set_opacity(opacity); }
  void flip() override {
    timed([&] { screen_.flip(); });
  }
  bool load_window_picture(WindowPicture which, const std::filesystem::path& file, int x,
                           int y) override {
    return screen_.load_window_picture(which, file, x, y);
  }
  void draw_label(const WindowLabel& label, const std::string& utf8) override {
    timed([&] { screen_.draw_label(label, utf8); });
  }
  void show_still(bool on) override { screen_.show_still(on); }
  Clock::duration take_inside() { return std::exchange(inside_, Clock::duration{}); }

 private:
  template <typename F>
  void timed(F&& f) {
    const auto start = Clock::now();
    f();
    inside_ += Clock::now() - start;
  }
  SdlCabScreen& screen_;
  Clock::duration inside_{};
};

struct Drive {
  std::string key, route, vehicle, script;
  long long frames = 0;
};

bool read_drive(const fs::path& data, const std::string& key, Drive& d) {
  std::ifstream in(data / ("drive_" + key + ".txt"), std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  d.key = key;
  d.script = text.str();
  const ScriptHeader header = read_script_header(d.script);
  d.route = header.route;
  d.vehicle = header.vehicle;
  d.frames = header.frames;
  return !d.vehicle.empty() && d.frames > 0;
}

struct Figures {
  std::vector<double> ms;          // each frame's cost
  std::vector<PassRecord> passes;  // the same frames split up; the pipeline only
  bool ended = false;              // the run ended within the frames
  double waited_ms = 0;            // for the film decoder, left out of the costs
  double total_s = 0;
  double load_cpu_s = -1;               // used by the competing load; -1 without one
  bool witnessed_in_real_time = false;  // every CPU's witness at real-time priority
};

RunConfig config_of(const fs::path& data, const Drive& d) {
  RunConfig c;
  c.program_dir = data;
  c.route_file = d.route;
  c.vehicle_file = d.vehicle;
  return c;
}

// The drive on the real film source, sound device and drawing layer.
// A window drawn in software as the desktop program draws it; none for 0 x 0.
struct BenchWindow {
  SDL_Window* window = nullptr;
  BenchWindow(int width, int height) {
    if (width <= 0) return;
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
      window = SDL_CreateWindow("frame pipeline", 0, 0, width, height, 0);
    if (window == nullptr) throw SdlError(std::string("no window to draw into: ") + SDL_GetError());
  }
  ~BenchWindow() {
    if (window != nullptr) SDL_DestroyWindow(window);
  }
  BenchWindow(const BenchWindow&) = delete;
  BenchWindow& operator=(const BenchWindow&) = delete;
};

Figures full_pipeline(const fs::path& data, const Drive& d, long long frames, bool paced, bool load,
                      bool witness, SDL_Point window_size) {
  HeadlessPlatform platform;
  FfmpegFilmSource ffmpeg;
  TimedFilm film(ffmpeg);
  const BenchWindow shown(window_size.x, window_size.y);
  const std::unique_ptr<SdlCabScreen> screen =
      shown.window != nullptr ? SdlCabScreen::in_window(shown.window, true, kMenuBarHeight)
                              : SdlCabScreen::offscreen();
  SdlImGui windows_layer(screen->renderer());
  screen->set_window_overlay([&](SDL_Renderer*, float left, float top,
                                 float scale) { windows_layer.draw(left, top, scale); },
                             [&] { return windows_layer.changed(); });
  OpenAlSoundDevice sound([](const std::string& e) { std::cerr << "sound: " << e << '\n'; });
  platform.film = &film;
  TimedScreen timed_screen(*screen);
  platform.cab_screen = &timed_screen;
  platform.image_list = &screen->images();
  platform.sprite_engine = &screen->sprites();
  platform.sound_device = &sound;

  RunConfig config = config_of(data, d);
  if (!paced) config.film_wait = std::chrono::seconds(2);
  Run run(config, platform.services());
  FormCreate(run);
  CabWindows windows;
  ScriptedDrive drive(platform, run, parse_input_script(d.script), kFrameNs);

  // Allocated and written up front: the loop neither allocates nor touches a new page of its
  // own, so the benchmark does not cause the page faults and slow passes it is there to find.
  Figures f;
  f.ms.resize(static_cast<std::size_t>(frames));
  f.passes.resize(static_cast<std::size_t>(frames));
  std::size_t passed = 0;
  std::optional<CompetingLoad> competing;
  if (load) competing.emplace();
  film.take_inside();  // what the setup spent in the film or drawing belongs to no pass
  timed_screen.take_inside();
  const int proc_stat = open("/proc/stat", O_RDONLY | O_CLOEXEC);
  // A witness on each CPU the drive may run on.
  std::vector<std::unique_ptr<MachineWitness>> witnesses;
  cpu_set_t cpus;
  if (witness && sched_getaffinity(0, sizeof cpus, &cpus) == 0)
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
      if (CPU_ISSET(cpu, &cpus)) witnesses.push_back(std::make_unique<MachineWitness>(cpu));
  const auto begin = Clock::now();
  for (long long frame = 0; frame < frames && !run.frame.ended; ++frame) {
    rusage before{}, after{};
    const long steal_before = machine_steal_ticks(proc_stat);
    getrusage(RUSAGE_THREAD, &before);
    const double cpu_before = thread_cpu_ms();
    const int cpu_at_start = sched_getcpu();
    const auto start = Clock::now();
    drive.start_frame(frame);
    windows_layer.begin_frame(static_cast<float>(kBudgetMs / 1000));
    draw_cab_windows(run, windows);
    windows_layer.end_frame();
    apply_window_commands(run, windows);
    const auto windows_done = Clock::now();
    drive.finish_frame();
    const auto end = Clock::now();
    const int cpu_at_end = sched_getcpu();
    const double cpu_after = thread_cpu_ms();
    getrusage(RUSAGE_THREAD, &after);
    const long steal_after = machine_steal_ticks(proc_stat);
    const Clock::duration in_film = film.take_inside();
    const Clock::duration waited = paced ? Clock::duration{} : in_film;
    PassRecord& p = f.passes[passed];
    p.frame = frame;
    p.start = start;
    p.end = end;
    p.cpus = {cpu_at_start, cpu_at_end};
    p.total_ms = ms_of(end - start - waited);
    p.windows_ms = ms_of(windows_done - start);
    p.run_frame_ms = ms_of(end - windows_done - waited);
    p.film_ms = ms_of(in_film);
    p.drawing_ms = ms_of(timed_screen.take_inside());
    p.cpu_ms = cpu_after - cpu_before;
    p.user_ms = ms_of_timeval(after.ru_utime) - ms_of_timeval(before.ru_utime);
    p.system_ms = ms_of_timeval(after.ru_stime) - ms_of_timeval(before.ru_stime);
    p.steal_ticks = steal_before < 0 || steal_after < 0 ? -1 : steal_after - steal_before;
    p.invol_switches = after.ru_nivcsw - before.ru_nivcsw;
    p.vol_switches = after.ru_nvcsw - before.ru_nvcsw;
    p.minor_faults = after.ru_minflt - before.ru_minflt;
    p.major_faults = after.ru_majflt - before.ru_majflt;
    f.waited_ms += ms_of(waited);
    f.ms[passed++] = p.total_ms;
    if (paced) std::this_thread::sleep_until(start + std::chrono::nanoseconds(kFrameNs));
  }
  f.total_s = std::chrono::duration<double>(Clock::now() - begin).count();
  if (proc_stat >= 0) close(proc_stat);
  f.ms.resize(passed);
  f.passes.resize(passed);
  f.witnessed_in_real_time = !witnesses.empty();
  for (const std::unique_ptr<MachineWitness>& w : witnesses) {
    f.witnessed_in_real_time = f.witnessed_in_real_time && w->real_time();
    const std::vector<Stall> stalls = w->stop();
    for (PassRecord& p : f.passes)
      if (p.cpus[0] == w->cpu() || p.cpus[1] == w->cpu())
        p.stalled_ms = std::max(p.stalled_ms, stalled_ms(stalls, p.start, p.end));
  }
  if (competing) f.load_cpu_s = competing->stop();
  f.ended = run.frame.ended;
  return f;
}

// The same frames on the fake platform.
Figures simulation_alone(const fs::path& data, const Drive& d, long long frames) {
  HeadlessPlatform platform;
  Run run(config_of(data, d), platform.services());
  FormCreate(run);
  ScriptedDrive drive(platform, run, parse_input_script(d.script), kFrameNs);
  Figures f;
  f.ms.reserve(static_cast<std::size_t>(frames));
  const auto begin = Clock::now();
  for (long long frame = 0; frame < frames && !run.frame.ended; ++frame) {
    const auto start = Clock::now();
    drive.start_frame(frame);
    drive.finish_frame();
    f.ms.push_back(ms_of(Clock::now() - start));
  }
  f.total_s = std::chrono::duration<double>(Clock::now() - begin).count();
  f.ended = run.frame.ended;
  return f;
}

[[noreturn]] void usage(const std::string& why) {
  std::cerr
      << "velmora_frame_pipeline: " << why
      << "\nusage: velmora_frame_pipeline DATA_DIR [KEY...] [--frames N] [--unpaced] [--load] "
         "[--witness] [--window WxH] [--out DIR]\n"
         "  --frames N   stop each route after N frames\n"
         "  --unpaced    run the frames at once, waiting for each film frame\n"
         "  --load       run one CPU-bound process beside each route's pipeline drive\n"
         "  --witness    keep a thread on each CPU that tells when the machine held it back\n"
         "  --window WxH draw into a window of that size, scaled as the desktop program does\n"
         "               (it wakes every 2 ms: the passes cost a little more with it)\n"
         "  --out DIR    where the frame_times_KEY[_load].png histograms go (default: .)\n";
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == kCompetingLoadOption)
    spin_as_competing_load(static_cast<pid_t>(std::atol(argv[2])));
  // No display and no speakers needed: SDL draws in memory, OpenAL mixes into nothing.
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("ALSOFT_DRIVERS", "null", 0);
  set_film_library_quiet(true);

  fs::path data, out = ".";
  std::vector<std::string> keys;
  long long frame_limit = 0;
  bool paced = true, load = false, witness = false;
  SDL_Point window_size{0, 0};
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--unpaced") {
      paced = false;
    } else if (a == "--load") {
      load = true;
    } else if (a == "--witness") {
      witness = true;
    } else if (a == "--frames" && i + 1 < argc) {
      frame_limit = std::atoll(argv[++i]);
      if (frame_limit <= 0) usage("--frames needs a number above 0");
    } else if (a == "--window" && i + 1 < argc) {
      if (std::sscanf(argv[++i], "%dx%d", &window_size.x, &window_size.y) != 2 ||
          window_size.x <= 0 || window_size.y <= 0)
        usage("--window needs a size such as 1366x768");
    } else if (a == "--out" && i + 1 < argc) {
      out = argv[++i];
    } else if (!a.empty() && a[0] == '-') {
      usage("unknown option " + a);
    } else if (data.empty()) {
      data = a;
    } else {
      keys.push_back(a);
    }
  }
  if (data.empty()) usage("no data folder");
  if (keys.empty())
    for (const char* k : {"exp", "rapid", "local"})
      if (fs::exists(data / ("drive_" + std::string(k) + ".txt"))) keys.push_back(k);
  if (keys.empty()) usage(data.string() + " holds no drive_KEY.txt");
  std::error_code made;
  fs::create_directories(out, made);
  if (made || !fs::is_directory(out))
    usage("cannot make the folder " + out.string() + " for the histograms");

  char drawn_into[80] = "memory (1202 x 778)";
  if (window_size.x > 0)
    std::snprintf(drawn_into, sizeof drawn_into, "a %d x %d window", window_size.x, window_size.y);
  std::printf(
      "frame pipeline on %s: SDL software renderer into %s, OpenAL null output,\n"
      "FFmpeg film source; %s;\n%s; %ld CPUs online\n",
      data.string().c_str(), drawn_into,
      paced ? "frames in real time, the film never waited for"
            : "unpaced, each film frame waited for, the waits left out of the costs",
      load ? "with a competing load: one CPU-bound process beside each pipeline drive"
           : "no competing load",
      sysconf(_SC_NPROCESSORS_ONLN));
  std::printf("%-15s %7s %9s %9s %9s %9s %6s %4s %15s %10s\n", "route", "frames", "median", "p99",
              "p99.9", "worst", "missed", "run", "budget med/p99", "film wait");
  int status = 0;
  for (const std::string& key : keys) {
    Drive d;
    if (!read_drive(data, key, d)) usage(key + ": no usable drive_" + key + ".txt");
    const long long frames =
        frame_limit > 0 ? std::min(frame_limit, d.frames + 600) : d.frames + 600;
    try {
      const Figures full = full_pipeline(data, d, frames, paced, load, witness, window_size);
      const Figures sim = simulation_alone(data, d, frames);
      const FrameTimeFigures t = frame_time_figures(full.ms);
      std::printf(
          "%-15s %7zu %6.2f ms %6.2f ms %6.2f ms %6.2f ms %6zu %4zu %6.1f/%5.1f %% %7.2f ms\n",
          d.route.c_str(), t.frames, t.median_ms, t.p99_ms, t.p999_ms, t.worst_ms, t.missed,
          t.longest_missed, 100 * t.median_ms / kBudgetMs, 100 * t.p99_ms / kBudgetMs,
          full.ms.empty() ? 0.0 : full.waited_ms / static_cast<double>(full.ms.size()));
      std::printf("  simulation alone med/p99/worst %.1f / %.1f / %.1f us, %.0f frames/s\n",
                  1000 * percentile(sim.ms, 0.5), 1000 * percentile(sim.ms, 0.99),
                  1000 * percentile(sim.ms, 1), static_cast<double>(sim.ms.size()) / sim.total_s);
      if (load)
        std::printf("  competing load: %.1f s of CPU during the %.1f s pipeline drive\n",
                    full.load_cpu_s, full.total_s);
      // The two passes are comparable only when they drove the same frames.
      if (full.ms.size() != sim.ms.size() || !full.ended || !sim.ended)
        std::printf("  %s: the pipeline ran %zu frames (%s), the simulation alone %zu (%s)\n",
                    d.route.c_str(), full.ms.size(),
                    full.ended ? "the run ended" : "the run went on", sim.ms.size(),
                    sim.ended ? "the run ended" : "the run went on");
      char title[200], subtitle[200];
      std::snprintf(title, sizeof title, "%s (%s): %s, %s", key.c_str(), d.route.c_str(),
                    paced ? "paced" : "unpaced, film waits left out",
                    load ? "with competing load" : "no load");
      std::snprintf(
          subtitle, sizeof subtitle,
          "%zu passes: median %.2f ms, p99 %.2f ms, p99.9 %.2f ms, worst %.2f ms; %zu missed",
          t.frames, t.median_ms, t.p99_ms, t.p999_ms, t.worst_ms, t.missed);
      const fs::path png = out / ("frame_times_" + key + (load ? "_load" : "") + ".png");
      const std::string failed = write_histogram_png(png.string(), full.ms, title, subtitle);
      if (failed.empty()) {
        std::printf("  histogram %s\n", png.string().c_str());
      } else {
        std::printf("  no histogram: %s: %s\n", png.string().c_str(), failed.c_str());
        status = 1;
      }
      print_slow_passes(stdout, full.passes, paced);
      if (witness && !full.witnessed_in_real_time)
        std::printf(
            "  (the witnesses ran without real-time priority: the pass's own work may "
            "have made them late)\n");
      std::fflush(stdout);
    } catch (const LoadFailure& failure) {
      for (const std::string& m : failure.messages) std::cerr << "message: " << m << '\n';
      std::cerr << "velmora_frame_pipeline: " << d.route << ": " << failure.detail << '\n';
      status = 1;
    } catch (const std::runtime_error& failure) {
      std::cerr << "velmora_frame_pipeline: " << d.route << ": " << failure.what() << '\n';
      status = 1;
    }
  }
  return status;
}
