// The external controllers: the notch mapping they share, the serial master controller's
// lines, and the decoding of the three game controllers.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/driver_command.h"
#include "app/startup.h"
#include "handle_fixtures.h"
#include "input/controllers.h"
#include "input/serial_mascon.h"
#include "platform/serial_link.h"
#include "sound/vehicle_sounds.h"
#include "test_rig.h"

namespace velmora {
namespace {

VehicleData with_groups(std::vector<int> groups, int power) {
  VehicleData v = one_lever_emu();
  v.power = power;
  v.notch.assign(groups.size(), NotchRow{});
  for (std::size_t i = 0; i < groups.size(); ++i) v.notch[i].group = groups[i];
  return v;
}

TEST(NotchMap, StaysWithinTheVehiclesPositionsForAnyRequest) {
  struct Case {
    std::vector<int> groups;
    int power, n, group, expected;
  };
  const Case cases[] = {
      {{0, 0, 0, 1, 1}, 5, 0, 0, 0},
      {{0, 0, 0, 1, 1}, 5, 3, 0, 3},
      {{0, 0, 0, 1, 1}, 5, 4, 0, 3},  // past the group's rows: its last row
      {{0, 0, 0, 1, 1}, 5, 1, 1, 4},
      {{0, 0, 0, 1, 1}, 5, 6, 1, 5},
      {{0, 0, 0, 1, 1}, 5, 1, 2, 0},  // no row of the group: off
      {{0, 1, 0}, 3, 2, 0, 3},        // the second position is another group's: the last row
      {{0, 0, 0, 0}, 4, 6, 0, 4},     // notch 6 on a four-notch car
      {{0, 0, 0, 1, 1}, 3, 5, 1, 0},  // group 1's rows lie beyond [Power]
      {{}, 4, 3, 0, 3},               // no table: the positions count as group 0
      {{}, 4, 9, 0, 4},
      {{}, 4, 1, 1, 0},
      {{0, 0, 0, 0}, 4, -3, 0, -3},
      {{0, 0, 0, 0}, 4, -9, 0, -8},  // beyond the last step: emergency
  };
  for (const Case& c : cases) {
    const VehicleData v = with_groups(c.groups, c.power);
    EXPECT_EQ(notch_map(v, c.n, c.group), c.expected)
        << "rows " << c.groups.size() << " power " << c.power << " n " << c.n << " group "
        << c.group;
  }
}

// The fixture run: [Power] 4, [Brake] 8, mascon.dat codes MC000 .. MC022.
struct SerialRig : TestRig {
  SerialRig() : TestRig(fixture_config()) { FormCreate(run); }
  std::vector<std::string> receive(std::string_view text) { return RxChar(run, text); }
};

TEST(SerialMascon, CodesMoveTheHandlesWithinTheVehiclesNotches) {
  SerialRig s;
  HandleState& h = s.run.train.handles;
  ASSERT_EQ(s.run.vehicle.power, 4);
  ASSERT_EQ(s.run.vehicle.brake, 8);
  struct Case {
    const char* line;
    int power, brake;
  };
  const Case cases[] = {
      {"MC001\r", 2, 0},  {"MC005\r", 4, 0},   // notch 6 on a four-notch car
      {"MC008\r", 0, -2}, {"MC015\r", 0, -8},  // brake 9 with eight steps: emergency
      {"MC000\r", 1, 0},  {"MC006\r", 0, 0},
  };
  for (const Case& c : cases) {
    clear_latches(h);
    s.receive(c.line);
    EXPECT_EQ(h.power_handle, c.power) << c.line;
    EXPECT_EQ(h.brake_handle, c.brake) << c.line;
    EXPECT_TRUE(all_latches(h)) << c.line;
  }
  // The handle texts follow at once.
  EXPECT_EQ(h.brake_text, s.run.ui.neut);
}

TEST(SerialMascon, LinesAreAssembledUpToEachCarriageReturn) {
  SerialRig s;
  HandleState& h = s.run.train.handles;
  // Split over two reads: handled once, when the CR arrives.
  EXPECT_TRUE(s.receive("MC0").empty());
  EXPECT_EQ(h.power_handle, 0);
  EXPECT_EQ(s.receive("01\r"), std::vector<std::string>{"MC001"});
  EXPECT_EQ(h.power_handle, 2);
  EXPECT_EQ(s.run.value_display.caption, "MC001");

  // Two lines in one read (the port is read once a frame) are both handled, and what
  // follows the last CR begins the next line.
  EXPECT_EQ(s.receive("MC002\rMC000\rMC0"), (std::vector<std::string>{"MC002", "MC000"}));
  EXPECT_EQ(h.power_handle, 1);
  EXPECT_EQ(s.receive("02\r\n"), std::vector<std::string>{"MC002"});
  EXPECT_EQ(h.power_handle, 3);
  // The line feed of a CR LF does not start the next line.
  EXPECT_EQ(s.receive("MC006\r"), std::vector<std::string>{"MC006"});
  EXPECT_EQ(h.power_handle, 0);
}

TEST(SerialMascon, OnlyTheFirstFiveCharactersCount) {
  SerialRig s;
  HandleState& h = s.run.train.handles;
  s.receive("MC001 extra\r");
  EXPECT_EQ(h.power_handle, 2);
  EXPECT_EQ(s.run.value_display.caption, "MC001 extra");

  // A line matching no code only changes the caption and restarts the vigilance timer.
  s.run.protection.eb_timer = 5000;
  s.receive("XYZ\r");
  EXPECT_EQ(h.power_handle, 2);
  EXPECT_EQ(s.run.protection.eb_timer, 0);
  EXPECT_EQ(s.run.value_display.caption, "XYZ");

  // A code shorter than five characters matches only a line of exactly its length.
  s.run.mascon.codes[6] = "N";
  s.receive("NX\r");
  EXPECT_EQ(h.power_handle, 2);
  s.receive("N\r");
  EXPECT_EQ(h.power_handle, 0);
}

TEST(SerialMascon, ReverserOnlyAtRestAndPostedKeysGoThroughTheKeyboard) {
  SerialRig s;
  HandleState& h = s.run.train.handles;
  s.receive("MC017\r");
  EXPECT_EQ(h.reverser, 0);
  s.run.train.motion.speed = 5;
  s.receive("MC018\r");
  EXPECT_EQ(h.reverser, 0);
  s.run.train.motion.speed = 0.5L;
  s.receive("MC018\r");
  EXPECT_EQ(h.reverser, -1);
  s.receive("MC016\r");
  EXPECT_EQ(h.reverser, 1);

  // Code 20 types 3: the horn.
  const int horn = s.run.vehicle.sound_horn;
  ASSERT_FALSE(vehicle_sound_playing(s.run, horn));
  s.receive("MC020\r");
  EXPECT_TRUE(vehicle_sound_playing(s.run, horn));
}

TEST(SerialMascon, ALinkReadsLinesWhileConnectedAndTakesALostPortUpAgain) {
  SerialRig s;
  HandleState& h = s.run.train.handles;
  SerialLink link(s.serial);
  const auto lines_at = [&](std::int64_t ms) {
    const SerialPoll got = link.poll(ms);
    if (got.change != SerialPoll::Change::none)
      apply(s.run, command::SerialConnection{got.change == SerialPoll::Change::back});
    return serial_lines(s.run, got.received);
  };
  s.serial.incoming = {"MC0", "01\rMC0", "01\r"};
  EXPECT_TRUE(lines_at(0).empty());  // not connected: nothing read
  std::string error;
  ASSERT_TRUE(link.connect({"/dev/ttyUSB0"}, error));
  // A line split over reads is whole once its carriage return comes; the text after it waits.
  EXPECT_TRUE(lines_at(0).empty());
  const std::vector<std::string> lines = lines_at(0);
  EXPECT_EQ(lines, std::vector<std::string>{"MC001"});
  EXPECT_EQ(h.power_handle, 0);
  apply(s.run, command::SerialLine{lines[0]});
  EXPECT_EQ(h.power_handle, 2);
  h.brake_handle = -3;  // the brake as the keys left it

  // Pulled out: power to 0, the brake stays; the half line sent before is dropped.
  s.serial.incoming = {"MC0"};
  EXPECT_TRUE(lines_at(10).empty());
  s.serial.fail_with = "/dev/ttyUSB0: Input/output error";
  EXPECT_TRUE(lines_at(20).empty());
  EXPECT_FALSE(s.serial.opened);
  EXPECT_EQ(h.power_handle, 0);
  EXPECT_EQ(h.brake_handle, -3);
  EXPECT_TRUE(link.connected());
  // Tried again about once a second, with the same settings, until it opens.
  s.serial.open_error = "/dev/ttyUSB0: No such file or directory";
  EXPECT_TRUE(lines_at(900).empty());
  EXPECT_TRUE(lines_at(1100).empty());
  s.serial.open_error.clear();
  s.serial.settings = {};
  s.serial.incoming = {"01\r", "MC001\r"};
  EXPECT_TRUE(lines_at(1500).empty());  // not due yet: the last try was at 1100
  EXPECT_FALSE(s.serial.opened);
  EXPECT_TRUE(lines_at(2100).empty());
  EXPECT_TRUE(s.serial.opened);
  EXPECT_EQ(s.serial.settings.port, "/dev/ttyUSB0");
  EXPECT_EQ(lines_at(2110), std::vector<std::string>{"01"});  // the dropped half line's rest
  EXPECT_EQ(event_details(s.log, "device"),
            (std::vector<std::string>{"serial lost", "serial back"}));
  link.disconnect();
  EXPECT_FALSE(s.serial.opened);
  EXPECT_TRUE(lines_at(5000).empty());
  EXPECT_FALSE(s.serial.opened);  // disconnected by the driver: not retried
}

TEST(GamePad, DeadZoneAndButtonWords) {
  const std::pair<int, int> axes[] = {{0, 0},         {1638, 0},        {-1638, 0},
                                      {1639, 1},      {-1639, -1},      {1733, 100},
                                      {32767, 32767}, {-32768, -32768}, {-5000, -3538}};
  for (const auto& [raw, read] : axes) EXPECT_EQ(dead_zone(raw), read) << raw;

  PadSnapshot pad{true, 0, 0, 0};
  pad.buttons = 0b1111'0000'0000'0001;  // 0, 12..15
  EXPECT_EQ(pad_words(pad).p, 1 + 256 + 512 + 1024 + 2048);
  EXPECT_EQ(pad_words(pad).b, 0);
  pad.buttons = 0b0000'0011'1010'0000;  // 5, 7, 8, 9
  EXPECT_EQ(pad_words(pad).p, 16 + 32);
  EXPECT_EQ(pad_words(pad).b, 2 + 8);
  pad.present = false;
  EXPECT_EQ(pad_words(pad).p, 0);
}

struct PadRig : TestRig {
  explicit PadRig(int type, const VehicleData& v = one_lever_emu()) {
    use_vehicle(run, v);
    choose_controller(run, type);
  }
  void move(int x, int y, std::uint16_t buttons = 0) {
    pad.snapshot = {true, x, y, buttons};
    USBScan(run);
  }
  int power() const { return run.train.handles.power_handle; }
  int brake() const { return run.train.handles.brake_handle; }
};

// The raw axis value that reads as `read` after the dead zone (for multiples of 20).
int raw(int read) { return read == 0 ? 0 : read * 95 / 100 + (read > 0 ? 1638 : -1638); }

TEST(GamePad, TypeOneReadsPowerOnYAndBrakeOnXWithExclusiveBounds) {
  PadRig r(kCtrlUsbPad);
  ASSERT_EQ(dead_zone(raw(-5000)), -5000);
  ASSERT_EQ(dead_zone(raw(1000)), 1000);
  r.move(0, raw(-3000));
  EXPECT_EQ(r.power(), 1);
  EXPECT_EQ(r.brake(), 0);
  r.move(0, raw(-5000));  // on the bound: unchanged
  EXPECT_EQ(r.power(), 1);
  r.move(0, raw(-25000));
  EXPECT_EQ(r.power(), 4);
  r.move(0, raw(-32000));
  EXPECT_EQ(r.power(), 5);
  r.move(0, raw(100));
  EXPECT_EQ(r.power(), 0);

  r.move(raw(500), 0);
  EXPECT_EQ(r.brake(), -1);
  r.move(raw(1000), 0);  // on the bound: unchanged
  EXPECT_EQ(r.brake(), -1);
  r.move(raw(12500), 0);
  EXPECT_EQ(r.brake(), -8);  // emergency on this car
  r.move(raw(20000), 0);
  EXPECT_EQ(r.brake(), -8);
  r.move(raw(-200), 0);
  EXPECT_EQ(r.brake(), 0);
}

TEST(GamePad, AnUnchangedSumIsNotDecoded) {
  PadRig r(kCtrlUsbPad);
  r.move(raw(2000), raw(-3000));
  ASSERT_EQ(r.power(), 1);
  ASSERT_EQ(r.brake(), -2);
  r.run.protection.eb_timer = 700;
  // X and Y moved by as much in opposite directions: the same sum, so the move goes unseen.
  r.move(raw(4100), raw(-5100));
  EXPECT_EQ(r.power(), 1);
  EXPECT_EQ(r.brake(), -2);
  EXPECT_EQ(r.run.protection.eb_timer, 700);
  r.move(raw(500), raw(-3000));
  EXPECT_EQ(r.brake(), -1);
  EXPECT_EQ(r.run.protection.eb_timer, 0);
}

TEST(GamePad, APulledOutControllerCutsPowerKeepsTheBrakeAndIsReadAfreshWhenBack) {
  PadRig r(kCtrlUsbPad);
  HandleState& h = r.run.train.handles;
  r.move(raw(2000), raw(-3000));
  ASSERT_EQ(r.power(), 1);
  ASSERT_EQ(r.brake(), -2);
  h.power_pending = h.brake_pending = false;
  r.pad.snapshot = {};  // pulled out
  USBScan(r.run);
  USBScan(r.run);
  EXPECT_EQ(r.power(), 0);
  EXPECT_TRUE(h.power_pending);
  EXPECT_EQ(r.brake(), -2);  // an absent controller is not a released brake
  EXPECT_FALSE(h.brake_pending);
  // Plugged back in the position it was pulled out in: read afresh although the sum is the
  // one last decoded.
  r.move(raw(2000), raw(-3000));
  EXPECT_EQ(r.power(), 1);
  EXPECT_EQ(event_details(r.log, "device"), (std::vector<std::string>{"pad lost", "pad back"}));
}

TEST(GamePad, ADecodedPollSetsTheLatchesOfTheHandlesThatMoved) {
  PadRig r(kCtrlUsbPad);
  r.move(raw(-200), 0);  // brake released from the emergency the run starts in
  HandleState& h = r.run.train.handles;
  EXPECT_FALSE(h.power_pending);
  EXPECT_TRUE(h.brake_pending && h.sap_pending && h.ebrake_pending);
  h.brake_pending = h.sap_pending = h.ebrake_pending = false;
  r.move(raw(-200), raw(-3000));
  EXPECT_TRUE(h.power_pending);
  EXPECT_FALSE(h.brake_pending || h.sap_pending || h.ebrake_pending);
  EXPECT_EQ(h.power_text, "P1");

  // The keys put the brake on meanwhile; the controller's release still reaches the notch.
  r.move(raw(-200), 0);
  h.brake_handle = -8;
  h.brake_pending = h.sap_pending = h.ebrake_pending = false;
  r.move(raw(-400), 0);
  EXPECT_EQ(h.brake_handle, 0);
  EXPECT_TRUE(h.brake_pending && h.sap_pending && h.ebrake_pending);
}

TEST(GamePad, TypeOneButtonsPostTheirKeysAfterTheHandles) {
  VehicleData v = one_lever_emu();
  v.suppress = {10, 20};
  PadRig r(kCtrlUsbPad, v);
  r.run.train.handles.suppress_state = 2;
  r.move(raw(-200), 0, 1u << 5);  // button 5: s, one hold-back notch less
  EXPECT_EQ(r.run.train.handles.suppress_state, 1);
  // Power drops the hold-back notch.
  r.move(raw(-200), raw(-3000));
  EXPECT_EQ(r.run.train.handles.suppress_state, 0);
}

TEST(GamePad, TypeTwoMatchesTheSettingsButtonValues) {
  PadRig r(kCtrlPsPad);
  // All values missing: every entry 0, so an idle controller is notch 0 and brake 0.
  r.run.train.handles.power_handle = 3;
  r.move(0, 0, 1u << 10);  // a button no entry matches changes nothing
  EXPECT_EQ(r.power(), 3);
  r.move(0, 0);
  EXPECT_EQ(r.power(), 0);
  EXPECT_EQ(r.brake(), 0);

  auto& map = r.run.input.dg_button_map;
  map = {0, 16, 32, 48, 64, 128, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  r.move(0, 0, 1u << 8);  // P = 16: notch 1 (buttons 8 and up count from bit 4)
  EXPECT_EQ(r.power(), 1);
  r.move(0, 0, (1u << 4) | (1u << 6));  // B = 5: brake 5; P = 0: notch 0
  EXPECT_EQ(r.brake(), -5);
  EXPECT_EQ(r.power(), 0);
  r.move(0, 0, 0b1001'0000);  // B = 9 (EB): emergency
  EXPECT_EQ(r.brake(), -8);
}

TEST(GamePad, TypeThreeHandlePositionsHornAndReverser) {
  PadRig r(kCtrlOhcPc01);
  const auto at = [&](int b, int p, std::uint16_t extra = 0) {
    r.move(0, 0, static_cast<std::uint16_t>((b << 4) | ((p >> 4) << 8) | extra));
  };
  at(12, 48);  // notch 5
  EXPECT_EQ(r.power(), 5);
  EXPECT_EQ(r.brake(), 0);
  at(8, 16);  // brake 4 takes the power off
  EXPECT_EQ(r.brake(), -4);
  EXPECT_EQ(r.power(), 0);
  at(4, 16);  // release: notch 0, brake 0
  EXPECT_EQ(r.power(), 0);
  EXPECT_EQ(r.brake(), 0);
  at(0, 32);  // brake 9: emergency on this car
  EXPECT_EQ(r.brake(), -8);
  at(0, 0);  // no position: nothing changes
  EXPECT_EQ(r.brake(), -8);

  // The horn button held while the handle moves: the move counts, the horn blows.
  at(12, 32, 1u << 0);
  EXPECT_EQ(r.power(), 3);
  EXPECT_EQ(r.run.controllers.ohc_horn, 1);
  at(12, 32);
  EXPECT_EQ(r.run.controllers.ohc_horn, 0);

  // The reverser follows axis Y (at rest).
  PadRig rev(kCtrlOhcPc01);
  rev.move(0, raw(3000), 1u << 6);
  EXPECT_EQ(rev.run.train.handles.reverser, -1);
  rev.move(0, 0, 1u << 6);
  EXPECT_EQ(rev.run.train.handles.reverser, 0);
}

TEST(GamePad, DebugOptionShowsTheAxesInTheCaption) {
  PadRig r(kCtrlUsbPad);
  r.run.route.line_name = "本線";
  set_controller_debug(r.run, true);
  r.move(raw(500), raw(-3000));
  set_controller_debug(r.run, false);
  std::vector<std::string> captions;
  for (const Event& e : r.log.events)
    if (e.kind == "window_caption") captions.push_back(e.detail);
  EXPECT_EQ(captions, (std::vector<std::string>{"X:500 Y:-3000", "本線"}));
}

}  // namespace
}  // namespace velmora
