#pragma once
// The report after a drive, as a window over the title window (or on its own after a drive
// started from the command line): the score big with the line of every rule that deducted,
// the stations, the stretches above the speed in force, the protection's marks, comfort and
// totals, and the run curve as a picture the desktop program makes (run_curve_pixels).
// Saving and opening the folder are the program's; this window only asks for them.

#include <imgui.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "report/drives_folder.h"
#include "report/run_report.h"

namespace velmora {

struct ReportWindow {
  RunReport report;
  std::string started;           // local date and time of the drive's start
  std::filesystem::path folder;  // where the drive was kept; empty when it was not
  std::string notice;            // shown under the score: why it was not kept, what was saved
  bool notice_is_error = false;  // red
  ImFont* large_font = nullptr;  // for the score; the window's own font scaled up when null
  ImTextureID curve = nullptr;   // the run curve; none yet when null
  ImVec2 curve_size{0, 0};       // px of that picture
  ImVec2 curve_wanted{0, 0};     // layout px the window shows the curve at, for the next one
  std::string curve_note = "運転曲線を描いています…";  // shown while there is no curve
  std::string save_path;                               // the save dialog's text
};

struct ReportAnswer {
  bool closed = false;                           // 閉じる, or the window's close box
  std::optional<std::filesystem::path> save_to;  // the save dialog's 保存
  bool open_folder = false;                      // フォルダを開く
};

// Draws the window filling `width` x `height` layout px, between ImGui's NewFrame and
// Render; what the user asked for this frame.
ReportAnswer draw_report_window(ReportWindow& w, float width, float height);

// The title window's list of past drives, newest first: a click on one asks for its report.
struct PastDrivesAnswer {
  std::optional<std::size_t> chosen;  // index into the list
  bool closed = false;
};
PastDrivesAnswer draw_past_drives_window(const std::vector<PastDrive>& drives,
                                         const std::filesystem::path& folder, float width,
                                         float height);

// Every text the window may show from the drive (line, stations, rules), for the font's
// glyphs.
std::string report_window_texts(const ReportWindow& w);

}  // namespace velmora
