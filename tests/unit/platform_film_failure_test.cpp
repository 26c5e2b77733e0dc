// The FFmpeg film source when the film file fails during a drive: cut short or removed while
// open, then put back and opened again.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>

#include "film_test_films.h"
#include "platform/ffmpeg/ffmpeg_film_source.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

constexpr auto kPatience = 10s;  // ample for any frame of this small film, even under ASan
constexpr int kFrames = 300;
constexpr int kAhead = FilmWindow{}.ahead;  // frames read ahead of a film running forward

class FilmFileFailure : public testing::Test {
 protected:
  void SetUp() override {
    set_film_library_quiet(true);
    FilmWriterSettings s;
    s.encoder = "mpeg4";
    s.fourcc = "XVID";
    s.frames = kFrames;
    s.keyframe_interval = 100;
    s.b_frames = 2;
    path_ = scratch_.path("line.avi");
    ASSERT_EQ(film_test::make_film(path_, s), "");
    std::ifstream in(path_, std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    reference_ = film_test::straight_decode(path_);
    ASSERT_EQ(static_cast<int>(reference_.size()), kFrames);
  }

  void put_back() const {
    std::ofstream(path_, std::ios::binary | std::ios::trunc)
        .write(bytes_.data(), static_cast<std::streamsize>(bytes_.size()));
  }

  // Asks for frames from..to in turn as a drive does; every ready picture must be exactly
  // its frame (no picture decoded from a packet cut in two, none numbered wrongly).
  std::vector<FilmFrameStatus> drive(FfmpegFilmSource& source, int from, int to) const {
    std::vector<FilmFrameStatus> got;
    for (int n = from; n <= to; ++n) {
      const FilmFrame f = source.avi_getframe(n, kPatience);
      got.push_back(f.status);
      if (f.status != FilmFrameStatus::kReady) continue;
      EXPECT_EQ(f.picture->frame, n);
      EXPECT_TRUE(film_test::same_planes(film_test::planes_of(*f.picture), reference_[n])) << n;
    }
    return got;
  }

  static int count(const std::vector<FilmFrameStatus>& got, FilmFrameStatus status) {
    return static_cast<int>(std::count(got.begin(), got.end(), status));
  }

  film_test::Scratch scratch_;
  std::string path_;
  std::string bytes_;
  std::vector<film_test::Planes> reference_;
};

TEST_F(FilmFileFailure, WholeFilmToItsLastFrameNeverFails) {
  FfmpegFilmSource source;
  ASSERT_EQ(source.avi_open(path_), kFilmOpened);
  EXPECT_EQ(count(drive(source, 0, kFrames - 1), FilmFrameStatus::kReady), kFrames);
  EXPECT_EQ(source.avi_getframe(kFrames - 1, kPatience).status, FilmFrameStatus::kReady);
  EXPECT_EQ(source.stats().read_errors, 0);
}

TEST_F(FilmFileFailure, FilmCutShortWhileOpenFailsBeyondTheCutUntilOpenedAgain) {
  FfmpegFilmSource source;
  for (const bool jump : {false, true}) {
    SCOPED_TRACE(jump ? "jump past the cut" : "run onto the cut");
    ASSERT_EQ(source.avi_open(path_), kFilmOpened);
    ASSERT_EQ(count(drive(source, 0, 60), FilmFrameStatus::kReady), 61);
    source.wait_idle();  // frames 61 .. 60 + kAhead read ahead
    const std::int64_t errors = source.stats().read_errors;
    ASSERT_EQ(::truncate(path_.c_str(), static_cast<off_t>(bytes_.size() / 3)), 0);

    if (jump) {
      EXPECT_EQ(source.avi_getframe(250, kPatience).status, FilmFrameStatus::kFailed);
    } else {
      const auto got = drive(source, 61, kFrames - 1);
      EXPECT_EQ(count(got, FilmFrameStatus::kReady) + count(got, FilmFrameStatus::kFailed),
                kFrames - 61);
      EXPECT_GE(count(got, FilmFrameStatus::kReady), kAhead);  // cached before the cut
      EXPECT_EQ(std::count(got.begin() + (200 - 61), got.end(), FilmFrameStatus::kFailed),
                kFrames - 200);  // all well past the cut
    }
    // One failed read: the source does not run into the cut again for every frame.
    EXPECT_EQ(source.stats().read_errors, errors + 1);
    EXPECT_FALSE(source.frame_busy());
    // Frames decoded before the cut are still shown.
    for (int n : {60, 0, 60 + kAhead}) {
      EXPECT_EQ(source.avi_getframe(n, kPatience).status, FilmFrameStatus::kReady) << n;
    }
    put_back();
  }
  ASSERT_EQ(source.avi_open(path_), kFilmOpened);
  EXPECT_EQ(count(drive(source, 0, kFrames - 1), FilmFrameStatus::kReady), kFrames);
  EXPECT_EQ(source.stats().read_errors, 2);
}

TEST_F(FilmFileFailure, FilmRemovedWhileOpenReadsOnUntilOpenedAgain) {
  FfmpegFilmSource source;
  ASSERT_EQ(source.avi_open(path_), kFilmOpened);
  ASSERT_EQ(count(drive(source, 0, 60), FilmFrameStatus::kReady), 61);
  ASSERT_EQ(::unlink(path_.c_str()), 0);
  // Linux keeps a removed file's data while it is open, so the film reads on to its end.
  EXPECT_EQ(count(drive(source, 61, kFrames - 1), FilmFrameStatus::kReady), kFrames - 61);
  EXPECT_EQ(source.stats().read_errors, 0);
  EXPECT_EQ(source.avi_open(path_), kFilmCannotOpen);
  put_back();
  ASSERT_EQ(source.avi_open(path_), kFilmOpened);
  EXPECT_EQ(count(drive(source, 0, kFrames - 1), FilmFrameStatus::kReady), kFrames);
}

}  // namespace
}  // namespace velmora
