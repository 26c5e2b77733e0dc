// The FFmpeg film source on films the tests write: exact frames in every order the run asks
// for them, result codes, cost of a standing train, the memory bound.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <random>
#include <thread>

#include "film_test_films.h"
#include "platform/ffmpeg/ffmpeg_film_source.h"
#include "platform/ffmpeg/film_sound.h"

namespace velmora {
namespace {

using film_test::Planes;
using film_test::Scratch;
using namespace std::chrono_literals;

constexpr auto kPatience = 10s;  // ample for any frame of these small films, even under ASan

FilmWriterSettings xvid_like(int frames) {
  FilmWriterSettings s;
  s.encoder = "mpeg4";
  s.fourcc = "XVID";
  s.frames = frames;
  s.keyframe_interval = 300;
  s.b_frames = 2;
  return s;
}

struct FilmCase {
  const char* name;
  FilmWriterSettings settings;
};

FilmCase film_case(const char* name, const char* encoder, int frames, int interval,
                   bool closed_gop = false, const char* pixel_format = "",
                   bool with_sound = false) {
  FilmWriterSettings s = xvid_like(frames);
  s.encoder = encoder;
  s.fourcc = std::string(encoder) == "mpeg4" ? "XVID" : "";
  s.keyframe_interval = interval;
  s.closed_gop = closed_gop;
  s.pixel_format = pixel_format;
  s.with_sound = with_sound;
  if (s.encoder == "libx264") s.quality = 20;
  return {name, s};
}

void PrintTo(const FilmCase& c, std::ostream* out) { *out << c.name; }

class ExactFrames : public testing::TestWithParam<FilmCase> {
 protected:
  void SetUp() override {
    set_film_library_quiet(true);
    const FilmCase& c = GetParam();
    if (!film_encoder_available(c.settings.encoder)) {
      GTEST_SKIP() << "FFmpeg has no " << c.settings.encoder << " encoder here";
    }
    path_ = scratch_.path(std::string(c.name) + ".avi");
    ASSERT_EQ(film_test::make_film(path_, c.settings), "");
    reference_ = film_test::straight_decode(path_);
    ASSERT_EQ(static_cast<int>(reference_.size()), c.settings.frames);
  }

  // Asks for frame n as the run does and checks the picture against the straight decode.
  void expect_frame(FfmpegFilmSource& source, int n) {
    const FilmFrame f = source.avi_getframe(n, kPatience);
    ASSERT_EQ(f.status, FilmFrameStatus::kReady) << "frame " << n;
    ASSERT_EQ(f.picture->frame, n);
    const Planes got = film_test::planes_of(*f.picture);
    EXPECT_EQ(read_frame_mark(got.y.data(), got.width, got.width, got.height), n);
    EXPECT_TRUE(film_test::same_planes(got, reference_[n])) << "frame " << n << " differs";
  }

