#pragma once
// The value display's window: its size, its value labels beside their captions, its bars and
// its other controls, as the window layer draws them.

#include <array>
#include <string>

namespace velmora {

// The window: client area and caption. Positions below are px from the client area's
// top-left corner; a width or height of 0 means the control's natural size.
constexpr int kValueWindowWidth = 707;
constexpr int kValueWindowHeight = 430;
constexpr int kValueWindowFontPx = 11;  // the form's 12 px face is narrower than IPA's
constexpr const char* kValueWindowCaption = "Value Display";
constexpr int kValueBarMax = 500;            // the bars run from 0 to this
constexpr std::size_t kValueLogLines = 200;  // the protection log keeps the newest lines

// The values the window shows, as text, each beside the form's label that shows it. All are
// filled together by the first step while the window is shown.
struct ValueTexts {
  std::string speed;                // Label1
  std::string accel_net;            // Label6
  std::string accel_traction;       // Label76
  std::string gradient;             // Label27
  std::string planned_decel;        // Label75
  std::string traction_force;       // Label7
  std::string resist_force;         // Label25
  std::string ammeter;              // Label50
  std::string engine_rpm;           // Label40
  std::string gear;                 // Label52
  std::string adhesion;             // Label65
  std::string load;                 // Label78
  std::string movie_state;          // Label54
  std::string bp_press;             // Label71
  std::string sap_press;            // Label3
  std::string er_press;             // Label4
  std::string mr_press;             // Label5
  std::string fps;                  // Label63
  std::string notches;              // Label44
  std::string sound_counts;         // Label57
  std::string signal_now;           // Label21
  std::string sign_shown;           // Label56
  std::string film_frame;           // Label30
  std::string film_speed;           // Label31
  std::string switch_frame;         // Label46
  std::string protection_brake;     // Label48
  std::string next_stop;            // Label37
  std::string stop_distance;        // Label33
  std::string position;             // Label35
  std::string ats_target_distance;  // Label8
  std::string ats_target;           // Label9
  std::string pattern_speed;        // Label20
  std::string limit_distance;       // Label60
  std::string limit_speed;          // Label61
  std::string check_distance;       // Label19
  std::string check_speed;          // Label41
  std::string pre_train_frame;      // Label23
  std::string pre_train_place;      // Label42
  std::string bc_t;                 // Label11
  std::string bc_m;                 // Label2
  std::string ebrake_current;       // Label69
};

// One value label with the fixed caption beside it. The label shows its value once the
// values have been filled, `initial` before that (and always, for a label that is never filled).
struct ValueLabel {
  const char* caption;  // "" for none
  int caption_left, caption_top;
  std::string ValueTexts::*value;  // nullptr for a label never filled
  int left, top;
  const char* initial;
};

// The form's places, but for the fourth column, 20 px right of the form's so that the third
// column's values (a stop position and its station) end before its captions.
inline constexpr std::array<ValueLabel, 44> kValueLabels = {{
    {"速度", 7, 10, &ValueTexts::speed, 100, 10, ""},
    {"加速度", 7, 25, &ValueTexts::accel_net, 100, 25, ""},
    {"", 0, 0, &ValueTexts::accel_traction, 100, 39, ""},
    {"勾配", 8, 55, &ValueTexts::gradient, 101, 55, ""},
    {"目標減速度", 8, 80, &ValueTexts::planned_decel, 81, 80, ""},
    {"車両", 8, 95, &ValueTexts::traction_force, 108, 95, ""},
    {"抵抗", 8, 110, &ValueTexts::resist_force, 108, 110, ""},
    {"電流", 8, 125, &ValueTexts::ammeter, 108, 125, ""},
    {"エンジン回転数", 8, 140, &ValueTexts::engine_rpm, 108, 140, ""},
    {"ギア", 8, 155, &ValueTexts::gear, 61, 155, ""},
    {"摩擦", 8, 170, &ValueTexts::adhesion, 61, 170, ""},
    {"乗車率", 8, 185, &ValueTexts::load, 61, 185, ""},
    {"Movie", 8, 199, &ValueTexts::movie_state, 61, 199, ""},
    {"BP", 187, 10, &ValueTexts::bp_press, 220, 10, ""},
    {"SAP ", 187, 25, &ValueTexts::sap_press, 220, 25, ""},
    {"ER ", 187, 40, &ValueTexts::er_press, 220, 40, ""},
    {"MR ", 187, 55, &ValueTexts::mr_press, 220, 55, ""},
    {"AR", 187, 70, nullptr, 220, 70, "0 kPa"},
    {"FPS", 187, 85, &ValueTexts::fps, 218, 85, ""},
    {"ノッチ状態", 187, 113, &ValueTexts::notches, 233, 113, ""},
    // These two captions are themselves the value labels.
    {"", 0, 0, &ValueTexts::sound_counts, 187, 140, "Sound"},
    {"", 0, 0, &ValueTexts::signal_now, 187, 153, "signal_now"},
    {"標識ID", 187, 170, &ValueTexts::sign_shown, 272, 170, ""},
    {"Frame", 313, 10, &ValueTexts::film_frame, 387, 10, ""},
    {"Projected", 313, 25, &ValueTexts::film_speed, 374, 25, ""},
    {"Frame_sub", 313, 40, &ValueTexts::switch_frame, 387, 40, ""},
    {"ブレーキ", 313, 55, &ValueTexts::protection_brake, 387, 55, ""},
    {"次駅", 313, 70, &ValueTexts::next_stop, 430, 70, ""},
    {"残距離", 313, 85, &ValueTexts::stop_distance, 430, 85, ""},
    {"走行距離", 313, 100, &ValueTexts::position, 430, 100, ""},
    {"ATSP 距離/制限速度/パターン", 480, 10, &ValueTexts::ats_target_distance, 513, 25, ""},
    {"", 0, 0, &ValueTexts::ats_target, 553, 25, ""},
    {"", 0, 0, &ValueTexts::pattern_speed, 593, 25, ""},
    {"Limit 距離/制限速度/パターン", 480, 40, &ValueTexts::limit_distance, 513, 55, ""},
    {"", 0, 0, &ValueTexts::limit_speed, 553, 55, ""},
    {"", 0, 0, nullptr, 593, 55, ""},  // never filled
    {"Check 距離/制限速度/パターン", 480, 70, &ValueTexts::check_distance, 513, 85, ""},
    {"", 0, 0, &ValueTexts::check_speed, 553, 85, ""},
    {"", 0, 0, nullptr, 593, 85, ""},  // never filled
    {"先行列車", 480, 126, &ValueTexts::pre_train_frame, 527, 126, ""},
    {"", 0, 0, &ValueTexts::pre_train_place, 481, 139, ""},
    {"BC圧(T車)", 337, 199, &ValueTexts::bc_t, 546, 199, ""},
    {"BC圧(M車)", 337, 217, &ValueTexts::bc_m, 546, 216, ""},
    {"電制", 337, 232, &ValueTexts::ebrake_current, 546, 233, ""},
}};

// A bar beside its value label: ValueDisplayState::bars[index], 0..kValueBarMax.
struct ValueBar {
  const char* name;
  int left, top;
  int index;
};

inline constexpr std::array<ValueBar, 3> kValueBars = {{
    {"Bar_Press1", 405, 204, 0},  // BC, trailer cars
    {"Bar_Press0", 405, 220, 1},  // BC, motor cars
    {"Bar_Press6", 405, 237, 2},  // electric brake current
}};

// The other controls.
struct ValueControl {
  const char* name;
  const char* caption;  // buttons only
  int left, top, width, height;
};

inline constexpr std::array<ValueControl, 7> kValueControls = {{
    {"StringGrid1", "", 7, 220, 322, 117},  // channel monitor, 10 x 10 cells
    {"SignalGrid", "", 8, 377, 687, 45},    // signal table, 2 rows, a column per signal
    {"Memo1", "", 336, 272, 233, 80},       // protection log
    {"Edit1", "", 597, 208, 0, 0},          // film frame for "jump"
    {"Button2", "jump", 597, 235, 0, 0},
    {"Button1", "SU再読込", 597, 181, 0, 0},
    {"Button3", "抵抗解除", 597, 261, 0, 0},  // caption bold while speed_hold is on
}};

constexpr int kMonitorColumns = 10, kMonitorRows = 10;  // cell (c, r) is channel 10 r + c

}  // namespace velmora
