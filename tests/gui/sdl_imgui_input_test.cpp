// The windows' input as the desktop gives it: SDL events through the dialog layer. A press
// and its release arriving within one frame (a quick click, a touchpad tap) must count, and
// two of them must make a double click.

#include <gtest/gtest.h>
#include <imgui_internal.h>

#include <deque>
#include <map>

#include "app/menus.h"
#include "app/startup.h"
#include "platform/sdl/sdl_cab_screen.h"
#include "platform/sdl/sdl_imgui.h"
#include "test_rig.h"
#include "ui/cab_windows.h"
#include "ui/help_window.h"
#include "ui/menu_bar.h"
#include "ui/message_window.h"
#include "ui/picker_window.h"

namespace velmora {
namespace {

SDL_Event mouse(Uint32 type, ImVec2 at) {
  SDL_Event e{};
  e.type = type;
  if (type == SDL_MOUSEMOTION) {
    e.motion.x = static_cast<int>(at.x), e.motion.y = static_cast<int>(at.y);
  } else {
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = static_cast<int>(at.x), e.button.y = static_cast<int>(at.y);
  }
  return e;
}

struct LayerRig : TestRig {
  LayerRig()
      : TestRig(fixture_config()), screen(SdlCabScreen::offscreen()), layer(screen->renderer()) {
    FormCreate(run);
    layer.set_display_size(kCabWindowWidth, kCabWindowHeight + 19);
  }
  // One frame of the cab window's windows, or of `draw` instead.
  void frame(const std::function<void()>& draw = {}) {
    layer.begin_frame(1.0f / 60);
    if (draw) {
      draw();
    } else {
      draw_menu_bar(run, bar, windows, help);
      draw_cab_windows(run, windows);
    }
    layer.end_frame();
    apply_window_commands(run, windows,
                          [this](const DriverCommand& c) { applied.push_back(script_text(c)); });
  }
  // `clicks` presses and releases over a point, all before one frame; then frames enough for
  // each change to be seen.
  void quick_clicks(ImVec2 at, int clicks = 1, const std::function<void()>& draw = {}) {
    layer.feed(mouse(SDL_MOUSEMOTION, at));
    for (int k = 0; k < clicks; ++k) {
      layer.feed(mouse(SDL_MOUSEBUTTONDOWN, at));
      layer.feed(mouse(SDL_MOUSEBUTTONUP, at));
    }
    for (int k = 0; k < 2 * clicks + 2; ++k) frame(draw);
  }

  std::unique_ptr<SdlCabScreen> screen;
  SdlImGui layer;
  MenuBar bar;
  CabWindows windows;
  HelpWindow help;
  std::vector<std::string> applied;  // the script texts of the commands the windows gave
};

TEST(QuickClicks, AMenuItemADialogButtonAndThePickersDoubleClickCount) {
  LayerRig rig;
  rig.frame();
  // The start item on the bar, then an item of an opened menu.
  rig.quick_clicks(rig.bar.places.at("start1"));
  EXPECT_FALSE(rig.run.frame.app_ready);
  rig.quick_clicks(rig.bar.places.at("Show1"));
  ASSERT_TRUE(rig.bar.open);
  rig.quick_clicks(rig.bar.places.at("OFF1"));
  EXPECT_EQ(rig.run.options.opt_kanko_off, 1);
  EXPECT_FALSE(rig.bar.open);

  // The overrun dialog's button.
  rig.windows.overrun = true;
  rig.frame();
  const ImVec2 o = rig.windows.overrun_origin;
  rig.quick_clicks(ImVec2(o.x + kOverrunButton.x + 60, o.y + kOverrunButton.y + 8));
  EXPECT_FALSE(rig.windows.overrun);
  EXPECT_EQ(rig.applied.back(), "menu kotai_stop");

  // The picker: a double click on a vehicle file made of two quick clicks.
  FilePicker picker = open_picker(fixture_config().program_dir);
  std::map<std::string, ImVec2> places;
  PickerAnswer answer;
  const auto picker_frame = [&] {
    const PickerAnswer a = draw_picker_window(picker, &places);
    if (a.picked) answer = a;
  };
  rig.frame(picker_frame);
  ASSERT_TRUE(places.count("train_fixture.dat"));
  rig.quick_clicks(places.at("train_fixture.dat"), 2, picker_frame);
  ASSERT_TRUE(answer.picked);
  EXPECT_EQ(answer.picked->filename(), "train_fixture.dat");
}

TEST(WindowMessages, EachStaysUntilItsOkIsClickedTheOldestFirst) {
  LayerRig rig;
  std::deque<std::string> messages{"first", "second"};
  const auto draw = [&] { draw_message_window(messages, kCabWindowWidth, kCabWindowHeight); };
  rig.frame(draw);
  rig.frame(draw);  // sized to its text from the second frame
  const ImGuiWindow* shown = ImGui::FindWindowByName("Velmora###Message");
  ASSERT_NE(shown, nullptr);
  // The OK button: 80 px wide at the foot of the window, inside its padding.
  const ImVec2 pad = ImGui::GetStyle().WindowPadding;
  const ImVec2 ok(shown->Pos.x + pad.x + 40,
                  shown->Pos.y + shown->Size.y - pad.y - ImGui::GetFrameHeight() / 2);
  rig.quick_clicks(ok, 1, draw);
  EXPECT_EQ(messages, std::deque<std::string>{"second"});
}

TEST(WindowMessages, TheStatusLineLiesAlongTheFootAndLetsClicksThrough) {
  LayerRig rig;
  std::string text = "VMマスコンとの接続が切れました";
  const auto draw = [&] { draw_status_line(text, kCabWindowWidth, kCabWindowHeight); };
  rig.frame(draw);
  rig.frame(draw);
  const ImGuiWindow* line = ImGui::FindWindowByName("###DeviceStatus");
  ASSERT_NE(line, nullptr);
  EXPECT_TRUE(line->Active);
  EXPECT_FLOAT_EQ(line->Pos.y + line->Size.y, kCabWindowHeight);
  EXPECT_FLOAT_EQ(line->Size.x, kCabWindowWidth);
  rig.layer.feed(mouse(SDL_MOUSEMOTION, ImVec2(100, kCabWindowHeight - 5)));
  rig.frame(draw);
  rig.frame(draw);
  EXPECT_FALSE(ImGui::GetIO().WantCaptureMouse);  // the cab under it takes the click
  text.clear();
  rig.frame(draw);
  EXPECT_FALSE(line->Active);
}

TEST(DialogFont, TheGlyphsOfTheLoadedTextsAreMade) {
  LayerRig rig;
  // A name no common Japanese set holds, as the controller menu and route files have them.
  const std::string texts = menu_texts(rig.run);
  ASSERT_NE(texts.find("三鶯重工"), std::string::npos);
  EXPECT_FALSE(rig.layer.has_glyph(U'鶯'));
  rig.layer.add_glyphs(texts + "驒");
  rig.frame();
  EXPECT_TRUE(rig.layer.has_glyph(U'鶯'));
  EXPECT_TRUE(rig.layer.has_glyph(U'驒'));
  // Made again for another scale, they stay.
  rig.layer.set_output_scale(1.5f);
  rig.frame();
  EXPECT_TRUE(rig.layer.has_glyph(U'鶯'));
}

}  // namespace
}  // namespace velmora
