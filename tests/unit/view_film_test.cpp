#include <gtest/gtest.h>

#include "app/main_loop.h"
#include "app/startup.h"
#include "route/station_jump.h"
#include "test_rig.h"
#include "view/film.h"

namespace velmora {
namespace {

std::vector<std::string> messages(const EventLog& log) {
  std::vector<std::string> out;
  for (const Event& e : log.events)
    if (e.kind == "message") out.push_back(e.detail);
  return out;
}

// A run on the fixture with the film state set up, standing at frame `at`.
struct FilmRig : TestRig {
  explicit FilmRig(int at = 100) : TestRig(fixture_config()) {
    FormCreate(run);
    run.film.film_frame = at;
    run.film.film_frame_prev = at;
  }
  FakeFilmSource& film() { return fake_film; }
};

TEST(RouteFilm, OpenFailuresAreToldAndTheStartGoesOn) {
  const std::pair<int, std::vector<std::string>> cases[] = {
      {kFilmCannotOpen, {"映像オープンエラー"}},
      {kFilmNoDecoder, {"GetFrameOpenエラー", "DivXビデオコーデックがインストールされていない可能性があります。"}},
      {kFilmNoVideo, {"GetStreamエラー", "DivXビデオコーデックがインストールされていない可能性があります。"}},
      {kFilmOutOfMemory, {"メモリ不足"}},
  };
  for (const auto& [code, expected] : cases) {
    TestRig rig(fixture_config());
    rig.fake_film.open_result = code;
    FormCreate(rig.run);
    EXPECT_EQ(messages(rig.log), expected) << code;
    EXPECT_TRUE(rig.run.frame.app_ready);
    rig.clock.advance_ns(17'000'000);
    ASSERT_TRUE(AppIdle(rig.run));
    EXPECT_EQ(rig.screen.film_frame_shown, -1);  // the film area never changes
  }
  TestRig bad(fixture_config());
  bad.fake_film.open_result = kFilmBadFormat;
  FormCreate(bad.run);
  ASSERT_EQ(messages(bad.log).size(), 1u);
  EXPECT_EQ(messages(bad.log)[0], "映像ファイルを開けません" + film_path(bad.run, bad.run.route.data_name));
}

TEST(RouteFilm, AStandingTrainDecodesNothingAndPauseAndResumeDecodeOnce) {
  FilmRig rig;
  show_film_frame(rig.run);
  EXPECT_EQ(rig.screen.film_frame_shown, 100);
  const int calls = rig.film().calls;
  for (int i = 0; i < 30; ++i) show_film_frame(rig.run);
  EXPECT_EQ(rig.film().calls, calls);
  start1Click(rig.run);
  start1Click(rig.run);
  show_film_frame(rig.run);
  show_film_frame(rig.run);
  EXPECT_EQ(rig.film().calls, calls + 1);
}

TEST(RouteFilm, ABusyFrameIsShownOnceReadyEvenWhenTheTrainHasStopped) {
  FilmRig rig;
  rig.film().busy_calls = 2;
  show_film_frame(rig.run);  // frame 100 busy: nothing yet
  EXPECT_EQ(rig.screen.film_frame_shown, -1);
  rig.run.film.film_frame = 101;  // the train moves on one frame, then stands
  show_film_frame(rig.run);
  show_film_frame(rig.run);
  show_film_frame(rig.run);
  EXPECT_EQ(rig.screen.film_frame_shown, 101);
}

TEST(FilmStopPoints, AForwardTrainStopsDeadAtTheFrameAndStartsAgainPastIt) {
  FilmRig rig(5890);
  rig.run.route.movie_stop = {5895};
  rig.run.train.motion.speed = 60;
  rig.run.train.handles.power_handle = rig.run.train.handles.power_notch = 3;
  rig.run.film.film_frame = 5903;  // this pass ran eight frames past it
  show_film_frame(rig.run);
  EXPECT_EQ(rig.run.film.film_frame, 5895);
  EXPECT_EQ(rig.run.train.motion.speed, 0);
  EXPECT_EQ(rig.run.film.frame_accum, 0);
  EXPECT_EQ(rig.run.train.handles.power_handle, 0);
  EXPECT_EQ(rig.run.train.handles.power_notch, 0);
  rig.run.train.motion.speed = 10;
  rig.run.film.film_frame = 5897;
  show_film_frame(rig.run);
  EXPECT_EQ(rig.run.film.film_frame, 5897);
}

TEST(FilmStopPoints, AfterTheReversalTheTrainStopsOneFrameBeyondRunningBack) {
  FilmRig rig(5800);
  rig.run.route.movie_stop = {5895};
  reverse_at_film_stop(rig.run);  // 95 frames before it, at rest
  EXPECT_EQ(rig.run.film.film_frame, 5897);
  EXPECT_EQ(rig.run.film.film_reversed, 1);
  rig.run.film.film_frame_prev = 5897;
  rig.run.train.motion.speed = -20;
  rig.run.film.film_frame = 5890;
  show_film_frame(rig.run);
  EXPECT_EQ(rig.run.film.film_frame, 5896);
  EXPECT_EQ(rig.run.train.motion.speed, 0);

  FilmRig far(5600);  // more than 200 frames away: no reversal
  far.run.route.movie_stop = {5895};
  reverse_at_film_stop(far.run);
  EXPECT_EQ(far.run.film.film_frame, 5600);
}

TEST(MovieSwitch, ARunningFilmReplacesAStretchAndTheRouteFilmResumesAhead) {
  FilmRig rig(990);
  MovieSwitchData e;
  e.swtype = 1;
  e.Start = 1000;
  e.Stop = 1199;
  e.name = "bridge";
  e.endf = 200;
  e.next = 5000;
  rig.run.route.movie_switch = {e};
  // One main-loop pass: the picture first, the route step's switching after it.
  const auto pass = [&](int frame) {
    rig.run.film.film_frame = frame;
    show_film_frame(rig.run);
    movie_switching(rig.run);
  };
  pass(1000);
  EXPECT_EQ(rig.run.film.movie_state, MovieState::RunningFilm);
  pass(1000);
  EXPECT_EQ(rig.screen.film_frame_shown, 0);
  pass(1150);
  EXPECT_EQ(rig.run.film.switch_frame, 150);
  EXPECT_EQ(rig.screen.film_frame_shown, 150);
  pass(1201);  // past Stop with the spliced film at its end
  EXPECT_EQ(rig.run.film.switch_frame, 0);
  EXPECT_EQ(rig.run.film.movie_state, MovieState::RouteFilm);
  EXPECT_EQ(rig.run.film.film_frame, 5000);
  ASSERT_GE(rig.film().opened.size(), 3u);
  EXPECT_EQ(rig.film().opened.back(), film_path(rig.run, rig.run.route.data_name));
  pass(1000);  // played once per run
  EXPECT_EQ(rig.run.film.movie_state, MovieState::RouteFilm);
}

TEST(MovieSwitch, AJumpBackPlaysTheFilmsAgainAndTheStopPointsStopAForwardTrainAgain) {
  FilmRig rig(990);
  velmora::Run& run = rig.run;
  MovieSwitchData e;
  e.swtype = 1;
  e.Start = 1000;
  e.Stop = 1199;
  e.name = "bridge";
  e.endf = 200;
  e.next = 1300;
  run.route.movie_switch = {e};
  const auto pass = [&](int frame) {
    run.film.film_frame = frame;
    show_film_frame(run);
    movie_switching(run);
  };
  pass(1000);
  pass(1201);
  ASSERT_EQ(run.film.movie_state, MovieState::RouteFilm);
  ASSERT_EQ(run.film.film_frame, 1300);
  // At the terminus the driver reverses at the film stop point.
  run.route.movie_stop = {5895};
  run.film.film_frame = 5800;
  run.train.motion.speed = 0;
  reverse_at_film_stop(run);
  ASSERT_EQ(run.film.film_reversed, 1);

  StationClick(run, 1);
  EXPECT_EQ(run.film.film_reversed, 0);
  run.film.film_frame_prev = 5890;
  run.train.motion.speed = 60;
  run.film.film_frame = 5900;
  show_film_frame(run);
  EXPECT_EQ(run.film.film_frame, 5895);  // the film stop point stops a forward train again
  EXPECT_EQ(run.train.motion.speed, 0);
  pass(1000);
  EXPECT_EQ(run.film.movie_state, MovieState::RunningFilm);  // and the spliced film plays again
}

TEST(MovieSwitch, AStopFilmWaitsForItsTimeWhileTheTrainStandsInTheZone) {
  FilmRig rig(3000);
  StationData& station = rig.run.route.stations.at(2);
  rig.run.train.motion.position_cm = station.position;
  MovieSwitchData e;
  e.swtype = 2;
  e.name = "platform";
  e.endf = 90;
  e.next = 2;
  e.time = rig.run.train.motion.sim_ticks + 30;
  rig.run.route.movie_switch = {e};
  movie_switching(rig.run);
  EXPECT_EQ(rig.run.film.movie_state, MovieState::RouteFilm);  // not yet its time
  rig.run.train.motion.sim_ticks += 31;
  movie_switching(rig.run);
  EXPECT_EQ(rig.run.film.movie_state, MovieState::StopFilm);
  EXPECT_EQ(rig.run.film.switch_base, station.Start);
  rig.run.film.switch_frame = 90;  // played to its end
  movie_switching(rig.run);
  EXPECT_EQ(rig.run.film.movie_state, MovieState::RouteFilm);
  EXPECT_EQ(rig.run.film.film_frame, station.Start);
  EXPECT_EQ(rig.run.film.shown_frame, -1);
}

}  // namespace
}  // namespace velmora
