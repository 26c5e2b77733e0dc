#pragma once
// What the run tells the user outside the cab picture: message boxes, progress texts
// during start-up and menu-item captions.

#include <string>

namespace velmora {

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A modal message box; returns when the user has closed it.
  virtual void message(const std::string& text) = 0;
  // A progress text of the start-up sequence (the title window's status label).
  virtual void status(const std::string& text) = 0;
  // The caption of the start / pause menu item changed.
  virtual void caption(const std::string& text) = 0;
};

}  // namespace velmora
