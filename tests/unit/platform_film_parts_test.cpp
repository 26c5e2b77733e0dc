// The film source's parts that need no film: the planner's choices, the cache's evictions,
// the BGRA conversion and the frame marks.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <vector>

#include "platform/ffmpeg/film_cache.h"
#include "platform/ffmpeg/film_plan.h"
#include "platform/film_picture.h"

namespace velmora {
namespace {

// Keyframes every `interval` frames, numbered exactly; a decoder that gives one frame per
// step and stores it when it lies in the window, as the real source does.
class Rig final : public FilmPlanView {
 public:
  bool settled(int n) const override { return ready.count(n) != 0; }
  int keyframe_for(int n) const override { return n / interval; }
  int keyframe_number(int slot) const override { return slot * interval; }
  int decoder_slot() const override { return slot; }
  int decoder_next() const override { return next; }

  // Runs the planner until it has nothing left to do for request n.
  void settle(int n) {
    planner.set_request(n);
    for (int guard = 0; guard < 100000; ++guard) {
      const FilmPlanStep step = planner.next(*this, length, window);
      if (step.kind == FilmPlanStep::Kind::kIdle) return;
      if (step.kind == FilmPlanStep::Kind::kSeek) {
        ++seeks;
        slot = step.slot;
        next = keyframe_number(step.slot);
      }
      ++decodes;
      if (next >= n - window.behind && next <= n + window.ahead) ready.insert(next);
      ++next;
    }
    FAIL() << "the planner never settles for frame " << n;
  }

  FilmPlanner planner;
  FilmWindow window{8, 20, 10};
  int length = 1000;
  int interval = 30;
  std::set<int> ready;
  int slot = -1;
  int next = -1;
  int seeks = 0;
  int decodes = 0;
};

TEST(FilmPlanner, ChoosesBetweenDecodingOnAndSeeking) {
  const struct {
    int request, decoder_slot, decoder_next, target, slot;
    FilmPlanStep::Kind kind;
  } cases[] = {
      {0, -1, -1, 0, 0, FilmPlanStep::Kind::kSeek},     // not positioned
      {5, 0, 3, 5, 0, FilmPlanStep::Kind::kDecode},     // on the way
      {5, 0, 7, 5, 0, FilmPlanStep::Kind::kSeek},       // already past it
      {95, 0, 7, 95, 3, FilmPlanStep::Kind::kSeek},     // a jump: the keyframe before it
      {31, 0, 25, 31, 1, FilmPlanStep::Kind::kDecode},  // a keyframe between, but close
      {31, 0, 21, 31, 1, FilmPlanStep::Kind::kSeek},    // ... and farther than the margin
      {65, 2, -1, 65, 2, FilmPlanStep::Kind::kDecode},  // numbering not known yet, same slot
      {65, 1, -1, 65, 2, FilmPlanStep::Kind::kSeek},    // ... another slot
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.slot = c.decoder_slot;
    rig.next = c.decoder_next;
    rig.planner.set_request(c.request);
    const FilmPlanStep step = rig.planner.next(rig, rig.length, rig.window);
    EXPECT_EQ(step.kind, c.kind) << "request " << c.request;
    EXPECT_EQ(step.target, c.target) << "request " << c.request;
    EXPECT_EQ(step.slot, c.slot) << "request " << c.request;
  }
}

TEST(FilmPlanner, ForwardRunningReadsAheadWithoutSeeking) {
  Rig rig;
  int n = 0;
  for (; n < 600; n += 3) {
    rig.settle(n);
    for (int i = n; i <= n + rig.window.ahead; ++i) ASSERT_TRUE(rig.settled(i)) << i;
  }
  // One seek to start; keyframes are decoded through, and no frame twice.
  EXPECT_EQ(rig.seeks, 1);
  EXPECT_EQ(rig.decodes, n - 3 + rig.window.ahead + 1);
}

TEST(FilmPlanner, BackwardRunningRefillsTheWindowInBatches) {
  Rig rig;
  rig.settle(601);
  rig.settle(600);  // the reversal fills the window behind
  const int seeks = rig.seeks;
  for (int n = 599; n >= 0; --n) {
    // Each frame is ready before the playhead arrives: the window was filled ahead of it.
    ASSERT_TRUE(rig.settled(n)) << "frame " << n << " missing on arrival";
    rig.settle(n);
  }
  // A refill every (behind - refill) = 10 frames, reaching over at most two keyframe
  // groups; one seek per frame shown would be 600.
  EXPECT_LE(rig.seeks - seeks, 2 * 600 / 10 + 2);
  EXPECT_GE(rig.seeks - seeks, 600 / 10 - 2);
}

TEST(FilmPlanner, ReversingStartsReadingTheOtherWay) {
  Rig rig;
  rig.settle(300);
  EXPECT_TRUE(rig.settled(300 + rig.window.ahead));
  EXPECT_FALSE(rig.settled(299));
  rig.settle(299);  // the first step back
  for (int i = 299 - rig.window.behind; i < 299; ++i) EXPECT_TRUE(rig.settled(i)) << i;
  EXPECT_EQ(rig.planner.direction(), -1);
}

std::shared_ptr<const FilmPicture> picture(int frame, std::size_t bytes) {
  auto p = std::make_shared<FilmPicture>();
  p->frame = frame;
  p->bytes = bytes;
  return p;
}

TEST(FilmFrameCache, EvictsLeastRecentlyUsedOutsideTheWindowThenFarthest) {
  FilmFrameCache cache(500);
  for (int n = 0; n < 5; ++n) cache.insert(picture(n, 100), n, n - 1, n + 1);
  EXPECT_EQ(cache.bytes(), 500u);
  ASSERT_NE(cache.find(0), nullptr);  // 0 is now used more recently than 1 and 2
  cache.insert(picture(5, 100), 5, 4, 6);
  EXPECT_FALSE(cache.contains(1));
  EXPECT_TRUE(cache.contains(0));
  EXPECT_EQ(cache.bytes(), 500u);

  // Everything inside the window: the frame farthest from the playhead goes, never the
  // playhead's own.
  FilmFrameCache window(300);
  for (int n : {10, 11, 12}) window.insert(picture(n, 100), 11, 0, 20);
  window.insert(picture(13, 100), 11, 0, 20);
  EXPECT_FALSE(window.contains(13));
  EXPECT_TRUE(window.contains(10) && window.contains(11) && window.contains(12));
  EXPECT_EQ(window.frames(), 3);
  window.insert(picture(11, 1000), 11, 0, 20);  // alone over the bound, still kept
  EXPECT_TRUE(window.contains(11));
  EXPECT_EQ(window.bytes(), 1000u);
  EXPECT_EQ(window.frames(), 1);

  cache.clear();
  EXPECT_EQ(cache.bytes(), 0u);
  EXPECT_EQ(cache.find(5), nullptr);
}

// BT.601 in floating point, as published, for comparison with the fixed-point conversion.
void reference_bgr(int y, int u, int v, bool full, int out[3]) {
  const double d = u - 128.0, e = v - 128.0;
  const double l = full ? y : 1.164383 * (y - 16);
  const double r = l + (full ? 1.402 : 1.596027) * e;
  const double g = l - (full ? 0.344136 : 0.391762) * d - (full ? 0.714136 : 0.812968) * e;
  const double b = l + (full ? 1.772 : 2.017232) * d;
  const double bgr[3] = {b, g, r};
  for (int i = 0; i < 3; ++i)
    out[i] = static_cast<int>(std::lround(std::clamp(bgr[i], 0.0, 255.0)));
}

TEST(FilmPicture, BgraConversionFollowsBt601InBothRanges) {
  // 5 x 3 px: odd in both directions, so the last column and row have chroma of their own.
  for (bool full : {false, true}) {
    NewFilmPicture made = make_film_picture(5, 3);
    made.picture->full_range = full;
    const int ys[] = {16, 235, 0, 255, 81, 145, 41, 128, 200, 60, 110, 170, 30, 220, 90};
    for (int i = 0; i < 15; ++i) made.planes[0][i] = static_cast<std::uint8_t>(ys[i]);
    const int us[] = {128, 90, 240, 16, 54, 200};
    const int vs[] = {128, 240, 110, 34, 34, 128};
    for (int i = 0; i < 6; ++i) {
      made.planes[1][i] = static_cast<std::uint8_t>(us[i]);
      made.planes[2][i] = static_cast<std::uint8_t>(vs[i]);
    }
    const int stride = 5 * 4 + 8;
    std::vector<std::uint8_t> out(stride * 3, 7);
    film_picture_to_bgra(*made.picture, out.data(), stride);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 5; ++x) {
        const int c = (y / 2) * 3 + x / 2;
        int want[3];
        reference_bgr(ys[y * 5 + x], us[c], vs[c], full, want);
        const std::uint8_t* px = &out[y * stride + x * 4];
        for (int i = 0; i < 3; ++i)
          EXPECT_NEAR(px[i], want[i], 1) << x << "," << y << " full " << full;
        EXPECT_EQ(px[3], 255);
      }
      EXPECT_EQ(out[y * stride + 20], 7) << "wrote past the row";
    }
  }
}

