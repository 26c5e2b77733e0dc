#include "drive_keeping.h"

#include <algorithm>
#include <iostream>

#include "app/drive_report.h"
#include "report/report_html.h"
#include "report/report_json.h"

namespace velmora {

int drives_to_keep(SettingsStore& settings) {
  const std::optional<int> value = settings.read_int(kDrivesSettingsKey, kDrivesKeptName);
  if (!value) {
    settings.write_int(kDrivesSettingsKey, kDrivesKeptName, kDrivesKeptByDefault);
    return kDrivesKeptByDefault;
  }
  // The drive just ended is always kept, whatever the value says.
  return std::max(*value, 1);
}

std::optional<KeptDrive> finish_drive(const Run& run, const DriveRecording& recording) {
  if (!reached_a_station(run.run_log)) {
    std::string error;
    if (!remove_drive_folder(recording.folder, error))
      std::cerr << "velmora: the folder of a drive without a report stays: " << error << '\n';
    return std::nullopt;
  }
  KeptDrive kept;
  kept.report = drive_report(run);
  kept.html = report_html(kept.report);
  if (recording.folder.path.empty()) {
    kept.error = recording.folder_error;
    return kept;
  }
  const KeptReport result = keep_drive_report(recording.drives, recording.folder, kept.report,
                                              kept.html, report_json(kept.report), recording.keep);
  kept.error = result.error;
  // Its folder holds the recording even when the report could not be written there.
  kept.folder = recording.folder;
  if (!recording.whole) {
    kept.error +=
        std::string(kept.error.empty() ? "" : "\n") +
        "運転の操作の記録は途中までしか書けませんでした（ディスクの空きを確かめてください）: " +
        (recording.folder.path / kDriveRecording).string();
  }
  return kept;
}

}  // namespace velmora
