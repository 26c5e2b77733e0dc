#include "vehicle_writer.h"

#include <array>
#include <functional>
#include <vector>

#include "data_writer.h"
#include "panel_pictures.h"
#include "sounds.h"

namespace velmora::demo {
namespace {

constexpr int kCabSignalSpeeds[] = {0, 15, 25, 35, 45, 55};

// [DriveSound] in a fixed order, so that every vehicle file names its sounds by the same
// numbers; entries 0 to 12 are the running-noise bands.
enum Snd {
  kRun0 = 0,
  kBrakeApply = 13,
  kBrakeRelease,
  kBrakeStep,
  kEmergency,
  kNotch,
  kReverser,
  kAirApply,
  kAirCharge,
  kAtsBell,
  kAtsChime,
  kAtsConfirm,
  kAtc,
  kHorn,
  kHorn2,
  kHorn3,
  kDoorOpen,
  kDoorClose,
  kSwitchOn,
  kSwitchOff,
  kEbRing,
  kSqueal,
  kCpStart,
  kCpRun,
  kCpEnd,
  kStopAlert,
  kBuzzer,
  kDepSign,
  kAtsWarn,
  kPointsLight,
  kPointsHeavy,
  kNotching,
  kHornS1,
  kHornS2,
  kHornS3,
  kHornEnd,
  kHandle,
  kIdleA,
  kIdleB,
  kEngineStart,
  kEngineStop,
  kSoundCount
};

struct SoundRecipe {
  const char* file;
  std::function<Wave()> make;
};

std::vector<SoundRecipe> drive_sounds(bool diesel) {
  std::vector<SoundRecipe> r;
  for (int b = 0; b <= 12; ++b) {
    static const char* names[] = {"run00.wav", "run01.wav", "run02.wav", "run03.wav", "run04.wav",
                                  "run05.wav", "run06.wav", "run07.wav", "run08.wav", "run09.wav",
                                  "run10.wav", "run11.wav", "run12.wav"};
    r.push_back({names[b], [b] { return running_noise(b); }});
  }
  const std::vector<SoundRecipe> rest = {
      {"brake_apply.wav", [] { return air_hiss(0.6, 0.4, 0.01, 0.4); }},
      {"brake_release.wav", [] { return air_hiss(1.2, 0.6, 0.01, 0.9); }},
      {"brake_step.wav",
       [] {
         return join({click(1.0), air_hiss(0.4, 0.5, 0.01, 0.3)}, 0.0);
       }},
      {"emergency.wav", [] { return air_hiss(2.5, 0.9, 0.005, 1.8); }},
      {"notch.wav", [] { return click(0.8); }},
      {"reverser.wav", [] { return click(1.6); }},
      {"air_apply.wav", [] { return air_hiss(1.5, 0.5, 0.05, 0.05); }},
      {"air_charge.wav", [] { return air_hiss(1.5, 0.2, 0.05, 0.05); }},
      {"ats_bell.wav", [] { return bell(1250, 2.0, 8); }},
      {"ats_chime.wav",
       [] {
         return chime({880, 698.5}, 0.5);
       }},
      {"ats_confirm.wav", [] { return beeper(1500, 0.25, 0.2, 0.05); }},
      {"atc.wav", [] { return beeper(1000, 0.5, 0.18, 0.07); }},
      {"horn.wav", [] { return horn(0); }},
      {"horn2.wav", [] { return horn(1); }},
      {"horn3.wav", [] { return horn(2); }},
      {"door_open.wav", [] { return door_sound(true); }},
      {"door_close.wav", [] { return door_sound(false); }},
      {"switch_on.wav", [] { return click(1.2); }},
      {"switch_off.wav", [] { return click(1.1); }},
      {"eb_ring.wav", [] { return beeper(2000, 1.0, 0.1, 0.1); }},
      {"squeal.wav", [] { return brake_squeal(); }},
      {"cp_start.wav", [] { return compressor(0); }},
      {"cp_run.wav", [] { return compressor(1); }},
      {"cp_end.wav", [] { return compressor(2); }},
      {"stop_alert.wav",
       [] {
         return chime({1318.5, 1046.5, 1318.5, 1046.5}, 0.3);
       }},
      {"buzzer.wav", [] { return beeper(480, 1.0, 1.0, 0.0); }},
      {"dep_sign.wav", [] { return beeper(700, 0.9, 0.4, 0.1); }},
      {"ats_warn.wav", [] { return beeper(900, 1.0, 0.3, 0.2); }},
      {"points_light.wav", [] { return points_clatter(false); }},
      {"points_heavy.wav", [] { return points_clatter(true); }},
      {"notching.wav",
       [] {
         return join({click(2.0), click(1.4)}, 0.04);
       }},
      {"horn_s1.wav", [] { return horn_part(0); }},
      {"horn_s2.wav", [] { return horn_part(1); }},
      {"horn_s3.wav", [] { return horn_part(2); }},
      {"horn_end.wav", [] { return horn_part(3); }},
      {"handle.wav", [] { return click(1.0); }},
  };
  r.insert(r.end(), rest.begin(), rest.end());
  if (diesel) {
    r.push_back({"idle_a.wav", [] { return engine_note(0); }});
    r.push_back({"idle_b.wav", [] { return engine_note(1); }});
    r.push_back({"engine_start.wav", [] { return engine_start(true); }});
    r.push_back({"engine_stop.wav", [] { return engine_start(false); }});
  }
  return r;
}

struct Vehicle {
  std::string key;   // cab\<key>\, sound\<key>\ (the vehicle's folders)
  std::string file;  // train_85.dat
  std::string title;
  DataFile out;
  std::filesystem::path data_dir;

