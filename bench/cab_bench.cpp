// The cost per frame of the cab picture's work on the fixture route: the instrument update,
// the trackside overlays, the texts, and the SDL drawing with the software renderer of the
// whole cab window (1202 x 778: the 800 x 780 cab surface, texts on the film or the fifteen
// labels beside it, and the value display and easy-cab window over it). Each reports the
// median and the worst of its repetitions.
// Run: build/release/bench/velmora_bench --benchmark_filter=Cab
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "app/headless_platform.h"
#include "app/run.h"
#include "app/startup.h"
#include "platform/sdl/sdl_cab_screen.h"
#include "platform/sdl/sdl_imgui.h"
#include "ui/cab_windows.h"
#include "view/cab_window.h"
#include "view/drive_texts.h"
#include "view/instruments.h"
#include "view/overlays.h"
#include "view/value_display.h"

namespace {

using namespace velmora;

RunConfig fixture() {
  RunConfig c;
  c.program_dir = std::filesystem::path(VELMORA_SOURCE_DIR) / "tests/fixtures/basic";
  c.vehicle_file = "train_fixture.dat";
  c.route_file = "line_fixture.dat";
  return c;
}

// The run moves a little every iteration so that needles, boards and texts change.
void move_on(Run& run, long long i) {
  run.train.motion.speed = static_cast<long double>(i % 1200) / 10;
  run.train.motion.stop_distance = static_cast<long double>(3000 - i % 6000);
  run.film.film_frame = static_cast<int>(i % 5000);
  run.frame.tenth_count = static_cast<int>(i);
}

// The fixture run on the fake platform, started.
struct FixtureRun {
  HeadlessPlatform platform;
  Run run{fixture(), platform.services()};
  FixtureRun() { FormCreate(run); }
};

void worst(benchmark::internal::Benchmark* b) {
  b->Repetitions(20)->ReportAggregatesOnly(true)->ComputeStatistics(
      "max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });
}

void BM_CabInstruments(benchmark::State& state) {
  FixtureRun f;
  Run& run = f.run;
  long long i = 0;
  for (auto _ : state) {
    move_on(run, ++i);
    instruments_step(run);
    cab_lamps_step(run);
    CommonUtil(run, static_cast<int>(i % 3));
  }
}
BENCHMARK(BM_CabInstruments)->Apply(worst);

void BM_CabOverlays(benchmark::State& state) {
  FixtureRun f;
  Run& run = f.run;
  long long i = 0;
  for (auto _ : state) {
    move_on(run, ++i);
    overlay_frame_step(run);
    overlay_route_step(run);
  }
}
BENCHMARK(BM_CabOverlays)->Apply(worst);

void BM_CabTexts(benchmark::State& state) {
  FixtureRun f;
  Run& run = f.run;
  long long i = 0;
  for (auto _ : state) {
    move_on(run, ++i);
    drive_texts_step(run);
    hint_step(run);
    label_step(run);
    draw_film_texts(run);
    f.platform.screen.compose();
  }
}
BENCHMARK(BM_CabTexts)->Apply(worst);

// The fixture run drawn by the SDL layer in memory, with a synthetic film picture.
struct SdlFixtureRun {
  std::unique_ptr<SdlCabScreen> screen = SdlCabScreen::offscreen();
  HeadlessPlatform platform;
  std::unique_ptr<Run> run;
  NewFilmPicture film = make_film_picture(800, 600);
  explicit SdlFixtureRun(int opt_moji) {
    platform.cab_screen = screen.get();
    platform.image_list = &screen->images();
    platform.sprite_engine = &screen->sprites();
    run = std::make_unique<Run>(fixture(), platform.services());
    FormCreate(*run);
    run->options.opt_moji = opt_moji;
    screen->set_film_picture(film.picture);
  }
  // One frame's drawing work after the run moved on.
  void frame_texts_and_needles(long long i) {
    move_on(*run, i);
    drive_texts_step(*run);
    draw_film_texts(*run);
    instruments_step(*run);
    overlay_frame_step(*run);
  }
};

// Film picture, texts on the film and every sprite of the fixture's desk and overlays, drawn
// and shown in the window.
void BM_CabDrawSdl(benchmark::State& state) {
  SdlFixtureRun f(0);  // film mode: every text drawn on the film
  long long i = 0;
  for (auto _ : state) {
    f.frame_texts_and_needles(++i);
    f.screen->compose();
    f.screen->flip();
  }
}
BENCHMARK(BM_CabDrawSdl)->Apply(worst)->Unit(benchmark::kMillisecond);

// The same in label mode, with the labels beside the cab; with argument 1 the value display
// and the easy-cab window are open too.
void BM_CabWindowSdl(benchmark::State& state) {
  SdlFixtureRun f(1);
  Run& run = *f.run;
  SdlImGui windows_layer(f.screen->renderer());
  f.screen->set_window_overlay([&](SDL_Renderer*, float left, float top, float scale) { windows_layer.draw(left, top, scale); });
  run.value_display.visible = state.range(0) == 1;
  run.texts.easy_cab.visible = state.range(0) == 1;
  CabWindows windows;
  long long i = 0;
  for (auto _ : state) {
    f.frame_texts_and_needles(++i);
    label_step(run);
    value_display_step(run);
    windows_layer.begin_frame(1.0f / 60);
    draw_cab_windows(run, windows);
    windows_layer.end_frame();
    cab_window_step(run);
    f.screen->compose();
    f.screen->flip();
  }
}
BENCHMARK(BM_CabWindowSdl)->Arg(0)->Arg(1)->Apply(worst)->Unit(benchmark::kMillisecond);

}  // namespace
