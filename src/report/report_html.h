#pragma once
// The report as one self-contained HTML page: the score with every rule's line, the
// stations, the stretches above the speed in force, the protection's interventions, the
// ride's comfort and totals, and the run curve as inline SVG. No file beside it is needed.

#include <string>

#include "report/run_report.h"

namespace velmora {

std::string report_html(const RunReport& report);

}  // namespace velmora