  std::string sound_path(const std::string& name) const { return "sound\\" + key + "\\" + name; }
  void sound(const std::string& name, const Wave& w) const {
    save_wave(w, data_dir / "sound" / key / name);
  }
  void value(const char* section, std::initializer_list<std::string> lines) {
    out.section(section);
    for (const std::string& l : lines) out.line(l);
  }
  void number(const char* section, int v) { value(section, {std::to_string(v)}); }
};

std::string n(int v) { return std::to_string(v); }
std::string r(double v) { return decimal(v); }

// [Sound_BK], [Sound_BR], [Sound_BA]: one line per brake position; BA has the emergency too.
void handle_sounds(Vehicle& v, int brake, int power) {
  v.out.section("[Sound_BK]");
  for (int i = 0; i < brake; ++i) v.out.fields(kBrakeRelease, kBrakeRelease);
  v.out.section("[Sound_BR]");
  for (int i = 0; i < brake; ++i) v.out.fields(kHandle, kBrakeStep);
  v.out.section("[Sound_BA]");
  for (int i = 0; i < brake; ++i) v.out.fields(kHandle, kBrakeApply);
  v.out.fields(kHandle, kEmergency);
  for (const char* s : {"[Sound_PA]", "[Sound_PR]", "[Sound_PK]"}) {
    v.out.section(s);
    for (int i = 0; i < power; ++i) v.out.line(n(kNotch));
  }
  v.value("[Sound_Rev]", {n(kReverser), n(kReverser), n(kReverser)});
}

void equipment_sounds(Vehicle& v, int eb_speed) {
  v.value("[Sound_EB]", {n(kEmergency), n(eb_speed)});
  v.value("[Sound_Apply]", {n(kAirApply), n(kAirCharge)});
  v.number("[Sound_Ats1]", kAtsBell);
  v.number("[Sound_Ats2]", kAtsChime);
  v.number("[Sound_Ats3]", kAtsConfirm);
  v.number("[Sound_Atc]", kAtc);
  v.number("[Sound_Horn]", kHorn);
  v.value("[Sound_Horn2]", {n(kHorn2), n(kHorn2), n(kHorn2), n(kHorn2), "30", "0.3"});
  v.number("[Sound_Horn3]", kHorn3);
  v.value("[Sound_Horn1]", {n(kHornS1), n(kHornS2), n(kHornS3), n(kHornEnd), "24", "0.5"});
  v.number("[Sound_DoorOpen]", kDoorOpen);
  v.number("[Sound_DoorClose]", kDoorClose);
}

void later_sounds(Vehicle& v, const PanelLayout& L) {
  v.value("[Signal_Suppress]",
          {L.suppress.file, n(L.suppress.x), n(L.suppress.y), n(kSwitchOn), n(kSwitchOff)});
  v.value("[Sound_Hasten]", {"0", "0"});
  v.value("[KEY4]", {"B"});
  v.number("[Sound_EBring]", kEbRing);
  v.number("[Sound_squeak]", kSqueal);
  v.number("[CP_Start]", kCpStart);
  v.number("[CP_Cnt]", kCpRun);
  v.number("[CP_End]", kCpEnd);
  v.value("[Stop]", {n(kStopAlert), "0"});
  v.number("[Buzzer]", kBuzzer);
  v.number("[DepSign]", kDepSign);
  v.number("[ATS_Warn]", kAtsWarn);
  v.out.section("[SwitchSound]");
  for (int type : {1, 2}) {
    v.out.fields(kPointsLight, 35, type);
    v.out.fields(kPointsHeavy, 999, type);
  }
  v.out.end_list();
}

void drive_sound_list(Vehicle& v, bool diesel) {
  v.out.section("[DriveSound]");
  for (const SoundRecipe& s : drive_sounds(diesel)) {
    v.out.line(v.sound_path(s.file));
    v.sound(s.file, s.make());
  }
  v.out.end_list();
}

void meter(Vehicle& v, const char* section, const NeedlePlace& m, const char* eighth = nullptr) {
  if (m.file.empty()) return;
  v.out.section(section);
  v.out.line(m.file)
      .line(n(m.left))
      .line(n(m.top))
      .line(n(m.size))
      .line(n(m.size))
      .line(n(m.zero))
      .line(r(m.one));
  if (eighth != nullptr) v.out.line(eighth);
}

void strip(Vehicle& v, const char* section, const StripPlace& s) {
  if (s.file.empty()) return;
  v.out.section(section);
  v.out.line(n(s.x)).line(n(s.y)).line(n(s.width)).line(n(s.height)).line(s.file);
}

// The cab panel sections, [Clock] to [Others].
void panel_sections(Vehicle& v, const PanelLayout& L, bool two_notch_sets) {
  v.out.line("").line("- 運転台パネル");
  v.value("[Clock]", {"0", "0", "0"});
  v.value("[Panel]", {L.panel.file, n(L.panel.x), n(L.panel.y)});
  v.value("[Panel2]", {L.panel2.file, n(L.panel2.x), n(L.panel2.y)});
  for (const auto& [key, at] : L.lamps) {
    const std::string header = "[" + key + "]";
    v.out.section(header).line(at.file).line(n(at.x)).line(n(at.y));
  }
  meter(v, "[Needle_Speed]", L.speed, "0");
  meter(v, "[Needle_Brake]", L.brake_cmd);
  meter(v, "[Needle_BC]", L.bc);
  meter(v, "[Needle_ER]", L.er);
  meter(v, "[Needle_BP]", L.bp);
  meter(v, "[Needle_MR]", L.mr);
  meter(v, "[Needle_V]", L.volt);
  meter(v, "[Needle_I]", L.ammeter, "0");
  if (!L.cab_signal.file.empty()) {
    strip(v, "[Lamp_signal]", L.cab_signal);
    for (int s : kCabSignalSpeeds) v.out.line(n(s));
    v.out.end_list();
  }
  strip(v, "[NotchImageP]", L.notch_p);
  strip(v, "[NotchImageB]", L.notch_b);
  if (two_notch_sets) {
    StripPlace p2 = L.notch_p, b2 = L.notch_b;
    p2.x = b2.x = 628;
    strip(v, "[NotchImageP2]", p2);
    strip(v, "[NotchImageB2]", b2);
  }
  strip(v, "[GearImageList]", L.gear);
  strip(v, "[GearImageList2]", L.gear_lever);
  strip(v, "[Digi_Speed]", L.digits);
  v.out.section("[Others]");
  for (const Placed& o : L.others) v.out.line(o.file).line(n(o.x)).line(n(o.y));
  v.out.end_list();
}

void motor_row(DataFile& out, const std::string& file, int kagen, std::array<double, 4> speeds,
               std::array<double, 4> rates, std::array<double, 4> volumes) {
  out.line(file).line(n(kagen));
  for (double s : speeds) out.line(r(s));
  for (double x : rates) out.line(r(x));
  for (double x : volumes) out.line(r(x));
}

void header(Vehicle& v, const char* japanese, const char* english) {
  v.out.line(std::string("# ") + japanese).line(std::string("# ") + english).line("");
}

}  // namespace

const int* diesel_cab_signal_speeds(int& count) {
  count = static_cast<int>(std::size(kCabSignalSpeeds));
  return kCabSignalSpeeds;
}

namespace {

// Two lines of a section, as "value, factor" pairs are written.
using Pair = std::array<const char*, 2>;

// What sets one demo vehicle apart: the train sections in the file's order, the panel, and
// the section group its traction model writes.
struct VehicleDesign {
  const char* key;
  const char* file;
  const char* title;
  const char* heading_ja;
  const char* heading_en;
  int handle, brake_type, brake_type2, brake, power, notch_back;
  const char* brake_heading;  // the comment above the brake sections
  Pair air_brake_rate;
  bool planned_brake_zero;  // [PlannedBrakeRate] all 0.0 (automatic air brake)
  int power_delay, brake_delay, ebrake_delay, power_jerk, sap_delay;
  int brake_up, brake_down, sap_up, sap_down;
  Pair am_meter;
  int ebrake_up, ebrake_down, max_brake_curr;
  const char* ebrake_force;
  int bp_return;
  // Loaded pressures stay under the 490 kPa of a charged pipe, or the brakes could not
  // release after a stop with a full train.
  Pair max_press, eb_press, sap_press;
  int engine_type, power_type;
  Pair tons, mt, tt;
  int cars, length, eb, max_speed;
  Pair lose_elec;
  int elbr, mc, ats_type;
  int eb_speed;   // the emergency ring's speed (equipment_sounds)
  int speed_max;  // the speedometer's scale
  bool aab, diesel, ats_p;
  int gears;
  bool cab_signal;
  // Sections after the sounds: the traction model's tables, [PowerMode], [EngineSound1..3].
  void (*traction)(Vehicle& v);
};

void notch_table_traction(Vehicle& v) {
  v.out.line("- 加速度表: acc0, acc1, speed1, speed2, 指数, 群");
  v.out.section("[Notch]");
  const double rows[5][5] = {{1.0, 1.0, 8, 12, 3.0},
                             {1.8, 1.8, 20, 30, 2.5},
                             {2.4, 2.4, 30, 45, 2.4},
                             {2.7, 2.7, 38, 60, 2.2},
                             {2.8, 2.8, 42, 80, 2.0}};
  for (const auto& row : rows)
    v.out.line(r(row[0]))
        .line(r(row[1]))
        .line(n(static_cast<int>(row[2])))
        .line(n(static_cast<int>(row[3])))
        .line(r(row[4]))
        .line("0");
  v.out.end_list();
  v.out.section("[PowerMode]").line("P,通常").end_list();
  v.out.section("[EngineSound1]");
  motor_row(v.out, v.sound_path("motor_power.wav"), 0, {0, 25, 60, 120}, {0.4, 1.0, 1.9, 3.2},
            {60, 100, 100, 80});
  motor_row(v.out, v.sound_path("motor_brake.wav"), 1, {0, 25, 60, 120}, {0.4, 1.0, 1.9, 3.2},
            {50, 90, 90, 70});
  v.out.end_list();
  v.sound("motor_power.wav", motor_whine(0));
  v.sound("motor_brake.wav", motor_whine(1));
  v.value("[EngineSound2]", {"0", "0", "0", "0"});
  v.out.section("[EngineSound3]").end_list();
}

void motor_current_traction(Vehicle& v) {
  v.out.section("[PowerMode]").line("P,抵抗制御").end_list();
  // Cam steps: each step's current falls from 460 A to the 400 A reference as the speed
  // rises to the next step's speed; P1 keeps the first step, P2 the series steps, P3 the
  // parallel steps and P4 the field weakening.
  v.out.line(
      "- 電流制御: 基準電流, 基準加速度, 弱め界磁速度; 段: ノッチ, 分子, 速度オフセット, 時間, 音");
  v.out.section("[CurrentP]").line("400").line("2.6").line("40.0");
  const int step_speed[] = {0, 5, 10, 16, 23, 31, 40, 50, 61, 73};
  const int step_notch[] = {1, 2, 2, 2, 2, 3, 3, 4, 4, 4};
  for (int k = 0; k < 10; ++k) {
    const double s0 = step_speed[k], s1 = k + 1 < 10 ? step_speed[k + 1] : s0 + 14;
    const double offset = (460 * s0 - 400 * s1) / 60.0;
    const double numerator = 460 * (s0 - offset);
    v.out.fields(step_notch[k], decimal(numerator, 1), decimal(offset, 2), 300,
                 static_cast<int>(kNotching));
  }
  v.out.end_list();
  v.out.section("[EngineSound1]");
  motor_row(v.out, v.sound_path("motor_power.wav"), 0, {0, 20, 50, 100}, {0.5, 1.0, 1.7, 2.8},
            {70, 100, 100, 80});
  v.out.end_list();
  v.sound("motor_power.wav", motor_whine(0));
  v.value("[EngineSound2]", {"0", "0", "0", "0"});
  v.out.section("[EngineSound3]").end_list();
}

void diesel_traction(Vehicle& v) {
  v.out.line("- 変速段ごとの機関回転数: 停止時, km/h あたり");
  v.out.section("[EngineRate]")
      .line("30,0.0")
      .line("38,1.25")
      .line("0,1.3")
      .line("0,0.95")
      .end_list();
  v.value("[Gear_Type]", {"AT"});
  v.out.line("- 変速段: speed0, speed1, speed2, effort0, effort1, effort2");
  v.out.section("[Engine]");
  const double gears[4][6] = {{0, 5, 20, 0.5, 0.45, 0.2},
                              {0, 5, 45, 0.62, 0.55, 0.26},
                              {40, 45, 75, 0.3, 0.28, 0.18},
                              {70, 75, 110, 0.2, 0.18, 0.1}};
  for (const auto& g : gears)
    v.out.line(n(static_cast<int>(g[0])))
        .line(n(static_cast<int>(g[1])))
        .line(n(static_cast<int>(g[2])))
        .line(r(g[3]))
        .line(r(g[4]))
        .line(r(g[5]));
  v.out.end_list();
  v.out.section("[PowerMode]").line("N,液体式").end_list();
  v.out.section("[EngineSound1]");
  motor_row(v.out, v.sound_path("engine.wav"), -1, {25, 50, 75, 100}, {0.8, 1.2, 1.7, 2.2},
            {60, 80, 90, 100});
  motor_row(v.out, v.sound_path("converter.wav"), 1, {30, 50, 75, 100}, {0.7, 1.0, 1.4, 1.8},
            {30, 45, 55, 60});
  v.out.end_list();
  v.sound("engine.wav", engine_note(0));
  v.sound("converter.wav", motor_whine(1));
  v.value("[EngineSound2]", {n(kIdleA), n(kIdleB), n(kEngineStart), n(kEngineStop)});
  v.out.section("[EngineSound3]");
  for (int g : {2, 3}) {
    v.out.line(v.sound_path("gear.wav")).line("1").line(n(g));
    for (double x : {g == 2 ? 40.0 : 70.0, g == 2 ? 75.0 : 100.0, 0.8, 1.3, 40.0, 70.0})
      v.out.line(r(x));
  }
  v.out.end_list();
  v.sound("gear.wav", gear_whine());
}

// clang-format off
const VehicleDesign kTrain85{
    "85", "train_85.dat", "85系 急行形電車",
    "85系 急行形電車 6両編成（加速度表・2ハンドル・電気ブレーキ併用・ATS-P）",
    "Series 85 express EMU: acceleration table, two handles, blended electric brake, ATS-P",
    /*handle*/ 1, /*brake_type*/ 1, /*brake_type2*/ 1, /*brake*/ 9, /*power*/ 5, /*notch_back*/ 1,
    "- ブレーキ性能", {"4.2", "40.0"}, false,
    /*delays*/ 200, 400, 600, 0, 200, /*brake/SAP up, down*/ 300, 200, 300, 250,
    {"1", "150"}, /*electric brake*/ 400, 400, 500, "24.0", /*bp_return*/ 150,
    {"360", "0.5"}, {"420", "0.6"}, {"360", "0.5"},
    /*engine_type*/ 1, /*power_type*/ 1,
    {"200.0", "0.6"}, {"120.0", "0.36"}, {"80.0", "0.24"},
    /*cars*/ 6, /*length*/ 20, /*eb*/ 1, /*max_speed*/ 120, {"10", "5"}, /*elbr*/ 40, /*mc*/ 1, /*ats_type*/ 1,
    /*eb_speed*/ 0, /*panel*/ 160, false, false, true, 0, false,
    notch_table_traction};

const VehicleDesign kTrain75{
    "75", "train_75.dat", "75系 快速形電車",
    "75系 快速形電車 4両編成（電流制御・自動空気ブレーキ・ATS-S）",
    "Series 75 rapid EMU: motor-current model with notching steps, automatic air brake, warning-bell ATS",
    /*handle*/ 1, /*brake_type*/ 0, /*brake_type2*/ 0, /*brake*/ 4, /*power*/ 4, /*notch_back*/ 1,
    "- ブレーキ性能（自動空気ブレーキ: 保ち・重なり・常用・非常）", {"4.0", "35.0"}, true,
    /*delays*/ 250, 300, 500, 0, 200, /*brake/SAP up, down*/ 260, 180, 300, 200,
    {"0", "100"}, /*electric brake*/ 0, 0, 0, "0.0", /*bp_return*/ 180,
    {"340", "0.5"}, {"400", "0.6"}, {"340", "0.5"},
    /*engine_type*/ 1, /*power_type*/ 0,
    {"150.0", "0.5"}, {"90.0", "0.3"}, {"60.0", "0.2"},
    /*cars*/ 4, /*length*/ 20, /*eb*/ 0, /*max_speed*/ 100, {"15", "10"}, /*elbr*/ 30, /*mc*/ 0, /*ats_type*/ 0,
    /*eb_speed*/ 0, /*panel*/ 120, true, false, false, 0, false,
    motor_current_traction};

const VehicleDesign kTrain313{
    "313", "train_313_2cars.dat", "キハ313形 気動車",
    "キハ313形 気動車 2両編成（液体式・自動変速・ワンマン）",
    "KiHa 313 diesel railcar, two cars: hydraulic transmission with automatic gears, one-man",
    /*handle*/ 0, /*brake_type*/ 2, /*brake_type2*/ 0, /*brake*/ 8, /*power*/ 5, /*notch_back*/ 0,
    "- ブレーキ性能", {"4.0", "30.0"}, false,
    /*delays*/ 300, 400, 0, 5, 200, /*brake/SAP up, down*/ 280, 200, 0, 0,
    {"0", "0"}, /*electric brake*/ 0, 0, 0, "0.0", /*bp_return*/ 150,
    {"340", "0.5"}, {"400", "0.6"}, {"0", "0.0"},
    /*engine_type*/ 0, /*power_type*/ 1,
    {"80.0", "0.3"}, {"80.0", "0.3"}, {"0.0", "0.0"},
    /*cars*/ 2, /*length*/ 21, /*eb*/ 0, /*max_speed*/ 95, {"0", "0"}, /*elbr*/ 0, /*mc*/ 1, /*ats_type*/ 0,
    /*eb_speed*/ 5, /*panel*/ 120, false, true, false, 4, true,
    diesel_traction};
// clang-format on

void write_vehicle(const VehicleDesign& d, const std::filesystem::path& data_dir) {
  Vehicle v{d.key, d.file, d.title, {}, data_dir};
  header(v, d.heading_ja, d.heading_en);
  const auto pair = [&](const char* section, const Pair& p) { v.value(section, {p[0], p[1]}); };
  v.number("[Handle]", d.handle);
  v.number("[BrakeType]", d.brake_type);
  v.number("[BrakeType2]", d.brake_type2);
  v.number("[Brake]", d.brake);
  v.number("[Power]", d.power);
  v.number("[NotchBack]", d.notch_back);
  v.number("[Hold]", 0);
  v.number("[Pull]", 0);
  v.value("[Const]", {"0", "0"});
  v.number("[Back]", 1);
  v.number("[InterLock]", 0);
  v.out.line(d.brake_heading);
  pair("[AirBrakeRate]", d.air_brake_rate);
  v.out.section("[PlannedBrakeRate]");
  for (int i = 0; i < d.brake; ++i) v.out.line(d.planned_brake_zero ? "0.0" : r(i * 0.5));
  v.value("[BrakeRate2]", {"0.04"});
  v.number("[PowerDelay]", d.power_delay);
  v.number("[BrakeDelay]", d.brake_delay);
  v.number("[EBrakeDelay]", d.ebrake_delay);
  v.number("[PowerJerk]", d.power_jerk);
  v.number("[SAPDelay]", d.sap_delay);
  v.number("[BrakeUp]", d.brake_up);
  v.number("[BrakeDown]", d.brake_down);
  v.number("[SAPUp]", d.sap_up);
  v.number("[SAPDown]", d.sap_down);
  pair("[AmMeter]", d.am_meter);
  v.number("[EBrakeUp]", d.ebrake_up);
  v.number("[EBrakeDown]", d.ebrake_down);
  v.number("[MaxBrakeCurr]", d.max_brake_curr);
  v.value("[EBrakeForce]", {d.ebrake_force});
  v.number("[BPReturn]", d.bp_return);
  pair("[MAXPress]", d.max_press);
  pair("[EBPress]", d.eb_press);
  pair("[SAPPress]", d.sap_press);
  v.number("[HighAirPress]", 880);
  v.number("[LowAirPress]", 780);
  v.out.line("- 車両");
  v.number("[Engine_Type]", d.engine_type);
  v.number("[DoorLock]", 1);
  v.number("[Power_Type]", d.power_type);
  v.number("[Brake_Type]", 1);
  v.number("[DoorType]", 0);
  pair("[Tons]", d.tons);
  pair("[Mt]", d.mt);
  pair("[Tt]", d.tt);
  v.number("[Cars]", d.cars);
  v.number("[Length]", d.length);
  v.number("[EB]", d.eb);
  v.number("[MaxSpeed]", d.max_speed);
  pair("[Lose_elec]", d.lose_elec);
  v.number("[ELBR]", d.elbr);
  v.number("[Mc]", d.mc);
  v.number("[ATS_Type]", d.ats_type);
  v.number("[ATS_Alert]", 0);
  v.number("[ATS_Time]", 5000);
  v.number("[ATS_Cnt]", 1);
  v.out.line("- 音（番号は [DriveSound] の順、0 から）");
  handle_sounds(v, d.brake, d.power);
  equipment_sounds(v, d.eb_speed);
  std::vector<int> cab_signal;
  if (d.cab_signal) cab_signal.assign(std::begin(kCabSignalSpeeds), std::end(kCabSignalSpeeds));
  const PanelDesign design{d.key, v.title,  d.speed_max, d.power, d.brake,
                           d.aab, d.diesel, d.ats_p,     d.gears, cab_signal};
  const PanelLayout L = draw_panel(design, data_dir);
  later_sounds(v, L);
  d.traction(v);
  drive_sound_list(v, d.diesel);
  panel_sections(v, L, false);
  v.out.save(data_dir / v.file);
}

}  // namespace

void write_train_85(const std::filesystem::path& data_dir) { write_vehicle(kTrain85, data_dir); }
void write_train_75(const std::filesystem::path& data_dir) { write_vehicle(kTrain75, data_dir); }
void write_train_313(const std::filesystem::path& data_dir) { write_vehicle(kTrain313, data_dir); }

}  // namespace velmora::demo
