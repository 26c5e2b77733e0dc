#include "ui/cab_windows.h"

#include <imgui_stdlib.h>

#include <algorithm>
#include <string>

#include "app/menus.h"
#include "app/run.h"
#include "route/station_jump.h"
#include "ui/client_window.h"
#include "view/value_display.h"

namespace velmora {

namespace {

constexpr ImU32 kWhite = IM_COL32(255, 255, 255, 255);
constexpr ImU32 kAqua = IM_COL32(0, 255, 255, 255);
constexpr ImU32 kLine = IM_COL32(128, 128, 128, 255);
constexpr ImU32 kRed = IM_COL32(255, 0, 0, 255);
constexpr ImU32 kYellow = IM_COL32(255, 255, 0, 255);
constexpr ImU32 kGreen = IM_COL32(0, 128, 0, 255);

void value_display_window(Run& run, CabWindows& w) {
  ValueDisplayState& d = run.value_display;
  if (!d.visible) return;
  Client c(&w.layout);
  bool open = true;
  // The title changes with the serial lines; the window stays the same one.
  const std::string title = d.caption + "###ValueDisplay";
  if (c.begin(title.c_str(), &open, kValueWindowWidth, kValueWindowHeight, ImVec2(40, 40), w.value_origin)) {
    // The diagnostic window's smaller face.
    ImGui::SetWindowFontScale(kValueWindowFontPx / ImGui::GetFont()->FontSize);
    for (const ValueLabel& l : kValueLabels) {
      float left = static_cast<float>(l.left);
      if (*l.caption != '\0') {
        c.text(l.caption_left, l.caption_top, l.caption);
        // A value starts after its caption, however wide the face makes the caption.
        if (l.caption_top == l.top) left = std::max(left, ImGui::GetItemRectMax().x - c.point(0, 0).x + 4);
      }
      c.text(left, l.top, d.values && l.value != nullptr ? (*d.values).*l.value : l.initial);
    }
    for (const ValueBar& b : kValueBars) {
      c.at(b.left, b.top);
      ImGui::ProgressBar(static_cast<float>(d.bars[static_cast<std::size_t>(b.index)]) / kValueBarMax,
                         ImVec2(136, 10), "");
    }
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ValueControl& grid = kValueControls[0];
    const float cw = static_cast<float>(grid.width) / kMonitorColumns;
    const float ch = static_cast<float>(grid.height) / kMonitorRows;
    for (int r = 0; r < kMonitorRows; ++r)
      for (int col = 0; col < kMonitorColumns; ++col) {
        const ChannelCell& cell = d.channels[static_cast<std::size_t>(r * kMonitorColumns + col)];
        const ImVec2 a = c.point(grid.left + col * cw, grid.top + r * ch);
        const ImVec2 b(a.x + cw, a.y + ch);
        draw->AddRectFilled(a, b, cell.playing ? kAqua : kWhite);
        draw->AddRect(a, b, kLine);
        if (cell.playing) draw->AddText(ImGui::GetFont(), 9, ImVec2(a.x + 1, a.y), kBlack, std::to_string(cell.volume).c_str());
        ImGui::SetCursorScreenPos(a);
        ImGui::PushID(r * kMonitorColumns + col);
        if (ImGui::InvisibleButton("cell", ImVec2(cw, ch))) {
          w.commands.push_back(command::ValueButton{command::ValueButton::Which::stop_channel, {}, col, r});
        }
        ImGui::PopID();
      }
    const ValueControl& signals = kValueControls[1];
    c.at(signals.left, signals.top);
    ImGui::BeginChild("SignalGrid", ImVec2(signals.width, signals.height), true,
                      ImGuiWindowFlags_HorizontalScrollbar);
    for (std::size_t i = 0; i < d.signal_row.size(); ++i) {
      if (i > 0) ImGui::SameLine(0, 0);
      ImGui::BeginGroup();
      const std::string index = std::to_string(i);
      ImGui::TextUnformatted(index.c_str());
      ImGui::TextUnformatted(d.signal_row[i].c_str());
      ImGui::EndGroup();
      ImGui::SameLine(0, 0);
      ImGui::Dummy(ImVec2(std::max(0.0f, 40 - ImGui::GetItemRectSize().x), 1));
    }
    ImGui::EndChild();
    const ValueControl& memo = kValueControls[2];
    c.at(memo.left, memo.top);
    ImGui::PushStyleColor(ImGuiCol_ChildBg, kWhite);
    ImGui::BeginChild("Memo1", ImVec2(memo.width, memo.height), true);
    for (const std::string& line : d.log) ImGui::TextUnformatted(line.c_str());
    if (ImGui::GetScrollY() >= ImGui::GetScrollMaxY()) ImGui::SetScrollHereY(1.0f);
    ImGui::EndChild();
    ImGui::PopStyleColor();
    if (!d.message.empty()) {
      c.at(memo.left, memo.top + memo.height + 2);
      ImGui::PushStyleColor(ImGuiCol_Text, kRed);
      ImGui::PushTextWrapPos(c.point(kValueWindowWidth - 10, 0).x);
      ImGui::TextUnformatted(d.message.c_str());
      ImGui::PopTextWrapPos();
      ImGui::PopStyleColor();
    }
    const ValueControl& edit = kValueControls[3];
    c.at(edit.left, edit.top);
    ImGui::SetNextItemWidth(90);
    ImGui::PushStyleColor(ImGuiCol_FrameBg, kWhite);
    ImGui::InputText("##Edit1", &d.jump_text);
    ImGui::PopStyleColor();
    for (std::size_t k = 4; k < kValueControls.size(); ++k) {
      const ValueControl& b = kValueControls[k];
      const std::string name = b.name;
      // "抵抗解除" stands out while it is on, as its caption turned bold.
      const bool lit = name == "Button3" && d.speed_hold;
      if (lit) ImGui::PushStyleColor(ImGuiCol_Button, ImGui::GetStyleColorVec4(ImGuiCol_ButtonActive));
      const bool clicked = c.button(b.left, b.top, b.caption, 90);
      if (lit) ImGui::PopStyleColor();
      if (!clicked) continue;
      if (name == "Button1") {
        w.commands.push_back(command::ValueButton{command::ValueButton::Which::su_reload, {}, 0, 0});
      } else if (name == "Button2") {
        w.commands.push_back(command::ValueButton{command::ValueButton::Which::jump, d.jump_text, 0, 0});
      } else if (name == "Button3") {
        w.commands.push_back(command::ValueButton{command::ValueButton::Which::hold, {}, 0, 0});
      }
    }
  }
  c.end();
  if (!open) d.visible = false;
}

void easy_cab_window(Run& run, CabWindows& w) {
  EasyCab& e = run.texts.easy_cab;
  if (!e.visible) return;
  Client c(&w.layout);
  if (c.begin("かんたん運転台", &e.visible, kEasyCabWidth, kEasyCabHeight, ImVec2(940, 40), w.easy_cab_origin)) {
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const auto shape = [&](float top, bool lit, ImU32 colour) {
      draw->AddRectFilled(c.point(24, top), c.point(54, top + 15), lit ? colour : kWhite);
      draw->AddRect(c.point(24, top), c.point(54, top + 15), kBlack);
    };
    // KB7 .. KB1 from the top (KB8 is never shown), then KN, then KP1 .. KP5.
    for (int n = 7; n >= 1; --n) shape(152 - 16.0f * (n - 1), e.brake[static_cast<std::size_t>(n - 1)], kRed);
    shape(176, e.neutral, kGreen);
    for (int n = 1; n <= 5; ++n) shape(200 + 16.0f * (n - 1), e.power[static_cast<std::size_t>(n - 1)], kYellow);
    c.big_text(24, 18, "ブレーキ", 16);
    c.big_text(24, 288, "加速", 16);
    c.text(64, 174, "惰行");
    // Smaller, so that it ends before the buttons.
    c.big_text(64, 190, "ニュートラル", 10);
    c.big_text(64, 96, "↑", 27);
    c.big_text(64, 216, "↓", 27);
    for (const EasyCabButton& b : kEasyCabButtons) {
      if (!c.button(b.x, b.y, b.caption, b.width, b.height)) continue;
      if (b.posts != 0)
        w.commands.push_back(command::Typed{b.posts});
      else if (run.train.handles.reverser == 1)
        w.commands.push_back(command::Typed{U'b'});
      else if (run.train.handles.reverser == -1)
        w.commands.push_back(command::Typed{U'f'});
    }
    // The status bar along the bottom.
    draw->AddRectFilled(c.point(0, kEasyCabHeight - 19), c.point(kEasyCabWidth, kEasyCabHeight), kFace);
    draw->AddLine(c.point(0, kEasyCabHeight - 19), c.point(kEasyCabWidth, kEasyCabHeight - 19), kLine);
    c.text(4, kEasyCabHeight - 17, e.status);
  }
  c.end();
}

void train_settings_window(Run& run, CabWindows& w) {
  if (!w.train_settings) {
    w.settings_shown = false;
    return;
  }
  Client c(&w.layout);
  if (c.begin("列車設定", &w.train_settings, 250, 160, ImVec2(420, 260), w.settings_origin)) {
    // The protection's choice is read when the dialog opens; afterwards it is the driver's.
    const bool on = run.train.engine.ats_enabled;
    c.text(8, 8, "ATS");
    c.at(kSettingsAtsOn.x, kSettingsAtsOn.y);
    if (ImGui::RadioButton("入", on) && !on) {
      w.commands.push_back(command::MenuItem{"jump_ats_on"});
    }
    c.at(kSettingsAtsOff.x, kSettingsAtsOff.y);
    if (ImGui::RadioButton("切", !on) && on) {
      w.commands.push_back(command::MenuItem{"jump_ats_off"});
    }
    c.text(8, 64, "機関始動");
    const char* const engine[3] = {"始動", "運転", "切##engine"};
    for (int k = 0; k < 3; ++k) {
      c.at(kSettingsEngine[k].x, kSettingsEngine[k].y);
      if (!ImGui::RadioButton(engine[k], w.engine_choice == k)) continue;
      w.engine_choice = k;
      if (k == 0) {
        w.commands.push_back(command::MenuItem{"jump_engine_start"});
        w.engine_choice = 1;  // the start done, the dialog shows 運転
      } else if (k == 2) {
        w.commands.push_back(command::MenuItem{"jump_engine_stop"});
      }
    }
    if (c.button(kSettingsOk.x, kSettingsOk.y, "OK", 80)) w.train_settings = false;
  }
  c.end();
  w.settings_shown = w.train_settings;
}

void overrun_window(Run& run, CabWindows& w) {
  // Offered once for every overrun the stations notice.
  const auto& called = run.station.st_overrun_called;
  const std::size_t overruns = static_cast<std::size_t>(std::count(called.begin(), called.end(), true));
  if (overruns > w.overruns_seen) w.overrun = true;
  w.overruns_seen = overruns;
  if (!w.overrun) return;
  Client c(&w.layout);
  if (c.begin(kKotaiCaption, &w.overrun, 420, 130, ImVec2(390, 300), w.overrun_origin)) {
    c.text(16, 12, kKotaiTexts[0]);
    // Moving back is not offered to a one-man train's driver alone: the dialog says why.
    if (run.route.one_man >= OneManMode::OneMan) c.text(16, 32, kKotaiTexts[1]);
    c.text(16, 52, kKotaiTexts[2]);
    if (c.button(kOverrunButton.x, kOverrunButton.y, kKotaiButton, 120)) {
      w.commands.push_back(command::MenuItem{"kotai_stop"});
      w.overrun = false;
    }
  }
  c.end();
}

}  // namespace

std::string cab_window_texts(const Run& run) {
  std::string out = kValueWindowCaption;
  for (const ValueLabel& l : kValueLabels) out += std::string(l.caption) + l.initial;
  for (const ValueControl& b : kValueControls) out += b.caption;
  for (const EasyCabButton& b : kEasyCabButtons) out += b.caption;
  out += "かんたん運転台ブレーキ加速惰行ニュートラル列車設定入切機関始動運転";
  out += kKotaiCaption;
  out += kKotaiButton;
  for (const char* t : kKotaiTexts) out += t;
  for (const StationData& s : run.route.stations) out += s.Name;
  out += run.route.line_name;
  return out;
}

void draw_cab_windows(Run& run, CabWindows& windows) {
  windows.layout.clear();
  value_display_window(run, windows);
  easy_cab_window(run, windows);
  train_settings_window(run, windows);
  overrun_window(run, windows);
}

void apply_window_commands(Run& run, CabWindows& windows, const std::function<void(const DriverCommand&)>& record) {
  const std::vector<DriverCommand> commands = std::move(windows.commands);
  windows.commands.clear();
  for (const DriverCommand& command : commands) {
    if (record) record(command);
    apply(run, command);
  }
}

}  // namespace velmora
