#pragma once
// The drive's score: 100 points less a deduction per rule, each rule one line of the
// report, so the number can be explained line by line. The README lists the rules.

#include <string>
#include <vector>

#include "report/run_log.h"

namespace velmora {

struct ScoreLine {
  std::string rule;        // what the rule weighs, as the report names it
  std::string counted;     // what the drive gave it, e.g. "2回" or "最大7.0km/h 5.0秒"
  long double points = 0;  // deducted, 0 or more
};

struct Score {
  long double total = 100;       // 0..100
  std::vector<ScoreLine> lines;  // every rule that deducted something, in rule order
};

Score score_run(const RunLog& log);

}  // namespace velmora
