// A drive on the fixture route with its film decoded for real: the picture in the film
// area is always the frame of the train's place.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "app/main_loop.h"
#include "app/startup.h"
#include "platform/ffmpeg/ffmpeg_film_source.h"
#include "platform/ffmpeg/film_writer.h"
#include "test_rig.h"
#include "view/film.h"

namespace velmora {
namespace {

TEST(RealRouteFilm, ThePictureFollowsTheTrainFrameByFrame) {
  // The fixture folder with a real route film of 900 numbered frames in place of the
  // placeholder.
  const auto dir = scratch_dir("real_film");
  std::filesystem::copy(fixture_config().program_dir, dir, std::filesystem::copy_options::recursive);
  RunConfig config = fixture_config();
  config.program_dir = dir;
  config.film_wait = std::chrono::seconds(5);

  TestRig rig(config);
  FormCreate(rig.run);  // with the synthetic film: only to learn where the film lies
  const std::string path = film_path(rig.run, rig.run.route.data_name);
  FilmWriterSettings settings;
  settings.frames = 900;
  const std::string error = write_film(path, settings, [&](int frame, std::uint8_t* const planes[3], const int strides[3]) {
    std::memset(planes[0], 16, static_cast<std::size_t>(strides[0]) * settings.height);
    std::memset(planes[1], 128, static_cast<std::size_t>(strides[1]) * settings.height / 2);
    std::memset(planes[2], 128, static_cast<std::size_t>(strides[2]) * settings.height / 2);
    paint_frame_mark(planes[0], strides[0], settings.width, settings.height, frame);
  });
  ASSERT_EQ(error, "");

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
    ASSERT_EQ(read_frame_mark(p.planes[0], p.strides[0], p.width, p.height), p.frame) << "pass " << pass;
  }
  EXPECT_GT(drive.film.film_frame, 400 + 80);
}

}  // namespace
}  // namespace velmora
