// The layout scaled in software: a part scaled again is what scaling the whole would give.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/sdl/layout_scaler.h"

namespace velmora {
namespace {

struct Picture {
  int w, h;
  std::vector<std::uint32_t> px;
  Picture(int width, int height)
      : w(width), h(height), px(static_cast<std::size_t>(width) * height) {}
  std::uint32_t* at(int x, int y) { return &px[static_cast<std::size_t>(y) * w + x]; }
};

// Every px a different colour, so a px taken from one place too far shows.
Picture layout(int w, int h, std::uint32_t seed) {
  Picture p(w, h);
  for (std::size_t i = 0; i < p.px.size(); ++i)
    p.px[i] = 0xff000000u | static_cast<std::uint32_t>((i * 2654435761u + seed) & 0xffffffu);
  return p;
}

// As the screen does it: only source_of's px are read back.
void scale_part(LayoutScaler& s, Picture& from, const SDL_Rect& part, Picture& to) {
  const SDL_Rect source = s.source_of(part);
  Picture read(source.w, source.h);
  for (int y = 0; y < source.h; ++y)
    for (int x = 0; x < source.w; ++x) *read.at(x, y) = *from.at(source.x + x, source.y + y);
  s.scale(part, read.px.data(), read.w, to.at(part.x, part.y), to.w);
}

TEST(LayoutScaler, APartScaledAgainAfterAChangeMatchesTheWholeScaledAfresh) {
  struct Case {
    int from_w, from_h, to_w, to_h;
    bool nearest;
    SDL_Rect changed;
  };
  const Case cases[] = {
      {50, 40, 37, 29, false, {10, 10, 5, 3}},  // smaller
      {50, 40, 37, 29, false, {0, 0, 1, 1}},    // a corner px
      {50, 40, 37, 29, false, {49, 39, 1, 1}},  // the other corner
      {50, 40, 71, 57, false, {20, 5, 1, 30}},  // larger
      {50, 40, 100, 80, true, {7, 9, 3, 4}},    // twice, px kept sharp
  };
  for (const Case& c : cases) {
    LayoutScaler s;
    s.set_size(c.from_w, c.from_h, c.to_w, c.to_h, c.nearest);
    const SDL_Rect all{0, 0, c.to_w, c.to_h};
    Picture before = layout(c.from_w, c.from_h, 1), after = before;
    Picture shown(c.to_w, c.to_h), fresh(c.to_w, c.to_h);
    scale_part(s, before, all, shown);
    const Picture other = layout(c.from_w, c.from_h, 7);
    for (int y = c.changed.y; y < c.changed.y + c.changed.h; ++y)
      for (int x = c.changed.x; x < c.changed.x + c.changed.w; ++x)
        *after.at(x, y) = other.px[static_cast<std::size_t>(y) * c.from_w + x];
    const SDL_Rect part = s.output_of(c.changed);
    ASSERT_GT(part.w, 0);
    EXPECT_LT(part.w * part.h, c.to_w * c.to_h / 4) << "a small change scales a small part";
    scale_part(s, after, part, shown);
    scale_part(s, after, all, fresh);
    EXPECT_EQ(shown.px, fresh.px) << c.to_w << " x " << c.to_h << " from " << c.changed.x << ", "
                                  << c.changed.y;
  }
}

}  // namespace
}  // namespace velmora
