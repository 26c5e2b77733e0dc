// The menu bar and the help window, driven headless through Dear ImGui with a synthetic
// mouse: a click on an item must reach its action; the help text comes from operation.dat.

#include <gtest/gtest.h>

#include "app/startup.h"
#include "ui/cab_windows.h"
#include "ui/help_window.h"
#include "ui/menu_bar.h"
#include "ui/serial_dialog.h"
#include "ui/window_stack.h"
#include <deque>

#include "headless_imgui.h"
#include "test_rig.h"

namespace velmora {
namespace {

struct BarRig : TestRig {
  BarRig() : TestRig(fixture_config()) { FormCreate(run); }

  void frame(ImVec2 mouse = ImVec2(-1, -1)) { ui.frame(draw, mouse); }
  // Opens a top-level menu, then clicks one of its items.
  void choose(const std::string& menu, const std::string& item) {
    frame();
    ASSERT_TRUE(bar.places.count(menu)) << menu;
    ui.click(draw, bar.places.at(menu));
    frame(bar.places.at(menu));
    ASSERT_TRUE(bar.places.count(item)) << item << " is not in " << menu;
    ui.click(draw, bar.places.at(item));
  }

  HeadlessImGui ui;
  MenuBar bar;
  CabWindows windows;
  HelpWindow help;
  std::function<void()> draw = [this] {
    draw_menu_bar(run, bar, windows, help);
    draw_help_window(help);
    apply_window_commands(run, windows);
  };
};

TEST(MenuBar, ClicksReachTheItemsActions) {
  BarRig rig;
  rig.frame();
  EXPECT_EQ(rig.bar.height, 19);  // the 13 px font with ImGui's frame padding
  EXPECT_LT(rig.bar.places.at("start1").y, rig.bar.height);

  rig.ui.click(rig.draw, rig.bar.places.at("start1"));
  EXPECT_FALSE(rig.run.frame.app_ready);

  rig.choose("Show1", "OFF1");
  EXPECT_EQ(rig.run.options.opt_kanko_off, 1);
  EXPECT_TRUE(rig.run.menu.calls_off);

  rig.choose("GoTo1", "Sta2");
  EXPECT_EQ(rig.run.film.film_frame, rig.run.route.stations[2].Start);

  // Hidden items are not drawn unless asked for.
  rig.frame();
  rig.ui.click(rig.draw, rig.bar.places.at("Show1"));
  rig.frame(rig.bar.places.at("Show1"));
  EXPECT_TRUE(rig.bar.places.count("OFF2"));
  EXPECT_FALSE(rig.bar.places.count("P1"));
  rig.ui.click(rig.draw, rig.bar.places.at("Show1"));  // closes it again
  rig.bar.show_hidden = true;
  rig.choose("Show1", "P1");
  EXPECT_TRUE(rig.windows.train_settings);
}

TEST(MenuBar, TheHelpItemShowsTheHelpWindowAndItsCloseBoxHidesIt) {
  BarRig rig;
  ASSERT_EQ(load_help(rig.help, rig.run.config.program_dir), std::nullopt);
  rig.choose("Show1", "menu_d1");
  ASSERT_TRUE(rig.help.visible);
  rig.frame();
  const ImVec2 close(rig.help.place.x + rig.help.size.x - 10, rig.help.place.y + 8);
  EXPECT_GT(rig.help.place.y, rig.bar.height);
  rig.ui.click(rig.draw, close);
  EXPECT_FALSE(rig.help.visible);
}

TEST(EscapeKey, ClosesTheMenuAMessageThenEachWindowBeforeItIsTheCabs) {
  BarRig rig;
  SerialDialog serial;
  std::deque<std::string> messages{"one"};
  rig.bar.open = true;
  rig.help.visible = rig.run.value_display.visible = rig.run.texts.easy_cab.visible = true;
  rig.windows.train_settings = true;
  const auto escape = [&] { return close_top_window(rig.run, rig.bar, rig.windows, rig.help, serial, messages); };
  EXPECT_TRUE(escape());
  EXPECT_TRUE(rig.bar.close_menus);
  rig.bar.open = false;
  EXPECT_TRUE(escape());
  EXPECT_TRUE(messages.empty());
  // The dialog, then the windows; none drawn yet, so in that order.
  const bool* closed_in_turn[] = {&rig.windows.train_settings, &rig.help.visible, &rig.run.value_display.visible,
                                  &rig.run.texts.easy_cab.visible};
  for (const bool* shown : closed_in_turn) {
    EXPECT_TRUE(escape());
    EXPECT_FALSE(*shown);
  }
  EXPECT_FALSE(escape());  // nothing open: the key is the cab's
}

TEST(HelpWindow, CaptionFromTheFirstLineTextFromTheRest) {
  HelpWindow help;
  EXPECT_EQ(load_help(help, fixture_config().program_dir), std::nullopt);
  EXPECT_EQ(help.caption, "運転の手引き");
  EXPECT_EQ(help.text, "８：加速　２：減速\n７：ドア開閉\n\nEnter: 警報確認\n");

  // A missing file: the error for the user; the window keeps its default caption, no text.
  HelpWindow missing;
  const std::optional<std::string> error = load_help(missing, scratch_dir("empty"));
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find("operation.dat"), std::string::npos);
  EXPECT_EQ(missing.caption, "Help");
  EXPECT_TRUE(missing.text.empty());
}

}  // namespace
}  // namespace velmora
