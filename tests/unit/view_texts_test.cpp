#include <gtest/gtest.h>

#include <algorithm>

#include "app/startup.h"
#include "test_rig.h"
#include "view/drive_texts.h"

namespace velmora {
namespace {

struct TextRig : TestRig {
  TextRig() : TestRig(fixture_config()) {
    FormCreate(run);
    run.ui.info_label.assign(30, "");
    for (int k = 0; k < 30; ++k) run.ui.info_label[static_cast<std::size_t>(k)] = "説明" + std::to_string(k);
  }
};

TEST(DriveTexts, TheStopDistanceInWholeMetresThenOneThenTwoDecimals) {
  EXPECT_EQ(stop_distance_text(1000), " 10.0 m");
  EXPECT_EQ(stop_distance_text(1001), "   10 m");
  EXPECT_EQ(stop_distance_text(500), " 5.00 m");
  EXPECT_EQ(stop_distance_text(-250), "-2.50 m");  // an overrun reads negative
  TextRig rig;
  rig.run.train.motion.speed = 7.25L;
  drive_texts_step(rig.run);
  EXPECT_EQ(rig.run.texts.speed_text, "  7.2 km/h");
}

TEST(Hint, AStalledEngineOverridesEveryOtherExplanation) {
  TextRig rig;
  velmora::Run& run = rig.run;
  run.train.motion.speed = 0;
  run.train.handles.power_handle = 2;
  run.train.engine.ats_enabled = false;  // would give explanation 22
  run.options.opt_ats_reg = 0;
  EXPECT_EQ(compose_hint(run), "0説明22");
  run.train.engine.engine_run = 0;
  EXPECT_EQ(compose_hint(run), "0エンストしました。変速レバーを変速段に入れてエンジンを再始動してください。");
}

TEST(Hint, ProtectionAndTheStopAhead) {
  TextRig rig;
  velmora::Run& run = rig.run;
  run.train.handles.power_handle = 0;
  run.train.motion.speed = 0;
  run.train.handles.ats_eb = true;
  EXPECT_EQ(compose_hint(run), "0説明13");  // stopped by the protection
  run.train.handles.ats_eb = false;
  run.signals.signal_image_now = 8;  // caution
  run.train.motion.speed = 60;
  run.train.motion.stop_distance = 30000;  // 300 m - 125 < 60 / 5 x 60 / 3.6 = 200
  EXPECT_EQ(compose_hint(run), "0説明17説明20");
  run.train.motion.speed = 40;  // 40 / 5 x 40 / 3.6 = 88.9: no need to brake yet
  EXPECT_EQ(compose_hint(run), "");
}

TEST(Hint, TheLineChangesOnlyWhenItsTextDoesAndIsCentredFromItsSecondFrame) {
  TextRig rig;
  velmora::Run& run = rig.run;
  run.options.opt_moji = 1;
  run.options.opt_info_off = 0;
  run.train.motion.speed = 0;
  run.train.handles.power_handle = 2;
  run.train.engine.ats_enabled = false;
  run.film.film_frame = 40;
  run.film.shown_frame = 40;
  hint_step(run);
  EXPECT_EQ(run.texts.hint_text, "説明22");
  EXPECT_EQ(run.film.shown_frame, 39);  // drawn again at once
  run.film.shown_frame = 40;
  hint_step(run);
  EXPECT_EQ(run.film.shown_frame, 40);  // unchanged: nothing to redraw

  const int W = run.ui.film_width;
  draw_film_texts(run);
  run.platform.screen.compose();
  ASSERT_EQ(rig.screen.texts.size(), 1u);
  EXPECT_EQ(rig.screen.texts[0].x, W / 2);  // the width of the previous text, none yet
  EXPECT_EQ(rig.screen.texts[0].y, static_cast<int>(0.9 * run.ui.film_height + 0.5));
  draw_film_texts(run);
  run.platform.screen.compose();
  const int width = rig.screen.text_width("説明22", static_cast<int>(0.015 * W + 0.5));
  EXPECT_EQ(rig.screen.texts[0].x, W / 2 - (width + 1) / 2);

  run.options.opt_info_off = 1;  // composed, never drawn
  draw_film_texts(run);
  run.platform.screen.compose();
  EXPECT_TRUE(rig.screen.texts.empty());
}

TEST(FilmTexts, TheOptionalLinesStackAboveTheTrainInformationLine) {
  TextRig rig;
  velmora::Run& run = rig.run;
  run.options.opt_moji = 0;
  run.options.opt_info_off = 1;
  run.signals.distance_text = "信号まで 200m";
  run.signals.signal_info_text = "停止線";
  draw_film_texts(run);
  run.platform.screen.compose();
  const int H = run.ui.film_height;
  int distance_y = -1, signal_y = -1;
  for (const auto& t : rig.screen.texts) {
    if (t.utf8 == run.signals.distance_text) distance_y = t.y;
    if (t.utf8 == run.signals.signal_info_text) signal_y = t.y;
  }
  EXPECT_EQ(distance_y, static_cast<int>(0.8 * H) - static_cast<int>(0.06 * H));
  EXPECT_EQ(signal_y, static_cast<int>(0.8 * H) - 2 * static_cast<int>(0.06 * H));
  for (const auto& t : rig.screen.texts) {
    if (!t.utf8.empty()) {
      EXPECT_EQ(t.shadow, 2);  // 0.002 of 800 px
    }
  }
}

// The explanation line and the speed each have their shadow and letters to themselves; all
// further texts form one group (an empty text ends a group), whose shadows go first.
TEST(FilmTexts, TheSpeedStandsAloneAndTheOtherTextsShadowTogether) {
  TextRig rig;
  velmora::Run& run = rig.run;
  run.options.opt_moji = 0;
  run.texts.hint_text = "説明";
  run.texts.speed_text = " 40.0 km/h";
  run.signals.distance_text = "信号まで 200m";
  draw_film_texts(run);
  run.platform.screen.compose();
  std::vector<std::string> queued;
  for (const auto& t : rig.screen.texts) queued.push_back(t.utf8);
  ASSERT_GE(queued.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(queued.begin(), queued.begin() + 4),
            (std::vector<std::string>{"説明", "", " 40.0 km/h", ""}));
  EXPECT_EQ(std::count(queued.begin() + 4, queued.end(), ""), 0);
  EXPECT_EQ(queued.back(), run.signals.distance_text);
}

TEST(Labels, TheInformationLabelOfAOneManTrain) {
  TextRig rig;
  velmora::Run& run = rig.run;
  run.options.opt_moji = 1;
  run.route.one_man = OneManMode::OneMan;
  run.signals.signal_info_text = "踏切注意";
  run.station.train_info_text = "";
  label_step(run);
  EXPECT_EQ(run.texts.labels[kLabelInfo], "踏切注意");
  run.station.train_info_text = "説明1";
  label_step(run);
  EXPECT_EQ(run.texts.labels[kLabelInfo], "説明1");
  run.options.opt_moji = 0;  // film mode leaves the labels as they were
  run.station.train_info_text = "other";
  label_step(run);
  EXPECT_EQ(run.texts.labels[kLabelInfo], "説明1");
}

TEST(EasyCab, TheColumnFollowsTheHandlesAndTheStatusTheDoors) {
  TextRig rig;
  velmora::Run& run = rig.run;
  run.train.handles.power_handle = 0;
  run.train.handles.brake_handle = -3;
  run.station.door_cmd = false;
  run.station.doors_open = true;
  easy_cab_step(run);
  const EasyCab& e = run.texts.easy_cab;
  EXPECT_FALSE(e.neutral);
  EXPECT_EQ(e.brake, (std::array<bool, 8>{true, true, true, false, false, false, false, false}));
  EXPECT_EQ(e.status, "ドアを閉めています");
  run.train.handles.brake_handle = 0;
  run.train.handles.power_handle = 2;
  run.station.doors_open = false;
  easy_cab_step(run);
  EXPECT_EQ(e.power, (std::array<bool, 5>{true, true, false, false, false}));
  EXPECT_FALSE(e.neutral);
  EXPECT_EQ(e.status, "");
  run.train.handles.power_handle = 0;
  easy_cab_step(run);
  EXPECT_TRUE(e.neutral);
}

}  // namespace
}  // namespace velmora
