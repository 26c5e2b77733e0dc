// The serial settings dialog: OK puts what was edited in force, Cancel and the close box drop it.

#include <gtest/gtest.h>

#include "headless_imgui.h"
#include "ui/serial_dialog.h"

namespace velmora {
namespace {

TEST(SerialDialog, StartsOnTheFirstPortAndOnlyOkKeepsTheEdits) {
  EXPECT_EQ(default_serial_settings({}).port, "/dev/ttyUSB0");
  const SerialSettings first = default_serial_settings({"/dev/ttyACM0", "/dev/ttyS0"});
  EXPECT_EQ(first.port, "/dev/ttyACM0");
  EXPECT_EQ(first.baud, 9600);
  EXPECT_EQ(first.data_bits, 8);
  EXPECT_EQ(first.stop_bits, 1);
  EXPECT_EQ(first.parity, 'N');
  EXPECT_FALSE(first.flow_control);

  HeadlessImGui ui;
  SerialDialog d;
  d.settings = first;
  const auto draw = [&] { draw_serial_dialog(d); };
  const auto at = [&](float x, float y) { return ImVec2(d.origin.x + x, d.origin.y + y); };

  open_serial_dialog(d, {"/dev/ttyACM0"});
  ui.frame(draw);
  d.editing.port = "/dev/pts/7";  // typed
  d.editing.parity = 'E';
  ui.click(draw, at(250, 215));  // Cancel
  EXPECT_FALSE(d.visible);
  EXPECT_EQ(d.settings.port, "/dev/ttyACM0");
  EXPECT_EQ(d.settings.parity, 'N');

  open_serial_dialog(d, {"/dev/ttyACM0"});
  EXPECT_EQ(d.editing.parity, 'N');  // the dialog shows what is in force
  ui.frame(draw);
  d.editing.port = "/dev/pts/7";
  d.editing.baud = 19200;
  ui.click(draw, at(160, 215));  // OK
  EXPECT_FALSE(d.visible);
  EXPECT_EQ(d.settings.port, "/dev/pts/7");
  EXPECT_EQ(d.settings.baud, 19200);
}

}  // namespace
}  // namespace velmora
