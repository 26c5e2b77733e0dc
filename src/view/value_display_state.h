#pragma once
// The value display (the diagnostic window of F3): what it shows, refreshed every route step
// while it is visible, and its switches. Owned by the value display module
// (view/value_display.h); the window only draws it and reports clicks.

#include <array>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "view/value_display_tables.h"

namespace velmora {

// One cell of the sound-channel monitor: channel 10 * row + column. A silent channel's cell
// is blank whether or not it holds a sound, so only playing is told.
struct ChannelCell {
  bool playing = false;  // drawn aqua with its volume while it plays
  int volume = 0;        // 1/100 dB, as the channel reports it; 0 while silent
};

struct ValueDisplayState {
  bool visible = false;
  bool speed_hold = false;                    // "抵抗解除": its caption is bold while on
  std::string caption = kValueWindowCaption;  // the window's title
  std::optional<ValueTexts> values;           // empty until the first step while shown
  std::array<int, 3> bars{};                  // BC (T car), BC (M car), electric brake: 0..500
  std::array<ChannelCell, 100> channels{};    // the sound-channel monitor, 10 x 10, read every pass
  std::vector<std::string> signal_row;        // the signal table's row 1, one cell a signal
  std::deque<std::string> log;                // the protection log, newest last
  std::string jump_text;                      // what is typed beside "jump"
  std::string
      message;  // why the last SU再読込 or jump changed nothing; empty after one that worked
};

}  // namespace velmora
