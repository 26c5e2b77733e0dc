#include "ui/report_window.h"

#include <imgui.h>
#include <imgui_stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "report/report_json.h"

namespace velmora {

namespace {

const ImVec4 kRed(1.0f, 0.45f, 0.4f, 1);
const ImVec4 kDim(0.7f, 0.7f, 0.7f, 1);
constexpr const char* kNone = "—";
constexpr const char* kSaveDialog = "報告の保存 / Save the report###SaveReport";

template <typename... Args>
std::string format(const char* f, Args... args) {
  char text[128];
  std::snprintf(text, sizeof text, f, args...);
  return text;
}

std::string km(long double cm) { return format("%.3f km", static_cast<double>(cm / 100000)); }

std::string clock_or_none(const std::optional<int>& ticks) {
  return ticks ? clock_text(*ticks) : std::string(kNone);
}

// Run time as minutes and seconds.
std::string duration(long double ms) {
  const long long s = std::llround(ms / 1000);
  return format("%lld分%02lld秒", s / 60, s % 60);
}

// The score's colour: good, fair, poor.
ImVec4 score_colour(long double score) {
  if (score >= 80) return ImVec4(0.45f, 0.9f, 0.45f, 1);
  if (score >= 60) return ImVec4(1.0f, 0.85f, 0.3f, 1);
  return kRed;
}

// What became of a station, in the driver's words.
std::string station_outcome(const StationRecord& s) {
  if (!s.stops) return "通過";
  if (s.start) return "始発";
  if (s.missed) return "停車せず通過";
  if (!s.arrival_ticks) return kNone;
  std::string text = s.in_zone ? "停止位置内" : "停止位置外";
  if (s.overrun) text = "行き過ぎ";
  if (s.stop_back) text += "・後退";
  return text;
}

constexpr ImGuiTableFlags kTableFlags = ImGuiTableFlags_Borders | ImGuiTableFlags_RowBg |
                                        ImGuiTableFlags_SizingFixedFit | ImGuiTableFlags_ScrollY;

// A table of `rows` rows below its headers, as high as they need and scrolling beyond the
// room left.
bool begin_table(const char* id, std::size_t rows, std::initializer_list<const char*> headers) {
  const float row = ImGui::GetTextLineHeight() + 2 * ImGui::GetStyle().CellPadding.y;
  const float room = ImGui::GetContentRegionAvail().y;
  const float height = std::min(room, row * static_cast<float>(rows + 1) + 4);
  if (!ImGui::BeginTable(id, static_cast<int>(headers.size()), kTableFlags, ImVec2(0, height)))
    return false;
  ImGui::TableSetupScrollFreeze(0, 1);
  for (const char* h : headers) ImGui::TableSetupColumn(h);
  ImGui::TableHeadersRow();
  return true;
}

void row(std::initializer_list<std::string> cells) {
  ImGui::TableNextRow();
  for (const std::string& c : cells) {
    ImGui::TableNextColumn();
    ImGui::TextUnformatted(c.c_str());
  }
}

void draw_score_lines(const RunReport& r) {
  const Score& s = r.score;
  if (s.lines.empty()) {
    ImGui::TextUnformatted("減点はありません。満点です。");
    return;
  }
  if (!begin_table("score", s.lines.size(), {"項目", "内容", "減点"})) return;
  for (const ScoreLine& l : s.lines)
    row({l.rule, l.counted, format("-%.1f", static_cast<double>(l.points))});
  ImGui::EndTable();
}

void draw_stations(const RunReport& r) {
  if (r.log.stations.empty()) {
    ImGui::TextUnformatted("駅の記録はありません。");
    return;
  }
  if (!begin_table("stations", r.log.stations.size(),
                   {"駅", "定刻発", "着", "発", "停止位置", "結果", "ドア"}))
    return;
  for (const StationRecord& s : r.log.stations) {
    const std::string error =
        s.stop_error_cm ? format("%+.2f m", static_cast<double>(*s.stop_error_cm / 100)) : kNone;
    const std::string doors = s.doors_open_ms > 0
                                  ? format("%.0f秒", static_cast<double>(s.doors_open_ms / 1000))
                                  : std::string(kNone);
    row({s.name, s.deptime > 0 ? clock_text(s.deptime) : std::string(kNone),
         clock_or_none(s.arrival_ticks), clock_or_none(s.departure_ticks), error,
         station_outcome(s), doors});
  }
  ImGui::EndTable();
}

void draw_over_speeds(const RunReport& r) {
  if (r.log.over_speeds.empty()) {
    ImGui::TextUnformatted("制限速度を超えた区間はありません。");
    return;
  }
  if (!begin_table("over", r.log.over_speeds.size(), {"時刻", "区間", "時間", "制限", "最大超過"}))
    return;
  for (const OverSpeed& o : r.log.over_speeds)
    row({clock_text(o.start_ticks), km(o.from_cm) + " - " + km(o.to_cm),
         format("%.1f秒", static_cast<double>(o.ms / 1000)),
         format("%d km/h ", o.limit_kmh) + limit_kind_text(o.limit_kind),
         format("+%.1f km/h", static_cast<double>(o.max_over_kmh))});
  ImGui::EndTable();
}

void draw_protection(const RunReport& r) {
  if (r.log.protection.empty()) {
    ImGui::TextUnformatted("保安装置は動作しませんでした。");
    return;
  }
  if (!begin_table("protection", r.log.protection.size(), {"時刻", "位置", "速度", "内容", "詳細"}))
    return;
  for (const ProtectionMark& p : r.log.protection)
    row({clock_text(p.ticks), km(p.position_cm),
         format("%.1f km/h", static_cast<double>(p.speed_kmh)), protection_kind_text(p.kind),
         p.detail});
  ImGui::EndTable();
}

void draw_comfort_and_totals(const RunReport& r) {
  const RunComfort& c = r.log.comfort;
  const RunTotals& t = r.log.totals;
  if (!begin_table("totals", 9, {"項目", "値"})) return;
  row({"最大減速度", format("%.2f km/h/s", static_cast<double>(c.max_decel_kmhs))});
  row({"最大加加速度", format("%.2f km/h/s²", static_cast<double>(c.max_jerk_kmhs2))});
  row({"非常ブレーキ", format("%d回", c.emergency_applications)});
  row({"常用最大ブレーキ", format("%d回", c.full_service_applications)});
  row({"走行距離", km(t.distance_cm)});
  row({"運転時間", duration(t.run_ms)});
  row({"時刻", clock_text(t.start_ticks) + " - " + clock_text(t.end_ticks)});
  row({"力行エネルギー", format("%.2f kWh", static_cast<double>(t.energy_j / 3.6e6L))});
  row({"最大電流", t.peak_current_a > 0 ? format("%d A", t.peak_current_a) : std::string(kNone)});
  ImGui::EndTable();
}

void draw_curve(ReportWindow& w) {
  // The curve's own shape (1200 x 500), as wide as the window allows.
  const ImVec2 room = ImGui::GetContentRegionAvail();
  const float width = std::max(1.0f, std::min(room.x, room.y * 1200 / 500));
  w.curve_wanted = ImVec2(std::floor(width), std::floor(width * 500 / 1200));
  if (w.curve == nullptr) {
    ImGui::TextUnformatted(w.curve_note.c_str());
    return;
  }
  ImGui::Image(w.curve, w.curve_wanted);
}

void draw_save_dialog(ReportWindow& w, ReportAnswer& answer, float width) {
  ImGui::SetNextWindowSize(ImVec2(std::min(560.0f, width - 40), 0), ImGuiCond_Always);
  if (!ImGui::BeginPopupModal(kSaveDialog, nullptr, ImGuiWindowFlags_NoSavedSettings)) return;
  ImGui::TextUnformatted("報告 (HTML) の保存先のファイル名 / Save the report page as:");
  ImGui::SetNextItemWidth(-1);
  if (ImGui::IsWindowAppearing()) ImGui::SetKeyboardFocusHere();
  const bool entered =
      ImGui::InputText("##path", &w.save_path, ImGuiInputTextFlags_EnterReturnsTrue);
  if ((ImGui::Button("保存 / Save", ImVec2(110, 0)) || entered) && !w.save_path.empty()) {
    answer.save_to = std::filesystem::path(w.save_path);
    ImGui::CloseCurrentPopup();
  }
  ImGui::SameLine();
  if (ImGui::Button("キャンセル / Cancel", ImVec2(130, 0)) ||
      ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false))
    ImGui::CloseCurrentPopup();
  ImGui::EndPopup();
}

}  // namespace

