#include "route_writer.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <stdexcept>

#include "data_writer.h"
#include "overlay_pictures.h"
#include "sounds.h"
#include "vehicle_writer.h"

namespace velmora::demo {
namespace {

constexpr int kStopWindowCm = 500;  // a stop counts within 5 m of the mark

// The fixed call vocabulary: slot, what is said.
const char* const kFixedCalls[22] = {
    "ていし",         "けいかい",         "ちゅうい",         "げんそく",
    "しんこう",       "せいげん",         "じゅうごびょう",   "さんじゅうびょう",
    "よんじゅうごびょう", "いっぷん",     "いっぷん じゅうごびょう", "いっぷん さんじゅうびょう",
    "いっぷん よんじゅうごびょう", "おくれ", "おくれ です",     "はやい",
    "はやい です",    "さんぷん",         "ていじ",           "しゅっぱつ しんこう",
    "はっしゃ",       "こうそく しんこう",
};

// Route-specific call voices ([KankoSound2]), shared by the routes: name and reading.
struct CallWord {
  const char* file;
  const char* reading;
};
const CallWord kCallWords[] = {
    {"departure", "しゅっぱつ"}, {"block", "へいそく"},   {"home", "じょうない"},
    {"crossing", "ふみきり よし"}, {"answer", "りょうかい"}, {"stopping", "ていしゃ"},
    {"doors", "とじめ よし"},
};
enum CallWordIndex { kWordDeparture, kWordBlock, kWordHome, kWordCrossing, kWordAnswer, kWordStopping, kWordDoors };
constexpr int kFixedSlots = 22;

std::string fixed_call_file(int slot) {
  char name[32];
  std::snprintf(name, sizeof name, "kanko\\fixed\\k%02d.wav", slot);
  return name;
}
std::string word_file(int k) { return std::string("kanko\\voice\\") + kCallWords[k].file + ".wav"; }

std::filesystem::path on_disk(const std::filesystem::path& dir, const std::string& name) {
  std::string p = name;
  std::replace(p.begin(), p.end(), '\\', '/');
  return dir / p;
}

// The route's [SoundData] list, made and numbered as it grows.
class RouteSounds {
 public:
  RouteSounds(const std::filesystem::path& dir, std::string key) : dir_(dir), key_(std::move(key)) {}
  int add(const std::string& name, const Wave& w) {
    const std::string file = "sound\\" + key_ + "\\" + name;
    save_wave(w, on_disk(dir_, file));
    files_.push_back(file);
    seconds_.push_back(w.seconds());
    return static_cast<int>(files_.size()) - 1;
  }
  const std::vector<std::string>& files() const { return files_; }
  double seconds(int k) const { return seconds_[static_cast<std::size_t>(k)]; }

