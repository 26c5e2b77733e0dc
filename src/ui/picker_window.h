#pragma once
// The vehicle picker's window (the title window's right click on a route): the folder, its
// vehicle files (every ".dat" file when asked), a file taken by a double click or by 開く.

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include <imgui.h>

#include "app/file_picker.h"

namespace velmora {

struct PickerAnswer {
  std::optional<std::filesystem::path> picked;  // the file chosen this frame
  bool cancelled = false;                        // closed or cancelled this frame
};

// Draws the picker between ImGui's NewFrame and Render; what the user did this frame.
// `places`, when given, gets the middle of each entry and button drawn (by its text).
PickerAnswer draw_picker_window(FilePicker& picker, std::map<std::string, ImVec2>* places = nullptr);

}  // namespace velmora
