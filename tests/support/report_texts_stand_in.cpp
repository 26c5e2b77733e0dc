// Stand-ins for the run log's texts while src/report/run_log.cpp and report_json.cpp do not
// define them yet. tests/CMakeLists.txt compiles each part only while its file lacks the
// function, so the real texts take over as soon as they land; then this file goes.

#include <cstdio>
#include <string>

#include "report/report_json.h"
#include "report/run_log.h"

namespace velmora {

#ifdef VELMORA_STAND_IN_KIND_TEXTS
std::string protection_kind_text(const std::string& kind) {
  if (kind == "signal_at_stop") return "停止信号冒進";
  if (kind == "emergency") return "ATS非常ブレーキ";
  if (kind == "ats_bell") return "ATS警報";
  if (kind == "ats_confirm") return "ATS確認";
  return kind;
}

std::string limit_kind_text(const std::string& kind) {
  if (kind == "limit") return "速度制限";
  if (kind == "signal") return "信号";
  return kind;
}
#endif

#ifdef VELMORA_STAND_IN_CLOCK_TEXT
std::string clock_text(int ticks) {
  const int s = ticks / 30;
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
  return text;
}
#endif

}  // namespace velmora
