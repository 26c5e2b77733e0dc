#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/startup.h"
#include "app/title.h"
#include "test_rig.h"

namespace velmora {
namespace {

constexpr int kScreenW = 1366, kScreenH = 768;

TitleState created(bool with_film) {
  std::mt19937_64 rng(1);
  TitleState t = title_create(kScreenW, kScreenH, rng);
  if (with_film) opening_film_loaded(t);
  return t;
}

TitleEffects tick(TitleState& t) { return title_tick(t, kScreenW, kScreenH); }

int buttons_shown(const TitleState& t) {
  int n = 0;
  for (bool b : t.button_visible) n += b;
  return n;
}

// After the opening has ended: the jingle on the first tick, then the buttons one by one
// in their order at ticks 3, 4, 5, 9 and 10.
void expect_title_sequence(TitleState& t) {
  ASSERT_EQ(t.stage, TitleStage::Title);
  EXPECT_EQ(buttons_shown(t), 0);
  const int shown_after[] = {0, 0, 1, 2, 3, 3, 3, 3, 4, 5, 5, 5};  // by tick, from 1
  for (int n = 1; n <= 12; ++n) {
    const TitleEffects e = tick(t);
    EXPECT_EQ(e.play_jingle, n == 1) << n;
    EXPECT_EQ(buttons_shown(t), shown_after[n - 1]) << n;
  }
  EXPECT_EQ(t.button_visible, (std::array<bool, 5>{true, true, true, true, true}));
}

TEST(TitleWindow, CentresTheWindowHalvesToTheEvenNeighbour) {
  const struct {
    int screen, size, expected;
  } cases[] = {{1920, 352, 784}, {1025, 352, 336}, {1027, 352, 338},
               {768, 533, 118},  {766, 533, 116},  {300, 352, -26}};
  for (const auto& c : cases)
    EXPECT_EQ(centred(c.screen, c.size), c.expected) << c.screen << " " << c.size;

  TitleState t = created(true);
  EXPECT_EQ(t.stage, TitleStage::Opening);
  EXPECT_EQ(std::make_pair(t.client_width, t.client_height), std::make_pair(352, 264));
  EXPECT_EQ(std::make_pair(t.left, t.top), std::make_pair(507, 252));
  EXPECT_EQ(buttons_shown(t), 0);
  const TitleEffects e = aviclick(t, kScreenW, kScreenH);
  EXPECT_TRUE(e.place_window);
  EXPECT_EQ(std::make_pair(t.client_width, t.client_height), std::make_pair(800, 533));
  EXPECT_EQ(std::make_pair(t.left, t.top), std::make_pair(283, 118));
}

TEST(TitleWindow, PicksEachOfTheFiveTitlePictures) {
  std::set<std::string> seen;
  std::mt19937_64 rng(7);
  for (int i = 0; i < 200; ++i) seen.insert(title_create(kScreenW, kScreenH, rng).picture);
  EXPECT_EQ(seen, (std::set<std::string>{"image\\title\\01.jpg", "image\\title\\02.jpg",
                                         "image\\title\\03.jpg", "image\\title\\04.jpg",
                                         "image\\title\\05.jpg"}));
}

TEST(TitleOpening, AClickOnTheFilmEndsItThenJingleAndButtonsFollow) {
  TitleState t = created(true);
  for (int n = 0; n < 30; ++n) {
    const TitleEffects e = tick(t);  // the film plays on, undisturbed by jingle or buttons
    EXPECT_FALSE(e.play_jingle || e.place_window);
  }
  EXPECT_EQ(t.stage, TitleStage::Opening);
  EXPECT_EQ(buttons_shown(t), 0);
  const TitleEffects e = aviclick(t, kScreenW, kScreenH);
  EXPECT_TRUE(e.close_film);
  EXPECT_FALSE(t.film_visible);
  EXPECT_EQ(t.title_ticks, 0);
  expect_title_sequence(t);

  // The player's end notice for the jingle is not a second end of the opening.
  const TitleEffects late = aviclick(t, kScreenW, kScreenH);
  EXPECT_FALSE(late.place_window);
  EXPECT_EQ(buttons_shown(t), 5);
}

TEST(TitleOpening, WithoutAFilmTheFirstTickEndsItAndTheJingleComesOnTheNext) {
  TitleState absent = created(false);
  TitleState broken = created(true);
  EXPECT_EQ(opening_film_failed(broken), "オープニングムービーを開けません");
  for (TitleState* t : {&absent, &broken}) {
    const TitleEffects first = tick(*t);
    EXPECT_TRUE(first.place_window);
    EXPECT_FALSE(first.close_film);  // nothing loaded to close
    EXPECT_FALSE(first.play_jingle);
    EXPECT_EQ(t->client_width, 800);
    expect_title_sequence(*t);
  }
}

TEST(TitleOpening, EndsByItselfAfter1120TicksOfFilm) {
  TitleState t = created(true);
  for (int n = 0; n < 1120; ++n) tick(t);
  EXPECT_EQ(t.stage, TitleStage::Opening);
  EXPECT_EQ(t.title_ticks, 1120);
  const TitleEffects e = tick(t);
  EXPECT_TRUE(e.place_window && e.close_film);
  expect_title_sequence(t);
}

TEST(TitleChoice, EachRouteButtonStartsItsFixedPair) {
  const struct {
    TitleButton button;
    const char *route, *vehicle;
  } pairs[] = {{TitleButton::Train1, "line_exp.dat", "train_85.dat"},
               {TitleButton::Train2, "line_rapid.dat", "train_75.dat"},
               {TitleButton::train3, "line_local.dat", "train_313_2cars.dat"}};
  for (const auto& p : pairs) {
    TitleState t = created(false);
    tick(t);
    tick(t);
    TitleEffects e;
    const RunConfig c = TrainClick(t, p.button, "/data", 42, e);
    EXPECT_EQ(c.route_file, p.route);
    EXPECT_EQ(c.vehicle_file, p.vehicle);
    EXPECT_TRUE(c.vehicle_dir.empty());
    EXPECT_EQ(c.program_dir, "/data");
    EXPECT_EQ(std::make_pair(c.first_station, c.last_station), std::make_pair(0, 999));
    EXPECT_EQ(c.seed, 42u);
    EXPECT_TRUE(e.stop_player);
    EXPECT_EQ(t.stage, TitleStage::Loading);
    EXPECT_TRUE(t.loading_visible);
    EXPECT_EQ(buttons_shown(t), 5);
    EXPECT_EQ(t.status, "Formを作成しています");
    // The timer has stopped: no jingle or anything else afterwards.
    EXPECT_FALSE(tick(t).play_jingle);
    EXPECT_EQ(t.title_ticks, 1);
  }
  EXPECT_FALSE(route_pair(TitleButton::HELP));
  EXPECT_FALSE(route_pair(TitleButton::Quit));
  EXPECT_EQ(helpclick("/data"), std::filesystem::path("/data/readme.html"));
}

TEST(TitleChoice, CancellingTheVehiclePickerStartsNothing) {
  TitleState t = created(false);
  tick(t);  // the opening ends
  const TitleState before = t;
  TitleEffects e;
  EXPECT_FALSE(Menumousedown(t, TitleButton::Train2, std::nullopt, "/data", 0, e));
  EXPECT_FALSE(e.stop_player);
  EXPECT_EQ(t.stage, before.stage);
  EXPECT_EQ(t.title_ticks, before.title_ticks);
  EXPECT_EQ(t.timer_running, before.timer_running);
  EXPECT_EQ(t.loading_visible, before.loading_visible);
  EXPECT_TRUE(tick(t).play_jingle);  // the title sequence goes on
}

TEST(TitleChoice, APickedVehicleInAnotherFolderDrivesTheButtonsRoute) {
  // The fixture's vehicle with its pictures and sounds in a folder of its own, the route
  // and interface files in the data folder.
  const std::filesystem::path root = scratch_dir("picked");
  const std::filesystem::path data = root / "data", trains = root / "trains";
  std::filesystem::copy(fixture_config().program_dir, data,
                        std::filesystem::copy_options::recursive);
  std::filesystem::copy(data, trains, std::filesystem::copy_options::recursive);
  std::filesystem::remove(data / "train_fixture.dat");
  std::filesystem::rename(data / "line_fixture.dat", data / "line_rapid.dat");

  TitleState t = created(false);
  tick(t);
  TitleEffects e;
  const std::optional<RunConfig> c =
      Menumousedown(t, TitleButton::Train2, trains / "train_fixture.dat", data, 5, e);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->route_file, "line_rapid.dat");
  EXPECT_EQ(c->vehicle_file, "train_fixture.dat");
  EXPECT_EQ(c->vehicle_dir, trains);
  EXPECT_EQ(t.stage, TitleStage::Loading);

  TestRig rig(*c);
  FormCreate(rig.run);
  EXPECT_TRUE(rig.run.frame.app_ready);
  const auto in_trains = [&](const PictureRequest& p) {
    return p.file.string().rfind(trains.string() + "/", 0) == 0;
  };
  EXPECT_TRUE(
      std::any_of(rig.images.loaded.begin(), rig.images.loaded.end(), in_trains));  // the panel's

  // After the run the title comes back with its buttons, and a left click drives the
  // pair's own vehicle from the data folder again.
  title_hide(t);
  EXPECT_EQ(t.stage, TitleStage::Hidden);
  title_return(t);
  EXPECT_EQ(t.stage, TitleStage::Title);
  EXPECT_FALSE(t.loading_visible);
  EXPECT_EQ(buttons_shown(t), 5);
  EXPECT_EQ(std::make_pair(t.client_width, t.client_height), std::make_pair(800, 533));
  EXPECT_TRUE(TrainClick(t, TitleButton::Train2, data, 5, e).vehicle_dir.empty());
}

}  // namespace
}  // namespace velmora
