#include "platform/sdl/sdl_game_controller.h"

namespace velmora {

SdlGameController::~SdlGameController() {
  if (joystick_ != nullptr) SDL_JoystickClose(joystick_);
}

PadSnapshot SdlGameController::poll() {
  if (joystick_ != nullptr && !SDL_JoystickGetAttached(joystick_)) {
    SDL_JoystickClose(joystick_);
    joystick_ = nullptr;
  }
  if (joystick_ == nullptr && SDL_NumJoysticks() > 0) joystick_ = SDL_JoystickOpen(0);
  PadSnapshot s;
  if (joystick_ == nullptr) return s;
  s.present = true;
  if (SDL_JoystickNumAxes(joystick_) > 0) s.x = SDL_JoystickGetAxis(joystick_, 0);
  if (SDL_JoystickNumAxes(joystick_) > 1) s.y = SDL_JoystickGetAxis(joystick_, 1);
  const int buttons = SDL_JoystickNumButtons(joystick_);
  for (int b = 0; b < 16 && b < buttons; ++b)
    if (SDL_JoystickGetButton(joystick_, b)) s.buttons |= static_cast<std::uint16_t>(1u << b);
  return s;
}

}  // namespace velmora
