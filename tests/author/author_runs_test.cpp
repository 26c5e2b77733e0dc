// velmora-author run as an author runs it: a phone's film and its GPS track, made together
// from one known line, become a route that velmora-check passes and velmora-sim drives,
// whose distances, stops and gradients are the line's; its film is the phone's, frame for
// frame, at a constant rate. And marked places instead of a track, and a malformed track.

#include <gtest/gtest.h>

#include <cmath>

#include "author_inputs.h"
#include "common/wav_seconds.h"
#include "data/route_check.h"
#include "data/route_tables.h"
#include "platform/fake/fake_platform.h"
#include "platform/ffmpeg/ffmpeg_film_source.h"
#include "platform/ffmpeg/film_converter.h"
#include "tool_run.h"

namespace {

using namespace velmora;
using namespace velmora_scenario;
using author_test::test_design;

const std::string kAuthor = VELMORA_AUTHOR;

// The frame of the result that shows picture i of a film whose pictures start at times[i]:
// the last picture that starts no later than half a frame after the frame's moment.
int shown_picture(const std::vector<double>& times, int frame, int fps) {
  const double moment = (frame + 0.5) / fps;
  int i = 0;
  while (i + 1 < static_cast<int>(times.size()) && times[static_cast<std::size_t>(i + 1)] < moment) ++i;
  return i;
}

// The picture a converted film shows at frame n, read from its marks.
int mark_of(FfmpegFilmSource& film, int n) {
  const FilmFrame f = film.avi_getframe(n, std::chrono::seconds(5));
  if (f.status != FilmFrameStatus::kReady) return -1;
  return read_frame_mark(f.picture->planes[0], f.picture->strides[0], f.picture->width, f.picture->height);
}

double gradient_at(const RouteData& route, int frame) {
  for (const SlopeData& s : route.slopes)
    if (s.from_frame <= frame && frame < s.end_frame) return static_cast<double>(s.gradient);
  return 0;
}

TEST(AuthorMake, AFilmAndItsTrackBecomeADrivableRoute) {
  const fs::path dir = scratch("author_make");
  const demo::LineModel line = demo::build_line(test_design(), false);
  const std::vector<double> times = author_test::film_times(line);
  ASSERT_EQ(author_test::write_phone_film((dir / "film.mov").string(), times, 192, 144, true), "");
  author_test::save(dir / "track.gpx", author_test::gpx_track(line));

  const fs::path data = dir / "data";
  const ToolResult made = run_tool(kAuthor, "make --film " + (dir / "film.mov").string() + " --gps " +
                                                (dir / "track.gpx").string() + " --out " + data.string() +
                                                " --name gpstest --size 160x120");
  ASSERT_EQ(made.status, 0) << made.output;
  EXPECT_NE(made.out.find("\n  no warnings\n"), std::string::npos) << made.output;
  EXPECT_NE(made.out.find("velmora-author: drive it: velmora " + data.string() +
                          " --route line_gpstest.dat --vehicle train_85.dat"),
            std::string::npos)
      << made.output;

  // The route as the simulator loads it, and velmora-check's verdict.
  FakeImageList images;
  const LoadedRoute loaded = load_route_for_check(data, "line_gpstest.dat", "train_85.dat", images);
  const RouteData& route = loaded.route;
  EXPECT_TRUE(check_route(route, data, loaded.ui.data_path).empty());
  const ToolResult checked = run_tool(VELMORA_CHECK, "--data " + data.string() + " --vehicle train_85.dat --route line_gpstest.dat");
  EXPECT_EQ(checked.status, 0) << checked.output;
  EXPECT_EQ(checked.output, "");

  // The film: a constant 30 fps at the size asked for, each frame the phone's picture of
  // its moment (the phone's rate varies and it drops a picture now and then).
  // Its length is the phone film's, the last picture as long as the mean (the muxer gives it
  // none of its own).
  const double film_end = times.back() + (times.back() - times.front()) / (times.size() - 1.0);
  FfmpegFilmSource film;
  ASSERT_EQ(film.avi_open((data / "movie" / "gpstest.avi").string()), kFilmOpened);
  const int frames = film.avi_length();
  EXPECT_EQ(frames, static_cast<int>(std::ceil(film_end * 30 - 0.5)));
  EXPECT_EQ(film.film_width(), 160);
  EXPECT_EQ(film.film_height(), 120);
  FilmInfo info;
  ASSERT_EQ(probe_film((data / "movie" / "gpstest.avi").string(), info), "");
  EXPECT_EQ(info.frame_rate, 30);
  for (int n : {0, 1, 45, 46, 47, 1000, 2500, frames - 2, frames - 1})
    EXPECT_EQ(mark_of(film, n), shown_picture(times, n, 30)) << "frame " << n;
  EXPECT_NEAR(wav_seconds(data / "sound" / "gpstest" / "ambient.wav", [](const std::string&) {}), times.size() * 266 / 8000, 1);

  // Distances within the tolerance of the line's own at every frame: the default 1 m per km,
  // the track's own error included.
  ASSERT_FALSE(route.speed_units.empty());
  const double tolerance = line.length_m / 1000;
  for (int f = 0; f < frames; ++f) {
    const std::optional<std::int64_t> cm = frame_to_distance(route, f, 30);
    ASSERT_TRUE(cm.has_value()) << "frame " << f;
    ASSERT_NEAR(*cm / 100.0, line.at_frame(f), tolerance) << "frame " << f;
  }

  // The stations are where the camera stood, within a second; the departures the camera's.
  ASSERT_EQ(route.stations.size(), line.stations.size());
  for (std::size_t i = 0; i < line.stations.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(route.stations[i].Name, "駅" + std::to_string(i + 1));
    EXPECT_NEAR(route.stations[i].Start, line.stations[i].frame, 30);
    if (i + 1 < line.stations.size()) {
      EXPECT_NEAR(route.stations[i].deptime, 1080000 + line.stations[i].stand_to, 30);
    }
  }

  // The gradients are the line's, away from where one gradient turns into the next.
  std::vector<double> breaks;
  for (const demo::Stretch& s : line.slopes) breaks.insert(breaks.end(), {s.from_m, s.to_m});
  int checked_frames = 0;
  for (int f = 0; f < frames; f += 5) {
    const double at = line.at_frame(f);
    if (std::any_of(breaks.begin(), breaks.end(), [&](double b) { return std::fabs(at - b) < 60; })) continue;
    EXPECT_NEAR(gradient_at(route, f), demo::LineModel::value_at(line.slopes, at), 1.0) << "frame " << f << " at " << at << " m";
    ++checked_frames;
  }
  EXPECT_GT(checked_frames, frames / 10);

  // velmora-sim drives it: away from 駅1 at full power, through 駅2, the film following.
  const fs::path script = dir / "drive.txt";
  std::string drive;
  for (int k = 0; k < 10; ++k) drive += "5 char ,\n";  // from the emergency notch to released
  for (int k = 0; k < 5; ++k) drive += "400 char z\n";
  author_test::save(script, drive);
  const ToolResult sim = run_tool(VELMORA_SIM, "--data " + data.string() + " --vehicle train_85.dat --route line_gpstest.dat "
                                               "--frames 4200 --input " + script.string() + " --every 30 --trace " +
                                               (dir / "trace.csv").string() + " --fields frame,speed,position_cm,film_frame");
  ASSERT_EQ(sim.status, 0) << sim.output;
  const auto rows = read_csv(dir / "trace.csv");
  ASSERT_GT(rows.size(), 100u);
  double passed_b = -1;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const double position_m = std::stod(rows[r][2]) / 100;
    const int frame = std::stoi(rows[r][3]);
    // On the way from 駅1 to 駅2 the film shows the place the train is at.
    if (std::stod(rows[r][1]) > 5 && position_m > 50 && position_m < line.stations[1].at_m - 50) {
      EXPECT_NEAR(line.at_frame(frame), position_m, 2.0) << "trace row " << r;
    }
    if (passed_b < 0 && position_m > line.stations[1].at_m + 20) passed_b = frame;
  }
  EXPECT_GT(passed_b, line.stations[1].stand_to) << "the train never ran through 駅2";

