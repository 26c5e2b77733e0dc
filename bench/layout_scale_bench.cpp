// Scaling the cab window's layout (1202 x 797 with the menu bar's strip) to a 1366 x 768
// screen in software: SDL's own filtered copy of the whole, against the layout scaler on the
// whole and on the part a needle changes (164 x 164 layout px).
// Run: build/release/bench/velmora_bench --benchmark_filter=LayoutScale
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform/sdl/layout_scaler.h"

namespace {

using namespace velmora;

constexpr int kFromW = 1202, kFromH = 797, kToW = 1158, kToH = 768;

std::vector<std::uint32_t> layout_pixels() {
  std::vector<std::uint32_t> px(static_cast<std::size_t>(kFromW) * kFromH);
  for (std::size_t i = 0; i < px.size(); ++i) px[i] = static_cast<std::uint32_t>(i * 2654435761u);
  return px;
}

void BM_LayoutScaleSdl(benchmark::State& state) {
  std::vector<std::uint32_t> from = layout_pixels(), to(static_cast<std::size_t>(kToW) * kToH);
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(from.data(), kFromW, kFromH, 32, kFromW * 4,
                                                        SDL_PIXELFORMAT_ARGB8888);
  SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormatFrom(to.data(), kToW, kToH, 32, kToW * 4,
                                                        SDL_PIXELFORMAT_ARGB8888);
  for (auto _ : state) {
    if (SDL_SoftStretchLinear(src, nullptr, dst, nullptr) != 0) state.SkipWithError(SDL_GetError());
    benchmark::DoNotOptimize(to.data());
  }
  SDL_FreeSurface(src);
  SDL_FreeSurface(dst);
}
BENCHMARK(BM_LayoutScaleSdl)->Unit(benchmark::kMillisecond);

// Arg 0: the whole layout; 1: a needle's part.
void BM_LayoutScaleOwn(benchmark::State& state) {
  const std::vector<std::uint32_t> from = layout_pixels();
  std::vector<std::uint32_t> to(static_cast<std::size_t>(kToW) * kToH);
  LayoutScaler scaler;
  scaler.set_size(kFromW, kFromH, kToW, kToH, false);
  const SDL_Rect part =
      state.range(0) == 0 ? SDL_Rect{0, 0, kToW, kToH} : scaler.output_of({102, 627, 164, 164});
  const SDL_Rect source = scaler.source_of(part);
  for (auto _ : state) {
    scaler.scale(part, &from[static_cast<std::size_t>(source.y) * kFromW + source.x], kFromW,
                 &to[static_cast<std::size_t>(part.y) * kToW + part.x], kToW);
    benchmark::DoNotOptimize(to.data());
  }
}
BENCHMARK(BM_LayoutScaleOwn)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