TEST(FilmPicture, BgraConversionOfWideRowsMatchesTheFormulaAtEveryPixel) {
  // Rows long enough for the vector path plus a tail it leaves to the plain loop.
  std::mt19937 random(3);
  for (bool full : {false, true}) {
    NewFilmPicture made = make_film_picture(37, 6);
    made.picture->full_range = full;
    for (int i = 0; i < 37 * 6; ++i) made.planes[0][i] = static_cast<std::uint8_t>(random());
    for (int i = 0; i < 19 * 3; ++i) {
      made.planes[1][i] = static_cast<std::uint8_t>(random());
      made.planes[2][i] = static_cast<std::uint8_t>(random());
    }
    std::vector<std::uint8_t> out(37 * 4 * 6);
    film_picture_to_bgra(*made.picture, out.data(), 37 * 4);
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 37; ++x) {
        const int c = (y / 2) * 19 + x / 2;
        int want[3];
        reference_bgr(made.planes[0][y * 37 + x], made.planes[1][c], made.planes[2][c], full, want);
        for (int i = 0; i < 3; ++i) {
          ASSERT_NEAR(out[(y * 37 + x) * 4 + i], want[i], 1) << x << "," << y << " full " << full;
        }
        ASSERT_EQ(out[(y * 37 + x) * 4 + 3], 255);
      }
    }
  }
}

TEST(FilmPicture, FrameMarksReadBackAtEverySize) {
  for (auto [w, h] : {std::pair{160, 120}, {800, 600}, {17, 9}, {8, 8}}) {
    for (int n : {0, 1, 299, 300, 12345, 65535}) {
      std::vector<std::uint8_t> luma(w * h, 128);
      paint_frame_mark(luma.data(), w, w, h, n);
      EXPECT_EQ(read_frame_mark(luma.data(), w, w, h), n) << w << "x" << h;
    }
  }
  std::vector<std::uint8_t> tiny(7 * 7, 235);
  EXPECT_EQ(read_frame_mark(tiny.data(), 7, 7, 7), -1);
}

}  // namespace
}  // namespace velmora
