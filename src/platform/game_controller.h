#pragma once
// The first game controller (a train controller that presents itself as a joystick), read by
// the route step's controller scan.

#include <cstdint>

namespace velmora {

// One reading: the raw axes and the sixteen buttons (bit n: button n pressed).
struct PadSnapshot {
  bool present = false;  // no controller: everything reads 0
  int x = 0, y = 0;      // -32768 .. 32767, before any dead zone
  std::uint16_t buttons = 0;
};

class GameController {
 public:
  virtual ~GameController() = default;
  // The controller's state as last delivered; a controller plugged in meanwhile is taken up.
  virtual PadSnapshot poll() = 0;
};

}  // namespace velmora
