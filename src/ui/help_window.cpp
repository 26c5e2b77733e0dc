#include "ui/help_window.h"

#include <imgui_internal.h>

#include <vector>

#include "common/paths.h"
#include "data/text_file.h"
#include "ui/client_window.h"

namespace velmora {

std::optional<std::string> load_help(HelpWindow& help, const std::filesystem::path& data_dir) {
  const std::filesystem::path file =
      resolve_data_file(data_dir, "operation.dat").value_or(data_dir / "operation.dat");
  std::vector<std::string> lines;
  try {
    lines = read_text_lines(file);
  } catch (const FileReadError& e) {
    return e.what();
  }
  if (lines.empty()) return std::nullopt;
  help.caption = lines.front();
  for (std::size_t i = 1; i < lines.size(); ++i) help.text += lines[i] + "\n";
  return std::nullopt;
}

void draw_help_window(HelpWindow& help, LayoutCheck* check) {
  help.focused = false;
  if (!help.visible) return;
  constexpr const char* kId = "###HelpWindow";
  ImVec2 first(60, 60);
  if (check != nullptr && ImGui::FindWindowByName(kId) == nullptr)
    first = check->free_place(first, ImVec2(kHelpWidth, kHelpHeight));
  ImGui::SetNextWindowPos(first, ImGuiCond_FirstUseEver);
  ImGui::SetNextWindowSize(ImVec2(kHelpWidth, kHelpHeight), ImGuiCond_FirstUseEver);
  ImGui::SetNextWindowSizeConstraints(ImVec2(200, 150), ImVec2(FLT_MAX, FLT_MAX));
  ImGui::PushStyleColor(ImGuiCol_WindowBg, kFace);
  // The id stays the same whatever the file calls the window.
  const std::string title = help.caption + kId;
  const bool shown = ImGui::Begin(title.c_str(), &help.visible, ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings);
  ImGui::PopStyleColor();
  if (shown) {
    ImGui::SetWindowFontScale(kHelpFontPx / ImGui::GetFontSize());
    ImGui::PushStyleColor(ImGuiCol_Text, kBlack);
    ImGui::PushTextWrapPos(0);  // wrapped at the window's right edge, whatever its width
    if (!help.vehicle_keys.empty()) {
      ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(0, 0, 160, 255));
      ImGui::TextUnformatted(help.vehicle_keys.c_str());
      ImGui::PopStyleColor();
      ImGui::Separator();
    }
    ImGui::TextUnformatted(help.text.c_str());
    ImGui::PopTextWrapPos();
    ImGui::PopStyleColor();
    help.focused = ImGui::IsWindowFocused(ImGuiFocusedFlags_ChildWindows);
    help.place = ImGui::GetWindowPos();
    help.size = ImGui::GetWindowSize();
    if (check != nullptr) check->windows.push_back({help.caption, help.place, ImVec2(help.place.x + help.size.x, help.place.y + help.size.y)});
  }
  ImGui::End();
}

}  // namespace velmora
