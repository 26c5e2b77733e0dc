#pragma once
// The vehicle file's values ([Handle] to [DriveSound]). Filled once at start-up by the
// vehicle loader, read-only afterwards. Every value starts at zero (or empty) and keeps
// it when its section is missing. Each field names its section.

#include <array>
#include <string>
#include <vector>

#include "common/fixed4.h"
#include "data/modes.h"

namespace velmora {

// A brake pressure that grows with the passenger load: empty value + per_percent × load.
struct LoadPressure {
  int empty = 0;                // kPa
  long double per_percent = 0;  // kPa per percent of load
};

// A mass that grows with the passenger load.
struct LoadMass {
  Fixed4 empty;        // t
  Fixed4 per_percent;  // t per percent of load
};

// One [Notch] row: the acceleration curve of one power notch.
struct NotchRow {
  long double acc0 = 0;      // km/h/s at 0 km/h; <= 0 makes a constant-acceleration row
  long double acc1 = 0;      // km/h/s at speed1
  int speed1 = 0;            // km/h, end of the linear region
  int speed2 = 0;            // km/h, end of the constant-power region
  long double exponent = 0;  // decay above speed2
  int group = 0;             // notch group of the row
};

// One [CurrentP] entry of the motor-current traction model.
struct CurrentPEntry {
  int notch = 0;                 // the entry applies from this notch
  long double numerator = 0;     // current numerator
  long double speed_offset = 0;  // km/h
  int time_ms = 0;
  int fifth = 0;
};

// One [CurrentB] entry: the electric-brake current is (|speed| - offset) / divisor.
struct CurrentBEntry {
  long double divisor = 0;  // km/h per A
  long double offset = 0;   // km/h
  int number = 0;
};

// One [Engine] gear: diesel tractive effort.
struct EngineGear {
  int speed0 = 0, speed1 = 0, speed2 = 0;                     // km/h
  long double effort0 = 0, effort1 = 0, effort2 = 0;
};

// One [EngineRate] entry, per gear from 0.
struct EngineRate {
  int standstill = 0;         // engine speed at standstill
  long double per_kmh = 0;    // increase per km/h
};

// One [PowerMode] entry: names of a notch group.
struct PowerMode {
  std::string name;  // shown before the notch number
  std::string mode;  // the mode text
};

// One [EngineSound1] group: an engine sound curve.
struct MotorSoundData {
  std::string index;
  int kagen = 0;
  long double Speed1 = 0, Speed2 = 0, Speed3 = 0, Speed4 = 0;
  long double Rate1 = 0, Rate2 = 0, Rate3 = 0, Rate4 = 0;
  long double Volume1 = 0, Volume2 = 0, Volume3 = 0, Volume4 = 0;
};

// One [EngineSound3] group: a gear-shift sound curve.
struct HensokuSoundData {
  std::string index;
  int kagen = 0;
  int gear = 0;
  long double StartSpeed = 0, EndSpeed = 0, StartRate = 0, EndRate = 0, StartVolume = 0,
              EndVolume = 0;
};

// A horn with its sounds and its air consumption ([Sound_Horn1], [Sound_Horn2]).
struct HornData {
  int sound = 0;                  // [Sound_Horn2]: the sound number; unused for [Sound_Horn1]
  std::array<int, 5> numbers{};   // [Sound_Horn1]: five numbers; [Sound_Horn2]: four
  Fixed4 air;                     // air consumption
};

// [Signal_Suppress]: the suppression switch's lamp and its two sounds.
struct SignalSuppressData {
  std::string name;  // lamp picture
  int Left = 0, Top = 0;
  int sound_on = 0, sound_off = 0;
};

constexpr std::size_t kNotchRowCapacity = 99;
constexpr std::size_t kNotchGroupCapacity = 10;
constexpr std::size_t kBrakeCurrentLimitCapacity = 17;
constexpr std::size_t kSuppressCapacity = 10;
constexpr std::size_t kPowerModeCapacity = kNotchGroupCapacity;  // one per notch group
constexpr std::size_t kEngineGearCapacity = 6;  // transmission positions 0 to 5
constexpr std::size_t kEngineRateCapacity = kEngineGearCapacity;
constexpr std::size_t kMotorSoundCapacity = 100;
constexpr std::size_t kHensokuSoundCapacity = 100;
constexpr std::size_t kDriveSoundCapacity = 100;
constexpr std::size_t kSwitchSoundCapacity = 100;
constexpr std::size_t kCurrentPCapacity = 100;
constexpr std::size_t kCurrentBCapacity = 100;
// [Cars]: the gradient under the train keeps one value per car, so the count sizes a table.
// Far above any real train, far below what would exhaust memory.
constexpr int kMaxCars = 1000;

// Tables indexed by a notch, a brake position or a group hold the lines the file gave:
// counted from [Brake] or [Power] as they stood when the section was read (a section
// before them reads none), so a reader must treat an index past the end as 0 or empty.
// Two tables are filled up with rows of zeros at load, as a missing row reads: [Notch] up
// to [Power] (the ammeter reads row [Power]) and [EngineRate] up to the [Engine] gears.
struct VehicleData {
  HandleType handle = HandleType::OneLever;     // [Handle]
  BrakeType brake_type = BrakeType::AutomaticAir;  // [BrakeType]
  int brake_type2 = 0;  // [BrakeType2] 0: no electric brake, 1/2: blended
  int brake = 0;        // [Brake] brake positions; emergency at [Brake]; 4 for [BrakeType] 0
  int power = 0;        // [Power] highest power notch
  int notch_back = 0;   // [NotchBack]
  int hold = 0;         // [Hold] 0 none, 1 one hold-back position, >= 2 at that brake notch
  int pull = 0;         // [Pull]
  int const_notch = 0;  // [Const] first line
  int const_speed = 0;  // [Const] second line, km/h
  int back = 0;         // [Back] 1: roll-back protection
  int interlock = 0;    // [InterLock]
  Fixed4 air_brake_rate;   // [AirBrakeRate] km/h/s at emergency cylinder pressure
  Fixed4 air_brake_speed;  // [AirBrakeRate] km/h, reference speed of the friction curve
  std::vector<Fixed4> planned_brake_rate;  // [PlannedBrakeRate] per notch 0..[Brake]-1
  Fixed4 brake_rate2;      // [BrakeRate2] friction-curve coefficient
  int power_delay = 0;     // [PowerDelay] ms
  int brake_delay = 0;     // [BrakeDelay] ms
  int ebrake_delay = 0;    // [EBrakeDelay] ms
  int power_jerk = 0;      // [PowerJerk] km/h
  int sap_delay = 0;       // [SAPDelay] ms
  int brake_up = 0, brake_down = 0;  // [BrakeUp], [BrakeDown] kPa/s
  int sap_up = 0, sap_down = 0;      // [SAPUp], [SAPDown] kPa/s
  int ammeter_mode = 0, ammeter_scale = 0;  // [AmMeter]
  int ebrake_up = 0, ebrake_down = 0;       // [EBrakeUp], [EBrakeDown] A/s
  int max_brake_curr = 0;                   // [MaxBrakeCurr] A
  long double ebrake_force = 0;             // [EBrakeForce] kgf/A
  int bp_return = 0;                        // [BPReturn] kPa/s
  LoadPressure max_press;  // [MAXPress] highest service brake-cylinder pressure
  LoadPressure eb_press;   // [EBPress] emergency brake-cylinder pressure
  LoadPressure sap_press;  // [SAPPress] highest straight-air-pipe pressure
  int high_air_press = 0;  // [HighAirPress] kPa
  int low_air_press = 0;   // [LowAirPress] kPa
  EngineType engine_type = EngineType::Diesel;  // [Engine_Type]
  int door_lock = 0;       // [DoorLock]
  int power_type = 0;      // [Power_Type] 1 [Notch] table, 0 [CurrentP] model
  int ebrake_model = 0;    // [Brake_Type] 1 ramped current, 0 [CurrentB] table
  int door_type = 0;       // [DoorType] read, no effect
  LoadMass tons;           // [Tons] whole train
  LoadMass mt;             // [Mt] motor cars
  LoadMass tt;             // [Tt] trailer cars
  int cars = 0;            // [Cars]
  int length = 0;          // [Length] m per car
  int eb = 0;              // [EB] 1: vigilance device fitted
  int max_speed = 0;       // [MaxSpeed] km/h
  std::array<int, 2> lose_elec{};  // [Lose_elec] km/h: ramp start floor, no-current floor
  int elbr = 0;            // [ELBR] kPa
  int mc = 0;              // [Mc]
  AtsType ats_type = AtsType::WarningPoint;  // [ATS_Type]
  int ats_alert = 0, ats_time = 0, ats_cnt = 0;  // [ATS_Alert] .. [ATS_Cnt]
  std::vector<std::array<int, 2>> sound_bk;  // [Sound_BK] per brake position 0..[Brake]-1
  std::vector<std::array<int, 2>> sound_br;  // [Sound_BR] per brake position 0..[Brake]-1
  std::vector<std::array<int, 2>> sound_ba;  // [Sound_BA] per brake position 0..[Brake]
  std::vector<int> sound_pa, sound_pr, sound_pk;  // [Sound_PA/PR/PK] per power position
  std::array<int, 3> sound_rev{};    // [Sound_Rev] forward, backward, neutral
  std::array<int, 2> sound_eb{};     // [Sound_EB]
  std::array<int, 2> sound_apply{};  // [Sound_Apply]
  int sound_ats1 = 0, sound_ats2 = 0, sound_ats3 = 0;  // [Sound_Ats1..3]
  int sound_atc = 0;                 // [Sound_Atc]
  int sound_horn = 0;                // [Sound_Horn]
  HornData sound_horn2;              // [Sound_Horn2]
  int sound_horn3 = 0;               // [Sound_Horn3]
  HornData sound_horn1;              // [Sound_Horn1]
  int sound_door_open = 0, sound_door_close = 0;  // [Sound_DoorOpen], [Sound_DoorClose]
  SignalSuppressData signal_suppress;             // [Signal_Suppress]
  std::array<int, 2> sound_hasten{};              // [Sound_Hasten]
  std::string key4;                               // [KEY4] "B", "H" or anything else
  int sound_ebring = 0;   // [Sound_EBring]
  int sound_squeak = 0;   // [Sound_squeak]
  int cp_start = 0, cp_cnt = 0, cp_end = 0;  // [CP_Start], [CP_Cnt], [CP_End]
  std::array<int, 2> stop{};  // [Stop]
  int buzzer = 0;             // [Buzzer]
  int dep_sign = 0;           // [DepSign]
  int ats_warn = 0;           // [ATS_Warn]
  std::vector<std::array<int, 3>> switch_sound;  // [SwitchSound]
  std::vector<EngineRate> engine_rate;           // [EngineRate] per gear from 0
  int gear_type = 0;                             // [Gear_Type] 0 AT, 1 MT
  std::vector<NotchRow> notch;                   // [Notch] rows, row n at index n - 1
  std::array<int, kNotchGroupCapacity> notch_first_row{};  // first row index of each group
  int current_p_reference = 0;              // [CurrentP] A
  long double current_p_accel = 0;          // [CurrentP] km/h/s at the reference current
  long double current_p_falloff_speed = 0;  // [CurrentP] km/h
  std::vector<CurrentPEntry> current_p;     // [CurrentP] entries
  std::vector<int> brake_current_limit;     // [BrakeCurrentLimit] A per brake notch from 0
  std::vector<CurrentBEntry> current_b;     // [CurrentB]
  std::vector<EngineGear> engine;           // [Engine] per gear from 0
  std::vector<PowerMode> power_mode;        // [PowerMode] per notch group
  std::vector<int> suppress;                // [Suppress] per hold-back notch from 1
  std::vector<MotorSoundData> engine_sound1;     // [EngineSound1]
  std::array<int, 4> engine_sound2{};            // [EngineSound2]
  std::vector<HensokuSoundData> engine_sound3;   // [EngineSound3]
  std::vector<std::string> drive_sound;          // [DriveSound] file names; their order numbers them
};

}  // namespace velmora
