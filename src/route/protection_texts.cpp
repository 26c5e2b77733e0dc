#include <string>

#include "common/rounding.h"
#include "route/protection.h"
#include "route/route_run.h"

namespace velmora {

namespace {

std::string whole(long double value) { return std::to_string(round_half_even(value)); }

// The second restriction the driver must already brake for, if any: the next one-point check,
// else the second speed limit.
const LimitPreview* second_due(const ProtectionState& p) {
  if (p.limit_preview[4].due()) return &p.limit_preview[4];
  if (p.limit_preview[1].due()) return &p.limit_preview[1];
  return nullptr;
}

}  // namespace

void protect_text_step(const RouteRun& run) {
  ProtectionState& p = run.protection;
  p.protect_text.clear();
  p.protect_text2.clear();
  const long double v = run.train.motion.speed;
  const int T = p.ats_target;
  const long double D = p.ats_target_pos - run.train.motion.position_cm;
  if (T == 1 && v > 1 && D > 0) {
    p.protect_text = run.ui.info(2);
    return;
  }
  if (p.pattern_speed - v < 30 && T == 10 && v > 10 && D > 0) {
    p.protect_text = std::to_string(T) + "km/h " + run.ui.info(3) + whole((D - 1000) / 100) + "m";
    return;
  }
  const LimitPreview& limit = p.limit_preview[0];
  const LimitPreview& check = p.limit_preview[3];
  const LimitPreview* next = second_due(p);
  if (limit.due()) {
    p.protect_text = std::to_string(limit.speed) + "km/h " + run.ui.info(4) +
                     whole(limit.distance / 100.0L) + "m";
    if (next)
      p.protect_text2 =
          run.ui.info(5) + std::to_string(next->speed) + "km/h " + run.ui.info(7) + ")";
  } else if (check.due()) {
    p.protect_text =
        std::to_string(check.speed) + "km/h 照査まで" + whole(check.distance / 100.0L) + "m";
    if (next)
      p.protect_text2 =
          run.ui.info(5) + std::to_string(next->speed) + "km/h " + run.ui.info(6) + ")";
  }
}

}  // namespace velmora
