// A drive on the fixture route with its film decoded for real: the picture in the film
// area is always the frame of the train's place.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/main_loop.h"
#include "app/menus.h"
#include "app/startup.h"
#include "platform/ffmpeg/ffmpeg_film_source.h"
#include "platform/ffmpeg/film_writer.h"
#include "test_rig.h"
#include "view/film.h"

namespace velmora {
namespace {

// The fixture folder with a real route film of 900 numbered frames in place of the
// placeholder; returns the film's path.
std::string write_real_film(TestRig& rig) {
  FormCreate(rig.run);  // with the synthetic film: only to learn where the film lies
  const std::string path = film_path(rig.run, rig.run.route.data_name);
  FilmWriterSettings settings;
  settings.frames = 900;
  const std::string error = write_film(
      path, settings, [&](int frame, std::uint8_t* const planes[3], const int strides[3]) {
        std::memset(planes[0], 16, static_cast<std::size_t>(strides[0]) * settings.height);
        std::memset(planes[1], 128, static_cast<std::size_t>(strides[1]) * settings.height / 2);
        std::memset(planes[2], 128, static_cast<std::size_t>(strides[2]) * settings.height / 2);
        paint_frame_mark(planes[0], strides[0], settings.width, settings.height, frame);
      });
  EXPECT_EQ(error, "");
  return path;
}

RunConfig real_film_config(const std::string& name) {
  RunConfig config = copied_fixture(name);
  config.film_wait = std::chrono::seconds(5);
  return config;
}

TEST(RealRouteFilm, ThePictureFollowsTheTrainFrameByFrame) {
  const RunConfig config = real_film_config("real_film");
  TestRig rig(config);
  write_real_film(rig);

  FfmpegFilmSource source;
  rig.film = &source;
  velmora::Run drive(config, rig.services());
  FormCreate(drive);
  ASSERT_EQ(drive.film.film_length, 900);
  drive.train.motion.speed = 54;  // 1.5 × the 36 km/h the film was taken at
  drive.film.film_frame = drive.film.film_frame_prev = 400;
  drive.film.shown_frame = -1;
  for (int pass = 0; pass < 120; ++pass) {
    drive.train.motion.film_speed = 36;
    rig.clock.advance_ns(16'667'000);
    ASSERT_TRUE(AppIdle(drive));
    drive.train.motion.speed = 54;  // no traction: keep the speed for the test
    ASSERT_TRUE(drive.film.picture);
    const FilmPicture& p = *drive.film.picture;
    ASSERT_EQ(p.frame, drive.film.film_frame) << "pass " << pass;
    ASSERT_EQ(read_frame_mark(p.planes[0], p.strides[0], p.width, p.height), p.frame)
        << "pass " << pass;
  }
  EXPECT_GT(drive.film.film_frame, 400 + 80);
}

TEST(RealRouteFilm, AFilmCutShortDuringADriveKeepsItsLastPictureAndAJumpReopensIt) {
  const RunConfig config = real_film_config("cut_film");
  TestRig rig(config);
  const std::string path = write_real_film(rig);
  std::string whole;
  {
    std::ifstream in(path, std::ios::binary);
    whole.assign(std::istreambuf_iterator<char>(in), {});
  }
  FfmpegFilmSource source;
  rig.film = &source;
  velmora::Run drive(config, rig.services());
  FormCreate(drive);
  drive.film.film_frame = drive.film.film_frame_prev = 400;
  drive.film.shown_frame = -1;
  const auto passes = [&](int n) {
    for (int pass = 0; pass < n; ++pass) {
      drive.train.motion.speed = drive.train.motion.film_speed = 36;
      rig.clock.advance_ns(16'667'000);
      ASSERT_TRUE(AppIdle(drive));
    }
  };
  passes(10);
  ASSERT_TRUE(drive.film.picture);
  std::filesystem::resize_file(path, whole.size() / 10);  // the disk gives out under the film
  for (int pass = 0; pass < 2000 && drive.film.film_frame < 700; ++pass) passes(1);
  ASSERT_TRUE(drive.film.picture);
  EXPECT_GE(drive.film.film_frame, 700);                              // the drive went on
  EXPECT_LT(drive.film.picture->frame, drive.film.film_frame - 100);  // on its last picture
  EXPECT_GT(source.stats().read_errors, 0);
  EXPECT_EQ(event_details(rig.log, "device"), std::vector<std::string>{"film lost"});  // once

  std::ofstream(path, std::ios::binary | std::ios::trunc) << whole;  // back at its path
  menu_click(drive, "Sta0");
  passes(3);
  ASSERT_TRUE(drive.film.picture);
  EXPECT_EQ(drive.film.picture->frame, drive.film.film_frame);
  EXPECT_EQ(event_details(rig.log, "device"), (std::vector<std::string>{"film lost", "film back"}));
}

}  // namespace
}  // namespace velmora