 private:
  std::filesystem::path dir_;
  std::string key_;
  std::vector<std::string> files_;
  std::vector<double> seconds_;
};

struct Writer {
  const LineModel& line;
  const RouteDesign& d;
  DataFile out;
  int frame(double metres) const { return line.frame_at(metres); }
  int frame(const Anchor& a) const { return line.frame_at(line.place(a)); }
};

std::string n(int v) { return std::to_string(v); }

}  // namespace

void write_call_sounds(const std::filesystem::path& data_dir, Voices& voices) {
  for (int slot = 0; slot < kFixedSlots; ++slot) save_wave(voices.say(kFixedCalls[slot]), on_disk(data_dir, fixed_call_file(slot)));
  for (int k = 0; k < static_cast<int>(std::size(kCallWords)); ++k)
    save_wave(voices.say(kCallWords[k].reading), on_disk(data_dir, word_file(k)));
}

RouteFacts write_route(const LineModel& line, const std::filesystem::path& data_dir,
                       RouteSizes sizes, Voices& voices) {
  const RouteDesign& d = line.design;
  Writer w{line, d, {}};
  DataFile& out = w.out;
  RouteFacts facts;
  facts.one_man = d.one_man;
  const std::string key = d.key;
  const std::string img = "image\\" + key + "\\";
  const std::size_t station_count = d.stations.size();
  const bool conductor = d.one_man == OneManMode::Conductor;

  // Sounds of the route: the start chime first (route sound 0 plays at the first stop).
  RouteSounds sounds(data_dir, key);
  sounds.add("start_chime.wav", chime({784, 988, 1175, 1568}, 0.35));
  std::vector<int> arrival(station_count, 0), departure(station_count, 0), background(station_count, 0);
  const int platform_noise = sounds.add("platform.wav", ambience(0));
  for (std::size_t i = 0; i < station_count; ++i) {
    const StationDesign& st = d.stations[i];
    if (st.type == StopType::Pass) continue;
    background[i] = platform_noise;
    if (i > 0)
      arrival[i] = sounds.add("arrive_" + n(static_cast<int>(i)) + ".wav",
                              join({chime({1046.5, 1318.5}, 0.25), voices.say(st.reading + "、 " + st.reading + " です")}, 0.2));
    if (i + 1 < station_count) {
      Wave dep = d.key == "exp" ? bell(900, 5.0, 14) : d.key == "rapid" ? melody(static_cast<int>(i)) : chime({659, 784, 1046}, 0.3);
      departure[i] = sounds.add("depart_" + n(static_cast<int>(i)) + ".wav", dep);
    }
  }
  const int river = sounds.add("river.wav", ambience(1));
  const int birds = sounds.add("birds.wav", ambience(2));
  const int crossing_bell = sounds.add("crossing_bell.wav", bell(700, 1.0, 2.5));
  const int passing = sounds.add("passing_train.wav", passing_train());
  const int overrun = sounds.add("announce_overrun.wav", voices.say("ていしいちを しゅうせい いたします"));
  const int doors_open = sounds.add("announce_doors.wav", voices.say("おまたせ いたしました"));
  std::vector<std::array<int, 5>> announce;  // sound, kind, station, metres, answer slot
  for (std::size_t i = 0; i < station_count; ++i) {
    const StationDesign& st = d.stations[i];
    if (st.type == StopType::Pass) continue;
    const int si = static_cast<int>(i);
    const int answer = conductor ? kFixedSlots + kWordAnswer : 0;
    if (i + 1 < station_count) {
      std::string next;
      for (std::size_t j = i + 1; j < station_count; ++j)
        if (d.stations[j].type == StopType::DoorStop) {
          next = d.stations[j].reading;
          break;
        }
      const int s = sounds.add("announce_next_" + n(si) + ".wav",
                               voices.say("ごじょうしゃ ありがとう ございます。 つぎは " + next + " です"));
      announce.push_back({s, 0, si, line.short_mode ? 20 : 150, answer});
    }
    if (i > 0) {
      const int s = sounds.add("announce_arrive_" + n(si) + ".wav",
                               voices.say("まもなく " + st.reading + " です。 おでぐちは " +
                                          (st.platform_right ? "みぎがわ" : "ひだりがわ") + " です"));
      announce.push_back({s, 1, si, line.short_mode ? 30 : 400, answer});
    }
  }
  std::sort(announce.begin(), announce.end(), [&](const auto& a, const auto& b) {
    // In running order: an arrival announcement before the station, a departure one after.
    const double pa = line.stations[static_cast<std::size_t>(a[2])].at_m + (a[1] == 0 ? a[3] : -a[3]);
    const double pb = line.stations[static_cast<std::size_t>(b[2])].at_m + (b[1] == 0 ? b[3] : -b[3]);
    return pa < pb;
  });

  // Pictures: the overlays first, their numbering feeds the sections below.
  LimitPictures limit_pictures;
  for (const Stretch& l : line.limits) {
    const int v = static_cast<int>(l.value);
    if (std::find(limit_pictures.speeds.begin(), limit_pictures.speeds.end(), v) == limit_pictures.speeds.end())
      limit_pictures.speeds.push_back(v);
  }
  limit_pictures.end_picture = static_cast<int>(limit_pictures.speeds.size()) + 1;
  std::vector<SignPicture> sign_pictures;
  std::vector<int> sign_frame_of;  // per design sign: its picture number
  for (const SignDesign& s : d.signs) {
    sign_frame_of.push_back(static_cast<int>(sign_pictures.size()) + 1);
    sign_pictures.push_back({s.text, s.text == "汽笛"});
    if (s.rule > 0) sign_pictures.push_back({s.text + " 確認", false});
  }
  draw_overlays(line, data_dir, sizes.film_width, sizes.film_height, limit_pictures, sign_pictures);
  draw_route_pictures(line, data_dir, sizes.film_width, sizes.film_height);
  const OverlaySizes z = overlay_sizes(sizes.film_width);

  // The preceding train: standing at a station until it clears the home signal there.
  const bool pre_train = d.key == "exp";
  int pre_tail = 0, pre_end = 0, pre_departs = 0, pre_station = 0;
  if (pre_train) {
    pre_station = 3;
    const SignalDesign& home = d.signals[7];
    const double home_m = line.place(home.at);
    const BuiltStation& from = line.stations[1];
    const int run = line.frame_at(home_m - 60) - from.stand_to;
    pre_departs = (from.departure + run + (line.short_mode ? 20 : 40) * kFilmFps + 149) / 150 * 150;
    pre_tail = line.frame_at(line.stations[3].at_m + 30);
    pre_end = line.frame_at(line.stations[3].at_m + (line.short_mode ? 40 : 260));
    facts.holds.push_back({home_m - (line.short_mode ? 12 : 40), pre_departs + 15 * kFilmFps});
  }

  out.line("# " + d.line_name + "（" + d.line_name_en + "）");
  out.line("# make-demo が書いた路線ファイル: 場所はすべて撮影列車が通るフレーム番号");
  out.section("[LineName]").line(d.line_name);
  out.section("[LineName2]").line(d.line_name_en);
  out.section("[StartPos]").line("0");
  out.section("[Staf]").line(img + "staff.png").line(img + "standby.png").line(img + "sub.png");
  out.section("[Friction]").line("0.35");
  out.section("[StafSwitch]").line("0").end_list();
  out.section("[MovieStop]");
  if (d.key == "local") out.line(n(line.stations.back().frame + 45));
  out.end_list();
  out.section("[MovieSwitch]");
  const int cross_station = 2;
  const int cross_frames = line.short_mode ? 150 : 300;
  if (d.key == "local") {
    const BuiltStation& s = line.stations[cross_station];
    out.fields(2, 0, 0, key + "_cross", cross_frames, cross_station, s.arrival - 60 * kFilmFps, 30, passing);
  }
  out.end_list();
  out.section("[Speed_Signal]");
  for (int v : {0, 25, 45, 65, d.key == "exp" ? 110 : 95}) out.line(n(v));
  out.end_list();
  out.section("[DataName]").line(key);
  out.section("[Perspective]").line("5.4").line(n(static_cast<int>(std::lround(sizes.film_height * 0.6))));
  out.line("- 先行列車: 初期フレーム, 消去フレーム; 駅, 速度, 発車時刻, 遅れ幅");
  out.section("[Pre_Train]");
  if (pre_train) {
    out.fields(pre_tail, pre_end);
    out.fields(pre_station, 60, pre_departs, 0);
    out.fields(pre_station + 1, 0, 0, 0);
  } else {
    out.fields(0, 0);
  }
  out.end_list();
  out.section("[OneMan]").line(n(static_cast<int>(d.one_man))).line(n(static_cast<int>(d.one_man)));
  out.section("[SoundData]");
  for (const std::string& f : sounds.files()) out.line(f);
  out.end_list();
  out.section("[Announce]").fields(overrun, doors_open);
  for (const auto& a : announce) out.fields(a[0], a[1], a[2], a[3], a[4]);
  out.end_list();
  out.section("[KankoSound1]");
  for (int slot = 0; slot < kFixedSlots; ++slot) out.line(fixed_call_file(slot));
  out.section("[KankoSound2]");
  for (int k = 0; k < static_cast<int>(std::size(kCallWords)); ++k) out.line(word_file(k));
  out.end_list();

  out.line("; 環境音: 音, 開始, 終了, 基準速度, 方式, 速度比, 音量, 通過, フェード");
  out.section("[Sound]");
  for (const Stretch& b : line.bridges)
    out.fields(river, w.frame(b.from_m - 80), w.frame(b.to_m + 80), 60, 1, 0, 0, 0, 1);
  if (d.key == "local")
    out.fields(birds, w.frame(line.stations[1].at_m + 250), w.frame(line.stations[2].at_m - 150), 40, 1, 0, 0, 0, 1);
  out.end_list();
  out.section("[Sound2]").end_list();
  out.section("[Doppler]");
  for (const Anchor& a : d.doppler) out.fields(crossing_bell, w.frame(a), line.short_mode ? 6000 : 15000, 0, 0);
  out.end_list();
  out.section("[Tunnel]");
  for (const Stretch& t : line.tunnels) out.fields(w.frame(t.from_m), w.frame(t.to_m), 100);
  out.end_list();
  out.section("[Atten]");
  for (const Stretch& t : line.tunnels) out.fields(w.frame(t.from_m), w.frame(t.to_m), 0, 50);
  out.end_list();
  out.section("[TunnelR]").line("5");

  out.line("- 駅名,種別,停止フレーム,許容,着音,発音,背景音,発時刻,最高速度,パターン,扉,確率,時間,ホーム側,扉音確率,先行列車位置,乗車率");
  out.section("[Station]");
  for (std::size_t i = 0; i < station_count; ++i) {
    const StationDesign& st = d.stations[i];
    const BuiltStation& b = line.stations[i];
    const int pattern = d.key == "exp" && st.type == StopType::DoorStop && i > 0 ? (line.short_mode ? 4 : 15) : 0;
    const int tail = line.frame_at(b.at_m + 30);
    out.fields(st.name, static_cast<int>(st.type), b.frame, kStopWindowCm, arrival[i], departure[i], background[i],
               b.departure, st.maxspeed_kmh, pattern, st.platform_right ? 1 : 0, 0, 30,
               st.platform_right ? 1 : 0, 100, tail, 30 + static_cast<int>(i) * 10);
    if (st.type == StopType::DoorStop) {
      DriveStop s;
      s.station = static_cast<int>(i);
      s.at_m = b.at_m;
      s.window_m = kStopWindowCm / 100.0;
      s.departure = b.departure;
      facts.stops.push_back(s);
    }
    facts.line_max.push_back(st.maxspeed_kmh);
  }
  out.end_list();
  out.section("[StopSound]").end_list();

  out.line("- 信号: 種別,副,喚呼,灯型,表示開始,位置,警報点,照査点,固定現示,解除時刻,指定現示,駅,x,y,左,左x,左y,右,右x,右y,副x,副y,予備,左停止,右停止");
  out.section("[Signal]");
  const int head_x = static_cast<int>(std::lround(sizes.film_width * 0.08));
  const int head_y = static_cast<int>(std::lround(sizes.film_height * 0.1));
  int previous_frame = -100;
  for (const SignalDesign& s : d.signals) {
    const double at = line.place(s.at);
    const int f = w.frame(at);
    // Each signal is drawn from where it comes into view, after the one before has been
    // passed (and its heads cleared) and never over it.
    int show = std::max({0, w.frame(at - (line.short_mode ? 60 : 400)), previous_frame + 21});
    if (show >= f) show = std::max(previous_frame + 1, f - 10);
    if (show >= f) throw std::runtime_error(d.key + ": two signals stand at one place");
    previous_frame = f;
    const bool departure_signal = s.role == SignalRole::departure;
    const int bell = departure_signal ? f : w.frame(std::max(at - (line.short_mode ? 50 : 600), 20.0));
    // The [KankoSound2] voice that names the signal, counted from 0 in that list.
    const int voice = departure_signal ? kWordDeparture : s.role == SignalRole::home ? kWordHome : kWordBlock;
    const int sub = s.role == SignalRole::block ? 1 : 0;
    out.fields(departure_signal ? 3 : 0, sub, voice, s.head, show, f, bell, f, 0, 0, 0,
               departure_signal ? s.station : 0, head_x, head_y, s.left_frame, head_x - z.side - 2,
               head_y + 4, 0, 0, 0, head_x + (z.head_w - z.sub) / 2, head_y + z.head_h + 2, 0,
               s.left_frame > 0 ? 2 : 0, 0);
  }
  out.end_list();
  out.section("[Signal2]");
  for (const SignalDesign& s : d.signals) out.line(s.chain);
  out.end_list();
  out.section("[TrafficSignal]").end_list();
  out.section("[Slope]");
  for (const Stretch& s : line.slopes) out.fields(decimal(s.value), w.frame(s.from_m), w.frame(s.to_m));
  out.end_list();
  out.section("[Sign]");
  for (std::size_t k = 0; k < d.signs.size(); ++k) {
    const SignDesign& s = d.signs[k];
    const double at = line.place(s.at);
    out.fields(sign_frame_of[k], w.frame(at - s.shown_m), w.frame(at), s.rule);
  }
  out.end_list();
  out.section("[Anim]").end_list();
  out.section("[SignalKanko]");
  if (conductor)
    for (std::size_t k = 0; k < d.signals.size(); ++k)
      if (d.signals[k].role == SignalRole::departure) {
        const int st = d.signals[k].station;
        const int dep = line.stations[static_cast<std::size_t>(st)].departure;
        if (dep > 0) out.fields(static_cast<int>(k), 1, dep, 0);
      }
  out.end_list();
  out.section("[StationKanko]");
  for (const DriveStop& s : facts.stops) {
    if (conductor) {
      out.fields(s.station, 0, kFixedSlots + kWordStopping);
      if (s.departure > 0) out.fields(s.station, 1, s.departure);
      out.fields(s.station, 5, kFixedSlots + kWordDoors);
    } else {
      out.fields(s.station, 4, kFixedSlots + kWordStopping);
    }
  }
  out.end_list();

  // Limits: as speed limits with signs (and checks of the pattern protection) on the
  // express line, as continuous limits the cab signal shows on the local line.
  const bool cab_limits = d.key == "local";
  out.section("[SpeedLimit]");
  if (!cab_limits)
    for (const Stretch& l : line.limits) {
      const int v = static_cast<int>(l.value);
      const int picture = 1 + static_cast<int>(std::find(limit_pictures.speeds.begin(), limit_pictures.speeds.end(), v) -
                                               limit_pictures.speeds.begin());
      out.fields(v, picture, 1, w.frame(l.from_m), w.frame(l.to_m), limit_pictures.end_picture);
    }
  out.end_list();
  out.section("[MaxSpeedCheck]").line(d.key == "exp" ? "1" : "0");
  out.section("[SpeedCheck1]");
  if (!cab_limits)
    for (const Stretch& l : line.limits)
      out.fields(static_cast<int>(l.value), static_cast<int>(l.value) + 5, w.frame(l.from_m), 0);
  out.end_list();
  out.section("[SpeedCheck2]").end_list();
  out.section("[SpeedCheck3]");
  if (cab_limits)
    for (const Stretch& l : line.limits) out.fields(static_cast<int>(l.value), 0, w.frame(l.from_m), w.frame(l.to_m));
  out.end_list();
  for (const Stretch& l : line.limits) facts.limits.push_back({l.from_m, l.to_m + d.cars * d.car_length_m, l.value});

  out.section("[SignImageList]");
  out.fields(img + "teimoku.png", z.marker);
  out.fields(img + "stop_s.png", z.line);
  out.fields(img + "stop_m.png", z.line);
  out.fields(img + "stop_e.png", z.line);
  out.fields(img + "slope.png", z.post);
  out.fields(img + "limit.png", z.post);
  out.fields(img + "remain.png", z.remain);
  out.fields(img + "cross.png", z.cross);
  out.fields(img + "other.png", z.post);
  out.section("[SignalImageList]");
  out.fields(0, 0, z.head_w, z.head_h, img + "signal.png");
  out.fields(z.sub, z.sub, img + "signal_s.png");
  out.fields(z.side, z.side, img + "signal_l.png");
  out.fields(z.side, z.side, img + "signal_r.png");

  // Calls for the other signs (by picture number) and for the limit signs.
  out.section("[OtherKanko]");
  const auto sign_call = [&](const std::string& name, const std::string& reading) {
    const std::string file = "kanko\\" + key + "\\" + name + ".wav";
    save_wave(voices.say(reading), on_disk(data_dir, file));
    out.line(file);
  };
  sign_call("sign_0", "じこく よし");
  for (std::size_t k = 0; k < sign_pictures.size(); ++k)
    sign_call("sign_" + n(static_cast<int>(k) + 1),
              sign_pictures[k].text == "汽笛" ? "きてき" : sign_pictures[k].text == "ATS" ? "えーてぃーえす よし" : "かくにん よし");
  out.end_list();
  out.section("[LimitKanko]");
  const auto limit_call = [&](const std::string& name, const std::string& reading) {
    const std::string file = "kanko\\" + key + "\\" + name + ".wav";
    save_wave(voices.say(reading), on_disk(data_dir, file));
    out.line(file);
  };
  limit_call("limit_0", "せいげん");
  for (int v : limit_pictures.speeds) limit_call("limit_" + n(v), "せいげん " + n(v) + " よし");
  limit_call("limit_end", "せいげん かいじょ");
  out.end_list();
  out.section("[AnimImageList]").end_list();
  out.section("[TrafficSignalImageList]").end_list();

  out.line("- 撮影列車の速度: 最初のフレーム, 最後のフレーム, 最初の km/h, 最後の km/h");
  out.section("[SpeedUnit]");
  for (const SpeedUnitData& u : line.units)
    out.fields(u.first_frame, u.last_frame, decimal(static_cast<double>(u.speed_first)), decimal(static_cast<double>(u.speed_last)));
  out.end_list();
  out.section("[Cross]");
  for (const PointDesign& c : d.crossings) {
    const double at = line.place(c.at);
    out.fields(1, kFixedSlots + kWordCrossing, w.frame(at - (line.short_mode ? 40 : 250)), w.frame(at + 5), c.station_option);
  }
  out.end_list();
  out.section("[Time]");
  for (const DriveStop& s : facts.stops)
    if (s.departure > 0 && s.station > 0)
      out.fields(w.frame(s.at_m - (line.short_mode ? 20 : 100)), line.stations[static_cast<std::size_t>(s.station)].stand_to, s.departure);
  out.end_list();
  out.section("[Switch]");
  for (const PointDesign& p : d.switches) out.fields(w.frame(p.at), p.kind);
  out.end_list();
  out.save(data_dir / d.route_file);

  facts.door_close_s = 2.3;
  // The clock starts so that the first stop ends at its departure time.
  const int first_dep = line.stations[0].departure;
  facts.start_ticks = first_dep - 30 * static_cast<int>(sounds.seconds(departure[0])) - 30 * static_cast<int>(sounds.seconds(arrival[0]));
  for (DriveStop& s : facts.stops) {
    s.dwell_extra_s = sounds.seconds(departure[static_cast<std::size_t>(s.station)]);
    s.arrival_s = sounds.seconds(arrival[static_cast<std::size_t>(s.station)]);
  }
  return facts;
}

}  // namespace velmora::demo
