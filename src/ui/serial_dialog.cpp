#include "ui/serial_dialog.h"

#include <imgui_stdlib.h>

#include <array>

#include "ui/client_window.h"

namespace velmora {

namespace {

constexpr std::array<int, 8> kSpeeds = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

// A row of radio buttons for one setting.
template <typename T, std::size_t N>
void choice(const char* id, T& value, const std::array<T, N>& options, const std::array<const char*, N>& names) {
  ImGui::PushID(id);
  for (std::size_t i = 0; i < N; ++i) {
    if (i > 0) ImGui::SameLine();
    if (ImGui::RadioButton(names[i], value == options[i])) value = options[i];
  }
  ImGui::PopID();
}

}  // namespace

SerialSettings default_serial_settings(const std::vector<std::string>& ports) {
  SerialSettings s;
  s.port = ports.empty() ? "/dev/ttyUSB0" : ports.front();
  return s;
}

void open_serial_dialog(SerialDialog& dialog, std::vector<std::string> ports) {
  dialog.ports = std::move(ports);
  dialog.editing = dialog.settings;
  dialog.visible = true;
}

void draw_serial_dialog(SerialDialog& d) {
  if (!d.visible) return;
  Client c;
  bool open = true;
  if (c.begin("VMマスコン（設定）", &open, 330, 250, ImVec2(430, 220), d.origin)) {
    SerialSettings& s = d.editing;
    c.text(10, 10, "ポート");
    c.at(70, 8);
    ImGui::SetNextItemWidth(170);
    ImGui::InputText("##port", &s.port);
    ImGui::SameLine();
    ImGui::SetNextItemWidth(70);
    if (ImGui::BeginCombo("##ports", "一覧", ImGuiComboFlags_NoArrowButton)) {
      if (d.ports.empty()) ImGui::TextUnformatted("(なし)");
      for (const std::string& p : d.ports)
        if (ImGui::Selectable(p.c_str(), p == s.port)) s.port = p;
      ImGui::EndCombo();
    }
    c.text(10, 40, "速度");
    c.at(70, 38);
    ImGui::SetNextItemWidth(120);
    const std::string shown = std::to_string(s.baud);
    if (ImGui::BeginCombo("##baud", shown.c_str())) {
      for (int speed : kSpeeds)
        if (ImGui::Selectable(std::to_string(speed).c_str(), speed == s.baud)) s.baud = speed;
      ImGui::EndCombo();
    }
    c.text(10, 70, "データ");
    c.at(70, 68);
    choice<int, 4>("bits", s.data_bits, {5, 6, 7, 8}, {"5", "6", "7", "8"});
    c.text(10, 100, "ストップ");
    c.at(70, 98);
    choice<int, 2>("stop", s.stop_bits, {1, 2}, {"1", "2"});
    c.text(10, 130, "パリティ");
    c.at(70, 128);
    choice<char, 3>("parity", s.parity, {'N', 'E', 'O'}, {"なし", "偶数", "奇数"});
    c.text(10, 160, "フロー制御");
    c.at(90, 158);
    choice<bool, 2>("flow", s.flow_control, {false, true}, {"なし", "RTS/CTS"});
    if (c.button(150, 210, "OK", 80)) {
      d.settings = d.editing;
      d.visible = false;
    }
    if (c.button(240, 210, "キャンセル", 80)) d.visible = false;
  }
  c.end();
  if (!open) d.visible = false;
}

}  // namespace velmora