  // profile reads the route back as a table, and draws it.
  const ToolResult profile = run_tool(kAuthor, "profile " + (data / "line_gpstest.dat").string() + " --preview " +
                                                   (dir / "profile.png").string());
  ASSERT_EQ(profile.status, 0) << profile.output;
  EXPECT_NE(profile.out.find("line_gpstest.dat: gpstest, 30 fps, [SpeedUnit] " + std::to_string(route.speed_units.size()) + " entries"),
            std::string::npos)
      << profile.output;
  EXPECT_EQ(read_file(dir / "profile.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(read_file(data / "line_gpstest_preview.png").substr(0, 8), "\x89PNG\r\n\x1a\n");

  // A second make keeps what the first made.
  const ToolResult again = run_tool(kAuthor, "make --film " + (dir / "film.mov").string() + " --gps " +
                                                 (dir / "track.gpx").string() + " --out " + data.string() + " --name gpstest");
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("line_gpstest.dat exists; --force replaces it"), std::string::npos) << again.output;
}

TEST(AuthorMake, AMalformedTrackStopsBeforeTheFilmWithItsLine) {
  const fs::path dir = scratch("author_bad_track");
  author_test::save(dir / "bad.gpx",
                    "<gpx>\n<trk><trkseg>\n<trkpt lat=\"35\" lon=\"139\"><time>2024-05-01T10:00:00Z</time></trkpt>\n"
                    "<trkpt lat=\"35.1\" lon=\"east\"><time>2024-05-01T10:00:01Z</time></trkpt>\n");
  const ToolResult r = run_tool(kAuthor, "make --film " + (dir / "no_film.mp4").string() + " --gps " + (dir / "bad.gpx").string() +
                                             " --out " + (dir / "data").string() + " --name bad");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "velmora-author: " + (dir / "bad.gpx").string() + ":4: the longitude \"east\" is not a number\n");
  EXPECT_FALSE(fs::exists(dir / "data"));
}

