#include "report/drives_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "common/whole_file.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCheckDisk = "（ディスクの空きと書き込み権限を確かめてください）";

// A field of an index line: tabs and line ends would split it.
std::string field(std::string text) {
  for (char& c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return text;
}

// A folder name the index may name: one plain name inside the drives folder, so that
// removing an old drive can never reach outside it.
bool plain_name(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

bool is_number(const std::string& text) {
  if (text.empty()) return false;
  char* end = nullptr;
  std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size();
}

struct IndexLine {
  PastDrive drive;
  std::string text;  // as written
};

std::vector<IndexLine> read_index(const fs::path& drives) {
  std::vector<IndexLine> lines;
  std::ifstream in(drives / kDrivesIndex);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> f;
    std::stringstream cells(line);
    for (std::string cell; std::getline(cells, cell, '\t');) f.push_back(cell);
    if (f.size() != 6 || !plain_name(f[0]) || f[1].empty() || !is_number(f[2])) continue;
    lines.push_back({{f[0], f[1], f[2], f[3], f[4], f[5]}, line});
  }
  return lines;
}

std::string local_time(std::time_t t, const char* format) {
  std::tm parts{};
  localtime_r(&t, &parts);
  char text[64];
  std::strftime(text, sizeof text, format, &parts);
  return text;
}

}  // namespace

fs::path drives_folder(const char* xdg_data_home, const char* home) {
  fs::path base;
  if (xdg_data_home != nullptr && xdg_data_home[0] == '/')
    base = xdg_data_home;
  else
    base = fs::path(home != nullptr && home[0] != '\0' ? home : ".") / ".local" / "share";
  return base / "velmora" / "drives";
}

fs::path default_drives_folder() {
  return drives_folder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

DriveFolder make_drive_folder(const fs::path& drives, std::time_t start, std::string& error) {
  const std::string name = local_time(start, "%Y-%m-%d_%H-%M-%S");
  std::error_code ec;
  fs::create_directories(drives, ec);
  if (!ec) {
    for (int n = 1; n < 100; ++n) {
      char suffix[8] = "";
      if (n > 1) std::snprintf(suffix, sizeof suffix, "-%02d", n);
      const fs::path folder = drives / (name + suffix);
      // create_directory says false, without an error, when the folder is there already.
      if (fs::create_directory(folder, ec)) return {folder, local_time(start, "%Y-%m-%d %H:%M:%S")};
      if (ec) break;
    }
  }
  error = std::string("運転を記録するフォルダを作れません") + kCheckDisk + "。\n" +
          "The drive cannot be recorded: " + drives.string() + ": " +
          (ec ? ec.message() : std::string("too many drives in one second"));
  return {};
}

KeptReport keep_drive_report(const fs::path& drives, const DriveFolder& drive,
                             const RunReport& report, const std::string& html,
                             const std::string& json, int keep) {
  KeptReport result;
  const auto failed = [&](const std::string& why) {
    result.error = std::string("運転の記録を保存できません") + kCheckDisk + "。運転の操作は " +
                   (drive.path / kDriveRecording).string() + " に残っています。\n" +
                   "The drive's report cannot be kept: " + why;
    return result;
  };
  std::string why;
  if (!write_whole_file(drive.path / kDriveReportHtml, html, why) ||
      !write_whole_file(drive.path / kDriveReportJson, json, why))
    return failed(why);

  // Lines whose folder was removed by hand go.
  std::vector<IndexLine> lines;
  for (IndexLine& l : read_index(drives)) {
    std::error_code ec;
    if (fs::exists(drives / l.drive.folder, ec)) lines.push_back(std::move(l));
  }
  char score[32];
  std::snprintf(score, sizeof score, "%.1f", static_cast<double>(report.score.total));
  const std::string name = drive.path.filename().string();
  lines.push_back(
      {{name, drive.started, score, report.line_name, report.route_file, report.vehicle_file},
       field(name) + '\t' + field(drive.started) + '\t' + score + '\t' + field(report.line_name) +
           '\t' + field(report.route_file) + '\t' + field(report.vehicle_file)});

  // The oldest go first; one that cannot be removed keeps its line, so it is tried again.
  const std::size_t limit = static_cast<std::size_t>(std::max(keep, 1));
  std::size_t to_remove = lines.size() > limit ? lines.size() - limit : 0;
  std::vector<IndexLine> kept;
  std::string stayed;
  for (IndexLine& l : lines) {
    if (to_remove > 0) {
      --to_remove;
      std::error_code ec;
      const fs::path folder = drives / l.drive.folder;
      fs::remove_all(folder, ec);
      if (!ec) continue;
      stayed += "\n" + folder.string() + ": " + ec.message();
    }
    kept.push_back(std::move(l));
  }
  std::string text;
  for (const IndexLine& l : kept) text += l.text + '\n';
  if (!write_whole_file(drives / kDrivesIndex, text, why)) return failed(why);
  result.kept = true;
  if (!stayed.empty())
    result.error = "古い運転を消せません / Old drives could not be removed:" + stayed;
  return result;
}

std::vector<PastDrive> past_drives(const fs::path& drives) {
  std::vector<PastDrive> found;
  const std::vector<IndexLine> lines = read_index(drives);
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    std::error_code ec;
    if (fs::is_directory(drives / it->drive.folder, ec)) found.push_back(it->drive);
  }
  return found;
}

bool remove_drive_folder(const DriveFolder& drive, std::string& error) {
  if (drive.path.empty()) return true;
  std::error_code ec;
  fs::remove_all(drive.path, ec);
  if (!ec) return true;
  error = drive.path.string() + ": " + ec.message();
  return false;
}

}  // namespace velmora
