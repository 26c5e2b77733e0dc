#pragma once
// Messages shown inside a window when the desktop cannot show a message box (no message
// box support, as under some displays): the oldest first, each until its OK is clicked.

#include <deque>
#include <string>

namespace velmora {

// Draws the oldest message of `messages`, centred in a display of width x height px, between
// ImGui's NewFrame and Render; OK (or Enter) removes it.
void draw_message_window(std::deque<std::string>& messages, float width, float height);

}  // namespace velmora
