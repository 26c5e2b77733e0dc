#pragma once
// Escape as a desktop user expects it: it closes what the interface has open over the cab —
// the menu, a message, a dialog, then a window — one a press, before it reaches the cab as
// the driver's key.

#include <deque>
#include <string>

namespace velmora {

struct Run;
struct MenuBar;
struct CabWindows;
struct HelpWindow;
struct SerialDialog;

// Closes the first of these that is open: the bar's menu, the oldest message shown in the
// window, the serial settings, the train-settings and overrun dialogs, the help window, the
// value display, the easy-cab window. False when none was open.
bool close_top_window(Run& run, MenuBar& bar, CabWindows& windows, HelpWindow& help, SerialDialog& serial,
                      std::deque<std::string>& messages);

}  // namespace velmora
