#pragma once
// The desktop keeps every drive worth a report (report/drives_folder.h): the drive is
// recorded into a new drive folder as it runs; at its end the report is built and kept
// beside the recording when the train reached a station, and the folder goes otherwise.

#include <filesystem>
#include <optional>
#include <string>

#include "app/run.h"
#include "platform/settings_store.h"
#include "report/drives_folder.h"
#include "report/run_report.h"

namespace velmora {

// The settings' value that limits the drives kept.
inline constexpr const char* kDrivesSettingsKey = "Software\\Velmora\\drives";
inline constexpr const char* kDrivesKeptName = "Keep";

// How many drives to keep: the settings' value, at least 1; missing, the default is written
// there so that the user finds it.
int drives_to_keep(SettingsStore& settings);

// A drive that reached a station: its report, and where it was kept.
struct KeptDrive {
  RunReport report;
  std::string html;    // the report page, also when it could not be written
  DriveFolder folder;  // empty path when no folder could be made for it
  std::string error;   // for the user: what of the drive could not be kept, and where it is
};

// What the session knows of the drive's folder and recording at the end.
struct DriveRecording {
  std::filesystem::path drives;  // the drives folder
  DriveFolder folder;            // empty path when it could not be made
  std::string folder_error;      // why not
  bool whole = true;             // every line of the recording was written
  int keep = kDrivesKeptByDefault;
};

// After the run: the kept drive with its report when the train reached a station; nothing,
// and the drive's folder removed, otherwise.
std::optional<KeptDrive> finish_drive(const Run& run, const DriveRecording& recording);

}  // namespace velmora
