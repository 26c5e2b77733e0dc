#pragma once
// The driver's handle positions, the notches in effect, their pending delays, the
// protection overrides and the handle texts. Input handlers move the handles; the notches
// follow through the delay step.

#include <string>

namespace velmora {

struct HandleState {
  // Handle positions, moved by the input handlers.
  int reverser = 1;          // 1 forward, 0 neutral, -1 backward
  int power_handle = 0;      // 0 (off) .. [Power]
  int brake_handle = 0;      // 0 released .. -[Brake] emergency; set to -[Brake] at start
  int notch_group_sel = 0;   // selected notch group ([PowerMode] entry); nothing changes it
  bool hold_active = false;  // hold-back engaged
  int const_active = 0;      // 1 while constant-speed control is engaged
  int suppress_state = 0;    // electric hold-back notch, 0 .. number of [Suppress] entries

  // Notches in effect, written only by the delay step and masconupdate.
  int power_notch = 0;
  int brake_notch = 0;   // brake cylinders; -[Brake] at start
  int sap_notch = 0;     // straight-air pipe; -[Brake] at start
  int ebrake_notch = 0;  // electric brake

  // Pending changes and their timers, ms.
  bool power_pending = false, brake_pending = false, sap_pending = false, ebrake_pending = false;
  int power_timer = 0, brake_timer = 0, sap_timer = 0, ebrake_timer = 0;

  // Protection overrides of the brake target.
  bool ats_eb = false;       // emergency by train protection (or the roll-back protection)
  bool eb_device = false;    // emergency by the driver-vigilance device
  bool ats_service = false;  // maximum service brake by train protection

  // Texts for the displays.
  std::string power_text, brake_text, reverser_text, mode_text;
};

}  // namespace velmora
