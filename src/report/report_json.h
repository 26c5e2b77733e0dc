#pragma once
// The report as JSON: every figure of the report, for scripts and tests. Numbers are
// written with fixed decimals so the same drive always gives the same bytes.

#include <string>

#include "report/run_report.h"

namespace velmora {

std::string report_json(const RunReport& report);

// Clock ticks (1/30 s since midnight) as hh:mm:ss, hours past 23 counting on.
std::string clock_text(int ticks);

}  // namespace velmora
