// The cost of one frame of the main loop and of reading velmora.dat, on the fake
// platform. Run: build/release/bench/velmora_bench
#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/main_loop.h"
#include "app/headless_platform.h"
#include "app/run.h"
#include "data/ui_texts.h"

namespace {

using namespace velmora;

const std::filesystem::path kFixtures = std::filesystem::path(VELMORA_SOURCE_DIR) / "tests/fixtures/basic";

void BM_Frame(benchmark::State& state) {
  HeadlessPlatform platform;
  Run run(RunConfig{}, platform.services());
  run.frame.app_ready = run.frame.film_ready = true;
  run.ui.film_fps = 30;
  run.load.total_mass = Fixed4(30);
  run.train.motion.speed = 80;
  run.train.motion.film_speed = 60;
  for (auto _ : state) {
    platform.clock.advance_ns(16'667'000);
    benchmark::DoNotOptimize(AppIdle(run));
  }
}
BENCHMARK(BM_Frame);

void BM_LoadUiTexts(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(load_ui_texts(kFixtures / "velmora.dat"));
}
BENCHMARK(BM_LoadUiTexts);

}  // namespace

BENCHMARK_MAIN();
