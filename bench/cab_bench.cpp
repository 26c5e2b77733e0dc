// The cost per frame of the cab picture's work on the fixture route: the instrument update,
// the trackside overlays, the texts, and the SDL drawing of the whole 800 x 780 cab surface
// with the software renderer. Each reports the median and the worst of its repetitions.
// Run: build/release/bench/velmora_bench --benchmark_filter=Cab
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "app/headless_platform.h"
#include "app/run.h"
#include "app/startup.h"
#include "platform/sdl/sdl_cab_screen.h"
#include "view/drive_texts.h"
#include "view/instruments.h"
#include "view/overlays.h"

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
  run.motion.speed = static_cast<long double>(i % 1200) / 10;
  run.motion.stop_distance = static_cast<long double>(3000 - i % 6000);
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

// Film picture, texts and every sprite of the fixture's desk and overlays, drawn and flipped.
void BM_CabDrawSdl(benchmark::State& state) {
  std::unique_ptr<SdlCabScreen> screen = SdlCabScreen::offscreen();
  HeadlessPlatform platform;
  platform.cab_screen = screen.get();
  platform.image_list = &screen->images();
  platform.sprite_engine = &screen->sprites();
  Run run(fixture(), platform.services());
  FormCreate(run);
  run.options.opt_moji = 0;  // film mode: every text drawn on the film
  NewFilmPicture film = make_film_picture(800, 600);
  screen->set_film_picture(film.picture);
  long long i = 0;
  for (auto _ : state) {
    move_on(run, ++i);
    drive_texts_step(run);
    draw_film_texts(run);
    instruments_step(run);
    overlay_frame_step(run);
    screen->compose();
    screen->flip();
  }
}
BENCHMARK(BM_CabDrawSdl)->Apply(worst)->Unit(benchmark::kMillisecond);

}  // namespace
