#include <gtest/gtest.h>

#include <fstream>

#include "app/main_loop.h"
#include "app/startup.h"
#include "data/load_failure.h"
#include "sound/sound_loading.h"
#include "test_rig.h"

namespace velmora {
namespace {

// One frame as the main loop runs it: the frame period passes first.
void next_frame(TestRig& rig) {
  rig.clock.advance_ns(17'000'000);
  ASSERT_TRUE(AppIdle(rig.run));
}


std::vector<std::string> events_of(const EventLog& log, const std::string& kind) {
  std::vector<std::string> out;
  for (const Event& e : log.events)
    if (e.kind == kind) out.push_back(e.detail);
  return out;
}

std::vector<std::string> start_failure(RunConfig config) {
  TestRig rig(std::move(config));
  try {
    FormCreate(rig.run);
  } catch (const LoadFailure& f) {
    EXPECT_FALSE(rig.run.frame.app_ready);
    return f.messages;
  }
  ADD_FAILURE() << "start-up did not fail";
  return {};
}

TEST(StartUp, ReadsTheFilesInOrderWithItsProgressTextsAndStartsTheRun) {
  TestRig rig(fixture_config());
  FormCreate(rig.run);
  EXPECT_EQ(events_of(rig.log, "status"),
            (std::vector<std::string>{"設定ファイルを読み込んでいます", "運転台を描画しています",
                                      "DirectSoundオブジェクトを作成しています(走行音)",
                                      "DirectSoundオブジェクトを作成しています(環境音)",
                                      "DirectSoundオブジェクトを作成しています(喚呼)",
                                      "サウンドを読み込んでいます", "環境をセットアップしています"}));
  EXPECT_EQ(events_of(rig.log, "caption"), std::vector<std::string>{"一時停止(&S)"});
  EXPECT_TRUE(rig.run.frame.app_ready);
  EXPECT_TRUE(rig.run.frame.film_ready);
  EXPECT_FALSE(rig.run.frame.input_locked);
  EXPECT_EQ(rig.run.ui.film_fps, 30);
  EXPECT_EQ(rig.run.mascon.codes.size(), 23u);
  EXPECT_EQ(rig.run.film.shown_frame, 0);  // one less than the frame decoded at set-up

  // The fixture starts at film frame 0, the number the start left in shown_frame: the
  // first frame still shows the film's picture rather than black.
  ASSERT_EQ(rig.run.film.film_frame, 0);
  next_frame(rig);
  EXPECT_EQ(rig.screen.film_frame_shown, 0);
}

TEST(StartUp, FindsDataFilesWhoseLetterCaseDiffers) {
  RunConfig c = copied_fixture("startup_case");
  std::filesystem::rename(c.program_dir / "velmora.dat", c.program_dir / "VELMORA.DAT");
  c.vehicle_file = "TRAIN_FIXTURE.DAT";
  TestRig rig(c);
  FormCreate(rig.run);
  EXPECT_TRUE(rig.run.frame.app_ready);
}

TEST(StartUp, EachMissingFileStopsTheStartWithItsOwnMessages) {
  RunConfig no_ui = copied_fixture("startup_no_ui");
  std::filesystem::remove(no_ui.program_dir / "velmora.dat");
  EXPECT_EQ(start_failure(no_ui), std::vector<std::string>{"stringファイルに誤りがあります"});

  RunConfig no_mascon = copied_fixture("startup_no_mascon");
  std::filesystem::remove(no_mascon.program_dir / "mascon.dat");
  EXPECT_EQ(start_failure(no_mascon), std::vector<std::string>{"mascon.datファイルに誤りがあります"});

  RunConfig no_vehicle = fixture_config();
  no_vehicle.vehicle_file = "train_none.dat";
  EXPECT_EQ(start_failure(no_vehicle), std::vector<std::string>{"車両ファイルに誤りがあります- 列車の基本設定"});

  RunConfig no_route = fixture_config();
  no_route.route_file = "line_none.dat";
  const std::vector<std::string> route = start_failure(no_route);
  ASSERT_EQ(route.size(), 2u);
  EXPECT_EQ(route[0], "路線ファイルに誤りがあります。その他:");
  EXPECT_NE(route[1].find("line_none.dat"), std::string::npos);
}

// Each sound list is read right after its own progress text, so the message of a missing
// file follows the text of what was being read.
TEST(StartUp, AMissingSoundStopsTheStartUnderItsOwnProgressText) {
  const struct Case {
    const char* file;
    const char* last_status;
  } cases[] = {
      {"sound/run00.wav", "DirectSoundオブジェクトを作成しています(走行音)"},
      {"sound/ambient.wav", "DirectSoundオブジェクトを作成しています(環境音)"},
      {"kanko/k00.wav", "DirectSoundオブジェクトを作成しています(喚呼)"},
      {"sound/motor_low.wav", "サウンドを読み込んでいます"},
  };
  for (const Case& c : cases) {
    RunConfig config = copied_fixture("startup_sound");
    std::filesystem::remove(config.program_dir / c.file);
    TestRig rig(config);
    EXPECT_THROW(FormCreate(rig.run), LoadFailure) << c.file;
    const std::vector<std::string> statuses = events_of(rig.log, "status");
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.back(), c.last_status) << c.file;
  }
}

// What the desktop calls after a failed start is the end of a run: it must not write the
// settings file of a run that never started.
TEST(StartUp, AStartThatFailsToLoadSavesNothing) {
  RunConfig config = copied_fixture("startup_saves_nothing");
  std::filesystem::remove(config.program_dir / "mascon.dat");
  TestRig rig(config);
  EXPECT_THROW(FormCreate(rig.run), LoadFailure);
  FormCloseQuery(rig.run);
  EXPECT_TRUE(rig.settings.values.empty());
}

// The channels run out after 320: a sound laid out beyond them is told as the sound layer
// tells it, and left out; the start goes on.
TEST(StartUp, ASoundBeyondTheLastChannelIsReportedAndLeftOut) {
  TestRig rig(fixture_config());
  VehicleData& v = rig.run.vehicle;
  v.drive_sound.assign(100, "sound\\run00.wav");
  rig.run.route.sound_data.assign(100, "sound\\ambient.wav");
  v.engine_sound1.assign(100, MotorSoundData{"sound\\motor_low.wav"});
  v.engine_sound3.assign(21, HensokuSoundData{"sound\\motor_low.wav"});
  SoundLoads sounds(rig.run);
  sounds.vehicle_sounds();
  sounds.environment_sounds();
  sounds.row_sounds();
  sounds.attach();
  EXPECT_EQ(events_of(rig.log, "message"),
            std::vector<std::string>{"チャンネル番号320は無効です、0～319の範囲で指定してください"});
  EXPECT_NE(rig.sound.file_of(319).find("motor_low.wav"), std::string::npos);  // the last one is used
}

TEST(StartPause, PausesAndResumesWithCaptionsAndRedrawsTheCurrentFrame) {
  TestRig rig(fixture_config());
  FormCreate(rig.run);
  rig.run.frame.input_locked = true;
  start1Click(rig.run);
  EXPECT_FALSE(rig.run.frame.app_ready);
  EXPECT_FALSE(rig.run.frame.film_ready);
  EXPECT_FALSE(rig.run.frame.input_locked);
  EXPECT_EQ(rig.run.film.shown_frame, -1);
  start1Click(rig.run);
  EXPECT_TRUE(rig.run.frame.app_ready);
  EXPECT_EQ(rig.run.film.shown_frame, -2);
  EXPECT_EQ(events_of(rig.log, "caption"),
            (std::vector<std::string>{"一時停止(&S)", "運転再開(&S)", "一時停止(&S)"}));
}

TEST(StartPause, AClickOnTheCabResumesAPausedRunAndTheBackButtonEndsIt) {
  TestRig rig(fixture_config());
  FormCreate(rig.run);
  cab_window_click(rig.run, 400, 300);  // running: a click on the film does nothing
  EXPECT_TRUE(rig.run.frame.app_ready);
  start1Click(rig.run);
  cab_window_click(rig.run, 1000, 300);  // beside the cab
  EXPECT_FALSE(rig.run.frame.app_ready);
  cab_window_click(rig.run, 799, 777);
  EXPECT_TRUE(rig.run.frame.app_ready);
  EXPECT_EQ(rig.run.frame.fade_alpha, 0);
  cab_window_click(rig.run, 1193, 768);
  EXPECT_EQ(rig.run.frame.fade_alpha, 1);  // the closing fade has begun
}

TEST(StartPause, APausedWindowMadeActiveShowsTheNotStartedPictureUntilTheRunGoesOn) {
  TestRig rig(fixture_config());
  FormCreate(rig.run);
  FormActivate(rig.run);  // running: nothing changes
  EXPECT_FALSE(rig.screen.still);
  start1Click(rig.run);
  const int composed = rig.screen.composed;
  FormActivate(rig.run);
  EXPECT_TRUE(rig.screen.still);
  EXPECT_EQ(rig.screen.composed, composed + 1);  // drawn at once, not at the next frame
  start1Click(rig.run);
  EXPECT_FALSE(rig.screen.still);
}

TEST(StartPause, SoundsStopWhilePausedAndStartAgainFromTheirBeginning) {
  TestRig rig(fixture_config());
  FormCreate(rig.run);
  SoundDevice& device = rig.run.platform.sound;
  device.loop(1);   // a running-noise band
  device.play(28);  // a door sound of one second, half played
  device.play(25);  // a horn blast that will have ended
  rig.clock.advance_ns(500'000'000);
  start1Click(rig.run);
  for (int channel : {1, 28, 25}) EXPECT_EQ(device.status(channel), 0) << channel;
  rig.log.events.clear();
  rig.clock.advance_ns(10'000'000'000);
  start1Click(rig.run);
  EXPECT_EQ(device.status(1), SoundDevice::kPlaying | SoundDevice::kLooping);
  EXPECT_EQ(device.status(28), SoundDevice::kPlaying);  // from its start
  rig.clock.advance_ns(900'000'000);
  EXPECT_EQ(device.status(28), SoundDevice::kPlaying);
  EXPECT_EQ(device.status(25), 0);
  EXPECT_EQ(events_of(rig.log, "play").size(), 1u);
}

TEST(StartPause, NoSimulationTimePassesWhilePaused) {
  TestRig rig(fixture_config());
  FormCreate(rig.run);
  rig.clock.advance_ns(17'000'000);
  ASSERT_TRUE(AppIdle(rig.run));
  start1Click(rig.run);
  for (int i = 0; i < 100; ++i) {
    rig.clock.advance_ns(17'000'000);
    EXPECT_FALSE(AppIdle(rig.run));
  }
  EXPECT_EQ(rig.run.frame.frames_run, 1);
  EXPECT_EQ(rig.run.frame.tenth_count, 0);
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

TEST(ViewOptions, TheSettingsSwitchProtectionOffAndComeBackUnchangedAtTheEnd) {
  TestRig rig(fixture_config());
  store_options(rig.settings, 1, 0, 1, 2, 0);
  FormCreate(rig.run);
  EXPECT_FALSE(rig.run.train.engine.ats_enabled);
  EXPECT_EQ(rig.run.options.opt_kanko_off, 1);
  EXPECT_EQ(rig.run.options.opt_moji, 0);
  rig.settings.values.clear();
  rig.run.platform.sound.loop(1);
  FormCloseQuery(rig.run);
  EXPECT_EQ(rig.run.platform.sound.status(1), 0);  // silent, its sound released
  rig.run.platform.sound.loop(1);
  EXPECT_EQ(rig.run.platform.sound.status(1), 0);
  // A value other than 0 or 1 is kept as it was.
  EXPECT_EQ(rig.settings.read_int(kOptionsKey, "Tunnel"), 2);
  EXPECT_EQ(rig.settings.read_int(kOptionsKey, "ATS"), 1);
  EXPECT_EQ(rig.settings.read_int(kOptionsKey, "Moji"), 0);
}

TEST(ViewOptions, AFirstRunOrAnIncompleteSetTakesTheDefaults) {
  TestRig first(fixture_config());
  FormCreate(first.run);
  EXPECT_TRUE(first.run.train.engine.ats_enabled);
  FormCloseQuery(first.run);
  for (const char* name : {"Kanko", "Information", "ATS", "Tunnel"})
    EXPECT_EQ(first.settings.read_int(kOptionsKey, name), 0) << name;
  EXPECT_EQ(first.settings.read_int(kOptionsKey, "Moji"), 1);

  TestRig partial(fixture_config());
  store_options(partial.settings, 1, 1, 1, 1, 0);
  partial.settings.values.erase({kOptionsKey, "Moji"});  // the last one read is missing
  FormCreate(partial.run);
  EXPECT_TRUE(partial.run.train.engine.ats_enabled);
  EXPECT_EQ(partial.run.options.opt_kanko_off, 0);
  EXPECT_EQ(partial.run.options.opt_moji, 1);
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

TEST(ViewOptions, AKankoOfTwoIsKeptWithTheOthersAndWrittenBackAsTwo) {
  TestRig rig(fixture_config());
  store_options(rig.settings, 2, 1, 0, 0, 1);
  FormCreate(rig.run);
  EXPECT_EQ(rig.run.options.opt_kanko_off, 2);
  EXPECT_EQ(rig.run.options.opt_info_off, 1);
  FormCloseQuery(rig.run);
  EXPECT_EQ(rig.settings.read_int(kOptionsKey, "Kanko"), 2);
  EXPECT_EQ(rig.settings.read_int(kOptionsKey, "Information"), 1);
}

constexpr const char* kController = "Software\\Velmora\\dgcontroller";
constexpr const char* kButtonNames[] = {"P0", "P1", "P2", "P3", "P4", "P5", "B0", "B1",
                                        "B2", "B3", "B4", "B5", "B6", "B7", "B8", "EB"};

TEST(ControllerButtons, AllSixteenAreReadAtStartUpAndNeverWritten) {
  TestRig rig(fixture_config());
  for (int i = 0; i < 16; ++i) rig.settings.write_int(kController, kButtonNames[i], 100 + i);
  FormCreate(rig.run);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(rig.run.input.dg_button_map[static_cast<std::size_t>(i)], 100 + i) << i;
  rig.settings.values.clear();
  FormCloseQuery(rig.run);
  for (const char* name : kButtonNames) EXPECT_FALSE(rig.settings.read_int(kController, name)) << name;
}

TEST(ControllerButtons, ReadingStopsAtTheFirstMissingValueAndTheRestStayZero) {
  TestRig rig(fixture_config());
  for (int i = 0; i < 16; ++i) rig.settings.write_int(kController, kButtonNames[i], 100 + i);
  rig.settings.values.erase({kController, "B3"});
  FormCreate(rig.run);
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(rig.run.input.dg_button_map[static_cast<std::size_t>(i)], i < 9 ? 100 + i : 0) << kButtonNames[i];

  TestRig none(fixture_config());
  none.run.input.dg_button_map.fill(7);
  FormCreate(none.run);
  for (int value : none.run.input.dg_button_map) EXPECT_EQ(value, 0);
}

}  // namespace
}  // namespace velmora
