#pragma once
// The drives kept after each drive: one folder per drive under
// $XDG_DATA_HOME/velmora/drives/ (default ~/.local/share/velmora/drives/) with the drive's
// recording and its report, and one line per drive in the folder's index.

#include <filesystem>
#include <string>
#include <vector>

#include "report/run_report.h"

namespace velmora {
}  // namespace velmora
