// Damaged and unusual media in a route's data folder, met by a run on the real film source,
// drawing layer and sound device: at start-up each either loads or ends the start with its
// message; once the drive runs it goes on. Nothing crashes.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "app/startup.h"
#include "common/wav_seconds.h"
#include "data/load_failure.h"
#include "film_test_films.h"
#include "platform/ffmpeg/ffmpeg_film_source.h"
#include "platform/openal/openal_sound_device.h"
#include "platform/openal/pcm_wav.h"
#include "platform/picture_header.h"
#include "platform_openal_wavs.h"
#include "sdl_test_pictures.h"
#include "test_rig.h"
#include "view/film.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_HAS_ASAN 1
#endif
#endif
#ifndef VELMORA_HAS_ASAN
#define VELMORA_HAS_ASAN 0
#endif

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_bytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The fixture run on a copy of its folder, with the real film source, the SDL drawing layer
// in memory and OpenAL's null output in place of the fakes.
struct MediaRig {
  explicit MediaRig(const std::string& name) : config(copied_fixture(name)) {
    config.film_wait = std::chrono::seconds(5);
    platform.film = &film;
    platform.cab_screen = screen.get();
    platform.image_list = &screen->images();
    platform.sprite_engine = &screen->sprites();
    platform.sound_device = &sound;
    write_frames(route_film(), 30);
  }

  // A film of marked 160 x 120 frames.
  static void write_frames(const fs::path& path, int frames) {
    FilmWriterSettings s;
    s.frames = frames;
    ASSERT_EQ(film_test::make_film(path.string(), s), "");
  }

  fs::path file(const std::string& name) const { return config.program_dir / name; }

  // The route film's path, as the run resolves it.
  fs::path route_film() {
    HeadlessPlatform fakes;
    Run probe(config, fakes.services());
    FormCreate(probe);
    return film_path(probe, probe.route.data_name);
  }

  // Starts the run; the load failure's messages when it refuses to start.
  std::vector<std::string> start() {
    run = std::make_unique<Run>(config, platform.services());
    try {
      FormCreate(*run);
    } catch (const LoadFailure& failure) {
      run.reset();
      return failure.messages;
    }
    return {};
  }

  // Drives on at `speed` for `passes` frames, as the film was taken at 36 km/h.
  void drive(int passes, long double speed = 54) {
    for (int pass = 0; pass < passes; ++pass) {
      run->train.motion.film_speed = 36;
      platform.clock.advance_ns(16'667'000);
      ASSERT_TRUE(AppIdle(*run)) << "pass " << pass;
      run->train.motion.speed = speed;
    }
  }

  std::vector<std::string> messages() const {
    std::vector<std::string> m;
    for (const Event& e : platform.log.events)
      if (e.kind == "message") m.push_back(e.detail);
    return m;
  }

  RunConfig config;
  std::unique_ptr<SdlCabScreen> screen = SdlCabScreen::offscreen();
  FfmpegFilmSource film;
  OpenAlSoundDevice sound{nullptr};
  HeadlessPlatform platform;
  std::unique_ptr<Run> run;
};

// The AVI's index chunk renamed, so that a reader must find the frames by walking the file.
void drop_avi_index(const fs::path& path) {
  std::vector<std::uint8_t> bytes = read_bytes(path);
  bool found = false;
  for (std::size_t i = 0; i + 4 <= bytes.size(); ++i) {
    if (std::memcmp(&bytes[i], "idx1", 4) == 0) {
      std::memcpy(&bytes[i], "JUNK", 4);
      found = true;
    }
  }
  ASSERT_TRUE(found) << path << " has no index";
  write_bytes(path, bytes);
}

// Each picture the run shows carries the number of the frame it was asked for.
void expect_marked_picture(const Run& run) {
  ASSERT_TRUE(run.film.picture);
  const FilmPicture& p = *run.film.picture;
  EXPECT_EQ(read_frame_mark(p.planes[0], p.strides[0], p.width, p.height), p.frame);
}