TEST(AuthorMarks, MarkedPlacesBecomeARoute) {
  const fs::path dir = scratch("author_marks");
  // Ten seconds standing, a run, and a stand: marks every 2 s at 25 frames a second.
  const demo::LineModel line = demo::build_line(test_design(), true);
  const std::vector<double> times = author_test::phone_times(40 - 0.5 / 30);
  ASSERT_EQ(author_test::write_phone_film((dir / "film.mp4").string(), times, 160, 120, false, "mp4"), "");
  std::string marks = "frame,distance_m\n";
  for (int s = 0; s <= 40; s += 2)
    marks += std::to_string(s * 25) + "," + std::to_string(author_test::metres_at(line, s)) + "\n";
  author_test::save(dir / "marks.csv", marks);
  const ToolResult r = run_tool(kAuthor, "marks --film " + (dir / "film.mp4").string() + " --marks " + (dir / "marks.csv").string() +
                                             " --marks-fps 25 --out " + (dir / "data").string() + " --name marked --size 160x120");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.out.find("\n  no warnings\n"), std::string::npos) << r.output;
  // The phone's MP4 of a varying rate, 40 s long, is 1200 frames at a constant 30 fps.
  FfmpegFilmSource film;
  ASSERT_EQ(film.avi_open((dir / "data" / "movie" / "marked.avi").string()), kFilmOpened);
  EXPECT_EQ(film.avi_length(), 1200);
  FilmInfo info;
  ASSERT_EQ(probe_film((dir / "data" / "movie" / "marked.avi").string(), info), "");
  EXPECT_EQ(info.frame_rate, 30);
  for (int n : {0, 46, 47, 1199}) EXPECT_EQ(mark_of(film, n), shown_picture(times, n, 30)) << "frame " << n;

  FakeImageList images;
  const LoadedRoute loaded = load_route_for_check(dir / "data", "line_marked.dat", "train_85.dat", images);
  // At each mark the route is where the mark says.
  for (int s = 0; s <= 40; s += 2) {
    const std::optional<std::int64_t> cm = frame_to_distance(loaded.route, std::min(s * 30, 1199), 30);
    ASSERT_TRUE(cm.has_value());
    EXPECT_NEAR(*cm / 100.0, author_test::metres_at(line, std::min<double>(s, 39.97)), 1.0) << s << " s";
  }
  // Marks of one distance at the start are its first stand.
  ASSERT_FALSE(loaded.route.stations.empty());
  EXPECT_EQ(loaded.route.stations[0].Start, 0);
  EXPECT_EQ(loaded.route.speed_units[0].speed_last, 0);
}

}  // namespace
