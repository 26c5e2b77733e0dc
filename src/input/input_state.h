#pragma once
// Switches and latches of the keyboard and mouse commands.

#include <array>
#include <string>

namespace velmora {

struct InputState {
  bool handle_swap = false;   // Scroll Lock: the characters 2 and 8 are exchanged
  bool hold_lock = false;     // blocks a second brake step in the press that left hold-back
  bool suppress_on = false;   // the signal-suppression switch (Escape)
  bool auto_run = false;      // the speed follows the film's recorded speed
  int starter_key = 0;        // engine starter: 0 released, 1 F2 held, 2 Shift+F2 held
  int door_side = 0;          // 0 after Page Up, 1 after Page Down
  std::string door_side_text;
  int screen_top = 0;         // px, top of the cab screen (Shift+Up / Shift+Down)
  bool key3_held = false, key4_held = false, key6_held = false;  // read every frame
  int prev_power_handle = 0, prev_brake_handle = 0;  // handle positions the sounds last saw
  // Button values of the second game controller type, from the user's settings: the
  // power notches P0..P5, then the brake steps B0..B8 and EB. 0 where never set.
  std::array<int, 16> dg_button_map{};
};

}  // namespace velmora