TEST(MalformedFilm, ACutOffFilmOrOneWithoutItsIndexPlaysItsFramesAndTheDriveGoesOn) {
  for (const bool cut : {true, false}) {
    SCOPED_TRACE(cut ? "cut off" : "no index");
    MediaRig rig(cut ? "cut" : "no_index");
    const fs::path path = rig.route_film();
    MediaRig::write_frames(path, 240);
    if (cut) {
      std::vector<std::uint8_t> bytes = read_bytes(path);
      bytes.resize(bytes.size() * 6 / 10);  // the index at the end goes too
      write_bytes(path, bytes);
    } else {
      drop_avi_index(path);
    }
    ASSERT_EQ(rig.start(), std::vector<std::string>{});
    const int length = rig.run->film.film_length;
    if (cut) {
      EXPECT_GT(length, 60);
      EXPECT_LT(length, 240);
    } else {
      EXPECT_EQ(length, 240);
    }
    // Through the film and on past its end: the pictures are the frames asked for, and
    // the run keeps going where the film has no more.
    rig.run->film.film_frame = rig.run->film.film_frame_prev = length - 60;
    rig.drive(30);
    expect_marked_picture(*rig.run);
    rig.drive(120);
    EXPECT_FALSE(rig.run->frame.ended);
    EXPECT_GT(rig.run->frame.frames_run, 140);
    EXPECT_EQ(rig.messages(), std::vector<std::string>{});
  }
}

TEST(MalformedFilm, AnEmptyFilmIsReportedAndTheDriveGoesOnWithoutPictures) {
  MediaRig rig("empty_film");
  const fs::path path = rig.route_film();
  write_bytes(path, {});
  ASSERT_EQ(rig.start(), std::vector<std::string>{});
  EXPECT_EQ(rig.messages(), std::vector<std::string>{"映像ファイルを開けません" + path.string()});
  rig.drive(60, 60);
  EXPECT_FALSE(rig.run->film.picture);
  EXPECT_GT(rig.run->train.motion.position_cm, 0);
}

TEST(MalformedFilm, AFilmOfAnotherSizeThanTheDisplayIsShownAtItsOwnSize) {
  MediaRig rig("small_film");
  const fs::path path = rig.route_film();
  FilmWriterSettings s;
  s.width = 96;  // the display is 800 x 600
  s.height = 64;
  s.frames = 60;
  const std::string error = write_film(path.string(), s, [&](int, std::uint8_t* const planes[3], const int strides[3]) {
    std::memset(planes[0], 200, static_cast<std::size_t>(strides[0]) * s.height);
    std::memset(planes[1], 128, static_cast<std::size_t>(strides[1]) * s.height / 2);
    std::memset(planes[2], 128, static_cast<std::size_t>(strides[2]) * s.height / 2);
  });
  ASSERT_EQ(error, "");
  ASSERT_EQ(rig.start(), std::vector<std::string>{});
  rig.run->film.film_frame = 10;
  rig.drive(10, 0);
  rig.screen->compose();
  const CabPixels p = rig.screen->read_back();
  // The film surface takes the picture's size at the corner, where the overlays' places
  // are measured from; nothing stretches it over [Disp]'s 800 x 600.
  for (const auto& [x, y] : {std::pair{48, 32}, std::pair{93, 61}})
    EXPECT_TRUE(colour_near(p, x, y, 0xd2d2d2, 24)) << x << ", " << y;
  EXPECT_FALSE(colour_near(p, 400, 300, 0xd2d2d2, 24));
  EXPECT_EQ(rig.screen->film_surface().w, 96);
}

