#include "platform/film_picture.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velmora {

namespace {

// 8.8 fixed-point BT.601 factors for one sample range.
struct YuvFactors {
  int y_offset;  // luma black level
  int y_gain;    // luma scale
  int r_v, g_u, g_v, b_u;
};

constexpr YuvFactors kVideoRange = {16, 298, 409, 100, 208, 516};
constexpr YuvFactors kFullRange = {0, 256, 359, 88, 183, 454};

inline std::uint8_t clamp_byte(int v) {
  return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

inline void put_pixel(std::uint8_t* out, int luma, int r, int g, int b) {
  out[0] = clamp_byte((luma + b) >> 8);
  out[1] = clamp_byte((luma + g) >> 8);
  out[2] = clamp_byte((luma + r) >> 8);
  out[3] = 255;
}

#if defined(__SSE2__)
// Eight pixels at a time with the same integer formula as the plain loop, so both give the
// same bytes: products and sums in 32 bits through pmaddwd, clamped by saturating packs.
int convert_row_sse2(const YuvFactors& f, const std::uint8_t* y, const std::uint8_t* u,
                     const std::uint8_t* v, std::uint8_t* out, int width) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i offset = _mm_set1_epi16(static_cast<short>(f.y_offset));
  const __m128i chroma_offset = _mm_set1_epi16(128);
  const __m128i round = _mm_set1_epi32(128);
  const __m128i alpha = _mm_set1_epi8(static_cast<char>(0xff));
  // Pairs (luma gain, chroma factor) for pmaddwd over interleaved (luma, chroma) lanes.
  const __m128i k_r = _mm_set1_epi32((f.r_v << 16) | f.y_gain);
  const __m128i k_g = _mm_set1_epi32(((-f.g_u) << 16) | f.y_gain);
  const __m128i k_gv = _mm_set1_epi32((-f.g_v) & 0xffff);
  const __m128i k_b = _mm_set1_epi32((f.b_u << 16) | f.y_gain);
  struct Sums {
    __m128i lo, hi;  // pixels 0-3 and 4-7
  };
  auto channel = [&](__m128i luma, __m128i chroma, __m128i k) {
    return Sums{_mm_madd_epi16(_mm_unpacklo_epi16(luma, chroma), k),
                _mm_madd_epi16(_mm_unpackhi_epi16(luma, chroma), k)};
  };
  auto finish = [&](Sums sum) {
    return _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(sum.lo, round), 8),
                           _mm_srai_epi32(_mm_add_epi32(sum.hi, round), 8));
  };
  int x = 0;
  for (; x + 8 <= width; x += 8) {
    std::int32_t u4, v4;
    std::memcpy(&u4, u + x / 2, 4);
    std::memcpy(&v4, v + x / 2, 4);
    const __m128i luma = _mm_sub_epi16(
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(y + x)), zero), offset);
    __m128i d = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(u4), zero), chroma_offset);
    __m128i e = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(v4), zero), chroma_offset);
    d = _mm_unpacklo_epi16(d, d);  // one chroma sample per pixel pair
    e = _mm_unpacklo_epi16(e, e);
    const __m128i r = finish(channel(luma, e, k_r));
    Sums g_sum = channel(luma, d, k_g);
    const Sums g_v = channel(e, zero, k_gv);
    g_sum.lo = _mm_add_epi32(g_sum.lo, g_v.lo);
    g_sum.hi = _mm_add_epi32(g_sum.hi, g_v.hi);
    const __m128i g = finish(g_sum);
    const __m128i b = finish(channel(luma, d, k_b));
    const __m128i bg = _mm_unpacklo_epi8(_mm_packus_epi16(b, zero), _mm_packus_epi16(g, zero));
    const __m128i ra = _mm_unpacklo_epi8(_mm_packus_epi16(r, zero), alpha);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x), _mm_unpacklo_epi16(bg, ra));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x + 16), _mm_unpackhi_epi16(bg, ra));
  }
  return x;
}
#endif

