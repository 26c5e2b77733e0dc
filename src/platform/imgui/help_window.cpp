#include "platform/imgui/help_window.h"

#include <imgui_stdlib.h>

#include <vector>

#include "platform/imgui/client_window.h"
#include "common/paths.h"
#include "data/text_file.h"

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

void draw_help_window(HelpWindow& help) {
  help.focused = false;
  if (!help.visible) return;
  Client c;
  // The id stays the same whatever the file calls the window.
  const std::string title = help.caption + "###HelpWindow";
  if (c.begin(title.c_str(), &help.visible, kHelpWidth, kHelpHeight, ImVec2(60, 60), help.origin)) {
    ImGui::SetWindowFontScale(kHelpFontPx / ImGui::GetFont()->FontSize);
    c.at(0, 0);
    ImGui::InputTextMultiline("##Memo", &help.text, ImVec2(kHelpWidth, kHelpHeight),
                              ImGuiInputTextFlags_ReadOnly);
    help.focused = ImGui::IsWindowFocused(ImGuiFocusedFlags_ChildWindows);
  }
  c.end();
}

}  // namespace velmora
