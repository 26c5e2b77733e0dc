#include "report/score.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velmora {
namespace {

// Departures up to this late are the doors' and the melody's time, not the driver's.
constexpr long double kDepartureGraceS = 10;
// Deceleration a standing passenger still takes without holding on.
constexpr long double kComfortDecelKmhs = 4;

std::string number(long double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*Lf", decimals, value);
  return text;
}

std::string times(int n) { return std::to_string(n) + "回"; }

struct Tally {
  int count = 0;
  long double points = 0;
  std::string counted;
};

void add(Score& score, const std::string& rule, const Tally& t) {
  if (t.points <= 0) return;
  score.lines.push_back({rule, t.counted.empty() ? times(t.count) : t.counted, t.points});
}

Tally marks(const RunLog& log, std::initializer_list<const char*> kinds, long double each) {
  Tally t;
  for (const ProtectionMark& m : log.protection)
    for (const char* k : kinds)
      if (m.kind == k) ++t.count;
  t.points = t.count * each;
  return t;
}

long double seconds(int ticks) { return ticks / 30.0L; }

}  // namespace

Score score_run(const RunLog& log) {
  Score score;
  add(score, "停止信号の冒進（1回30点）", marks(log, {"signal_at_stop"}, 30));
  add(score, "保安装置の非常ブレーキ（ATS・EB装置、1回15点）",
      marks(log, {"emergency", "vigilance_brake"}, 15));
  add(score, "走行中の非常ブレーキ（運転士、1回10点）", marks(log, {"driver_emergency"}, 10));
  add(score, "パターン・速度照査によるブレーキ（1回5点）",
      marks(log, {"pattern_brake", "service_brake"}, 5));
  add(score, "ATS警報（1回3点）", marks(log, {"ats_bell"}, 3));
  add(score, "EB装置の警報（1回2点）", marks(log, {"vigilance_bell"}, 2));
  add(score, "パターン接近（1回1点）", marks(log, {"pattern_approach"}, 1));

  Tally over;
  long double worst = 0, longest = 0;
  for (const OverSpeed& o : log.over_speeds) {
    ++over.count;
    over.points += std::min<long double>(10, 1 + o.max_over_kmh * (o.ms / 1000) / 10);
    worst = std::max(worst, o.max_over_kmh);
    longest = std::max(longest, o.ms / 1000);
  }
  if (over.count)
    over.counted = times(over.count) + "、最大" + number(worst, 1) + "km/h超過、最長" +
                   number(longest, 1) + "秒";
  add(score, "速度超過（1区間 1点＋超過km/h×秒÷10、最大10点）", over);

  Tally missed, outside, inside, back, early, late, arrival;
  for (const StationRecord& s : log.stations) {
    if (!s.stops || s.start) continue;
    if (s.missed && !s.stop_back) {
      ++missed.count;
      missed.points += 20;
    }
    if (s.stop_back) {
      ++back.count;
      back.points += 3;
    }
    if (s.stop_error_cm) {
      const long double m = std::fabs(*s.stop_error_cm) / 100;
      Tally& t = s.in_zone ? inside : outside;
      ++t.count;
      t.points += s.in_zone ? m / 2 : std::min<long double>(20, 5 + m);
    }
    if (s.deptime != 0 && s.departure_ticks) {
      const long double late_s = seconds(*s.departure_ticks - s.deptime);
      if (late_s < 0) {
        ++early.count;
        early.points += std::min<long double>(10, -late_s);
      } else if (late_s > kDepartureGraceS) {
        ++late.count;
        late.points += std::min<long double>(10, (late_s - kDepartureGraceS) / 5);
      }
    }
    if (s.deptime != 0 && s.arrival_ticks && *s.arrival_ticks > s.deptime) {
      ++arrival.count;
      arrival.points += std::min<long double>(5, seconds(*s.arrival_ticks - s.deptime) / 10);
    }
  }
  add(score, "停車駅の通過（1駅20点）", missed);
  add(score, "停止位置目標の範囲外に停止（5点＋1mごとに1点、1駅最大20点）", outside);
  add(score, "停止位置の誤差（範囲内、1mごとに0.5点）", inside);
  add(score, "停止位置修正（1回3点）", back);
  add(score, "早発（1秒1点、1駅最大10点）", early);
  add(score, "遅発（定刻10秒後から5秒ごとに1点、1駅最大10点）", late);
  add(score, "延着（発車時刻後の到着、10秒ごとに1点、1駅最大5点）", arrival);

  Tally decel;
  if (log.comfort.max_decel_kmhs > kComfortDecelKmhs) {
    decel.points = std::min<long double>(10, 2 * (log.comfort.max_decel_kmhs - kComfortDecelKmhs));
    decel.counted = "最大" + number(log.comfort.max_decel_kmhs, 1) + "km/h/s";
  }
  add(score, "急な減速（4km/h/sを超えた分 1km/h/sごとに2点、最大10点）", decel);

  long double deducted = 0;
  for (const ScoreLine& l : score.lines) deducted += l.points;
  score.total = std::max<long double>(0, 100 - deducted);
  return score;
}

}  // namespace velmora
