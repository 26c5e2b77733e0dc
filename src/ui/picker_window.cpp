#include "ui/picker_window.h"

#include <imgui.h>

#include <vector>

namespace velmora {

PickerAnswer draw_picker_window(FilePicker& picker, std::map<std::string, ImVec2>* places) {
  PickerAnswer answer;
  const auto place = [places](const std::string& what) {
    if (places == nullptr) return;
    const ImVec2 a = ImGui::GetItemRectMin(), b = ImGui::GetItemRectMax();
    (*places)[what] = ImVec2((a.x + b.x) / 2, (a.y + b.y) / 2);
  };
  ImGui::SetNextWindowPos(ImVec2(100, 60), ImGuiCond_Appearing);
  ImGui::SetNextWindowSize(ImVec2(600, 400), ImGuiCond_Appearing);
  bool open = true;
  if (ImGui::Begin(kPickerTitle, &open, ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings)) {
    ImGui::TextUnformatted(picker.folder.string().c_str());
    ImGui::TextUnformatted(kPickerFilter);
    ImGui::SameLine(0, 24);
    ImGui::Checkbox(kPickerAllFiles, &picker.all_files);
    place(kPickerAllFiles);
    if (!picker.error.empty()) ImGui::TextColored(ImVec4(1, 0.3f, 0.3f, 1), "%s", picker.error.c_str());
    ImGui::BeginChild("files", ImVec2(0, -30), true);
    // A copy: entering a folder replaces the list being drawn.
    const std::vector<PickerEntry> entries = picker.entries;
    for (const PickerEntry& e : entries) {
      if (!picker.shown(e)) continue;
      const std::string shown = e.folder ? "[" + e.name + "]" : e.name;
      const bool selected = !e.folder && e.name == picker.selected;
      const bool clicked = ImGui::Selectable(shown.c_str(), selected, ImGuiSelectableFlags_AllowDoubleClick);
      place(e.name);
      if (!clicked) continue;
      if (e.folder) {
        choose(picker, e);
        break;
      }
      picker.selected = e.name;
      if (ImGui::IsMouseDoubleClicked(0)) {
        answer.picked = choose(picker, e);
        break;
      }
    }
    ImGui::EndChild();
    const bool can_open = !picker.selected.empty();
    if (!can_open) ImGui::BeginDisabled();
    if (ImGui::Button("開く / Open") && can_open) answer.picked = choose(picker, {picker.selected, false, true});
    place("Open");
    if (!can_open) ImGui::EndDisabled();
    ImGui::SameLine();
    if (ImGui::Button("キャンセル / Cancel")) answer.cancelled = true;
    place("Cancel");
  }
  ImGui::End();
  if (!open) answer.cancelled = true;
  return answer;
}

}  // namespace velmora