ReportAnswer draw_report_window(ReportWindow& w, float width, float height) {
  ReportAnswer answer;
  const RunReport& r = w.report;
  ImGui::SetNextWindowPos(ImVec2(6, 6), ImGuiCond_Always);
  ImGui::SetNextWindowSize(ImVec2(width - 12, height - 12), ImGuiCond_Always);
  // Opaque: the title picture behind would show through the tables.
  ImGui::SetNextWindowBgAlpha(1);
  bool open = true, escape = false;
  const std::string title = "運転の記録 / Drive report — " + r.line_name + "###DriveReport";
  if (ImGui::Begin(title.c_str(), &open,
                   ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings |
                       ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove)) {
    // The score, big, and beside it which drive it was.
    ImGui::BeginGroup();
    ImGui::PushStyleColor(ImGuiCol_Text, score_colour(r.score.total));
    const std::string score = format("%.1f", static_cast<double>(r.score.total));
    if (w.large_font != nullptr)
      ImGui::PushFont(w.large_font);
    else
      ImGui::SetWindowFontScale(3);
    ImGui::TextUnformatted(score.c_str());
    if (w.large_font != nullptr)
      ImGui::PopFont();
    else
      ImGui::SetWindowFontScale(1);
    ImGui::PopStyleColor();
    // "点 / 100" on the score's baseline, beside it.
    const char* out_of = "点 / 100";
    const ImVec2 end = ImGui::GetItemRectMax();
    const float line = ImGui::GetTextLineHeight();
    ImGui::GetWindowDrawList()->AddText(ImVec2(end.x + 4, end.y - line - 0.15f * line),
                                        ImGui::GetColorU32(ImGuiCol_Text), out_of);
    ImGui::SameLine(0, 0);
    ImGui::Dummy(ImVec2(ImGui::CalcTextSize(out_of).x + 8, 1));
    ImGui::EndGroup();
    ImGui::SameLine(0, 20);
    ImGui::BeginGroup();
    ImGui::TextUnformatted(r.line_name.c_str());
    ImGui::TextColored(kDim, "%s  %s / %s", w.started.c_str(), r.route_file.c_str(),
                       r.vehicle_file.c_str());
    if (ImGui::Button("保存... / Save...")) ImGui::OpenPopup(kSaveDialog);
    ImGui::SameLine();
    if (w.folder.empty()) ImGui::BeginDisabled();
    if (ImGui::Button("フォルダを開く / Open folder")) answer.open_folder = true;
    if (w.folder.empty()) ImGui::EndDisabled();
    ImGui::SameLine();
    if (ImGui::Button("閉じる / Close")) answer.closed = true;
    // Below the buttons, so that a longer notice never moves them.
    if (!w.notice.empty()) {
      ImGui::PushTextWrapPos(0);
      ImGui::TextColored(w.notice_is_error ? kRed : kDim, "%s", w.notice.c_str());
      ImGui::PopTextWrapPos();
    }
    ImGui::EndGroup();
    // Escape closes the save dialog when it is open, else the window.
    escape = ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false) &&
             !ImGui::IsPopupOpen(kSaveDialog);
    draw_save_dialog(w, answer, width);

    if (ImGui::BeginTabBar("parts")) {
      if (ImGui::BeginTabItem("採点")) {
        draw_score_lines(r);
        ImGui::EndTabItem();
      }
      if (ImGui::BeginTabItem("運転曲線")) {
        draw_curve(w);
        ImGui::EndTabItem();
      }
      if (ImGui::BeginTabItem("駅")) {
        draw_stations(r);
        ImGui::EndTabItem();
      }
      if (ImGui::BeginTabItem("速度超過")) {
        draw_over_speeds(r);
        ImGui::EndTabItem();
      }
      if (ImGui::BeginTabItem("保安装置")) {
        draw_protection(r);
        ImGui::EndTabItem();
      }
      if (ImGui::BeginTabItem("乗り心地・合計")) {
        draw_comfort_and_totals(r);
        ImGui::EndTabItem();
      }
      ImGui::EndTabBar();
    }
  }
  ImGui::End();
  if (!open || escape) answer.closed = true;
  return answer;
}

