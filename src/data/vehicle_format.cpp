// The train sections of the vehicle file, [Handle] to [DriveSound], in checking order.

#include <string>

#include "common/fields.h"
#include "common/numbers.h"
#include "data/vehicle_reading.h"

namespace velmora::vehicle_reading {
namespace {

const char* const kDefault = "";  // the label in force stays: "- 列車の基本設定"

Section int_value(const char* name, const TargetPtr& t, int VehicleData::*field) {
  return section(name, kDefault, t,
                 [field](Reader& r, Target& x) { x.vehicle.*field = r.integer(); });
}

// A mode section: the number as the file writes it, named by its enum.
template <typename Mode>
Section mode_value(const char* name, const TargetPtr& t, Mode VehicleData::*field) {
  return section(name, kDefault, t,
                 [field](Reader& r, Target& x) { x.vehicle.*field = static_cast<Mode>(r.integer()); });
}

Section sound_value(const char* name, const TargetPtr& t, int VehicleData::*field) {
  return section(name, kDefault, t,
                 [field](Reader& r, Target& x) { x.vehicle.*field = r.sound(); });
}

template <std::size_t N>
Section sound_values(const char* name, const TargetPtr& t, std::array<int, N> VehicleData::*field) {
  return section(name, kDefault, t, [field](Reader& r, Target& x) {
    for (int& s : x.vehicle.*field) s = r.sound();
  });
}

Section load_mass(const char* name, const TargetPtr& t, LoadMass VehicleData::*field) {
  return section(name, kDefault, t, [field](Reader& r, Target& x) {
    (x.vehicle.*field).empty = r.fixed();
    (x.vehicle.*field).per_percent = r.fixed();
  });
}

Section load_pressure(const char* name, const TargetPtr& t, LoadPressure VehicleData::*field) {
  return section(name, kDefault, t, [field](Reader& r, Target& x) {
    (x.vehicle.*field).empty = r.integer();
    (x.vehicle.*field).per_percent = r.real();
  });
}

// [Sound_BK], [Sound_BR], [Sound_BA]: one line of two sound numbers per brake position.
Section brake_sounds(const char* name, const TargetPtr& t,
                     std::vector<std::array<int, 2>> VehicleData::*field, int extra) {
  return section(name, kDefault, t, [field, extra](Reader& r, Target& x) {
    std::vector<std::array<int, 2>>& table = x.vehicle.*field;
    table.clear();
    for (long long i = 0; i < static_cast<long long>(x.vehicle.brake) + extra; ++i) {
      const std::string& line = r.line();
      table.push_back({r.sound_field(line, 1), r.sound_field(line, 2)});
    }
  });
}

// [Sound_PA], [Sound_PR], [Sound_PK]: one sound number per power position.
Section power_sounds(const char* name, const TargetPtr& t, std::vector<int> VehicleData::*field) {
  return section(name, kDefault, t, [field](Reader& r, Target& x) {
    std::vector<int>& table = x.vehicle.*field;
    table.clear();
    for (int i = 0; i < x.vehicle.power; ++i) table.push_back(r.sound());
  });
}

bool starts_with_semicolon(const std::string& line) { return !line.empty() && line[0] == ';'; }

std::string row_text(std::size_t index) { return "row " + std::to_string(index + 1); }

void read_notch(Reader& r, VehicleData& v) {
  v.notch.clear();
  v.notch_first_row.fill(0);
  std::size_t group = 0;
  while (const std::string* first = r.list_line()) {
    check_list_capacity(r.section(), v.notch.size(), kNotchRowCapacity);
    NotchRow row;
    row.acc0 = to_real(*first);
    row.acc1 = r.real();
    row.speed1 = r.integer();
    row.speed2 = r.integer();
    row.exponent = r.real();
    row.group = r.integer();
    const std::size_t index = v.notch.size();
    // A group that is skipped or comes back would make notch_first_row point at rows of
    // another group.
    if (row.group < 0 || static_cast<std::size_t>(row.group) != group) {
      if (index == 0 || static_cast<std::size_t>(row.group) != group + 1)
        throw DataError("[Notch] " + row_text(index) + " is in group " + std::to_string(row.group) +
                        " after group " + std::to_string(group) +
                        ": groups are numbered 0, 1, 2, ... in blocks");
      if (group + 1 >= kNotchGroupCapacity)
        throw DataError("[Notch] has more than " + std::to_string(kNotchGroupCapacity) +
                        " notch groups");
      ++group;
      v.notch_first_row[group] = static_cast<int>(index);
    }
    // The curve divides by speed1, by speed2 and by the speed itself above them.
    if (row.acc0 > 0 && (row.speed1 < 1 || row.speed2 < 1))
      throw DataError("[Notch] " + row_text(index) +
                      ": a row with acc0 above 0 needs speed1 and speed2 of at least 1 km/h");
    v.notch.push_back(row);
  }
  if (v.engine_type == EngineType::Diesel)
    throw DataError("[Notch] is given while [Engine_Type] is 0 (diesel)",
                    "動力が気動車なのにNotch指定があります");
}

void read_current_p(Reader& r, VehicleData& v) {
  v.current_p_reference = r.integer();
  v.current_p_accel = r.real();
  v.current_p_falloff_speed = r.real();
  v.current_p.clear();
  while (const std::string* line = r.list_line()) {
    check_list_capacity(r.section(), v.current_p.size(), kCurrentPCapacity);
    CurrentPEntry e;
    e.notch = to_int(get_field(*line, 1));
    e.numerator = to_real(get_field(*line, 2));
    e.speed_offset = to_real(get_field(*line, 3));
    e.time_ms = to_int(get_field(*line, 4));
    e.fifth = r.sound_field(*line, 5);  // the notching sound
    v.current_p.push_back(e);
  }
}

void read_current_b(Reader& r, VehicleData& v) {
  v.current_b.clear();
  while (const std::string* line = r.list_line()) {
    check_list_capacity(r.section(), v.current_b.size(), kCurrentBCapacity);
    CurrentBEntry e;
    e.divisor = to_real(get_field(*line, 1));
    e.offset = to_real(get_field(*line, 2));
    e.number = to_int(get_field(*line, 3));
    // The electric brake takes no current from such an entry.
    if (e.divisor == 0)
      r.note("[CurrentB] entry " + std::to_string(v.current_b.size() + 1) +
             " has a divisor (km/h per A) of 0: no electric-brake current is taken from it");
    v.current_b.push_back(e);
  }
}

void read_engine(Reader& r, VehicleData& v) {
  v.engine.clear();
  while (const std::string* first = r.list_line()) {
    check_list_capacity(r.section(), v.engine.size(), kEngineGearCapacity);
    EngineGear g;
    g.speed0 = to_int(*first);
    g.speed1 = r.integer();
    g.speed2 = r.integer();
    g.effort0 = r.real();
    g.effort1 = r.real();
    g.effort2 = r.real();
    // Below speed1 the effort is interpolated over speed1 - speed0.
    if (g.speed1 > 0 && g.speed1 == g.speed0)
      throw DataError("[Engine] gear " + std::to_string(v.engine.size()) +
                      ": speed0 and speed1 must differ");
    v.engine.push_back(g);
  }
  if (v.engine_type == EngineType::Electric)
    throw DataError("[Engine] is given while [Engine_Type] is 1 (electric)",
                    "動力が電車なのにEngine指定があります");
}

void read_engine_sound1(Reader& r, VehicleData& v) {
  v.engine_sound1.clear();
  while (const std::string* first = r.list_line()) {
    check_list_capacity(r.section(), v.engine_sound1.size(), kMotorSoundCapacity);
    MotorSoundData m;
    m.index = *first;
    r.note_sound_file(m.index);
    m.kagen = r.integer();
    for (long double* f : {&m.Speed1, &m.Speed2, &m.Speed3, &m.Speed4, &m.Rate1, &m.Rate2, &m.Rate3,
                           &m.Rate4, &m.Volume1, &m.Volume2, &m.Volume3, &m.Volume4})
      *f = r.real();
    v.engine_sound1.push_back(m);
  }
}

void read_engine_sound3(Reader& r, VehicleData& v) {
  v.engine_sound3.clear();
  while (const std::string* first = r.list_line()) {
    check_list_capacity(r.section(), v.engine_sound3.size(), kHensokuSoundCapacity);
    HensokuSoundData h;
    h.index = *first;
    r.note_sound_file(h.index);
    h.kagen = r.integer();
    h.gear = r.integer();
    for (long double* f :
         {&h.StartSpeed, &h.EndSpeed, &h.StartRate, &h.EndRate, &h.StartVolume, &h.EndVolume})
      *f = r.real();
    v.engine_sound3.push_back(h);
  }
}

}  // namespace

void add_train_sections(std::vector<Section>& s, const TargetPtr& t) {
  using V = VehicleData;
  s.push_back(mode_value("[Handle]", t, &V::handle));
  s.push_back(mode_value("[BrakeType]", t, &V::brake_type));
  s.push_back(int_value("[BrakeType2]", t, &V::brake_type2));
  s.push_back(int_value("[Brake]", t, &V::brake));
  s.push_back(int_value("[Power]", t, &V::power));
  s.push_back(int_value("[NotchBack]", t, &V::notch_back));
  s.push_back(int_value("[Hold]", t, &V::hold));
  s.push_back(int_value("[Pull]", t, &V::pull));
  s.push_back(section("[Const]", kDefault, t, [](Reader& r, Target& x) {
    x.vehicle.const_notch = r.integer();
    x.vehicle.const_speed = r.integer();
  }));
  s.push_back(int_value("[Back]", t, &V::back));
  s.push_back(int_value("[InterLock]", t, &V::interlock));
  s.push_back(section("[AirBrakeRate]", kDefault, t, [](Reader& r, Target& x) {
    x.vehicle.air_brake_rate = r.fixed();
    x.vehicle.air_brake_speed = r.fixed();
  }));
  s.push_back(section("[PlannedBrakeRate]", kDefault, t, [](Reader& r, Target& x) {
    x.vehicle.planned_brake_rate.clear();
    for (int i = 0; i < x.vehicle.brake; ++i) x.vehicle.planned_brake_rate.push_back(r.fixed());
  }));
  s.push_back(section("[BrakeRate2]", kDefault, t,
                      [](Reader& r, Target& x) { x.vehicle.brake_rate2 = r.fixed(); }));
  s.push_back(int_value("[PowerDelay]", t, &V::power_delay));
  s.push_back(int_value("[BrakeDelay]", t, &V::brake_delay));
  s.push_back(int_value("[EBrakeDelay]", t, &V::ebrake_delay));
  s.push_back(int_value("[PowerJerk]", t, &V::power_jerk));
  s.push_back(int_value("[SAPDelay]", t, &V::sap_delay));
  s.push_back(int_value("[BrakeUp]", t, &V::brake_up));
  s.push_back(int_value("[BrakeDown]", t, &V::brake_down));
  s.push_back(int_value("[SAPUp]", t, &V::sap_up));
  s.push_back(int_value("[SAPDown]", t, &V::sap_down));
  s.push_back(section("[AmMeter]", kDefault, t, [](Reader& r, Target& x) {
    x.vehicle.ammeter_mode = r.integer();
    x.vehicle.ammeter_scale = r.integer();
  }));
  s.push_back(int_value("[EBrakeUp]", t, &V::ebrake_up));
  s.push_back(int_value("[EBrakeDown]", t, &V::ebrake_down));
  s.push_back(int_value("[MaxBrakeCurr]", t, &V::max_brake_curr));
  s.push_back(section("[EBrakeForce]", kDefault, t, [](Reader& r, Target& x) {
    const std::string& line = r.line();
    if (!starts_with_semicolon(line)) x.vehicle.ebrake_force = to_real(line);
  }));
  s.push_back(int_value("[BPReturn]", t, &V::bp_return));
  s.push_back(load_pressure("[MAXPress]", t, &V::max_press));
  s.push_back(load_pressure("[EBPress]", t, &V::eb_press));
  s.push_back(load_pressure("[SAPPress]", t, &V::sap_press));
  s.push_back(int_value("[HighAirPress]", t, &V::high_air_press));
  s.push_back(int_value("[LowAirPress]", t, &V::low_air_press));
  s.push_back(mode_value("[Engine_Type]", t, &V::engine_type));
  s.push_back(int_value("[DoorLock]", t, &V::door_lock));
  s.push_back(int_value("[Power_Type]", t, &V::power_type));
  s.push_back(int_value("[Brake_Type]", t, &V::ebrake_model));
  s.push_back(int_value("[DoorType]", t, &V::door_type));
  s.push_back(load_mass("[Tons]", t, &V::tons));
  s.push_back(load_mass("[Mt]", t, &V::mt));
  s.push_back(load_mass("[Tt]", t, &V::tt));
  s.push_back(int_value("[Cars]", t, &V::cars));
  s.push_back(int_value("[Length]", t, &V::length));
  s.push_back(int_value("[EB]", t, &V::eb));
  s.push_back(int_value("[MaxSpeed]", t, &V::max_speed));
  s.push_back(section("[Lose_elec]", kDefault, t, [](Reader& r, Target& x) {
    x.vehicle.lose_elec[0] = r.integer();
    const std::string& second = r.line();
    if (!starts_with_semicolon(second)) x.vehicle.lose_elec[1] = to_int(second);
  }));
  s.push_back(int_value("[ELBR]", t, &V::elbr));
  s.push_back(int_value("[Mc]", t, &V::mc));
  s.push_back(mode_value("[ATS_Type]", t, &V::ats_type));
  s.push_back(int_value("[ATS_Alert]", t, &V::ats_alert));
  s.push_back(int_value("[ATS_Time]", t, &V::ats_time));
  s.push_back(int_value("[ATS_Cnt]", t, &V::ats_cnt));
  s.push_back(brake_sounds("[Sound_BK]", t, &V::sound_bk, 0));
  s.push_back(brake_sounds("[Sound_BR]", t, &V::sound_br, 0));
  s.push_back(brake_sounds("[Sound_BA]", t, &V::sound_ba, 1));
  s.push_back(power_sounds("[Sound_PA]", t, &V::sound_pa));
  s.push_back(power_sounds("[Sound_PR]", t, &V::sound_pr));
  s.push_back(power_sounds("[Sound_PK]", t, &V::sound_pk));
  s.push_back(sound_values("[Sound_Rev]", t, &V::sound_rev));
  s.push_back(section("[Sound_EB]", kDefault, t, [](Reader& r, Target& x) {
    x.vehicle.sound_eb[0] = r.sound();
    const std::string& second = r.line();  // a speed, km/h
    x.vehicle.sound_eb[1] = starts_with_semicolon(second) ? 0 : to_int(second);
  }));
  s.push_back(sound_values("[Sound_Apply]", t, &V::sound_apply));
  s.push_back(sound_value("[Sound_Ats1]", t, &V::sound_ats1));
  s.push_back(sound_value("[Sound_Ats2]", t, &V::sound_ats2));
  s.push_back(sound_value("[Sound_Ats3]", t, &V::sound_ats3));
  s.push_back(sound_value("[Sound_Atc]", t, &V::sound_atc));
  s.push_back(sound_value("[Sound_Horn]", t, &V::sound_horn));
  s.push_back(section("[Sound_Horn2]", kDefault, t, [](Reader& r, Target& x) {
    HornData& h = x.vehicle.sound_horn2;
    h.sound = r.sound();
    const std::string& next = r.line();
    if (starts_with_semicolon(next)) return;
    // Sounds S2 to S4, then the interval in ticks, then the air consumption.
    h.numbers[0] = to_int(next);
    r.note_sound(h.numbers[0]);
    h.numbers[1] = r.sound();
    h.numbers[2] = r.sound();
    h.numbers[3] = r.integer();
    h.air = r.fixed();
  }));
  s.push_back(sound_value("[Sound_Horn3]", t, &V::sound_horn3));
  s.push_back(section("[Sound_Horn1]", kDefault, t, [](Reader& r, Target& x) {
    HornData& h = x.vehicle.sound_horn1;
    for (int i = 0; i < 4; ++i) h.numbers[i] = r.sound();  // S1 to S4
    h.numbers[4] = r.integer();                            // interval, ticks
    h.air = r.fixed();
  }));
  s.push_back(sound_value("[Sound_DoorOpen]", t, &V::sound_door_open));
  s.push_back(sound_value("[Sound_DoorClose]", t, &V::sound_door_close));
  s.push_back(section("[Signal_Suppress]", kDefault, t, [](Reader& r, Target& x) {
    SignalSuppressData& d = x.vehicle.signal_suppress;
    d.name = r.picture();
    d.Left = r.integer();
    d.Top = r.integer();
    d.sound_on = r.sound();
    d.sound_off = r.sound();
  }));
  s.push_back(sound_values("[Sound_Hasten]", t, &V::sound_hasten));
  s.push_back(
      section("[KEY4]", kDefault, t, [](Reader& r, Target& x) { x.vehicle.key4 = r.text(); }));
  s.push_back(sound_value("[Sound_EBring]", t, &V::sound_ebring));
  s.push_back(sound_value("[Sound_squeak]", t, &V::sound_squeak));
  s.push_back(sound_value("[CP_Start]", t, &V::cp_start));
  s.push_back(sound_value("[CP_Cnt]", t, &V::cp_cnt));
  s.push_back(sound_value("[CP_End]", t, &V::cp_end));
  s.push_back(section("[Stop]", kDefault, t, [](Reader& r, Target& x) {
    x.vehicle.stop[0] = r.sound();
    x.vehicle.stop[1] = r.integer();  // mode: 0 once, 1 again and again
  }));
  s.push_back(sound_value("[Buzzer]", t, &V::buzzer));
  s.push_back(sound_value("[DepSign]", t, &V::dep_sign));
  s.push_back(sound_value("[ATS_Warn]", t, &V::ats_warn));
  s.push_back(section("[SwitchSound]", kDefault, t, [](Reader& r, Target& x) {
    auto& list = x.vehicle.switch_sound;
    list.clear();
    while (const std::string* line = r.list_line()) {
      check_list_capacity(r.section(), list.size(), kSwitchSoundCapacity);
      list.push_back(
          {r.sound_field(*line, 1), to_int(get_field(*line, 2)), to_int(get_field(*line, 3))});
    }
  }));
  s.push_back(section("[EngineRate]", kDefault, t, [](Reader& r, Target& x) {
    auto& list = x.vehicle.engine_rate;
    list.clear();
    while (const std::string* line = r.list_line()) {
      check_list_capacity(r.section(), list.size(), kEngineRateCapacity);
      list.push_back({to_int(get_field(*line, 1)), to_real(get_field(*line, 2))});
    }
  }));
  s.push_back(section("[Gear_Type]", kDefault, t, [](Reader& r, Target& x) {
    const std::string text = r.text();
    if (text == "AT") x.vehicle.gear_type = 0;
    if (text == "MT") x.vehicle.gear_type = 1;
  }));
  // From here on each section is its own error label.
  s.push_back(
      section("[Notch]", "[Notch]", t, [](Reader& r, Target& x) { read_notch(r, x.vehicle); }));
  s.push_back(section("[CurrentP]", "[CurrentP]", t,
                      [](Reader& r, Target& x) { read_current_p(r, x.vehicle); }));
  s.push_back(section("[BrakeCurrentLimit]", "[BrakeCurrentLimit]", t, [](Reader& r, Target& x) {
    auto& list = x.vehicle.brake_current_limit;
    list.clear();
    while (const std::string* line = r.list_line()) {
      check_list_capacity(r.section(), list.size(), kBrakeCurrentLimitCapacity);
      list.push_back(to_int(*line));
    }
  }));
  s.push_back(section("[CurrentB]", "[CurrentB]", t,
                      [](Reader& r, Target& x) { read_current_b(r, x.vehicle); }));
  s.push_back(
      section("[Engine]", "[Engine]", t, [](Reader& r, Target& x) { read_engine(r, x.vehicle); }));
  s.push_back(section("[PowerMode]", "[PowerMode]", t, [](Reader& r, Target& x) {
    auto& list = x.vehicle.power_mode;
    list.clear();
    while (const std::string* line = r.list_line()) {
      check_list_capacity(r.section(), list.size(), kPowerModeCapacity);
      list.push_back({get_field(*line, 1), get_field(*line, 2)});
    }
  }));
  s.push_back(section("[Suppress]", "[Suppress]", t, [](Reader& r, Target& x) {
    auto& list = x.vehicle.suppress;
    list.clear();
    while (const std::string* line = r.list_line()) {
      check_list_capacity(r.section(), list.size(), kSuppressCapacity);
      list.push_back(to_int(*line));
    }
  }));
  s.push_back(section("[EngineSound1]", "[EngineSound1]", t,
                      [](Reader& r, Target& x) { read_engine_sound1(r, x.vehicle); }));
  s.push_back(sound_values("[EngineSound2]", t, &V::engine_sound2));
  s.back().label = "[EngineSound2]";
  s.push_back(section("[EngineSound3]", "[EngineSound3]", t,
                      [](Reader& r, Target& x) { read_engine_sound3(r, x.vehicle); }));
  s.push_back(section("[DriveSound]", "[DriveSound]", t, [](Reader& r, Target& x) {
    auto& list = x.vehicle.drive_sound;
    list.clear();
    while (const std::string* line = r.list_line()) {
      check_list_capacity(r.section(), list.size(), kDriveSoundCapacity);
      r.note_sound_file(*line);
      list.push_back(*line);
    }
  }));
}

}  // namespace velmora::vehicle_reading
