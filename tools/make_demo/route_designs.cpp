#include "route_designs.h"

#include <algorithm>
#include <cmath>

namespace velmora::demo {
namespace {

// Lengths and speeds of the short version: the same line at a fraction of its length and
// at low speed, so that a few seconds of film lie between two stations.
struct Scale {
  bool short_mode;
  double m(double metres) const { return short_mode ? std::round(metres * 0.11) : metres; }
  int kmh(int full) const { return short_mode ? std::max(15, full * 30 / 100 / 5 * 5) : full; }
  Anchor at(int station, double offset) const { return {station, m(offset)}; }
};

constexpr StopType kStop = StopType::DoorStop, kPass = StopType::Pass;

StationDesign station(const char* name, const char* reading, StopType type, double gap, int cruise,
                      int maxspeed, int dwell, const Scale& s, bool right = false,
                      StationLook look = StationLook::plain) {
  StationDesign d;
  d.name = name;
  d.reading = reading;
  d.type = type;
  d.gap_m = s.m(gap);
  d.cruise_kmh = s.kmh(cruise);
  d.maxspeed_kmh = s.short_mode ? s.kmh(cruise) + 10 : maxspeed;
  d.dwell_s = s.short_mode ? std::min(dwell, 20) : dwell;
  d.platform_right = right;
  d.look = look;
  return d;
}

void common_timing(RouteDesign& d, const Scale& s) {
  if (s.short_mode) {
    d.stand_frames = 60;
    d.end_frames = 120;
  }
}

}  // namespace

RouteDesign express_design(bool short_mode) {
  const Scale s{short_mode};
  RouteDesign d;
  d.key = "exp";
  d.route_file = "line_exp.dat";
  d.vehicle_file = "train_85.dat";
  d.line_name = "白砂急行線";
  d.line_name_en = "Shirasuna Express Line";
  d.seed = 8501;
  d.cars = 6;
  d.accel = 2.8;
  d.decel = 3.2;
  d.stand_frames = 120;
  d.end_frames = 240;
  common_timing(d, s);
  d.first_departure = 36000 * 30;  // 10:00:00
  d.stations = {
      station("白砂", "しらすな", kStop, 0, 85, 95, 25, s, false, StationLook::terminal),
      station("港町", "みなとまち", kStop, 950, 95, 105, 30, s),
      station("桜台", "さくらだい", kPass, 800, 95, 105, 0, s),
      station("青葉", "あおば", kStop, 850, 80, 90, 30, s),
      station("北浜", "きたはま", kStop, 850, 0, 90, 0, s),
  };
  d.limits = {{s.at(1, 1250), s.at(1, 1450), short_mode ? 15 : 60}};
  d.slopes = {{s.at(0, 150), s.at(0, 600), 10},
              {s.at(1, 700), s.at(1, 1150), -8},
              {s.at(3, 150), s.at(3, 600), 5}};
  d.curves = {{s.at(0, 380), s.at(0, 640), 1.0 / 700},
              {s.at(1, 1200), s.at(1, 1480), -1.0 / 420},
              {s.at(3, 250), s.at(3, 520), 1.0 / 900}};
  d.tunnels = {{s.at(1, 300), s.at(1, 620), 0}};
  d.bridges = {{s.at(0, 690), s.at(0, 790), 0}, {s.at(3, 600), s.at(3, 680), 0}};
  d.crossings = {{s.at(0, 320), 1, 0}, {s.at(1, 1580), 1, 0}, {s.at(3, 110), 1, 3}};
  d.switches = {{s.at(1, -160), 1, 0}, {s.at(1, 140), 1, 0}, {s.at(2, -90), 2, 0},
                {s.at(3, -180), 1, 0}, {s.at(4, -150), 1, 0}};
  d.signals = {
      {s.at(0, 130), SignalRole::departure, 2, 0, "2344423444", 0},
      {s.at(0, 520), SignalRole::block, 6, 0, "2344423444", 1},
      {s.at(1, -230), SignalRole::home, 6, 1, "2344423444", 2},
      {s.at(1, 160), SignalRole::departure, 2, 1, "2344423444", 0},
      {s.at(1, 520), SignalRole::repeater, 0, 0, "2344423444", 1},
      {s.at(2, -160), SignalRole::block, 6, 0, "2344423444", 1},
      {s.at(2, 380), SignalRole::block, 6, 0, "1344413444", 1},
      {s.at(3, -300), SignalRole::home, 6, 3, "2344423444", 2},
      {s.at(3, 150), SignalRole::departure, 2, 3, "2344423444", 0},
      {s.at(4, -260), SignalRole::home, 6, 4, "2344423444", 2},
  };
  d.signals[7].left_frame = 1;  // a route indicator on the home signal of the junction
  d.signs = {{s.at(1, 240), s.m(160), 1, 0, "汽笛"},
             {s.at(1, 1480), s.m(200), 3, 4, "制限解除"},
             {s.at(3, 60), s.m(140), 5, 0, "ATS"}};
  d.doppler = {s.at(0, 320), s.at(1, 1580)};
  d.towns = {s.at(0, 0), s.at(1, 0), s.at(3, 0), s.at(4, 0)};
  return d;
}

RouteDesign rapid_design(bool short_mode) {
  const Scale s{short_mode};
  RouteDesign d;
  d.key = "rapid";
  d.route_file = "line_rapid.dat";
  d.vehicle_file = "train_75.dat";
  d.line_name = "川霧快速線";
  d.line_name_en = "Kawagiri Rapid Line";
  d.seed = 7501;
  d.cars = 4;
  d.accel = 2.4;
  d.decel = 2.8;
  d.stand_frames = 120;
  d.end_frames = 240;
  common_timing(d, s);
  d.first_departure = 36000 * 30 + 15 * 60 * 30;  // 10:15:00
  d.stations = {
      station("川霧", "かわぎり", kStop, 0, 75, 85, 30, s, false, StationLook::through),
      station("中野原", "なかのはら", kStop, 950, 80, 90, 35, s),
      station("東山", "ひがしやま", kStop, 850, 75, 85, 35, s),
      station("湖畔", "こはん", kStop, 800, 0, 85, 0, s),
  };
  d.slopes = {{s.at(0, 250), s.at(0, 650), -6}, {s.at(1, 200), s.at(1, 600), 12}};
  d.curves = {{s.at(0, 300), s.at(0, 560), -1.0 / 600}, {s.at(1, 450), s.at(1, 700), 1.0 / 500},
              {s.at(2, 250), s.at(2, 500), -1.0 / 800}};
  d.bridges = {{s.at(0, 700), s.at(0, 800), 0}, {s.at(2, 520), s.at(2, 600), 0}};
  d.crossings = {{s.at(1, 130), 1, 1}, {s.at(2, 330), 1, 0}};
  d.switches = {{s.at(1, -140), 1, 0}, {s.at(2, -150), 1, 0}, {s.at(3, -170), 2, 0}};
  d.signals = {
      {s.at(0, 120), SignalRole::departure, 2, 0, "2344423444", 0},
      {s.at(0, 480), SignalRole::block, 5, 0, "2344423444", 1},
      {s.at(1, -260), SignalRole::home, 4, 1, "2344423444", 2},
      {s.at(1, 150), SignalRole::departure, 2, 1, "2344423444", 0},
      {s.at(1, 520), SignalRole::block, 5, 0, "2344423444", 1},
      {s.at(2, -250), SignalRole::home, 4, 2, "2344423444", 2},
      {s.at(2, 140), SignalRole::departure, 2, 2, "2344423444", 0},
      {s.at(3, -240), SignalRole::home, 4, 3, "2344423444", 2},
  };
  d.signs = {{s.at(0, 820), s.m(150), 1, 0, "汽笛"}};
  d.doppler = {s.at(2, 330)};
  d.towns = {s.at(0, 0), s.at(1, 0), s.at(2, 0), s.at(3, 0)};
  return d;
}

RouteDesign local_design(bool short_mode) {
  const Scale s{short_mode};
  RouteDesign d;
  d.key = "local";
  d.route_file = "line_local.dat";
  d.vehicle_file = "train_313_2cars.dat";
  d.line_name = "山吹線";
  d.line_name_en = "Yamabuki Line";
  d.seed = 31302;
  d.electrified = false;
  d.double_track = false;
  d.one_man = OneManMode::OneMan;
  d.cars = 2;
  d.accel = 2.0;
  d.decel = 2.8;
  d.stand_frames = 120;
  d.end_frames = 300;
  common_timing(d, s);
  d.first_departure = 36000 * 30 + 40 * 60 * 30;  // 10:40:00
  d.stations = {
      station("山吹", "やまぶき", kStop, 0, 60, 65, 30, s, false, StationLook::halt),
      station("杉沢", "すぎさわ", kStop, 650, 60, 65, 30, s, true),
      station("滝見", "たきみ", kStop, 700, 55, 65, 40, s),
      station("峠口", "とうげぐち", kStop, 650, 50, 55, 30, s),
      station("奥山吹", "おくやまぶき", kStop, 550, 0, 55, 0, s),
  };
  d.slopes = {{s.at(0, 200), s.at(0, 500), 15}, {s.at(2, 150), s.at(2, 550), 22},
              {s.at(3, 100), s.at(3, 400), 18}};
  d.curves = {{s.at(0, 250), s.at(0, 450), -1.0 / 300}, {s.at(1, 300), s.at(1, 550), 1.0 / 350},
              {s.at(2, 200), s.at(2, 420), -1.0 / 250}, {s.at(3, 150), s.at(3, 350), 1.0 / 300}};
  d.tunnels = {{s.at(2, 430), s.at(2, 560), 0}};
  d.bridges = {{s.at(1, 150), s.at(1, 230), 0}};
  d.crossings = {{s.at(0, 540), 1, 0}, {s.at(1, 120), 1, 1}, {s.at(3, 460), 1, 0}};
  // The first station is a halt in the fields: no points, no town.
  d.switches = {{s.at(2, -110), 1, 0}, {s.at(2, 110), 1, 0}, {s.at(4, -100), 2, 0}};
  d.signals = {
      {s.at(0, 110), SignalRole::departure, 3, 0, "2344423444", 0},
      {s.at(2, -230), SignalRole::home, 3, 2, "2344423444", 1},
      {s.at(2, 150), SignalRole::departure, 3, 2, "2344423444", 0},
      {s.at(4, -200), SignalRole::home, 3, 4, "2344423444", 1},
  };
  d.signs = {{s.at(2, 380), s.m(140), 1, 0, "汽笛"}, {s.at(4, -60), s.m(120), 7, 0, "終端"}};
  d.limits = {{s.at(2, 380), s.at(2, 600), short_mode ? 15 : 45}};
  d.doppler = {s.at(0, 540), s.at(3, 460)};
  d.towns = {s.at(4, 0)};
  return d;
}

std::vector<RouteDesign> demo_designs(bool short_mode) {
  return {express_design(short_mode), rapid_design(short_mode), local_design(short_mode)};
}

}  // namespace velmora::demo
