// The cab window beside the film: its labels in label mode, their first captions, and the
// route's pictures read at start-up.

#include <gtest/gtest.h>

#include <fstream>

#include "app/main_loop.h"
#include "app/startup.h"
#include "data/load_failure.h"
#include "test_rig.h"
#include "view/cab_window.h"

namespace velmora {
namespace {

// One frame as the main loop runs it: the frame period passes first.
void next_frame(TestRig& rig) {
  rig.clock.advance_ns(17'000'000);
  ASSERT_TRUE(AppIdle(rig.run));
}

const FakeCabScreen::Label* label_at(const FakeCabScreen& screen, int x, int y) {
  for (const FakeCabScreen::Label& l : screen.labels)
    if (l.place.x == x && l.place.y == y) return &l;
  return nullptr;
}

TEST(CabWindowLabels, TheFirstFrameShowsTheDesignCaptionsThenTheRunsTexts) {
  TestRig rig(fixture_config());
  FormCreate(rig.run);
  next_frame(rig);  // drawn before the first route step writes the labels
  const FakeCabScreen::Label* speed = label_at(rig.screen, 836, 622);
  ASSERT_NE(speed, nullptr);
  EXPECT_EQ(speed->utf8, "0.0 km/h");
  EXPECT_TRUE(speed->place.right_aligned);
  EXPECT_EQ(speed->place.width, 166);
  EXPECT_EQ(speed->place.size, 27);
  ASSERT_NE(label_at(rig.screen, 1040, 739), nullptr);
  EXPECT_EQ(label_at(rig.screen, 1040, 739)->utf8, "00:00:00");
  EXPECT_EQ(label_at(rig.screen, 1040, 739)->place.width, 0);  // sized to its text

  next_frame(rig);
  EXPECT_EQ(label_at(rig.screen, 836, 622)->utf8, "  0.0 km/h");
  EXPECT_EQ(label_at(rig.screen, 1040, 739)->utf8, rig.run.station.clock_text);
  EXPECT_LE(rig.screen.labels.size(), 15u);
  // An empty text draws nothing.
  rig.run.texts.labels[kLabelNextStop] = "";
  cab_window_step(rig.run);
  rig.screen.flip();
  EXPECT_EQ(label_at(rig.screen, 1044, 475), nullptr);
  EXPECT_NE(label_at(rig.screen, 820, 518), nullptr);
}

TEST(CabWindowLabels, FilmModeHidesThemAndLabelModeShowsThemAgain) {
  TestRig rig(fixture_config());
  FormCreate(rig.run);
  next_frame(rig);
  ASSERT_FALSE(rig.screen.labels.empty());
  set_text_mode(rig.run.options, 0);
  EXPECT_EQ(rig.run.options.opt_moji, 0);
  next_frame(rig);
  EXPECT_TRUE(rig.screen.labels.empty());
  set_text_mode(rig.run.options, 1);
  next_frame(rig);
  EXPECT_NE(label_at(rig.screen, 820, 518), nullptr);  // the station line
}

// A copy of the fixture folder whose route names its three pictures as given.
RunConfig with_pictures(const std::string& staff, const std::string& standby,
                        const std::string& sub) {
  const auto dir = scratch_dir("pictures");
  std::filesystem::copy(fixture_config().program_dir, dir,
                        std::filesystem::copy_options::recursive);
  std::ifstream in(dir / "line_fixture.dat", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string old = "[Staf]\r\nimage\\staff.bmp\r\nimage\\standby.bmp\r\n\r\n";
  const std::size_t at = text.find(old);
  EXPECT_NE(at, std::string::npos) << "the fixture's [Staf] section changed";
  if (at != std::string::npos)
    text.replace(at, old.size(), "[Staf]\r\n" + staff + "\r\n" + standby + "\r\n" + sub + "\r\n");
  std::ofstream(dir / "line_fixture.dat", std::ios::binary) << text;
  RunConfig c = fixture_config();
  c.program_dir = dir;
  return c;
}

TEST(CabWindowPictures, TheRoutesPicturesGoToTheirPlacesAndAMissingOneStopsTheStart) {
  {
    TestRig rig(with_pictures("IMAGE\\Staff.bmp", "", "image\\other.bmp"));
    FormCreate(rig.run);
    const auto& shown = rig.screen.pictures;
    ASSERT_EQ(shown.count(WindowPicture::StaffTimetable), 1u);
    EXPECT_EQ(shown.at(WindowPicture::StaffTimetable).file.filename(), "staff.bmp");
    EXPECT_EQ(shown.at(WindowPicture::StaffTimetable).x, rig.run.ui.staff_left);
    EXPECT_EQ(shown.count(WindowPicture::NotStarted), 0u);  // none named
    ASSERT_EQ(shown.count(WindowPicture::SubDisplay), 1u);
    EXPECT_EQ(shown.at(WindowPicture::SubDisplay).x, 798);
    EXPECT_EQ(shown.at(WindowPicture::SubDisplay).y, 457);
  }
  for (const bool exists : {false, true}) {
    TestRig rig(
        with_pictures("image\\staff.bmp", exists ? "image\\standby.bmp" : "image\\none.bmp", ""));
    if (exists) rig.screen.unreadable = {"standby.bmp"};
    try {
      FormCreate(rig.run);
      ADD_FAILURE() << "the start went on";
    } catch (const LoadFailure& f) {
      ASSERT_EQ(f.messages.size(), 1u);
      const std::string named = exists ? "standby.bmp" : "none.bmp";
      EXPECT_NE(f.messages[0].find(named + "が見つかりません"), std::string::npos) << f.messages[0];
    }
  }
}

}  // namespace
}  // namespace velmora
