#include "route_skeleton.h"

#include <algorithm>
#include <cmath>

namespace velmora::author {
namespace {

std::string n(int v) { return std::to_string(v); }

// The highest speed the profile reaches between two frames.
double top_speed(const std::vector<SpeedUnitData>& units, int from, int to) {
  double top = 0;
  for (const SpeedUnitData& u : units)
    if (u.last_frame > from && u.first_frame < to)
      top = std::max({top, static_cast<double>(u.speed_first), static_cast<double>(u.speed_last)});
  return top;
}

}  // namespace

std::vector<SkeletonStation> plan_stations(const std::vector<Stop>& stops,
                                           const std::vector<SpeedUnitData>& units, int frames,
                                           int fps, int start_ticks) {
  struct Place {
    int frame, leaves;  // leaves: the last frame standing
  };
  std::vector<Place> places;
  const bool starts_standing = !stops.empty() && stops.front().first == 0;
  places.push_back({0, starts_standing ? stops.front().last : 0});
  for (const Stop& s : stops)
    if (s.first > 0) places.push_back({s.first, s.last});
  // A film that runs on after its last stop ends at a last station of its own.
  if (places.size() == 1 || places.back().leaves < frames - 1 - fps) places.push_back({frames - 1, frames - 1});

  std::vector<SkeletonStation> out;
  for (std::size_t i = 0; i < places.size(); ++i) {
    SkeletonStation s;
    s.name = "駅" + std::to_string(i + 1);
    s.frame = places[i].frame;
    const bool last = i + 1 == places.size();
    // The clock ticks 30 times a second.
    s.departure = last ? 0 : start_ticks + static_cast<int>(std::lround(places[i].leaves * 30.0 / fps));
    // The last station keeps the speed of the way to it: no way leads on.
    const int from = last && i > 0 ? places[i - 1].frame : s.frame;
    const int to = last ? s.frame : places[i + 1].frame;
    s.maxspeed = std::max(5, static_cast<int>(std::ceil(top_speed(units, from, std::max(to, from + 1)) / 5 - 1e-9)) * 5);
    out.push_back(s);
  }
  return out;
}

std::vector<SkeletonSlope> slope_entries(const std::vector<SlopeStretch>& stretches,
                                         const std::vector<double>& frame_m) {
  const auto frame_at = [&](double metres) {
    const auto it = std::lower_bound(frame_m.begin(), frame_m.end(), metres);
    return it == frame_m.end() ? static_cast<int>(frame_m.size()) - 1 : static_cast<int>(it - frame_m.begin());
  };
  std::vector<SkeletonSlope> out;
  for (const SlopeStretch& s : stretches) {
    const int from = frame_at(s.from_m), to = frame_at(s.to_m);
    if (to > from) out.push_back({s.permille, from, to});
  }
  return out;
}

DataFile route_file(const RouteSkeleton& r) {
  DataFile out;
  out.line("# " + r.line_name + ": velmora-author が映像と GPS 記録から作った路線ファイル");
  out.line("# 駅名、信号、制限、標識、喚呼はまだありません。場所はすべて映像のフレーム番号です");
  out.section("[LineName]").line(r.line_name);
  out.section("[LineName2]").line(r.line_name2);
  out.section("[StartPos]").line(n(r.stations.empty() ? 0 : r.stations.front().frame));
  out.section("[Staf]").line(r.staf[0]).line(r.staf[1]).line(r.staf[2]);
  out.section("[Friction]").line("0.35");
  out.section("[StafSwitch]").line("0").end_list();
  out.section("[MovieStop]").end_list();
  out.section("[MovieSwitch]").end_list();
  out.section("[Speed_Signal]");
  for (int v : {0, 25, 45, 65, 95}) out.line(n(v));
  out.end_list();
  out.section("[DataName]").line(r.name);
  out.section("[Perspective]").line("5.4").line(n(static_cast<int>(std::lround(r.film_height * 0.6))));
  out.section("[Pre_Train]").fields(0, 0).end_list();
  out.section("[OneMan]").line("0").line("0");
  // Sound 0 is left empty: the stations' sound fields name it for "no sound".
  out.line("- 音: 0 番は空き（駅の着音・発音・背景音の 0 は音なし）");
  out.section("[SoundData]").line("");
  if (!r.ambient.empty()) out.line(r.ambient);
  out.end_list();
  out.section("[Monitor]").line("");
  out.section("[Announce]").fields(0, 0).end_list();
  out.section("[KankoSound1]");
  for (int k = 0; k < 22; ++k) out.line("");
  out.section("[KankoSound2]").end_list();
  out.section("[Sound]");
  if (!r.ambient.empty()) out.fields(1, 0, r.frames - 1, std::max(1, r.ambient_kmh), 1, 0, 0, 0, 1);
  out.end_list();
  out.section("[Sound2]").end_list();
  out.section("[Doppler]").end_list();
  out.section("[Tunnel]").end_list();
  out.section("[Atten]").end_list();
  out.section("[TunnelR]").line("0");
  out.line("- 駅名,種別,停止フレーム,許容,着音,発音,背景音,発時刻,最高速度,パターン,扉,確率,時間,ホーム側,扉音確率,先行列車位置,乗車率");
  out.section("[Station]");
  for (const SkeletonStation& s : r.stations)
    out.fields(s.name, 0, s.frame, kStopWindowCm, 0, 0, 0, s.departure, s.maxspeed, 0, 0, 0, 0, 0, 100, s.frame, 0);
  out.end_list();
  out.section("[StopSound]").end_list();
  out.section("[Signal]").end_list();
  out.section("[Signal2]").end_list();
  out.section("[TrafficSignal]").end_list();
  out.line("- 勾配: ‰（上り正）, 開始フレーム, 終了フレーム");
  out.section("[Slope]");
  for (const SkeletonSlope& s : r.slopes) out.fields(decimal(s.permille, 1), s.from_frame, s.end_frame);
  out.end_list();
  out.section("[Sign]").end_list();
  out.section("[Anim]").end_list();
  out.section("[SignalKanko]").end_list();
  out.section("[StationKanko]").end_list();
  out.section("[SpeedLimit]").end_list();
  out.section("[MaxSpeedCheck]").line("0");
  out.section("[SpeedCheck1]").end_list();
  out.section("[SpeedCheck2]").end_list();
  out.section("[SpeedCheck3]").end_list();
  if (r.sign_images.size() == 9) {
    out.section("[SignImageList]");
    for (const std::string& l : r.sign_images) out.line(l);
  }
  if (r.signal_images.size() == 4) {
    out.section("[SignalImageList]");
    for (const std::string& l : r.signal_images) out.line(l);
  }
  out.section("[OtherKanko]").end_list();
  out.section("[LimitKanko]").end_list();
  out.section("[AnimImageList]").end_list();
  out.section("[TrafficSignalImageList]").end_list();
  out.line("- 撮影列車の速度: 最初のフレーム, 最後のフレーム, 最初の km/h, 最後の km/h");
  out.section("[SpeedUnit]");
  for (const SpeedUnitData& u : r.units)
    out.fields(u.first_frame, u.last_frame, decimal(static_cast<double>(u.speed_first)),
               decimal(static_cast<double>(u.speed_last)));
  out.end_list();
  out.section("[Cross]").end_list();
  out.section("[Time]").end_list();
  out.section("[Switch]").end_list();
  return out;
}

}  // namespace velmora::author
