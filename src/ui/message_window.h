#pragma once
// Messages shown inside a window when the desktop cannot show a message box (no message
// box support, as under some displays): the oldest first, each until its OK is clicked.
// And the status line of what stands while the drive goes on.

#include <deque>
#include <string>

namespace velmora {

// Draws the oldest message of `messages`, centred in a display of width x height px, between
// ImGui's NewFrame and Render; OK (or Enter) removes it.
void draw_message_window(std::deque<std::string>& messages, float width, float height);

// One line along the bottom of a display of width x height px while `text` is not empty: what
// the driver must know while driving on (a controller or the sound device lost). It takes
// neither keys nor clicks, so the drive goes on under it.
void draw_status_line(const std::string& text, float width, float height);

}  // namespace velmora