TEST(MalformedSound, ExtraChunksAndEightBitMonoLoadAndPlay) {
  MediaRig rig("sounds");
  // The vehicle's first running sound with a LIST chunk before its data; the second 8-bit mono.
  fs::copy_file(fs::path(VELMORA_FIXTURES) / "wav/list_chunk.wav", rig.file("sound/run00.wav"),
                fs::copy_options::overwrite_existing);
  const WavLayout mono8{1, 8, 11025};
  write_wav(rig.file("sound/run01.wav"), mono8, tone(mono8, 440, 2.0));
  ASSERT_EQ(rig.start(), std::vector<std::string>{});
  std::ifstream list(rig.file("sound/run00.wav"), std::ios::binary);
  std::string error;
  EXPECT_EQ(rig.run->sound.wave_seconds[0], wav_seconds(list, error));
  EXPECT_EQ(rig.run->sound.wave_seconds[1], 2);
  rig.drive(60, 60);
  EXPECT_EQ(rig.messages(), std::vector<std::string>{});

  PcmSound pcm;
  ASSERT_TRUE(read_pcm_wav(rig.file("sound/run01.wav").string(), pcm, error)) << error;
  EXPECT_EQ(pcm.bits, 8);
  EXPECT_EQ(pcm.channels, 1);
  EXPECT_EQ(pcm.samples.size(), 22050u);
}

TEST(MalformedSound, AnEmptyFileEndsTheStartWithItsMessageAnEmptyWaveLoads) {
  {
    MediaRig rig("empty_file");
    write_bytes(rig.file("sound/run02.wav"), {});
    const std::vector<std::string> messages = rig.start();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("run02.wav: not a WAV sound that can be read"), std::string::npos) << messages[0];
  }
  {
    MediaRig rig("empty_wave");
    write_wav(rig.file("sound/run02.wav"), WavLayout{}, {});
    ASSERT_EQ(rig.start(), std::vector<std::string>{});
    EXPECT_EQ(rig.run->sound.wave_seconds[2], 0);
    rig.drive(30, 60);
  }
}

TEST(MalformedSound, ABrokenCallVoiceKeepsItsReasonAndTheDriveGoesOn) {
  MediaRig rig("call");
  write_bytes(rig.file("kanko/k00.wav"), {'R', 'I', 'F', 'F'});
  ASSERT_EQ(rig.start(), std::vector<std::string>{});
  std::string why;
  for (const CallSound& c : rig.run->calls.voices)
    if (c.sound < 0 && !c.error.empty()) why = c.error;
  EXPECT_NE(why.find("k00.wav"), std::string::npos) << why;
  rig.drive(60, 60);
  EXPECT_FALSE(rig.run->frame.ended);
}

TEST(MalformedPicture, APngThatIsReallyAJpegIsReadByWhatItHolds) {
  DrawingRig rig;
  TestPicture sign(16, 16, 0x2040e0);
  sign.save(rig.dir / "sign.jpg");
  fs::rename(rig.dir / "sign.jpg", rig.dir / "sign.png");
  PictureRequest r;
  r.name = "img_sign";
  r.file = rig.dir / "sign.png";
  r.sprites = {at(20, 20)};
  ASSERT_TRUE(rig.screen->images().load(r)) << rig.screen->images().last_error();
  EXPECT_TRUE(colour_near(rig.compose(), 28, 28, 0x2040e0, 12));
}

TEST(MalformedPicture, AMissingOrUnreadablePictureEndsTheStartWithItsMessage) {
  {
    MediaRig rig("missing");
    fs::remove(rig.file("image/limit.bmp"));
    EXPECT_EQ(rig.start(), std::vector<std::string>{"制限標の生成エラー"});
  }
  {
    MediaRig rig("unreadable");
    write_bytes(rig.file("image/limit.bmp"), {'B', 'M', 0, 0});
    EXPECT_EQ(rig.start(), std::vector<std::string>{"制限標の生成エラー"});
  }
}

// Lowers the process's address-space limit to what it uses now and `more`, while it lives.
class AddressSpaceLimit {
 public:
  explicit AddressSpaceLimit(std::size_t more) {
#if !defined(__SANITIZE_ADDRESS__) && !VELMORA_HAS_ASAN
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    getrlimit(RLIMIT_AS, &saved_);
    rlimit lowered = saved_;
    lowered.rlim_cur = pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + more;
    active_ = setrlimit(RLIMIT_AS, &lowered) == 0;
#else
    (void)more;
#endif
  }
  ~AddressSpaceLimit() {
    if (active_) setrlimit(RLIMIT_AS, &saved_);
  }
  AddressSpaceLimit(const AddressSpaceLimit&) = delete;
  AddressSpaceLimit& operator=(const AddressSpaceLimit&) = delete;

