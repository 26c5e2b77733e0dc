#include "desktop_services.h"

#include <iostream>

namespace velmora {

void SdlDialogs::message(const std::string& text) {
  std::cerr << "velmora: " << text << '\n';
  if (quiet) return;
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, kAppTitle, text.c_str(), parent_) != 0)
    unshown.push_back(text);
}

void SdlDialogs::status(const std::string& text) {
  if (on_status_) on_status_(text);
}

void SdlKeyboard::refresh(const std::function<void(int, bool)>& changed) {
  SDL_PumpEvents();
  const Uint8* state = SDL_GetKeyboardState(nullptr);
  const SDL_Scancode keys[3][2] = {{SDL_SCANCODE_3, SDL_SCANCODE_KP_3},
                                   {SDL_SCANCODE_4, SDL_SCANCODE_KP_4},
                                   {SDL_SCANCODE_6, SDL_SCANCODE_KP_6}};
  const int numbers[3] = {3, 4, 6};
  for (int k = 0; k < 3; ++k) {
    const bool down = state[keys[k][0]] || state[keys[k][1]];
    if (down != down_[k] && changed) changed(numbers[k], down);
    down_[k] = down;
  }
}

void WindowEvents::set_window(SDL_Window* window) {
  window_ = window;
  show();
}

void WindowEvents::event(const std::string& kind, const std::string& detail) {
  if (kind == "device") {
    const std::string text = devices_.take(detail);
    std::cerr << "velmora: " << text << '\n';
    if (on_device_) on_device_(text);
  } else if (kind == "window_caption") {
    caption_ = detail;
  } else {
    return;
  }
  show();
}

void WindowEvents::set_paused(bool paused) {
  if (paused == paused_) return;
  paused_ = paused;
  show();
}

void WindowEvents::show() {
  if (window_ == nullptr) return;
  std::string title = caption_;
  if (const std::string lost = devices_.standing(); !lost.empty()) title += " — " + lost;
  if (paused_) title += kPausedCaption;
  SDL_SetWindowTitle(window_, title.c_str());
}

bool shift_alone(Uint16 modifiers) {
  return (modifiers & KMOD_SHIFT) != 0 && (modifiers & (KMOD_CTRL | KMOD_ALT | KMOD_GUI)) == 0;
}

std::optional<Key> command_key(SDL_Keycode key) {
  switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return Key::Enter;
    case SDLK_ESCAPE:
      return Key::Escape;
    case SDLK_PAGEUP:
      return Key::PageUp;
    case SDLK_PAGEDOWN:
      return Key::PageDown;
    case SDLK_BACKSPACE:
      return Key::Backspace;
    case SDLK_SCROLLLOCK:
      return Key::ScrollLock;
    case SDLK_UP:
      return Key::Up;
    case SDLK_DOWN:
      return Key::Down;
    default:
      break;
  }
  if (key >= SDLK_F1 && key <= SDLK_F12)
    return static_cast<Key>(static_cast<int>(Key::F1) + (key - SDLK_F1));
  return std::nullopt;
}

}  // namespace velmora