  Scratch scratch_;
  std::string path_;
  std::vector<Planes> reference_;
};

TEST_P(ExactFrames, FramesAroundKeyframesInBothDirections) {
  const int k = GetParam().settings.keyframe_interval;
  const int last = GetParam().settings.frames - 1;
  FfmpegFilmSource source;
  ASSERT_EQ(source.avi_open(path_), kFilmOpened);
  EXPECT_EQ(source.avi_length(), last + 1);
  EXPECT_EQ(source.film_width(), 160);
  EXPECT_EQ(source.film_height(), 120);
  // The frame just before a keyframe first: a seek by number lands on the keyframe, whose
  // picture comes after it when B-frames precede the keyframe.
  for (int n : {0, k - 1, k, k + 1, 2 * k - 1, last, k + 1, k, k - 1, 1, 0}) {
    expect_frame(source, std::min(n, last));
  }
}

TEST_P(ExactFrames, EveryFrameOfADriveMatchesTheStraightDecode) {
  const int length = GetParam().settings.frames;
  FfmpegFilmSource source;
  ASSERT_EQ(source.avi_open(path_), kFilmOpened);
  // Forward at three times the film's speed, back one frame at a time over a keyframe,
  // forward again, then jumps.
  for (int n = 0; n < length; n += 3) expect_frame(source, n);
  const int top = std::min(length - 1, GetParam().settings.keyframe_interval + 40);
  for (int n = top; n >= std::max(0, top - 90); --n) expect_frame(source, n);
  for (int n = std::max(0, top - 90); n <= top; n += 1) expect_frame(source, n);
  std::mt19937 random(7);
  for (int i = 0; i < 25; ++i) expect_frame(source, static_cast<int>(random() % length));
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, ExactFrames,
    testing::Values(film_case("Mpeg4OpenGop", "mpeg4", 620, 300),
                    film_case("Mpeg4ClosedGopWithSound", "mpeg4", 620, 300, true, "", true),
                    film_case("H264", "libx264", 520, 250, true),
                    film_case("H264OpenGop", "libx264", 520, 250, false),
                    // Intra-only: every frame a keyframe; the interval only places the probes.
                    film_case("Mjpeg", "mjpeg", 330, 300),
                    film_case("UncompressedBgr", "rawvideo", 40, 20, false, "bgr24")),
    [](const testing::TestParamInfo<FilmCase>& info) { return info.param.name; });

class FilmSourceTest : public testing::Test {
 protected:
  void SetUp() override { set_film_library_quiet(true); }
  std::string film(const std::string& name, const FilmWriterSettings& s) {
    const std::string path = scratch_.path(name);
    EXPECT_EQ(film_test::make_film(path, s), "");
    return path;
  }
  Scratch scratch_;
};

TEST_F(FilmSourceTest, EveryCodecGivesEachFrameToTheLastInAnyOrder) {
  // Keyframes every 100 frames, so that the last one falls on the last frame or just before
  // it: H.264 after a seek to a keyframe that is no IDR holds its pictures back until one has
  // been shown, which at the film's end never happens.
  const struct {
    const char* encoder;
    int frames;
    int b_frames;
  } films[] = {
      {"libx264", 302, 3},  // open GOP: keyframe 300, then a P-frame
      {"libx264", 301, 3},  // keyframe 300 is the last frame; B-frame 299 is decoded after it
      {"mpeg4", 301, 2},
      {"mjpeg", 301, 0},
  };
  for (const auto& f : films) {
    if (!film_encoder_available(f.encoder)) continue;
    FilmWriterSettings s;
    s.encoder = f.encoder;
    s.fourcc = s.encoder == "mpeg4" ? "XVID" : "";
    s.width = 64;
    s.height = 48;
    s.frames = f.frames;
    s.keyframe_interval = 100;
    s.b_frames = f.b_frames;
    s.quality = s.encoder == "libx264" ? 20 : 4;
    const std::string name = s.encoder + "-" + std::to_string(f.frames);
    FfmpegFilmSource source;
    ASSERT_EQ(source.avi_open(film(name + ".avi", s)), kFilmOpened) << name;
    const int last = f.frames - 1;
    // A jump to the end and steps back from it, steps back across a keyframe, jumps.
    for (int n : {last, last - 1, last - 2, last - 3, 101, 100, 99, 98, 200, 0, last - 1, last}) {
      const FilmFrame got = source.avi_getframe(n, kPatience);
      ASSERT_EQ(got.status, FilmFrameStatus::kReady) << name << " frame " << n;
      const Planes p = film_test::planes_of(*got.picture);
      EXPECT_EQ(got.picture->frame, n) << name;
      EXPECT_EQ(read_frame_mark(p.y.data(), p.width, p.width, p.height), n) << name;
    }
  }
}

TEST_F(FilmSourceTest, OpenResultCodes) {
  const std::string text = scratch_.path("notes.avi");
  std::ofstream(text) << "This is a text file, not a film.\n";
  const std::string empty = scratch_.path("empty.avi");
  std::ofstream{empty};
  const std::string sound = scratch_.path("sound.avi");
  ASSERT_EQ(write_sound_only_avi(sound, 1), "");
  FilmWriterSettings unknown = xvid_like(10);
  unknown.encoder = "rawvideo";
  unknown.fourcc = "ZZZZ";  // a codec no decoder knows
  const std::string undecodable = film("zzzz.avi", unknown);
  const std::string good = film("good.avi", xvid_like(30));

  const struct {
    std::string path;
    int code;
  } cases[] = {
      {scratch_.path("missing.avi"), kFilmCannotOpen},
      {scratch_.path(""), kFilmCannotOpen},  // the folder itself
      {text, kFilmBadFormat},
      {empty, kFilmBadFormat},
      {sound, kFilmNoVideo},
      {undecodable, kFilmNoDecoder},
  };
  FfmpegFilmSource source;
  for (const auto& c : cases) {
    // Each failure follows a good film, which it must close.
    ASSERT_EQ(source.avi_open(good), kFilmOpened);
    EXPECT_EQ(source.avi_open(c.path), c.code) << c.path;
    EXPECT_FALSE(source.is_open());
    EXPECT_EQ(source.avi_length(), 0);
    EXPECT_EQ(source.avi_getframe(0, kPatience).status, FilmFrameStatus::kUnavailable);
  }
  ASSERT_EQ(source.avi_open(good), kFilmOpened);
  EXPECT_EQ(source.avi_length(), 30);
  EXPECT_EQ(source.avi_getframe(30).status, FilmFrameStatus::kUnavailable);
  EXPECT_EQ(source.avi_getframe(-1).status, FilmFrameStatus::kUnavailable);
  source.avi_close();
  EXPECT_FALSE(source.is_open());
}

TEST_F(FilmSourceTest, StandingTrainDecodesNothing) {
  FfmpegFilmSource source;
  ASSERT_EQ(source.avi_open(film("a.avi", xvid_like(400))), kFilmOpened);
  const FilmFrame first = source.avi_getframe(350, kPatience);
  ASSERT_EQ(first.status, FilmFrameStatus::kReady);
  source.wait_idle();
  const FilmSourceStats before = source.stats();
  for (int pass = 0; pass < 50; ++pass) {
    const FilmFrame again = source.avi_getframe(350);
    ASSERT_EQ(again.status, FilmFrameStatus::kReady);
    EXPECT_EQ(again.picture, first.picture);
  }
  std::this_thread::sleep_for(20ms);
  source.wait_idle();
  const FilmSourceStats after = source.stats();
  EXPECT_EQ(after.decoded, before.decoded);
  EXPECT_EQ(after.seeks, before.seeks);
  EXPECT_EQ(after.requests, before.requests);
}

TEST_F(FilmSourceTest, BusyFrameIsDeliveredOnceReadyWithoutAskingAnew) {
  FfmpegFilmSource source;
  ASSERT_EQ(source.avi_open(film("a.avi", xvid_like(400))), kFilmOpened);
  // The worker cannot have touched a frame in the same call that asked for it.
  EXPECT_EQ(source.avi_getframe(280).status, FilmFrameStatus::kBusy);
  EXPECT_TRUE(source.frame_busy());
  // The train stands: the run keeps asking for the same frame until it comes.
  FilmFrame f;
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while ((f = source.avi_getframe(280)).status == FilmFrameStatus::kBusy &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(1ms);
  }
  ASSERT_EQ(f.status, FilmFrameStatus::kReady);
  EXPECT_EQ(f.picture->frame, 280);
  EXPECT_FALSE(source.frame_busy());
  EXPECT_EQ(source.stats().requests, 1);
}

TEST_F(FilmSourceTest, MemoryBoundHoldsWhileRunningBothWays) {
  FilmSourceSettings settings;
  settings.cache_bytes = 1u << 20;  // about 30 frames of 160 x 120
  FfmpegFilmSource source(settings);
  ASSERT_EQ(source.avi_open(film("a.avi", xvid_like(620))), kFilmOpened);
  auto check = [&](int n) {
    const FilmFrame f = source.avi_getframe(n, kPatience);
    ASSERT_EQ(f.status, FilmFrameStatus::kReady);
    const Planes p = film_test::planes_of(*f.picture);
    EXPECT_EQ(read_frame_mark(p.y.data(), p.width, p.width, p.height), n);
    EXPECT_LE(source.stats().cache_bytes, settings.cache_bytes);
  };
  for (int n = 0; n < 620; n += 2) check(n);
  for (int n = 619; n >= 200; --n) check(n);
  EXPECT_LE(source.stats().cache_peak_bytes, settings.cache_bytes);
  EXPECT_GT(source.stats().cache_frames, 10);
}

TEST_F(FilmSourceTest, RunningNeedsFewSeeks) {
  // Forward running decodes straight on across keyframes; backward running refills a
  // window of frames a keyframe group at a time instead of seeking for every frame.
  FfmpegFilmSource source;
  ASSERT_EQ(source.avi_open(film("a.avi", xvid_like(620))), kFilmOpened);
  for (int n = 0; n < 620; ++n)
    ASSERT_EQ(source.avi_getframe(n, kPatience).status, FilmFrameStatus::kReady);
  EXPECT_EQ(source.stats().seeks, 1);
  const std::int64_t seeks = source.stats().seeks;
  const std::int64_t decoded = source.stats().decoded;
  for (int n = 619; n >= 0; --n) {
    ASSERT_EQ(source.avi_getframe(n, kPatience).status, FilmFrameStatus::kReady);
  }
  // 620 frames back with a window of 120 refilled every 60: about ten refills, each
  // reaching over at most two keyframe groups.
  EXPECT_LE(source.stats().seeks - seeks, 25);
  EXPECT_LE(source.stats().decoded - decoded, 620 * 4);
}

// Overwrites the payload of the video packet at decoding place `index` with zeros, keeping
// its start code, as a damaged disc sector would.
void damage_packet(const std::string& path, int index) {
  AVFormatContext* format = nullptr;
  ASSERT_GE(avformat_open_input(&format, path.c_str(), nullptr, nullptr), 0);
  avformat_find_stream_info(format, nullptr);
  AVStream* stream =
      format->streams[av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0)];
  const AVIndexEntry* e = avformat_index_get_entry(stream, index);
  ASSERT_NE(e, nullptr);
  const std::int64_t payload = e->pos + 8 + 4;  // chunk header, then the start code
  const int size = e->size - 4;
  avformat_close_input(&format);
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(payload);
  const std::vector<char> zeros(size, 0);
  file.write(zeros.data(), size);
}

TEST_F(FilmSourceTest, DamagedKeyframeStillGivesTheFramesAStraightDecodeGives) {
  const std::string path = film("damaged.avi", xvid_like(620));
  damage_packet(path, 298);  // the keyframe of frame 300 (B-frames before it come after it)
  const std::vector<Planes> reference = film_test::straight_decode(path);
  ASSERT_GT(reference.size(), 400u);
  FfmpegFilmSource source;
  ASSERT_EQ(source.avi_open(path), kFilmOpened);
  for (int n : {320, 305, 299, 450, 301}) {
    const FilmFrame f = source.avi_getframe(n, kPatience);
    ASSERT_EQ(f.status, FilmFrameStatus::kReady) << n;
    EXPECT_TRUE(film_test::same_planes(film_test::planes_of(*f.picture), reference[n])) << n;
  }
}

TEST_F(FilmSourceTest, OpeningAnotherFilmWhileDecodingSwitchesCleanly) {
  FilmWriterSettings other = xvid_like(100);
  other.width = 96;
  other.height = 64;
  FfmpegFilmSource source;
  ASSERT_EQ(source.avi_open(film("a.avi", xvid_like(620))), kFilmOpened);
  const FilmFrame held = source.avi_getframe(10, kPatience);
  ASSERT_EQ(held.status, FilmFrameStatus::kReady);
  EXPECT_EQ(source.avi_getframe(590).status, FilmFrameStatus::kBusy);
  ASSERT_EQ(source.avi_open(film("b.avi", other)), kFilmOpened);
  EXPECT_EQ(source.avi_length(), 100);
  const FilmFrame f = source.avi_getframe(50, kPatience);
  ASSERT_EQ(f.status, FilmFrameStatus::kReady);
  EXPECT_EQ(f.picture->width, 96);
  const Planes p = film_test::planes_of(*f.picture);
  EXPECT_EQ(read_frame_mark(p.y.data(), p.width, p.width, p.height), 50);
  // A picture of the first film the caller kept is still whole.
  const Planes old = film_test::planes_of(*held.picture);
  EXPECT_EQ(read_frame_mark(old.y.data(), old.width, old.width, old.height), 10);
}

TEST_F(FilmSourceTest, PicturesOutliveTheSourceThatDecodedThem) {
  FilmFrame held;
  {
    FfmpegFilmSource source;
    ASSERT_EQ(source.avi_open(film("a.avi", xvid_like(60))), kFilmOpened);
    held = source.avi_getframe(40, kPatience);
    ASSERT_EQ(held.status, FilmFrameStatus::kReady);
  }
  const Planes p = film_test::planes_of(*held.picture);
  EXPECT_EQ(read_frame_mark(p.y.data(), p.width, p.width, p.height), 40);
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

TEST_F(FilmSourceTest, TheSoundTrackOfAFilmIsWrittenAsAWavFileOrSaidToBeMissing) {
  FilmWriterSettings s = xvid_like(30);  // one second
  s.with_sound = true;
  s.sound_rate = 8000;
  for (int i = 0; i < 8000; ++i) s.sound.push_back(static_cast<std::int16_t>(i % 100 * 100 - 5000));
  const std::string with = film("with.avi", s);
  const std::string without = film("without.avi", xvid_like(30));
  std::string error;
  const std::string wav = scratch_.path("with.wav");
  ASSERT_EQ(extract_film_sound(with, wav, error), FilmSound::Written) << error;
  std::ifstream in(wav, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 44u);
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  const auto u32 = [&](std::size_t at) {
    return std::uint32_t(std::uint8_t(bytes[at])) |
           std::uint32_t(std::uint8_t(bytes[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(bytes[at + 2])) << 16 |
           std::uint32_t(std::uint8_t(bytes[at + 3])) << 24;
  };
  EXPECT_EQ(u32(24), 8000u);              // its rate
  EXPECT_NEAR(u32(40) / 2.0, 8000, 400);  // about a second of mono samples
  std::int16_t second;
  std::memcpy(&second, bytes.data() + 44 + 2, 2);
  EXPECT_EQ(second, 100 - 5000);  // PCM comes through unchanged

  EXPECT_EQ(extract_film_sound(without, scratch_.path("none.wav"), error), FilmSound::NoSound);
  EXPECT_EQ(extract_film_sound(scratch_.path("missing.avi"), scratch_.path("x.wav"), error),
            FilmSound::Failed);
  EXPECT_NE(error.find("missing.avi"), std::string::npos) << error;
}

}  // namespace
}  // namespace velmora
