#include "automation.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace velmora {

std::filesystem::path Automation::screenshot_due() {
  if (shot_every_ <= 0 || seconds() < next_shot_) return {};
  next_shot_ += shot_every_;
  char name[32];
  std::snprintf(name, sizeof name, "velmora-%04d.png", shots_++);
  return shot_dir_ / name;
}

bool Automation::load(const std::filesystem::path& file, std::string& error) {
  std::ifstream in(file);
  if (!in) {
    error = file.string() + ": the automation script cannot be read";
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    AutomationEvent e;
    const auto bad = [&](const std::string& why) {
      error = file.string() + ":" + std::to_string(number) + ": " + why;
      return false;
    };
    if (!(words >> e.at >> e.verb)) return bad("expected SECONDS and an event");
    if (e.verb == "click") {
      std::string button;
      if (!(words >> e.x >> e.y)) return bad("click takes X Y");
      e.right = (words >> button) && button == "right";
    } else if (e.verb == "key") {
      std::string name;
      std::getline(words >> std::ws, name);
      e.key = SDL_GetKeyFromName(name.c_str());
      if (e.key == SDLK_UNKNOWN) return bad("unknown key \"" + name + "\"");
    } else if (e.verb == "text") {
      std::getline(words >> std::ws, e.text);
      if (e.text.empty() || e.text.size() >= sizeof(SDL_TextInputEvent::text)) return bad("text takes 1 to 31 bytes");
    } else if (e.verb != "close") {
      return bad("unknown event \"" + e.verb + "\" (known: click, key, text, close)");
    }
    if (!events_.empty() && e.at < events_.back().at) return bad("events must come in time order");
    events_.push_back(e);
  }
  return true;
}

void Automation::pump(double seconds, SDL_Window* window) {
  const Uint32 id = window != nullptr ? SDL_GetWindowID(window) : 0;
  for (; next_ < events_.size() && events_[next_].at <= seconds; ++next_) {
    const AutomationEvent& a = events_[next_];
    SDL_Event e{};
    if (a.verb == "click") {
      for (const Uint32 type : {Uint32(SDL_MOUSEMOTION), Uint32(SDL_MOUSEBUTTONDOWN), Uint32(SDL_MOUSEBUTTONUP)}) {
        e = SDL_Event{};
        e.type = type;
        if (type == SDL_MOUSEMOTION) {
          e.motion.windowID = id;
          e.motion.x = a.x;
          e.motion.y = a.y;
        } else {
          e.button.windowID = id;
          e.button.button = a.right ? SDL_BUTTON_RIGHT : SDL_BUTTON_LEFT;
          e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
          e.button.clicks = 1;
          e.button.x = a.x;
          e.button.y = a.y;
        }
        SDL_PushEvent(&e);
      }
    } else if (a.verb == "key") {
      for (const Uint32 type : {Uint32(SDL_KEYDOWN), Uint32(SDL_KEYUP)}) {
        e = SDL_Event{};
        e.type = type;
        e.key.windowID = id;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = a.key;
        e.key.keysym.scancode = SDL_GetScancodeFromKey(a.key);
        SDL_PushEvent(&e);
      }
    } else if (a.verb == "text") {
      e.type = SDL_TEXTINPUT;
      e.text.windowID = id;
      SDL_strlcpy(e.text.text, a.text.c_str(), sizeof e.text.text);
      SDL_PushEvent(&e);
    } else {
      e.type = SDL_WINDOWEVENT;
      e.window.windowID = id;
      e.window.event = SDL_WINDOWEVENT_CLOSE;
      SDL_PushEvent(&e);
    }
  }
}

}  // namespace velmora
