#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "app/input_script.h"
#include "app/main_loop.h"
#include "app/recorder.h"
#include "app/startup.h"
#include "app/train_steps.h"
#include "dynamics/engine.h"
#include "input/keyboard.h"
#include "test_rig.h"

namespace velmora {
namespace {

std::string read_all(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(Recorder, EveryInputParsesBackToTheSameCommand) {
  const std::filesystem::path file = scratch_dir("round_trip") / "drive.txt";
  RunConfig config = fixture_config();
  config.seed = 77;
  Recorder r(file, config);
  r.typed(0, U'z');
  r.typed(0, U' ');
  r.typed(1, U'#');
  r.typed(1, U'あ');
  r.typed(1, U'\t');
  r.typed(1, 0xD800);  // no character: kept as one that does nothing
  r.key_down(2, Key::Up, true);
  r.key_up(3, Key::Up, true);
  r.key_down(3, Key::F12, false);
  r.held_key(4, 3, true);
  r.held_key(9, 3, false);
  r.wheel(10, true);
  r.wheel(10, false);
  r.click(11, 1193, 768);
  r.menu(12, "start1");
  r.station(13, 2);
  r.serial(14, "N01 x\r");
  r.pad(15, -32768, 100, 0xFFFF);
  r.su_reload(16);
  r.speed_hold(16);
  r.value_jump(17, " 345 x");
  r.stop_channel(17, 3, 9);
  r.typed(8, U'5');  // late: kept after the inputs already written
  EXPECT_THROW(r.held_key(18, 5, true), std::invalid_argument);

  // Written at once: readable while the recorder is still open.
  const std::string text = read_all(file);
  EXPECT_NE(text.find("# Replay: velmora-sim --data " + config.program_dir.string() +
                      " --route line_fixture.dat --vehicle train_fixture.dat --seed 77 --input " +
                      file.string()),
            std::string::npos)
      << text;
  const std::vector<ScriptCommand> commands = parse_input_script(text);
  const struct {
    long long frame;
    const char* verb;
    std::string arg;
    std::vector<int> numbers;
  } expected[] = {{0, "char", "z", {}},           {0, "char", " ", {}},
                  {1, "char", "#", {}},           {1, "char", "あ", {}},
                  {1, "char", "\t", {}},          {1, "char", "\uFFFD", {}},
                  {2, "key", "Shift+Up", {}},     {3, "keyup", "Shift+Up", {}},
                  {3, "key", "F12", {}},          {4, "hold", "3", {3}},
                  {9, "release", "3", {3}},       {10, "wheel", "up", {}},
                  {10, "wheel", "down", {}},      {11, "click", "", {1193, 768}},
                  {12, "menu", "start1", {}},     {13, "station", "", {2}},
                  {14, "serial", "N01 x", {}},    {15, "pad", "", {-32768, 100, 0xFFFF}},
                  {16, "value", "su_reload", {}}, {16, "value", "hold", {}},
                  {17, "value", "jump", {}},      {17, "value", "stop_channel", {3, 9}},
                  {17, "char", "5", {}}};
  ASSERT_EQ(commands.size(), std::size(expected));
  for (std::size_t i = 0; i < commands.size(); ++i) {
    EXPECT_EQ(commands[i].frame, expected[i].frame) << i;
    EXPECT_EQ(commands[i].verb, expected[i].verb) << i;
    EXPECT_EQ(commands[i].arg, expected[i].arg) << i;
    EXPECT_EQ(commands[i].numbers, expected[i].numbers) << i;
  }
  EXPECT_EQ(commands[20].typed, " 345 x");
}

TEST(Recorder, CharactersALineCannotHoldGoByTheirCodePoint) {
  const struct {
    char32_t c;
    const char* written;
    const char* read;  // the character as the parser gives it back, UTF-8
  } cases[] = {{U' ', "space", " "},          {U'\t', "U+0009", "\t"},
               {U'\r', "U+000D", "\r"},       {0x7F, "U+007F", "\x7F"},
               {0x85, "U+0085", "\u0085"},    {0xA0, "\u00A0", "\u00A0"},
               {U'Ａ', "Ａ", "Ａ"},           {0x1F600, "\U0001F600", "\U0001F600"},
               {0x110000, "\uFFFD", "\uFFFD"}};
  for (const auto& c : cases) {
    EXPECT_EQ(script_char(c.c), c.written) << static_cast<unsigned>(c.c);
    const auto parsed = parse_input_script(std::string("0 char ") + c.written + "\n");
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0].arg, c.read) << static_cast<unsigned>(c.c);
  }
  EXPECT_EQ(parse_input_script("0 char U+0041\n")[0].arg, "A");
  for (const char* bad :
       {"0 char U+12\n", "0 char U+D800\n", "0 char U+110000\n", "0 char U+00e9\n"})
    EXPECT_THROW(parse_input_script(bad), ScriptError) << bad;
}

TEST(Recorder, ARefusedFileIsSaidAtOnce) {
  EXPECT_THROW(Recorder(scratch_dir("refused") / "no" / "such" / "drive.txt", fixture_config()),
               RecorderError);
}

// One input of the desktop program: what it does to the run and how it records it.
struct Input {
  long long frame;
  std::function<void(Run&, FakeKeyboard&)> apply;
  std::function<void(Recorder&, long long)> record;
};

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
  const auto typed = [](long long frame, char32_t c) {
    return Input{frame, [c](velmora::Run& run, FakeKeyboard&) { AsciiDown(run, c); },
                 [c](Recorder& r, long long f) { r.typed(f, c); }};
  };
  const auto held = [](long long frame, bool down) {
    return Input{frame, [down](velmora::Run&, FakeKeyboard& k) { k.set(HeldKey::Key3, down); },
                 [down](Recorder& r, long long f) { r.held_key(f, 3, down); }};
  };
  std::vector<Input> inputs;
  // The departure signal is at stop: protection cut out, as the train-settings dialog does.
  inputs.push_back({0, [](velmora::Run& run, FakeKeyboard&) { jump_ats(run, false); },
                    [](Recorder& r, long long f) { r.menu(f, "jump_ats_off"); }});
  for (int i = 0; i < 8; ++i) inputs.push_back(typed(5, U','));  // brakes off
  inputs.push_back(typed(6, U' '));
  inputs.push_back(typed(7, U'ａ'));
  inputs.push_back(typed(20, U'z'));
  inputs.push_back(typed(21, U'z'));
  inputs.push_back(typed(22, U'z'));
  inputs.push_back(held(30, true));
  inputs.push_back(held(45, false));
  inputs.push_back({40, [](velmora::Run& run, FakeKeyboard&) { key_pressed(run, Key::Up, true); },
                    [](Recorder& r, long long f) { r.key_down(f, Key::Up, true); }});
  inputs.push_back({41, [](velmora::Run& run, FakeKeyboard&) { keyups(run, Key::Up, true); },
                    [](Recorder& r, long long f) { r.key_up(f, Key::Up, true); }});
  const Input pause{0, [](velmora::Run& run, FakeKeyboard&) { start1Click(run); },
                    [](Recorder& r, long long f) { r.menu(f, "start1"); }};
  inputs.push_back({450, pause.apply, pause.record});
  inputs.push_back({470, pause.apply, pause.record});
  inputs.push_back({500, [](velmora::Run& run, FakeKeyboard&) { WheelD(run); },
                    [](Recorder& r, long long f) { r.wheel(f, false); }});
  inputs.push_back(typed(700, U'5'));
  inputs.push_back(typed(701, U'.'));
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
        inputs[next].apply(driven.run, driven.keyboard);
        inputs[next].record(recorder, frame);
      }
    });
    recorder.finish(kFrames);
    EXPECT_TRUE(recorder.good());
  }
  ASSERT_GT(driven.run.train.motion.speed, 1) << driven.run.train.motion.speed;  // the inputs drove the train
  ASSERT_GT(driven.run.film.film_frame, 0);

  const std::vector<ScriptCommand> script = parse_input_script(read_all(file));
  TestRig replayed(config);
  FormCreate(replayed.run);
  std::size_t next = 0;
  step_frames(replayed, kFrames, [&](long long frame) {
    for (; next < script.size() && script[next].frame <= frame; ++next) {
      const ScriptCommand& c = script[next];
      if (c.verb == "hold" || c.verb == "release")
        replayed.keyboard.set(HeldKey::Key3, c.verb == "hold");
      else
        EXPECT_TRUE(apply_script_command(replayed.run, c)) << c.text;
    }
  });
  EXPECT_EQ(next, script.size());
  EXPECT_EQ(replayed.run.train.motion.speed, driven.run.train.motion.speed);
  EXPECT_EQ(replayed.run.film.film_frame, driven.run.film.film_frame);
  EXPECT_EQ(replayed.run.frame.frames_run, driven.run.frame.frames_run);
}

}  // namespace
}  // namespace velmora
