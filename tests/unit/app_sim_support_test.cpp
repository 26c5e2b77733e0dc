#include <gtest/gtest.h>

#include "app/input_script.h"
#include "app/startup.h"
#include "app/trace_fields.h"
#include "test_rig.h"

namespace velmora {
namespace {

std::string script_error(const std::string& text) {
  try {
    parse_input_script(text);
  } catch (const ScriptError& e) {
    return e.what();
  }
  return "";
}

TEST(InputScript, ParsesEveryCommandAndOrdersThemByFrame) {
  const auto commands = parse_input_script(
      "# a drive\n"
      "20 key Shift+F12\r\n"
      "\n"
      "5 char space\n"
      "5 char ｱ\n"
      "7 hold 4\n"
      "8 release 4\n"
      "9 wheel down\n"
      "10 serial MC001  x\n"
      "11 pad -1000 1000 5\n"
      "12 menu start1\n"
      "13 station 2\n"
      "14 keyup PageDown\n");
  ASSERT_EQ(commands.size(), 11u);
  EXPECT_EQ(commands[0].frame, 5);
  using namespace velmora::command;
  EXPECT_EQ(std::get<Typed>(commands[0].command).ch, U' ');
  EXPECT_EQ(std::get<Typed>(commands[1].command).ch, U'ｱ');  // same frame: file order kept
  EXPECT_EQ(std::get<Held>(commands[2].command).key, 4);
  EXPECT_TRUE(std::get<Held>(commands[2].command).down);
  EXPECT_EQ(std::get<SerialLine>(commands[5].command).text, "MC001  x");  // blanks inside the received text stay
  const ControllerSnapshot pad = std::get<ControllerSnapshot>(commands[6].command);
  EXPECT_EQ(std::vector<int>({pad.x, pad.y, pad.buttons}), (std::vector<int>{-1000, 1000, 5}));
  EXPECT_EQ(std::get<KeyUp>(commands[9].command).key, Key::PageDown);
  EXPECT_EQ(std::get<KeyDown>(commands[10].command).key, Key::F12);
  EXPECT_TRUE(std::get<KeyDown>(commands[10].command).shift);
  EXPECT_EQ(commands[10].line, 2);
}

TEST(InputScript, BadLinesAreErrorsWithTheirLineNumber) {
  EXPECT_EQ(script_error("1 char a\n2 char\n"), "line 2: \"char\" takes 1 argument");
  EXPECT_NE(script_error("1 char a\n\n3 teleport 5\n").find("line 3: unknown command \"teleport\""),
            std::string::npos);
  EXPECT_NE(script_error("x char a\n").find("line 1"), std::string::npos);
  EXPECT_NE(script_error("-1 char a\n").find("negative"), std::string::npos);
  EXPECT_NE(script_error("1 char ab\n").find("one character"), std::string::npos);
  EXPECT_NE(script_error("1 key F13\n").find("unknown key"), std::string::npos);
  EXPECT_NE(script_error("1 key Home\n").find("unknown key"), std::string::npos);
  EXPECT_NE(script_error("1 hold 5\n").find("3, 4 and 6"), std::string::npos);
  EXPECT_NE(script_error("1 wheel left\n").find("up or down"), std::string::npos);
  EXPECT_NE(script_error("1 pad 0 0 70000\n").find("BUTTONS"), std::string::npos);
  EXPECT_NE(script_error("1 pad 0 0\n").find("3 arguments"), std::string::npos);
  EXPECT_NE(script_error("5\n").find("FRAME COMMAND"), std::string::npos);
}

TEST(InputScript, CommandsReachTheirHandlersOrSayTheyWait) {
  TestRig rig(fixture_config());
  FormCreate(rig.run);
  const auto commands = parse_input_script(
      "0 char 5\n0 char 8\n0 key ScrollLock\n0 wheel down\n0 key Shift+F1\n0 menu start1\n"
      "0 menu OFFV1\n0 station 1\n0 menu Sta1\n0 menu Controller1\n");
  for (std::size_t i = 0; i < 2; ++i) EXPECT_TRUE(apply(rig.run, commands[i].command)) << i;
  EXPECT_EQ(rig.run.train.handles.power_handle, 1);
  for (std::size_t i = 2; i < 6; ++i) EXPECT_TRUE(apply(rig.run, commands[i].command)) << i;
  // With Scroll Lock on, the wheel towards the driver takes the notch back.
  EXPECT_EQ(rig.run.train.handles.power_handle, 0);
  EXPECT_TRUE(rig.run.input.handle_swap);
  EXPECT_TRUE(rig.run.input.auto_run);
  EXPECT_FALSE(rig.run.frame.app_ready);
  EXPECT_TRUE(apply(rig.run, commands[6].command));
  EXPECT_EQ(rig.run.options.opt_effects_off, 1);
  // A station the Move menu does not list (a pass), by either name, and a menu that is no item.
  for (std::size_t i = 7; i < 10; ++i) EXPECT_FALSE(apply(rig.run, commands[i].command)) << i;

  const auto dialog = parse_input_script("0 menu jump_engine_stop\n0 menu jump_ats_off\n");
  for (const ScriptCommand& c : dialog) EXPECT_TRUE(apply(rig.run, c.command));
  EXPECT_EQ(rig.run.train.engine.engine_run, 0);
  EXPECT_FALSE(rig.run.train.engine.ats_enabled);
}

TEST(InputScript, SerialLinesAndTheControllerMenu) {
  EXPECT_NE(script_error("1 pad 40000 0 0\n").find("-32768 to 32767"), std::string::npos);
  EXPECT_NE(script_error("1 menu\n").find("item name"), std::string::npos);
  TestRig rig(fixture_config());
  FormCreate(rig.run);
  // Each serial command is one whole line: no CR to write, and the next one starts afresh.
  const auto commands = parse_input_script(
      "0 serial MC00\n1 serial MC002\n2 menu controller  2\n3 menu controller 9\n4 pad 0 0 1\n");
  ASSERT_TRUE(apply(rig.run, commands[0].command));
  EXPECT_EQ(rig.run.train.handles.power_handle, 0);
  ASSERT_TRUE(apply(rig.run, commands[1].command));
  EXPECT_EQ(rig.run.train.handles.power_handle, 3);
  EXPECT_EQ(script_text(commands[2].command), "menu controller 2");
  EXPECT_TRUE(apply(rig.run, commands[2].command));
  EXPECT_EQ(rig.run.controllers.ctrl_type, 2);
  EXPECT_FALSE(apply(rig.run, commands[3].command));
  // The controller snapshot is the headless run's to set (velmora-sim).
  EXPECT_FALSE(apply(rig.run, commands[4].command));
}

TEST(InputScript, ValueDisplayButtons) {
  EXPECT_NE(script_error("1 value stop_channel 10 0\n").find("0 to 9"), std::string::npos);
  EXPECT_NE(script_error("1 value press\n").find("unknown value display item"), std::string::npos);
  EXPECT_NE(script_error("1 value\n").find("su_reload"), std::string::npos);
  TestRig rig(fixture_config());
  FormCreate(rig.run);
  rig.run.film.film_frame = 7;
  rig.sound.attach(23, 0);
  rig.sound.loop(23);
  const auto commands = parse_input_script(
      "0 value jump 12 x\n1 value jump  345\n2 value hold\n3 value stop_channel 3 2\n4 value su_reload\n");
  for (const ScriptCommand& c : commands) EXPECT_TRUE(apply(rig.run, c.command)) << c.text;
  EXPECT_EQ(std::get<command::ValueButton>(commands[0].command).typed, "12 x");  // refused: the frame stays
  EXPECT_EQ(std::get<command::ValueButton>(commands[1].command).typed, " 345");
  EXPECT_EQ(rig.run.film.film_frame, 345);
  EXPECT_TRUE(rig.run.value_display.speed_hold);
  EXPECT_EQ(rig.sound.status(23), 0);
  EXPECT_EQ(trace_cell(parse_trace_columns("value_display_message")[0], rig.run, 0), "\"\"");
}

TEST(TraceColumns, NamesAreTheDocumentedStateNames) {
  const auto columns = parse_trace_columns("frame,speed,sway_offset,info_label[1],total_mass,app_ready");
  ASSERT_EQ(columns.size(), 6u);
  TestRig rig(fixture_config());
  FormCreate(rig.run);
  rig.run.train.motion.speed = -12.5L;
  rig.run.load.total_mass = Fixed4(35.25L);
  rig.run.frame.sway_offset = -2;
  EXPECT_EQ(trace_cell(columns[0], rig.run, 42), "42");
  EXPECT_EQ(trace_cell(columns[1], rig.run, 0), "-12.500000");
  EXPECT_EQ(trace_cell(columns[2], rig.run, 0), "-2");
  EXPECT_EQ(trace_cell(columns[3], rig.run, 0), "\"ワンマン運転です。ドアを確認してください\"");
  EXPECT_EQ(trace_cell(columns[4], rig.run, 0), "35.250000");
  EXPECT_EQ(trace_cell(columns[5], rig.run, 0), "1");

  rig.run.train.sway.sway_pos = 0.4031234567L;
  EXPECT_EQ(trace_cell(parse_trace_columns("sway_pos")[0], rig.run, 0), "0.403123457");
  EXPECT_EQ(trace_cell(parse_trace_columns("info_label[99]")[0], rig.run, 0), "");
}

TEST(TraceColumns, UnknownNamesListTheKnownOnes) {
  try {
    parse_trace_columns("frame,speeed");
    FAIL();
  } catch (const TraceFieldError& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("\"speeed\""), std::string::npos);
    EXPECT_NE(what.find("position_cm"), std::string::npos);
    EXPECT_NE(what.find("info_label[i]"), std::string::npos);
  }
  EXPECT_THROW(parse_trace_columns("info_label"), TraceFieldError);
  EXPECT_THROW(parse_trace_columns("info_label[x]"), TraceFieldError);
  EXPECT_THROW(parse_trace_columns("speed[0]"), TraceFieldError);
  EXPECT_THROW(parse_trace_columns("speed,,fps"), TraceFieldError);
}

}  // namespace
}  // namespace velmora
