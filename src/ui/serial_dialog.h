#pragma once
// The serial master controller's settings dialog ("VMマスコン（設定）"): the port (one of the
// machine's ports or any typed path), speed, data bits, stop bits, parity and flow control,
// with OK and Cancel. The settings last as long as the program; they are not saved.

#include <string>
#include <vector>

#include <imgui.h>

#include "platform/serial_port.h"

namespace velmora {

struct SerialDialog {
  bool visible = false;
  SerialSettings settings;          // in force (what connecting uses)
  SerialSettings editing;           // in the dialog until OK
  std::vector<std::string> ports;   // the machine's ports, listed when the dialog opens
  ImVec2 origin{};                  // where its client area was drawn last
};

// The settings at start: the first port of the machine (none: the first USB serial
// adapter's usual name), 9600 baud, 8 data bits, no parity, 1 stop bit, no flow control.
SerialSettings default_serial_settings(const std::vector<std::string>& ports);

// Shows the dialog with `ports` listed and the settings in force to edit.
void open_serial_dialog(SerialDialog& dialog, std::vector<std::string> ports);

// Draws it while visible; OK puts the edited settings in force, Cancel drops them.
void draw_serial_dialog(SerialDialog& dialog);

}  // namespace velmora
