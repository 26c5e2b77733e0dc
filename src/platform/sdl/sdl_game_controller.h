#pragma once
// The first joystick SDL knows, as the train controller: axes 0 and 1 and buttons 0 to 15.
// A controller plugged in or pulled out during a drive is taken up at the next poll. SDL must
// have been started with its joystick and events subsystems, and the program must pump
// events (without them SDL reports no state, virtual joysticks included).

#include <SDL.h>

#include "platform/game_controller.h"

namespace velmora {

class SdlGameController final : public GameController {
 public:
  SdlGameController() = default;
  ~SdlGameController() override;
  SdlGameController(const SdlGameController&) = delete;
  SdlGameController& operator=(const SdlGameController&) = delete;

  PadSnapshot poll() override;

 private:
  SDL_Joystick* joystick_ = nullptr;
};

}  // namespace velmora
