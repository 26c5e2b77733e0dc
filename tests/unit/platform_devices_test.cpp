// The controllers' devices: a pseudo-terminal pair stands for the serial master controller,
// an SDL virtual joystick for the train controller.

#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>

#include "app/driver_command.h"
#include "app/main_loop.h"
#include "app/startup.h"
#include "input/controllers.h"
#include "input/keyboard.h"
#include "input/serial_mascon.h"
#include "platform/sdl/sdl_game_controller.h"
#include "platform/serial/termios_serial_port.h"
#include "platform/serial_link.h"
#include "test_rig.h"

namespace velmora {
namespace {

// The controlling end of a new pseudo-terminal and the path of its other end.
struct Pty {
  Pty() {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) path = ptsname(master);
  }
  ~Pty() {
    if (master >= 0) close(master);
  }
  void send(const std::string& text) const {
    EXPECT_EQ(write(master, text.data(), text.size()), ssize_t(text.size()));
  }
  int master = -1;
  std::string path;
};

std::string read_some(TermiosSerialPort& port) {
  std::string got;
  for (int tries = 0; tries < 100 && got.empty(); ++tries) {
    got = port.read_available();
    if (got.empty()) SDL_Delay(2);
  }
  return got;
}

TEST(SerialPortDevice, ReadsWhatArrivesWithoutWaitingAndSaysWhyItCannotOpen) {
  Pty pty;
  ASSERT_FALSE(pty.path.empty());
  TermiosSerialPort port;
  std::string error;
  ASSERT_TRUE(port.open({pty.path}, error)) << error;
  EXPECT_TRUE(port.is_open());
  EXPECT_EQ(port.read_available(), "");  // nothing yet: no wait
  pty.send("P3\r");
  EXPECT_EQ(read_some(port), "P3\r");  // raw: the CR comes through as it is
  pty.send("B");
  pty.send("1\r0");
  std::string more = read_some(port);
  for (int tries = 0; tries < 20 && more.size() < 4; ++tries) more += read_some(port);
  EXPECT_EQ(more, "B1\r0");
  port.close();
  EXPECT_FALSE(port.is_open());
  EXPECT_EQ(port.read_available(), "");

  EXPECT_FALSE(port.open({"/dev/velmora-no-such-port"}, error));
  EXPECT_NE(error.find("/dev/velmora-no-such-port"), std::string::npos) << error;
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;
  EXPECT_FALSE(port.is_open());
  SerialSettings odd{pty.path};
  odd.baud = 12345;
  EXPECT_FALSE(port.open(odd, error));
  EXPECT_NE(error.find("12345"), std::string::npos);
}

TEST(GameControllerDevice, AVirtualJoystickPluggedInDuringADriveIsReadAxesAndButtons) {
  ASSERT_EQ(SDL_Init(SDL_INIT_JOYSTICK | SDL_INIT_EVENTS), 0) << SDL_GetError();
  {
    SdlGameController pad;
    SDL_PumpEvents();
    EXPECT_FALSE(pad.poll().present);  // nothing plugged in
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 16, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* virt = SDL_JoystickOpen(index);
    ASSERT_NE(virt, nullptr);
    SDL_JoystickSetVirtualAxis(virt, 0, -20000);
    SDL_JoystickSetVirtualAxis(virt, 1, 12345);
    SDL_JoystickSetVirtualButton(virt, 0, 1);
    SDL_JoystickSetVirtualButton(virt, 15, 1);
    SDL_PumpEvents();
    const PadSnapshot s = pad.poll();
    EXPECT_TRUE(s.present);
    EXPECT_EQ(s.x, -20000);
    EXPECT_EQ(s.y, 12345);
    EXPECT_EQ(s.buttons, 0x8001);
    SDL_JoystickClose(virt);
    SDL_JoystickDetachVirtual(index);
    SDL_PumpEvents();
    EXPECT_FALSE(pad.poll().present);  // pulled out
  }
  SDL_Quit();
}

// The fixture run ([Power] 4, [Brake] 8, codes MC000 ..) with the real devices in place of
// the fakes, its frames run by the main loop on the fake clock.
struct DeviceRun {
  HeadlessPlatform p;
  TermiosSerialPort port;
  SerialLink link{port};
  SdlGameController pad;
  Run run{fixture_config(),
          Services{p.clock, p.dialogs, *p.cab_screen, p.settings, p.sound, *p.film, p.keyboard,
                   *p.image_list, *p.sprite_engine, p.events, pad, port}};
  std::int64_t ms = 0;
  DeviceRun() { FormCreate(run); }
  // As the desktop's loop does each pass: the port's lines and changes become commands.
  void frames(int n) {
    for (int i = 0; i < n; ++i) {
      SDL_PumpEvents();
      const SerialPoll got = link.poll(ms += 17);
      for (const std::string& line : serial_lines(run, got.received))
        apply(run, command::SerialLine{line});
      if (got.change != SerialPoll::Change::none)
        apply(run, command::SerialConnection{got.change == SerialPoll::Change::back});
      p.clock.advance_ns(17'000'000);
      AppIdle(run);
    }
  }
};

TEST(ControllerDevices, MasterControllerLinesOverAPseudoTerminalMoveTheHandlesOfARun) {
  Pty pty;
  DeviceRun d;
  std::string error;
  ASSERT_TRUE(d.link.connect({pty.path}, error)) << error;
  pty.send("MC005\r");  // notch 6 on a four-notch car
  for (int tries = 0; tries < 50 && d.run.train.handles.power_handle != 4; ++tries) {
    d.frames(1);
    SDL_Delay(2);
  }
  EXPECT_EQ(d.run.train.handles.power_handle, 4);
  pty.send("MC0");  // half a line: nothing yet
  SDL_Delay(20);
  d.frames(2);
  EXPECT_EQ(d.run.train.handles.power_handle, 4);
  pty.send("15\r");  // brake 9 on an eight-step car: emergency
  for (int tries = 0; tries < 50 && d.run.train.handles.brake_handle != -8; ++tries) {
    d.frames(1);
    SDL_Delay(2);
  }
  EXPECT_EQ(d.run.train.handles.brake_handle, -8);
  EXPECT_EQ(d.run.train.handles.power_handle, 0);
}

// Runs frames until `done` holds, at most `limit` of them.
template <typename Done>
void frames_until(DeviceRun& d, Done done, int limit = 200) {
  for (int i = 0; i < limit && !done(); ++i) {
    d.frames(1);
    SDL_Delay(2);
  }
}

TEST(ControllerDevices, AMasterControllerPulledOutIsTakenUpAgainOnTheSamePortDuringADrive) {
  // The port by a name that stays, as udev's /dev/serial/by-id links do: a new pseudo-
  // terminal behind it is the adapter plugged back.
  const std::filesystem::path port = scratch_dir("by-id") / "usb-mascon";
  auto pty = std::make_unique<Pty>();
  std::filesystem::create_symlink(pty->path, port);
  DeviceRun d;
  HandleState& h = d.run.train.handles;
  std::string error;
  ASSERT_TRUE(d.link.connect({port.string()}, error)) << error;
  pty->send("MC003\r");  // notch 4
  frames_until(d, [&] { return h.power_handle == 4; });
  ASSERT_EQ(h.power_handle, 4);
  h.reverser = -1;  // set by the driver: kept through the loss

  pty.reset();  // pulled out: its far end closes
  frames_until(d, [&] { return h.power_handle == 0; });
  EXPECT_EQ(h.power_handle, 0);
  EXPECT_EQ(h.reverser, -1);
  EXPECT_FALSE(d.port.is_open());
  const long long frames_at_loss = d.run.frame.frames_run;
  d.frames(90);  // the drive goes on meanwhile, the port tried about once a second
  EXPECT_GT(d.run.frame.frames_run, frames_at_loss);
  EXPECT_FALSE(d.port.is_open());

  pty = std::make_unique<Pty>();
  std::filesystem::remove(port);
  std::filesystem::create_symlink(pty->path, port);
  frames_until(d, [&] { return d.port.is_open(); });
  ASSERT_TRUE(d.port.is_open());
  pty->send("MC001\r");
  frames_until(d, [&] { return h.power_handle == 2; });
  EXPECT_EQ(h.power_handle, 2);
  EXPECT_EQ(event_details(d.p.log, "device"),
            (std::vector<std::string>{"serial lost", "serial back"}));
}

TEST(ControllerDevices, ATrainControllerPulledOutDuringADriveCutsPowerAndIsReadAgainWhenBack) {
  ASSERT_EQ(SDL_Init(SDL_INIT_JOYSTICK | SDL_INIT_EVENTS), 0) << SDL_GetError();
  {
    DeviceRun d;
    HandleState& h = d.run.train.handles;
    ASSERT_TRUE(choose_controller(d.run, 1));
    const auto plug_in = [](int x, int y) {
      const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 16, 0);
      SDL_Joystick* virt = SDL_JoystickOpen(index);
      SDL_JoystickSetVirtualAxis(virt, 0, static_cast<Sint16>(x));
      SDL_JoystickSetVirtualAxis(virt, 1, static_cast<Sint16>(y));
      return std::pair{index, virt};
    };
    auto [index, virt] = plug_in(3000, -32000);  // power 5, brake step 2
    ASSERT_NE(virt, nullptr) << SDL_GetError();
    d.frames(3);
    ASSERT_EQ(h.power_handle, 4);
    const int brake = h.brake_handle;
    ASSERT_LT(brake, 0);

    SDL_JoystickClose(virt);
    SDL_JoystickDetachVirtual(index);
    d.frames(3);
    EXPECT_EQ(h.power_handle, 0);
    EXPECT_EQ(h.brake_handle, brake);

    std::tie(index, virt) = plug_in(0, -3000);  // power 1, brake released
    d.frames(3);
    EXPECT_EQ(h.power_handle, 1);
    EXPECT_EQ(h.brake_handle, 0);
    EXPECT_EQ(event_details(d.p.log, "device"), (std::vector<std::string>{"pad lost", "pad back"}));
    SDL_JoystickClose(virt);
    SDL_JoystickDetachVirtual(index);
  }
  SDL_Quit();
}