// One output row; the chroma terms of a sample are shared by the pixel pair it covers.
void convert_row(const YuvFactors& f, const std::uint8_t* y, const std::uint8_t* u,
                 const std::uint8_t* v, std::uint8_t* out, int width) {
  int done = 0;
#if defined(__SSE2__)
  done = convert_row_sse2(f, y, u, v, out, width);
#endif
  const int pairs = width / 2;
  for (int i = done / 2; i < pairs; ++i) {
    const int d = u[i] - 128;
    const int e = v[i] - 128;
    const int r = f.r_v * e + 128;
    const int g = -f.g_u * d - f.g_v * e + 128;
    const int b = f.b_u * d + 128;
    put_pixel(out + 8 * i, f.y_gain * (y[2 * i] - f.y_offset), r, g, b);
    put_pixel(out + 8 * i + 4, f.y_gain * (y[2 * i + 1] - f.y_offset), r, g, b);
  }
  if (width % 2 != 0) {
    const int d = u[pairs] - 128;
    const int e = v[pairs] - 128;
    put_pixel(out + 8 * pairs, f.y_gain * (y[width - 1] - f.y_offset), f.r_v * e + 128,
              -f.g_u * d - f.g_v * e + 128, f.b_u * d + 128);
  }
}

struct MarkGrid {
  int block_w, block_h;
};

MarkGrid mark_grid(int width, int height) {
  return {std::max(1, width / 8), std::max(1, height / 8)};
}

}  // namespace

NewFilmPicture make_film_picture(int width, int height) {
  auto picture = std::make_shared<FilmPicture>();
  const int cw = (width + 1) / 2;
  const int ch = (height + 1) / 2;
  const std::size_t luma = static_cast<std::size_t>(width) * height;
  const std::size_t chroma = static_cast<std::size_t>(cw) * ch;
  auto buffer = std::make_shared<std::vector<std::uint8_t>>(luma + 2 * chroma, 128);
  std::uint8_t* base = buffer->data();
  picture->width = width;
  picture->height = height;
  picture->planes[0] = base;
  picture->planes[1] = base + luma;
  picture->planes[2] = base + luma + chroma;
  picture->strides[0] = width;
  picture->strides[1] = cw;
  picture->strides[2] = cw;
  picture->bytes = buffer->size();
  picture->storage = std::move(buffer);
  return {picture, {base, base + luma, base + luma + chroma}};
}

void film_picture_to_bgra(const FilmPicture& p, std::uint8_t* dst, int dst_stride) {
  const YuvFactors& f = p.full_range ? kFullRange : kVideoRange;
  for (int row = 0; row < p.height; ++row) {
    convert_row(f, p.planes[0] + static_cast<std::ptrdiff_t>(row) * p.strides[0],
                p.planes[1] + static_cast<std::ptrdiff_t>(row / 2) * p.strides[1],
                p.planes[2] + static_cast<std::ptrdiff_t>(row / 2) * p.strides[2],
                dst + static_cast<std::ptrdiff_t>(row) * dst_stride, p.width);
  }
}

void paint_frame_mark(std::uint8_t* luma, int stride, int width, int height, int number) {
  const MarkGrid g = mark_grid(width, height);
  for (int bit = 0; bit < kFrameMarkBits; ++bit) {
    const std::uint8_t value = ((number >> bit) & 1) != 0 ? 235 : 16;
    const int x0 = (bit % 8) * g.block_w;
    const int y0 = (bit / 8) * g.block_h;
    for (int y = y0; y < std::min(height, y0 + g.block_h); ++y) {
      const int x1 = std::min(width, x0 + g.block_w);
      if (x1 > x0) std::memset(luma + static_cast<std::ptrdiff_t>(y) * stride + x0, value, x1 - x0);
    }
  }
}

int read_frame_mark(const std::uint8_t* luma, int stride, int width, int height) {
  if (width < 8 || height < 8) return -1;
  const MarkGrid g = mark_grid(width, height);
  int number = 0;
  for (int bit = 0; bit < kFrameMarkBits; ++bit) {
    // The middle half of the block: its edges blur under lossy coding.
    const int x0 = (bit % 8) * g.block_w + g.block_w / 4;
    const int y0 = (bit / 8) * g.block_h + g.block_h / 4;
    const int w = std::max(1, g.block_w / 2);
    const int h = std::max(1, g.block_h / 2);
    long sum = 0;
    for (int y = y0; y < y0 + h; ++y) {
      for (int x = x0; x < x0 + w; ++x) sum += luma[static_cast<std::ptrdiff_t>(y) * stride + x];
    }
    if (sum > 126L * w * h) number |= 1 << bit;
  }
  return number;
}

}  // namespace velmora
