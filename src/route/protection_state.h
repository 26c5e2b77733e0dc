#pragma once
// Train protection and the driver-vigilance device.

#include <array>
#include <string>

namespace velmora {

constexpr int kNoSpeedCheck = 999;  // signal_speed: no signal check in force
constexpr int kWarningPoint = 998;  // signal_speed: the warning point of a signal at stop passed
constexpr int kNoEvent = 999;       // ats_event: no stop signal set the pattern

// One entry of the preview of the next speed restrictions.
struct LimitPreview {
  int index = 0;     // entry of [SpeedLimit] (kind 0) or [SpeedCheck1] (kind 1)
  int speed = 0;     // km/h
  long long need = 0;      // cm the train needs to come down to `speed`
  long long distance = 0;  // cm from the train to the restriction
  int kind = 9;      // 0 speed limit, 1 one-point check, 9 none

  // Close enough that the driver must start braking for it.
  bool due() const { return kind != 9 && distance < need; }
};

struct ProtectionState {
  int eb_timer = 0;      // ms since the driver last touched a key while running
  bool eb_lamp = false;  // emergency-brake lamp of the vigilance device
  bool vigilance_off = false;  // switched off for the rest of the run ([EB] taken as 0)

  int signal_speed = kNoSpeedCheck;  // km/h allowed by the last signal check; 998 warning point
  bool ats_alarm = false;            // the alarm is raised: the bell rings, ats_timer runs
  bool ats_ack = false;              // the alarm has been confirmed; the chime is to start
  int ats_timer = 0;                 // ms since the alarm was raised
  int ats_p_state = 0;               // pattern: 0 none, 1 approach, 2 brake, 3 stop brake
  int ats_p_state_prev = 0;          // ats_p_state at the end of the previous pass

  // The pattern: its target speed (line_max_speed + 10 for none), its target point (cm, 0 for
  // none), the route event whose stop signal set it (kNoEvent for none), and this pass's
  // braking and warning curves.
  int ats_target = 0;
  long double ats_target_pos = 0;
  int ats_event = kNoEvent;
  int limit_entry = -1;  // [SpeedLimit] entry whose beacon set the pattern; -1 none
  int pattern_speed = 0, warning_speed = 0;
  bool atc_brake = false;                // cab signalling has applied its brake
  std::array<bool, 2> atsp_lamps{};      // ATS-P lamps 1 (pattern) and 2 (braking)

  int cabsignal_shown = 0;  // cab signal: 0 hidden, else its pattern + 1
  // Protection lamps 1-3 of the cab: 1 protection on, 2 alarm, 3 confirmed.
  std::array<bool, 3> ats_lamps{};

  std::array<LimitPreview, 6> limit_preview{};  // 0-2 speed limits, 3-5 one-point checks
  std::string protect_text, protect_text2;       // the driver's lines about what is ahead
};

}  // namespace velmora