TEST(ControllerDevices, AVirtualTrainControllerDrivesARunInEachControllerType) {
  ASSERT_EQ(SDL_Init(SDL_INIT_JOYSTICK | SDL_INIT_EVENTS), 0) << SDL_GetError();
  {
    DeviceRun d;
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 16, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* virt = SDL_JoystickOpen(index);
    ASSERT_NE(virt, nullptr);
    HandleState& h = d.run.train.handles;

    // Type 1: power on the Y axis pushed away, brake on the X axis.
    ASSERT_TRUE(choose_controller(d.run, 1));
    SDL_JoystickSetVirtualAxis(virt, 1, -32000);
    d.frames(3);
    EXPECT_GT(h.power_handle, 0);
    EXPECT_EQ(h.brake_handle, 0);
    SDL_JoystickSetVirtualAxis(virt, 1, 0);
    SDL_JoystickSetVirtualAxis(virt, 0, 32000);
    d.frames(3);
    EXPECT_EQ(h.power_handle, 0);
    EXPECT_LT(h.brake_handle, 0);

    // Type 2 with no button values in the settings: an idle controller is notch 0, brake 0.
    SDL_JoystickSetVirtualAxis(virt, 0, 0);
    ASSERT_TRUE(choose_controller(d.run, 2));
    SDL_JoystickSetVirtualButton(virt, 3, 1);
    d.frames(3);
    SDL_JoystickSetVirtualButton(virt, 3, 0);
    d.frames(3);
    EXPECT_EQ(h.power_handle, 0);
    EXPECT_EQ(h.brake_handle, 0);

    // Type 3: buttons 6 and 8 (B = 4, P = 16) release both handles.
    AsciiDown(d.run, U'z');
    ASSERT_TRUE(choose_controller(d.run, 3));
    SDL_JoystickSetVirtualButton(virt, 6, 1);
    SDL_JoystickSetVirtualButton(virt, 8, 1);
    d.frames(3);
    EXPECT_EQ(h.power_handle, 0);
    EXPECT_EQ(h.brake_handle, 0);

    SDL_JoystickClose(virt);
    SDL_JoystickDetachVirtual(index);
  }
  SDL_Quit();
}

}  // namespace
}  // namespace velmora