PastDrivesAnswer draw_past_drives_window(const std::vector<PastDrive>& drives,
                                         const std::filesystem::path& folder, float width,
                                         float height) {
  PastDrivesAnswer answer;
  ImGui::SetNextWindowPos(ImVec2(width / 2, height / 2), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
  ImGui::SetNextWindowSize(ImVec2(std::min(640.0f, width - 20), std::min(400.0f, height - 20)),
                           ImGuiCond_Appearing);
  ImGui::SetNextWindowBgAlpha(1);
  bool open = true;
  if (ImGui::Begin("過去の運転 / Past drives###PastDrives", &open,
                   ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings)) {
    if (drives.empty()) {
      ImGui::PushTextWrapPos(0);
      ImGui::TextUnformatted(
          "まだ記録された運転はありません。駅まで走った運転は、ここに残ります。");
      ImGui::PopTextWrapPos();
    } else {
      ImGui::TextUnformatted("クリックすると運転の記録をブラウザで開きます。");
    }
    ImGui::TextColored(kDim, "%s", folder.string().c_str());
    if (!drives.empty() && ImGui::BeginTable("past", 3, kTableFlags, ImVec2(0, -30))) {
      ImGui::TableSetupScrollFreeze(0, 1);
      ImGui::TableSetupColumn("日時");
      ImGui::TableSetupColumn("路線");
      ImGui::TableSetupColumn("点数");
      ImGui::TableHeadersRow();
      for (std::size_t i = 0; i < drives.size(); ++i) {
        const PastDrive& d = drives[i];
        ImGui::TableNextRow();
        ImGui::TableNextColumn();
        ImGui::PushID(static_cast<int>(i));
        if (ImGui::Selectable(d.started.c_str(), false, ImGuiSelectableFlags_SpanAllColumns))
          answer.chosen = i;
        ImGui::PopID();
        ImGui::TableNextColumn();
        ImGui::TextUnformatted(d.line_name.c_str());
        ImGui::TableNextColumn();
        ImGui::TextUnformatted(d.score.c_str());
      }
      ImGui::EndTable();
    }
    if (ImGui::Button("閉じる / Close")) answer.closed = true;
  }
  ImGui::End();
  if (!open) answer.closed = true;
  return answer;
}

std::string report_window_texts(const ReportWindow& w) {
  const RunReport& r = w.report;
  std::string texts =
      r.line_name + r.route_file + r.vehicle_file + w.notice + w.save_path + w.folder.string();
  for (const ScoreLine& l : r.score.lines) texts += l.rule + l.counted;
  for (const StationRecord& s : r.log.stations) texts += s.name + station_outcome(s);
  for (const OverSpeed& o : r.log.over_speeds) texts += limit_kind_text(o.limit_kind);
  for (const ProtectionMark& p : r.log.protection) texts += protection_kind_text(p.kind) + p.detail;
  return texts;
}

}  // namespace velmora
