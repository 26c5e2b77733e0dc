#pragma once
// The drives kept after each drive: one folder per drive under
// $XDG_DATA_HOME/velmora/drives/ (default ~/.local/share/velmora/drives/) with the drive's
// recording and its report, and one line per drive in the folder's index.
//
// The index (index.tsv) holds a line per kept drive, oldest first, its fields separated by
// tabs: the drive's folder, the local date and time it started, the score with one decimal,
// the line's name, the route file and the vehicle file. It is written whole to a temporary
// file and renamed, so a crash leaves the old index or the new one, never half of one. A
// folder without an index line is a drive that got no report (or whose report could not be
// written): its recording is left alone.

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "report/run_report.h"

namespace velmora {

inline constexpr int kDrivesKeptByDefault = 100;
inline constexpr const char* kDrivesIndex = "index.tsv";
inline constexpr const char* kDriveRecording = "drive.txt";
inline constexpr const char* kDriveReportHtml = "report.html";
inline constexpr const char* kDriveReportJson = "report.json";

// The drives folder for these values of $XDG_DATA_HOME and $HOME (either may be null):
// $XDG_DATA_HOME/velmora/drives when it is an absolute path, else
// $HOME/.local/share/velmora/drives.
std::filesystem::path drives_folder(const char* xdg_data_home, const char* home);
// The same from the environment.
std::filesystem::path default_drives_folder();

// One drive's folder in the drives folder.
struct DriveFolder {
  std::filesystem::path path;  // empty when it could not be made
  std::string started;         // local date and time of the start, "YYYY-MM-DD HH:MM:SS"
};

// Makes the folder of a drive that starts at `start` (and the drives folder when missing),
// named by the local time "YYYY-MM-DD_HH-MM-SS", with "-02", "-03", ... after it when
// another drive of the same second has that name, so names sort as the drives started.
// On failure the path is empty and `error` says why and what to check.
DriveFolder make_drive_folder(const std::filesystem::path& drives, std::time_t start,
                              std::string& error);

struct KeptReport {
  bool kept = false;  // report.html, report.json and the index line are written
  std::string error;  // for the user; may be set when kept (an old drive that stayed)
};

// Keeps a finished drive: writes `html` and `json` as its report.html and report.json, adds
// its line to the index, then removes the oldest drives, folders and lines, beyond `keep`
// (at least 1: the drive just kept stays). Whatever fails, the drive's recording stays in
// its folder, and the message says where.
KeptReport keep_drive_report(const std::filesystem::path& drives, const DriveFolder& drive,
                             const RunReport& report, const std::string& html,
                             const std::string& json, int keep);

// A kept drive as its index line names it.
struct PastDrive {
  std::string folder;   // its folder's name in the drives folder
  std::string started;  // local date and time
  std::string score;    // one decimal, as kept
  std::string line_name, route_file, vehicle_file;
};

// The kept drives, newest first: the index lines whose folder is still there. Lines that
// are broken (too few fields, a score that is no number, a folder name that is a path) are
// skipped.
std::vector<PastDrive> past_drives(const std::filesystem::path& drives);

// Removes the folder of a drive that got no report (it reached no station). False with the
// reason in `error` when it stays.
bool remove_drive_folder(const DriveFolder& drive, std::string& error);

}  // namespace velmora
