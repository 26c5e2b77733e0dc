#pragma once
// The vehicle picker's window (the title window's right click on a route): the folder, its
// vehicle files (every ".dat" file when asked), a file taken by a double click or by 開く.

#include <filesystem>
#include <optional>

#include "app/file_picker.h"

namespace velmora {

struct PickerAnswer {
  std::optional<std::filesystem::path> picked;  // the file chosen this frame
  bool cancelled = false;                        // closed or cancelled this frame
};

// Draws the picker between ImGui's NewFrame and Render; what the user did this frame.
PickerAnswer draw_picker_window(FilePicker& picker);

}  // namespace velmora
