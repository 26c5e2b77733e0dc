#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "app/driver_command.h"
#include "app/input_script.h"
#include "app/main_loop.h"
#include "app/recorder.h"
#include "app/startup.h"
#include "test_rig.h"

namespace velmora {
namespace {

std::string read_all(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(Recorder, EveryCommandIsWrittenAsAScriptLineThatParsesBackToIt) {
  const std::filesystem::path file = scratch_dir("round_trip") / "drive.txt";
  RunConfig config = fixture_config();
  config.seed = 77;
  Recorder r(file, config);
  using namespace velmora::command;
  using Which = ValueButton::Which;
  const struct {
    long long frame;
    DriverCommand command;
    const char* line;  // as written, the frame included
  } cases[] = {
      {0, Typed{U'z'}, "0 char z"},
      {0, Typed{U' '}, "0 char space"},
      {1, Typed{U'あ'}, "1 char あ"},
      {1, Typed{0xD800}, "1 char \uFFFD"},  // no character: kept as one that does nothing
      {2, KeyDown{Key::Up, true}, "2 key Shift+Up"},
      {3, KeyUp{Key::Up, true}, "3 keyup Shift+Up"},
      {3, KeyDown{Key::F12, false}, "3 key F12"},
      {4, Held{3, true}, "4 hold 3"},
      {9, Held{3, false}, "9 release 3"},
      {10, Wheel{true}, "10 wheel up"},
      {10, Wheel{false}, "10 wheel down"},
      {11, Click{1193, 768}, "11 click 1193 768"},
      {12, MenuItem{"controller 1"}, "12 menu controller 1"},
      {13, StationJump{2}, "13 station 2"},
      {14, SerialLine{"N01 x\r"}, "14 serial N01 x"},
      {15, ControllerSnapshot{-32768, 100, 0xFFFF}, "15 pad -32768 100 65535"},
      {15, ControllerSnapshot{0, 0, 0, false}, "15 pad none"},
      {15, SerialConnection{false}, "15 serial_port lost"},
      {15, SerialConnection{true}, "15 serial_port back"},
      {16, ValueButton{Which::su_reload, {}, 0, 0}, "16 value su_reload"},
      {16, ValueButton{Which::hold, {}, 0, 0}, "16 value hold"},
      {17, ValueButton{Which::jump, " 345 x\nmore", 0, 0}, "17 value jump  345 x"},
      {17, ValueButton{Which::stop_channel, {}, 3, 9}, "17 value stop_channel 3 9"},
      {17, FrameTime{16'700'000}, "17 time 16700000"},
      {8, Typed{U'5'}, "17 char 5"},  // late: kept after the inputs already written
  };
  for (const auto& c : cases) r.record(c.frame, c.command);
  r.note(3, "VMマスコンに再接続しました");  // a comment for people: a replay skips it

  // Written at once: readable while the recorder is still open.
  const std::string text = read_all(file);
  EXPECT_NE(text.find("# Replay: velmora-sim --data " + config.program_dir.string() +
                      " --route line_fixture.dat --vehicle train_fixture.dat --seed 77 --input " +
                      file.string()),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\n# frame 17: VMマスコンに再接続しました\n"), std::string::npos) << text;
  const std::vector<ScriptCommand> commands = parse_input_script(text);
  ASSERT_EQ(commands.size(), std::size(cases));
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);
  std::getline(lines, line);  // the two header lines
  for (std::size_t i = 0; i < commands.size(); ++i) {
    std::getline(lines, line);
    EXPECT_EQ(line, cases[i].line) << i;
    EXPECT_EQ(std::to_string(commands[i].frame) + " " + script_text(commands[i].command), line)
        << i;
    EXPECT_EQ(commands[i].command.index(), cases[i].command.index()) << i;
  }
}

TEST(Recorder, CharactersALineCannotHoldGoByTheirCodePoint) {
  const struct {
    char32_t c;
    const char* written;
    char32_t read;  // the character as the parser gives it back
  } cases[] = {
      {U' ', "space", U' '},  {U'\t', "U+0009", U'\t'},         {U'\r', "U+000D", U'\r'},
      {0x7F, "U+007F", 0x7F}, {0x85, "U+0085", 0x85},           {0xA0, "\u00A0", 0xA0},
      {U'Ａ', "Ａ", U'Ａ'},   {0x1F600, "\U0001F600", 0x1F600}, {0x110000, "\uFFFD", 0xFFFD}};
  for (const auto& c : cases) {
    EXPECT_EQ(script_char(c.c), c.written) << static_cast<unsigned>(c.c);
    const auto parsed = parse_input_script(std::string("0 char ") + c.written + "\n");
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(std::get<command::Typed>(parsed[0].command).ch, c.read) << static_cast<unsigned>(c.c);
  }
  EXPECT_EQ(std::get<command::Typed>(parse_input_script("0 char U+0041\n")[0].command).ch, U'A');
  for (const char* bad :
       {"0 char U+12\n", "0 char U+D800\n", "0 char U+110000\n", "0 char U+00e9\n"})
    EXPECT_THROW(parse_input_script(bad), ScriptError) << bad;
}

TEST(Recorder, ARefusedFileIsSaidAtOnce) {
  EXPECT_THROW(Recorder(scratch_dir("refused") / "no" / "such" / "drive.txt", fixture_config()),
               RecorderError);
}

// A device's state goes to the fake device, as the desktop's goes to the real one; the
// rest is applied.
void take(TestRig& rig, const DriverCommand& c) {
  if (const auto* held = std::get_if<command::Held>(&c))
    rig.keyboard.set(HeldKey::Key3, held->down);
  else
    EXPECT_TRUE(apply(rig.run, c)) << script_text(c);
}

// Steps a run as velmora-sim does: the inputs due, then the clock one frame on and passes
// until a frame runs (a paused run passes not at all).
template <typename ApplyDue>
void step_frames(TestRig& rig, long long frames, ApplyDue apply_due) {
  for (long long frame = 0; frame < frames && !rig.run.frame.ended; ++frame) {
    apply_due(frame);
    rig.clock.advance_ns(16'667'000);
    for (int pass = 0; pass < 100000 && rig.run.frame.app_ready; ++pass)
      if (AppIdle(rig.run)) break;
  }
}

TEST(Recorder, ARecordedDriveReplaysHeadlessToTheSameSpeedAndFilmFrame) {
  using namespace velmora::command;
  struct Input {
    long long frame;
    DriverCommand command;
  };
  std::vector<Input> inputs;
  // The departure signal is at stop: protection cut out, as the train-settings dialog does.
  inputs.push_back({0, MenuItem{"jump_ats_off"}});
  for (int i = 0; i < 8; ++i) inputs.push_back({5, Typed{U','}});  // brakes off
  for (const auto& [frame, c] :
       {std::pair{6, U' '}, {7, U'ａ'}, {20, U'z'}, {21, U'z'}, {22, U'z'}})
    inputs.push_back({frame, Typed{c}});
  inputs.push_back({30, Held{3, true}});
  inputs.push_back({40, KeyDown{Key::Up, true}});
  inputs.push_back({41, KeyUp{Key::Up, true}});
  inputs.push_back({45, Held{3, false}});
  inputs.push_back({450, MenuItem{"start1"}});  // paused, and on again
  inputs.push_back({470, MenuItem{"start1"}});
  inputs.push_back({500, Wheel{false}});
  inputs.push_back({700, Typed{U'5'}});
  inputs.push_back({701, Typed{U'.'}});
  constexpr long long kFrames = 800;  // the air brake takes some 400 frames to let go

  RunConfig config = fixture_config();
  config.seed = 12345;
  const std::filesystem::path file = scratch_dir("replay") / "drive.txt";
  TestRig driven(config);
  FormCreate(driven.run);
  {
    Recorder recorder(file, config);
    std::size_t next = 0;
    step_frames(driven, kFrames, [&](long long frame) {
      for (; next < inputs.size() && inputs[next].frame <= frame; ++next) {
        recorder.record(frame, inputs[next].command);
        take(driven, inputs[next].command);
      }
    });
    recorder.finish(kFrames);
    EXPECT_TRUE(recorder.good());
  }
  ASSERT_GT(driven.run.train.motion.speed, 1)
      << driven.run.train.motion.speed;  // the inputs drove the train
  ASSERT_GT(driven.run.film.film_frame, 0);

  const std::vector<ScriptCommand> script = parse_input_script(read_all(file));
  TestRig replayed(config);
  FormCreate(replayed.run);
  std::size_t next = 0;
  step_frames(replayed, kFrames, [&](long long frame) {
    for (; next < script.size() && script[next].frame <= frame; ++next)
      take(replayed, script[next].command);
  });
  EXPECT_EQ(next, script.size());
  EXPECT_EQ(replayed.run.train.motion.speed, driven.run.train.motion.speed);
  EXPECT_EQ(replayed.run.film.film_frame, driven.run.film.film_frame);
  EXPECT_EQ(replayed.run.frame.frames_run, driven.run.frame.frames_run);
}

}  // namespace
}  // namespace velmora
