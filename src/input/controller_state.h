#pragma once
// The external controllers: which one is chosen, what the game controller showed at its last
// decoded poll, and the serial text of a line not yet complete. Owned by input/controllers.h
// and input/serial_mascon.h.

#include <string>

namespace velmora {

// The controller types of the Controller menu.
enum CtrlType {
  kCtrlStandard = 0,  // keyboard, and the serial master controller when connected
  kCtrlUsbPad = 1,    // the train controller that reports its handles as axes
  kCtrlPsPad = 2,     // the train controller that reports its handles as button values
  kCtrlOhcPc01 = 3,   // the train controller that codes its handle position on buttons 6..9
};
inline constexpr int kCtrlTypeCount = 4;

// ctrl_last_sum after the controller was pulled out: no poll's sum equals it, so the next
// controller plugged in is decoded at once.
inline constexpr int kNoPadSum = -0x7FFFFFFF;

struct ControllerState {
  int ctrl_type = kCtrlStandard;  // not saved: every start begins with the keyboard
  bool debug_caption = false;     // "デバッグオプション": the cab caption shows the axes
  int ctrl_last_sum = 0;          // X + Y + P + B at the last decoded poll
  bool pad_present = false;       // a controller was plugged in at the last poll
  int ohc_horn = 0;               // 1 while the OHC-PC01's horn button is pressed
  std::string rx_result;          // serial text received since the last complete line
};

}  // namespace velmora