 private:
  rlimit saved_{};
  bool active_ = false;
};

// Found by fuzzing: decoders allocate what a header claims before they read the data.
TEST(MediaHeaders, APictureHeaderClaimingAnEnormousPictureIsRefusedBeforeDecoding) {
  DrawingRig rig;
  const fs::path file = TestPicture(4, 4, 0xffffff).save(rig.dir / "huge.bmp");
  std::vector<std::uint8_t> bytes = read_bytes(file);
  bytes[21] = 0x0c;  // width 0x0c000004 px
  write_bytes(file, bytes);
  PictureRequest r;
  r.name = "img_huge";
  r.file = file;
  EXPECT_FALSE(rig.screen->images().load(r));
  EXPECT_NE(rig.screen->images().last_error().find("larger than pictures are read"), std::string::npos)
      << rig.screen->images().last_error();

  // A file that begins as a JPEG is read as one only, whatever else it looks like further
  // on (this one was taken for a drawing in another format, whose reader leaked).
  write_bytes(rig.dir / "odd.jpg", {0xff, 0xd8, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
                                    0xff, 0xff, '<', 's', 'v', 'g', 'M'});
  r.file = rig.dir / "odd.jpg";
  EXPECT_FALSE(rig.screen->images().load(r));
  EXPECT_NE(rig.screen->images().last_error().find("not a BMP, PNG or JPEG picture that can be read"),
            std::string::npos)
      << rig.screen->images().last_error();

  // The size of each kind is found where its header keeps it.
  const fs::path png = TestPicture(37, 21, 0).save(rig.dir / "p.png");
  const fs::path jpeg = TestPicture(19, 45, 0).save(rig.dir / "j.jpg");
  const PictureHeader p = read_picture_header(read_bytes(png));
  const PictureHeader j = read_picture_header(read_bytes(jpeg));
  EXPECT_EQ(p.kind, PictureKind::Png);
  EXPECT_EQ(p.width * 1000 + p.height, 37021);
  EXPECT_EQ(j.kind, PictureKind::Jpeg);
  EXPECT_EQ(j.width * 1000 + j.height, 19045);
  EXPECT_EQ(picture_header_problem(PictureHeader{PictureKind::Png, 32768, 2048}), "");
  EXPECT_NE(picture_header_problem(PictureHeader{PictureKind::Png, 32769, 1}), "");
  EXPECT_NE(picture_header_problem(PictureHeader{PictureKind::Jpeg, 9000, 9000}), "");
}

TEST(MediaHeaders, WaveChunksLongerThanTheFileAreCutToWhatItHolds) {
  const fs::path dir = scratch_dir("waves");
  const WavLayout mono16{};
  write_wav(dir / "cut.wav", mono16, tone(mono16, 440, 0.01));
  std::vector<std::uint8_t> bytes = read_bytes(dir / "cut.wav");
  const std::size_t held = bytes.size() - 44;
  bytes[40] = bytes[41] = bytes[42] = 0xff;  // data claims 2 GiB
  bytes[43] = 0x7f;
  write_bytes(dir / "cut.wav", bytes);
  // The same without the RIFF header, which the decoder also takes.
  std::vector<std::uint8_t> bare(bytes.begin() + 8, bytes.end());
  write_bytes(dir / "bare.wav", bare);
  // Address space for the reads: a gigabyte more than the process holds, so that a decoder
  // believing the header fails to allocate (under AddressSanitizer, whose shadow memory needs
  // far more, the test checks only the samples).
  const AddressSpaceLimit limit(std::size_t{1} << 30);
  for (const char* name : {"cut.wav", "bare.wav"}) {
    PcmSound pcm;
    std::string error;
    ASSERT_TRUE(read_pcm_wav((dir / name).string(), pcm, error)) << name << ": " << error;
    EXPECT_EQ(pcm.samples.size(), held) << name;
  }
}

}  // namespace
}  // namespace velmora
