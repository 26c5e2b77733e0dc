// The cab window's small windows, driven headless through Dear ImGui with a synthetic mouse:
// a click on a control must reach the run's own command.

#include <gtest/gtest.h>

#include <imgui.h>

#include "app/main_loop.h"
#include "app/startup.h"
#include "headless_imgui.h"
#include "route/station_jump.h"
#include "test_rig.h"
#include "ui/cab_windows.h"
#include "view/value_display.h"

namespace velmora {
namespace {

// The cab windows drawn in each frame.
// The windows' commands are applied as the desktop program applies them; `applied` keeps
// their script texts.
struct Ui : HeadlessImGui {
  void frame(Run& run, CabWindows& w, ImVec2 mouse = ImVec2(-1, -1), bool down = false) {
    HeadlessImGui::frame([&] { draw(run, w); }, mouse, down);
  }
  // Press and release over a point of a window's client area.
  void click(Run& run, CabWindows& w, const ImVec2& origin, ImVec2 at) {
    HeadlessImGui::click([&] { draw(run, w); }, ImVec2(origin.x + at.x, origin.y + at.y));
  }
  void draw(Run& run, CabWindows& w) {
    draw_cab_windows(run, w);
    apply_window_commands(run, w, [this](const DriverCommand& c) { applied.push_back(script_text(c)); });
  }
  std::vector<std::string> applied;
};

struct WindowRig : TestRig {
  WindowRig() : TestRig(fixture_config()) { FormCreate(run); }
  Ui ui;
  CabWindows windows;
};

ImVec2 middle_of(const EasyCabButton& b) { return ImVec2(b.x + b.width / 2, b.y + b.height / 2); }

TEST(EasyCabWindow, ButtonsPostTheirCharactersAndTheReverserFollowsItsPosition) {
  WindowRig rig;
  rig.run.texts.easy_cab.visible = true;
  rig.ui.frame(rig.run, rig.windows);
  const auto handles = [&] { return std::pair{rig.run.train.handles.power_handle, rig.run.train.handles.brake_handle}; };
  const auto before = handles();
  rig.ui.click(rig.run, rig.windows, rig.windows.easy_cab_origin, middle_of(kEasyCabButtons[0]));
  EXPECT_EQ(rig.ui.applied, std::vector<std::string>{"char 8"});
  EXPECT_NE(handles(), before);  // a handle moved through the key handler

  const EasyCabButton& reverser = kEasyCabButtons[6];
  rig.run.train.handles.reverser = 1;
  rig.ui.click(rig.run, rig.windows, rig.windows.easy_cab_origin, middle_of(reverser));
  rig.run.train.handles.reverser = 0;
  rig.ui.click(rig.run, rig.windows, rig.windows.easy_cab_origin, middle_of(reverser));
  rig.run.train.handles.reverser = -1;
  rig.ui.click(rig.run, rig.windows, rig.windows.easy_cab_origin, middle_of(reverser));
  EXPECT_EQ(rig.ui.applied, (std::vector<std::string>{"char 8", "char b", "char f"}));

  // A hidden window takes no clicks.
  rig.ui.applied.clear();
  rig.run.texts.easy_cab.visible = false;
  rig.ui.click(rig.run, rig.windows, rig.windows.easy_cab_origin, middle_of(kEasyCabButtons[1]));
  EXPECT_TRUE(rig.ui.applied.empty());
}

TEST(ValueDisplayWindow, ItsButtonsActAndClosingItIsLikeF3) {
  WindowRig rig;
  ValueDisplayState& d = rig.run.value_display;
  d.visible = true;
  d.jump_text = "1234";
  rig.ui.frame(rig.run, rig.windows);
  const ValueControl& jump = kValueControls[4];
  ASSERT_STREQ(jump.caption, "jump");
  rig.ui.click(rig.run, rig.windows, rig.windows.value_origin, ImVec2(jump.left + 10, jump.top + 5));
  EXPECT_EQ(rig.run.film.film_frame, 1234);
  const ValueControl& hold = kValueControls[6];
  rig.ui.click(rig.run, rig.windows, rig.windows.value_origin, ImVec2(hold.left + 10, hold.top + 5));
  EXPECT_TRUE(d.speed_hold);

  // The window's close box hides it.
  const ImVec2 top_right(rig.windows.value_origin.x + kValueWindowWidth - 10, rig.windows.value_origin.y - 8);
  rig.ui.frame(rig.run, rig.windows, top_right);
  rig.ui.frame(rig.run, rig.windows, top_right, true);
  rig.ui.frame(rig.run, rig.windows, top_right);
  EXPECT_FALSE(d.visible);
}

TEST(TrainSettingsDialog, ProtectionAndEngineChoicesAndOk) {
  WindowRig rig;
  rig.windows.train_settings = true;
  rig.ui.frame(rig.run, rig.windows);
  ASSERT_TRUE(rig.run.train.engine.ats_enabled);
  rig.ui.click(rig.run, rig.windows, rig.windows.settings_origin, ImVec2(kSettingsAtsOff.x + 6, kSettingsAtsOff.y + 6));
  EXPECT_FALSE(rig.run.train.engine.ats_enabled);
  EXPECT_FALSE(rig.run.protection.ats_lamps[0]);
  rig.run.options.opt_ats_reg = 1;
  rig.ui.click(rig.run, rig.windows, rig.windows.settings_origin, ImVec2(kSettingsAtsOn.x + 6, kSettingsAtsOn.y + 6));
  EXPECT_TRUE(rig.run.train.engine.ats_enabled);
  EXPECT_EQ(rig.run.options.opt_ats_reg, 0);

  rig.ui.click(rig.run, rig.windows, rig.windows.settings_origin, ImVec2(kSettingsEngine[2].x + 6, kSettingsEngine[2].y + 6));
  EXPECT_EQ(rig.run.train.engine.engine_run, 0);
  EXPECT_EQ(rig.windows.engine_choice, 2);
  const std::int64_t before = rig.clock.now_ns;
  rig.ui.click(rig.run, rig.windows, rig.windows.settings_origin, ImVec2(kSettingsEngine[0].x + 6, kSettingsEngine[0].y + 6));
  EXPECT_EQ(rig.run.train.engine.engine_run, 1);
  EXPECT_EQ(rig.windows.engine_choice, 1);                  // back on 運転 once started
  EXPECT_GE(rig.clock.now_ns - before, 700'000'000);        // the start holds the program

  rig.ui.click(rig.run, rig.windows, rig.windows.settings_origin, ImVec2(kSettingsOk.x + 10, kSettingsOk.y + 5));
  EXPECT_FALSE(rig.windows.train_settings);
}

TEST(OverrunDialog, OfferedOnceAnOverrunIsNoticedAndItsButtonMovesTheTrainBack) {
  WindowRig rig;
  rig.ui.frame(rig.run, rig.windows);
  EXPECT_FALSE(rig.windows.overrun);
  auto& called = rig.run.station.st_overrun_called;
  ASSERT_GE(called.size(), 2u);
  rig.run.station.zone_station = 0;
  rig.run.film.film_frame = 600;  // well beyond the first stop
  called[0] = true;
  rig.ui.frame(rig.run, rig.windows);
  ASSERT_TRUE(rig.windows.overrun);
  rig.ui.click(rig.run, rig.windows, rig.windows.overrun_origin, ImVec2(kOverrunButton.x + 10, kOverrunButton.y + 5));
  EXPECT_FALSE(rig.windows.overrun);
  EXPECT_LT(rig.run.film.film_frame, 600);
  // The same overrun is not offered again.
  rig.ui.frame(rig.run, rig.windows);
  EXPECT_FALSE(rig.windows.overrun);
}

}  // namespace
}  // namespace velmora
