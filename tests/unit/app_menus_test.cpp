// The cab window's menu as data and its actions: check marks from the saved settings, the
// options they switch, what is written back at the end of a run, and the Move menu.

#include <gtest/gtest.h>

#include "app/menus.h"
#include "app/startup.h"
#include "call_rig.h"
#include "sound/call_queue.h"
#include "test_rig.h"
#include "view/cab_window.h"

namespace velmora {
namespace {

MenuEntry top(const std::vector<MenuEntry>& menu, const std::string& name) {
  for (const MenuEntry& e : menu)
    if (e.name == name) return e;
  throw std::runtime_error("no menu " + name);
}

std::vector<std::string> names_of(const MenuEntry& menu) {
  std::vector<std::string> names;
  for (const MenuEntry& e : menu.items) names.push_back(e.name);
  return names;
}

// The Display items' check marks, in menu order, hidden items included.
std::vector<bool> marks(const Run& run) {
  std::vector<bool> out;
  for (const MenuEntry& e : top(main_menu(run, true), "Show1").items) out.push_back(e.checked);
  return out;
}

struct StopLines : TestRig {
  StopLines() : TestRig(fixture_config()) {}
  bool shown() const {
    const OverlaySprites& o = run.overlays.sprites;
    bool all = true, none = true;
    for (int id : {o.line_s, o.line_m, o.line_e}) {
      const bool visible = sprites.sprites.at(static_cast<std::size_t>(id)).place.visible;
      all = all && visible;
      none = none && !visible;
    }
    EXPECT_TRUE(all || none) << "the three stop lines go together";
    return all;
  }
};

TEST(Menus, CheckMarksFollowTheSavedSettingsAndOnlyAOneChecks) {
  // menu_d1, D1, N3, OFF1, OFF2, P1, OFFV1, OFFC1
  TestRig first(fixture_config());
  FormCreate(first.run);
  EXPECT_EQ(marks(first.run),
            (std::vector<bool>{false, false, false, false, false, false, false, true}));
  EXPECT_TRUE(first.run.train.engine.ats_enabled);
  FormCloseQuery(first.run);
  for (const auto& [name, value] :
       {std::pair{"Kanko", 0}, {"Information", 0}, {"ATS", 0}, {"Tunnel", 0}, {"Moji", 1}})
    EXPECT_EQ(first.settings.read_int(kOptionsKey, name), value) << name;

  TestRig all_on(fixture_config());
  store_options(all_on.settings, 1, 1, 1, 1, 0);
  FormCreate(all_on.run);
  EXPECT_EQ(marks(all_on.run),
            (std::vector<bool>{false, true, false, true, true, false, true, false}));

  // Values other than 0 or 1 leave their items unchecked and are written back unchanged.
  TestRig odd(fixture_config());
  store_options(odd.settings, 2, -1, 5, 2, 2);
  FormCreate(odd.run);
  EXPECT_EQ(marks(odd.run), std::vector<bool>(8, false));
  FormCloseQuery(odd.run);
  for (const auto& [name, value] :
       {std::pair{"Kanko", 2}, {"Information", -1}, {"ATS", 5}, {"Tunnel", 2}, {"Moji", 2}})
    EXPECT_EQ(odd.settings.read_int(kOptionsKey, name), value) << name;
}

TEST(Menus, TogglesSetTheirOptionsFromTheNewMark) {
  TestRig rig(fixture_config());
  store_options(rig.settings, 2, 2, 0, 2, 1);
  FormCreate(rig.run);
  const Options& o = rig.run.options;
  // From an odd value the first choice checks the item and gives 1, the second 0.
  for (const char* item : {"D1", "OFF1", "OFFV1"})
    ASSERT_EQ(menu_click(rig.run, item), MenuOpens::nothing);
  EXPECT_EQ((std::vector<int>{o.opt_info_off, o.opt_kanko_off, o.opt_effects_off}),
            (std::vector<int>{1, 1, 1}));
  for (const char* item : {"D1", "OFF1", "OFFV1"}) menu_click(rig.run, item);
  EXPECT_EQ((std::vector<int>{o.opt_info_off, o.opt_kanko_off, o.opt_effects_off}),
            (std::vector<int>{0, 0, 0}));

  EXPECT_EQ(menu_click(rig.run, "menu_d1"), MenuOpens::help_window);
  EXPECT_EQ(menu_click(rig.run, "P1"), MenuOpens::train_settings);
  EXPECT_FALSE(rig.run.texts.easy_cab.visible);
  menu_click(rig.run, "N3");
  EXPECT_TRUE(rig.run.texts.easy_cab.visible);
  for (const char* unknown : {"", "Show1", "Controller1", "off1", "Sta", "Sta0x", "Sta-1"})
    EXPECT_EQ(menu_click(rig.run, unknown), std::nullopt) << unknown;
}

TEST(Menus, TextModeOffHidesTheLabelsUntilChosen) {
  TestRig rig(fixture_config());
  store_options(rig.settings, 0, 0, 0, 0, 0);
  FormCreate(rig.run);
  EXPECT_FALSE(marks(rig.run)[7]);
  rig.run.texts.labels[kLabelClock] = "10:00:00";
  const auto labels_drawn = [&] {
    rig.screen.pending_labels.clear();
    cab_window_step(rig.run);
    return rig.screen.pending_labels.size();
  };
  EXPECT_EQ(labels_drawn(), 0u);
  menu_click(rig.run, "OFFC1");
  EXPECT_TRUE(marks(rig.run)[7]);
  EXPECT_EQ(rig.run.options.opt_moji, 1);
  EXPECT_GT(labels_drawn(), 0u);
}

TEST(Menus, CallsOffSilencesTheNextCallAndIsRememberedForTheNextRun) {
  CallRig rig;
  menu_click(rig.run, "OFF1");
  kanko_queue_add(rig.run, 22);
  kanko_queue_play(rig.run);
  EXPECT_NE(rig.sound.status(rig.run.sound.call_channel()), SoundDevice::kPlaying);
  FormCloseQuery(rig.run);

  TestRig next(fixture_config());
  next.settings = rig.settings;
  FormCreate(next.run);
  EXPECT_EQ(next.run.options.opt_kanko_off, 1);
  EXPECT_TRUE(marks(next.run)[3]);
}

TEST(Menus, CallsWithKanko2AreHeard) {
  CallRig rig;
  rig.run.options.opt_kanko_off = 2;
  set_menu_checks(rig.run);
  EXPECT_FALSE(marks(rig.run)[3]);
  kanko_queue_add(rig.run, 22);
  kanko_queue_play(rig.run);
  EXPECT_EQ(rig.sound.status(rig.run.sound.call_channel()), SoundDevice::kPlaying);
}

TEST(Menus, StopLinesItemFollowsItsMarkAndLeavesProtectionAlone) {
  StopLines rig;
  store_options(rig.settings, 0, 0, 1, 0, 1);
  FormCreate(rig.run);
  EXPECT_FALSE(rig.run.train.engine.ats_enabled);
  EXPECT_TRUE(marks(rig.run)[4]);
  EXPECT_FALSE(rig.shown());  // the checked item's pictures start hidden
  menu_click(rig.run, "OFF2");
  EXPECT_FALSE(marks(rig.run)[4]);
  EXPECT_TRUE(rig.shown());
  menu_click(rig.run, "OFF2");
  EXPECT_FALSE(rig.shown());
  EXPECT_FALSE(rig.run.train.engine.ats_enabled);
  FormCloseQuery(rig.run);
  EXPECT_EQ(rig.settings.read_int(kOptionsKey, "ATS"), 1);

  // Switching protection on in the train-settings dialog unchecks the item and shows the lines.
  StopLines dialog;
  store_options(dialog.settings, 0, 0, 1, 0, 1);
  FormCreate(dialog.run);
  settings_ats_click(dialog.run, false);
  EXPECT_TRUE(marks(dialog.run)[4]);
  settings_ats_click(dialog.run, true);
  EXPECT_TRUE(dialog.run.train.engine.ats_enabled);
  EXPECT_EQ(dialog.run.options.opt_ats_reg, 0);
  EXPECT_FALSE(marks(dialog.run)[4]);
  EXPECT_TRUE(dialog.shown());
}

TEST(Menus, TopLevelCaptionsAndTheStartItemFollowingTheRun) {
  TestRig rig(fixture_config());
  FormCreate(rig.run);
  std::vector<std::string> captions;
  for (const MenuEntry& e : main_menu(rig.run, false)) captions.push_back(e.caption);
  EXPECT_EQ(captions,
            (std::vector<std::string>{"一時停止(&S)", "移動(&M)", "表示(&D)", "コントローラ(&C)"}));
  menu_click(rig.run, "start1");
  EXPECT_FALSE(rig.run.frame.app_ready);
  EXPECT_EQ(start_caption(rig.run), "運転再開(&S)");

  TestRig loading(fixture_config());
  loading.run.ui.menu_start = "開始(&S)";
  EXPECT_EQ(start_caption(loading.run), "開始(&S)");

}

TEST(Menus, ControllerTypesAreRadioItemsAndTheSerialItemsAreTheDesktops) {
  TestRig rig(fixture_config());
  FormCreate(rig.run);
  const auto controller = [&] { return top(main_menu(rig.run, false), "Controller1"); };
  EXPECT_EQ(names_of(controller()),
            (std::vector<std::string>{"controller 0", "controller 1", "controller 2", "controller 3",
                                      "controller debug", "", "serial settings", "serial connect"}));
  EXPECT_TRUE(controller().items[5].separator);
  const auto marks = [&] {
    std::vector<bool> out;
    for (const MenuEntry& e : controller().items) out.push_back(e.checked);
    return out;
  };
  EXPECT_EQ(marks(), (std::vector<bool>{true, false, false, false, false, false, false, false}));
  EXPECT_EQ(menu_click(rig.run, "controller 3"), MenuOpens::nothing);
  EXPECT_EQ(menu_click(rig.run, "controller debug"), MenuOpens::nothing);
  EXPECT_EQ(marks(), (std::vector<bool>{false, false, false, true, true, false, false, false}));
  EXPECT_EQ(rig.run.controllers.ctrl_type, 3);
  EXPECT_EQ(menu_click(rig.run, "controller 1"), MenuOpens::nothing);
  EXPECT_EQ(rig.run.controllers.ctrl_type, 1);
  EXPECT_EQ(menu_click(rig.run, "serial settings"), MenuOpens::serial_settings);
  EXPECT_EQ(menu_click(rig.run, "serial connect"), MenuOpens::serial_connect);
  for (const char* unknown : {"controller 4", "controller", "controller -1"})
    EXPECT_EQ(menu_click(rig.run, unknown), std::nullopt) << unknown;
  EXPECT_EQ(rig.run.controllers.ctrl_type, 1);
}

TEST(Menus, DisplayItemsInOrderWithTheHiddenOnesOnRequest) {
  TestRig rig(fixture_config());
  FormCreate(rig.run);
  EXPECT_EQ(names_of(top(main_menu(rig.run, false), "Show1")),
            (std::vector<std::string>{"menu_d1", "D1", "N3", "OFF1", "OFF2", "OFFC1"}));
  EXPECT_EQ(
      names_of(top(main_menu(rig.run, true), "Show1")),
      (std::vector<std::string>{"menu_d1", "D1", "N3", "OFF1", "OFF2", "P1", "OFFV1", "OFFC1"}));
}

TEST(Menus, MoveMenuListsTheStopsOfTheRunInRouteOrder) {
  // line_fixture.dat: 0 始発駅 stop, 1 通過駅 pass, 2 中央駅 stop, 3 終点駅 the last.
  struct Case {
    int first, last;
    std::vector<std::string> names;
  };
  for (const Case& c :
       {Case{0, 999, {"Sta0", "Sta2"}}, Case{1, 999, {"Sta2"}}, Case{0, 2, {"Sta0"}}}) {
    RunConfig config = fixture_config();
    config.first_station = c.first;
    config.last_station = c.last;
    TestRig rig(config);
    FormCreate(rig.run);
    const MenuEntry move = top(main_menu(rig.run, false), "GoTo1");
    EXPECT_EQ(move.caption, "移動(&M)");
    EXPECT_EQ(names_of(move), c.names) << c.first << ".." << c.last;
  }
  TestRig rig(fixture_config());
  FormCreate(rig.run);
  EXPECT_EQ(top(main_menu(rig.run, false), "GoTo1").items[1].caption, "中央駅");
  EXPECT_EQ(menu_click(rig.run, "Sta2"), MenuOpens::nothing);
  EXPECT_EQ(rig.run.film.film_frame, rig.run.route.stations[2].Start);
  EXPECT_EQ(menu_click(rig.run, "Sta3"), std::nullopt);  // the last station has no item
}

TEST(Menus, LabelsDropTheAcceleratorMarker) {
  for (const auto& [caption, shown] : {std::pair{"一時停止(&S)", "一時停止"},
                                       {"&File", "File"},
                                       {"A&&B", "A&B"},
                                       {"視覚効果OFF(&V)", "視覚効果OFF"},
                                       {"中央駅", "中央駅"},
                                       {"(&)", "()"},
                                       {"end&", "end"}})
    EXPECT_EQ(menu_label(caption), shown) << caption;
}

}  // namespace
}  // namespace velmora
