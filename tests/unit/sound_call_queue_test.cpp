// The call queue and its player, and loading the call voices.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "call_rig.h"
#include "data/load_failure.h"

namespace velmora {
namespace {

TEST(CallQueue, CallsAreSpokenInTurnEachToItsEndAndTheThirteenthIsLost) {
  CallRig rig;
  for (int slot : {22, 1, 2, 3, 4, 5, 18, 19, 0, 1, 2, 3}) kanko_queue_add(rig.run, slot);
  kanko_queue_add(rig.run, 4);
  EXPECT_EQ(rig.count("call_lost"), 1);
  kanko_queue_add(rig.run, 23);  // beyond [KankoSound2]
  queue_other_call(rig.run, 2);  // beyond [OtherKanko]
  EXPECT_EQ(rig.take_calls().size(), kCallQueueSlots);

  kanko_queue_play(rig.run);
  kanko_queue_play(rig.run);  // the first call is still being spoken
  for (int i = 1; i < 12; ++i) {
    rig.seconds(1);  // each fixture voice lasts a second on the fake device
    kanko_queue_play(rig.run);
  }
  const std::vector<std::string> spoken = rig.spoken();
  ASSERT_EQ(spoken.size(), 12u);
  EXPECT_NE(spoken[0].find("shingou.wav"), std::string::npos);
  EXPECT_NE(spoken[7].find("k19.wav"), std::string::npos);
  rig.seconds(1);
  kanko_queue_play(rig.run);
  EXPECT_TRUE(rig.run.calls.call_queue.empty());
}

TEST(CallQueue, WithCallsOffNothingIsSpokenAndEachCallTakesOnePass) {
  CallRig rig;
  rig.run.options.opt_kanko_off = 1;
  for (int slot : {0, 22, 5}) kanko_queue_add(rig.run, slot);
  // Each pass hands one call over and lets the one handed over before it go.
  for (std::size_t left : {3, 2, 1, 0}) {
    kanko_queue_play(rig.run);
    EXPECT_EQ(rig.run.calls.call_queue.size(), left);
  }
  EXPECT_TRUE(rig.spoken().empty());
  rig.run.options.opt_kanko_off = 0;  // switched on again: the next call is heard
  kanko_queue_add(rig.run, 1);
  kanko_queue_play(rig.run);
  EXPECT_EQ(rig.spoken().size(), 1u);
}

TEST(CallSounds, AVoiceTheDeviceCannotReadIsReportedWhenItsTurnComesAndGivesWay) {
  const RunConfig c = copied_fixture("bad_voice");
  std::ofstream(c.program_dir / "kanko" / "broken.wav") << "not a sound";
  TestRig rig(c);
  FormCreate(rig.run);
  rig.run.route.call_voice[7].filename = "kanko\\broken.wav";
  load_call_sounds(rig.run);
  rig.log.events.clear();

  kanko_queue_add(rig.run, 7);
  kanko_queue_add(rig.run, 0);
  kanko_queue_play(rig.run);
  kanko_queue_play(rig.run);  // the next call is not held up
  std::vector<std::string> shown, played;
  for (const Event& e : rig.log.events) {
    if (e.kind == "message") shown.push_back(e.detail);
    if (e.kind == "play") played.push_back(e.detail);
  }
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], "喚呼の再生エラー");
  EXPECT_NE(shown[1].find("broken.wav"), std::string::npos) << shown[1];
  ASSERT_EQ(played.size(), 1u);
  EXPECT_NE(played[0].find("k00.wav"), std::string::npos);
}

TEST(CallSounds, AMissingCallFileStopsTheStartWithItsPath) {
  const RunConfig c = copied_fixture("missing_voice");
  std::filesystem::remove(c.program_dir / "kanko" / "limit.wav");
  TestRig rig(c);
  try {
    FormCreate(rig.run);
    FAIL() << "start-up went on without the limit call";
  } catch (const LoadFailure& f) {
    ASSERT_EQ(f.messages.size(), 1u);
    const std::string tail = "limit.wavが見つかりません";
    EXPECT_EQ(f.messages[0].substr(f.messages[0].size() - tail.size()), tail) << f.messages[0];
  }
}

}  // namespace
}  // namespace velmora
