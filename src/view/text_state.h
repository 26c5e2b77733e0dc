#pragma once
// The texts of the drive that this module builds, and the cab window's labels. Owned by the
// drive texts.

#include <array>
#include <string>

namespace velmora {

enum CabLabel {
  kLabelReverser = 0, kLabelPower = 1, kLabelBrake = 2, kLabelMode = 3, kLabelStation = 4,
  kLabelDoorSide = 6, kLabelClock = 7, kLabelDistance = 8, kLabelInfo = 9, kLabelProtect = 10,
  kLabelSpeed = 11, kLabelStopDistance = 12, kLabelThisStation = 13, kLabelNextStop = 14,
  kLabelMaxSpeed = 15
};

// The easy-cab window's handle column: which rectangles are lit (neutral green, power
// yellow, brake red; white when dark) and its status bar.
struct EasyCab {
  bool visible = false;  // the Display menu shows it; closing the cab window hides it
  bool neutral = false;
  std::array<bool, 5> power{};  // KP1..KP5
  std::array<bool, 8> brake{};  // KB1..KB8 (KB8 is never shown)
  std::string status;
};

struct TextState {
  EasyCab easy_cab;
  std::string speed_text;          // "%5.1f km/h"
  std::string stop_distance_text;  // whole metres, one or two decimals near the stop
  std::string hint_now, hint_prev;  // the explanation line of this and the previous pass
  std::string hint_text;            // the explanation drawn on the film
  int hint_width = 0;               // px, as measured when it was last drawn
  bool caption_set = false;         // the window shows the route's name
  std::array<std::string, 16> labels;  // the cab window's Label0 .. Label15 (5 unused)
};

}  // namespace velmora
