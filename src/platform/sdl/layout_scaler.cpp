#include "platform/sdl/layout_scaler.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velmora {

namespace {

// a and b weighed, 8 bits a channel, two channels at a time in one 32-bit word's halves:
// 255 * 256 + 128 still fits in 16 bits, so no channel spills into the next.
std::uint32_t mix(std::uint32_t a, std::uint32_t b, std::uint32_t weight) {
  const std::uint32_t keep = 256 - weight;
  const std::uint32_t rb =
      ((a & 0x00ff00ffu) * keep + (b & 0x00ff00ffu) * weight + 0x00800080u) >> 8 & 0x00ff00ffu;
  const std::uint32_t ag =
      ((a >> 8 & 0x00ff00ffu) * keep + (b >> 8 & 0x00ff00ffu) * weight + 0x00800080u) & 0xff00ff00u;
  return rb | ag;
}

}  // namespace

std::vector<LayoutScaler::Tap> LayoutScaler::taps(int from, int to, bool nearest) {
  std::vector<Tap> out(static_cast<std::size_t>(std::max(to, 0)));
  if (from <= 0 || to <= 0) return {};
  const double step = static_cast<double>(from) / to;
  for (int o = 0; o < to; ++o) {
    // Px centres meet px centres, as a filtered copy draws them.
    const double at = (o + 0.5) * step - 0.5;
    Tap& t = out[static_cast<std::size_t>(o)];
    if (nearest) {
      t = {std::clamp(static_cast<int>(std::floor((o + 0.5) * step)), 0, from - 1), 0, 0};
      t.second = t.first;
      continue;
    }
    const double clamped = std::clamp(at, 0.0, static_cast<double>(from - 1));
    t.first = static_cast<int>(std::floor(clamped));
    t.second = std::min(t.first + 1, from - 1);
    t.weight = static_cast<std::uint32_t>(std::lround((clamped - t.first) * 256));
  }
  return out;
}

void LayoutScaler::set_size(int from_w, int from_h, int to_w, int to_h, bool nearest) {
  columns_ = taps(from_w, to_w, nearest);
  rows_ = taps(from_h, to_h, nearest);
  column_weights_.clear();
  for (const Tap& t : columns_)
    for (int k = 0; k < 8; ++k)
      column_weights_.push_back(static_cast<std::uint16_t>(k < 4 ? 256 - t.weight : t.weight));
}

SDL_Rect LayoutScaler::output_of(const SDL_Rect& changed) const {
  // Taps rise with the output px, so the ones touching the change form one run on each axis.
  const auto run = [](const std::vector<Tap>& taps, int from, int length, int& start, int& count) {
    const auto first = std::partition_point(taps.begin(), taps.end(),
                                            [from](const Tap& t) { return t.second < from; });
    const auto end = std::partition_point(
        first, taps.end(), [last = from + length - 1](const Tap& t) { return t.first <= last; });
    start = static_cast<int>(first - taps.begin());
    count = static_cast<int>(end - first);
  };
  if (changed.w <= 0 || changed.h <= 0) return {};
  SDL_Rect o{};
  run(columns_, changed.x, changed.w, o.x, o.w);
  run(rows_, changed.y, changed.h, o.y, o.h);
  return o.w > 0 && o.h > 0 ? o : SDL_Rect{};
}

SDL_Rect LayoutScaler::source_of(const SDL_Rect& output) const {
  if (output.w <= 0 || output.h <= 0) return {};
  const Tap& left = columns_[static_cast<std::size_t>(output.x)];
  const Tap& right = columns_[static_cast<std::size_t>(output.x + output.w - 1)];
  const Tap& top = rows_[static_cast<std::size_t>(output.y)];
  const Tap& bottom = rows_[static_cast<std::size_t>(output.y + output.h - 1)];
  return {left.first, top.first, right.second - left.first + 1, bottom.second - top.first + 1};
}

void LayoutScaler::scale(const SDL_Rect& output, const std::uint32_t* source, int source_pitch,
                         std::uint32_t* out, int out_pitch) {
  const SDL_Rect from = source_of(output);
  if (from.w <= 0) return;
  // Down first, into one line of the source's width, then across that line. The line has a
  // px to spare: across reads each px with the next, which weighs nothing at the right edge.
  line_.resize(static_cast<std::size_t>(from.w) + 1);
  for (int y = 0; y < output.h; ++y) {
    const Tap& t = rows_[static_cast<std::size_t>(output.y + y)];
    const std::uint32_t* upper =
        source + static_cast<std::ptrdiff_t>(t.first - from.y) * source_pitch;
    const std::uint32_t* lower =
        source + static_cast<std::ptrdiff_t>(t.second - from.y) * source_pitch;
    mix_down(upper, lower, t.weight, line_.data(), from.w);
    line_[static_cast<std::size_t>(from.w)] = line_[static_cast<std::size_t>(from.w) - 1];
    mix_across(line_.data(), from.x, output.x, output.w,
               out + static_cast<std::ptrdiff_t>(y) * out_pitch);
  }
}

void LayoutScaler::mix_down(const std::uint32_t* upper, const std::uint32_t* lower,
                            std::uint32_t weight, std::uint32_t* to, int count) const {
  int x = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
  const __m128i keep = _mm_set1_epi16(static_cast<short>(256 - weight));
  const __m128i take = _mm_set1_epi16(static_cast<short>(weight));
  const auto half_of = [&](__m128i a, __m128i b) {
    return _mm_srli_epi16(
        _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(a, keep), _mm_mullo_epi16(b, take)), half), 8);
  };
  for (; x + 4 <= count; x += 4) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + x));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + x));
    const __m128i low = half_of(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
    const __m128i high = half_of(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x), _mm_packus_epi16(low, high));
  }
#endif
  for (; x < count; ++x) to[x] = mix(upper[x], lower[x], weight);
}

void LayoutScaler::mix_across(const std::uint32_t* line, int origin, int first, int count,
                              std::uint32_t* to) const {
  const Tap* columns = &columns_[static_cast<std::size_t>(first)];
#if defined(__SSE2__)
  // Each px with the next, in one register: four channels kept, four taken, then added.
  const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
  const std::uint16_t* weights = &column_weights_[static_cast<std::size_t>(first) * 8];
  for (int x = 0; x < count; ++x) {
    const __m128i pair = _mm_unpacklo_epi8(
        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(line + (columns[x].first - origin))),
        zero);
    __m128i sum =
        _mm_mullo_epi16(pair, _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights + 8 * x)));
    sum = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(sum, _mm_srli_si128(sum, 8)), half), 8);
    to[x] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(sum, sum)));
  }
#else
  for (int x = 0; x < count; ++x)
    to[x] = mix(line[columns[x].first - origin], line[columns[x].first - origin + 1],
                columns[x].weight);
#endif
}

}  // namespace velmora
