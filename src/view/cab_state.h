#pragma once
// The cab desk: one sprite per element the vehicle file describes, and the state of its
// instruments. Owned by the cab instruments module.

#include <array>
#include <vector>

#include "common/fixed4.h"

namespace velmora {

// One element of the desk: its sprite (-1: the vehicle has no picture for it) and the y it
// is placed at before the sway offset.
struct CabItem {
  int sprite = -1;
  int left = 0, top = 0;
  bool sways = true;  // moved up and down with the cab
  bool exists() const { return sprite >= 0; }
};

struct CabState {
  CabItem panel, panel2;
  CabItem lamp_door, lamp_power, lamp_eb, lamp_gen, lamp_air, lamp_fin, lamp_ele;
  std::array<CabItem, 3> lamp_ats, lamp_tasc;
  std::array<CabItem, 2> lamp_atsp;
  CabItem lamp_fwd, lamp_neut, lamp_back, lamp_suppress, lamp_stop, lamp_const;
  CabItem needle_speed, needle_brake, needle_er, needle_bp, needle_mr, needle_sap, needle_bc, needle_v,
      needle_i;
  CabItem linear_bc, linear_mr, linear_ip, linear_ib;
  CabItem notch_p, notch_b, notch_p2, notch_b2, gear, gear_lever, digi_speed, cabsignal;
  std::vector<CabItem> others;  // [Others] extra pictures, slot i

  int ammeter_mode = 0;                     // 0 none, 1 electric braking, 2 powering
  // Rotation of each needle as last set, in 1/1024 turns (the BC needle's is its ten-frame
  // mean); kept whether or not the vehicle has the needle.
  struct NeedleRotations {
    long double speed = 0, brake = 0, er = 0, bp = 0, mr = 0, sap = 0, bc = 0, v = 0, i = 0;
  } needle_units;
  std::array<long double, 10> bc_history{};  // the last ten BC needle angles, units
  Fixed4 volt_value;                        // V, the voltmeter
  long double brake_cmd_value = 0;          // the brake command gauge
};

// Every element of the desk, in the order they are made.
template <typename F>
void for_each_item(CabState& c, F f) {
  for (CabItem* item : {&c.notch_p, &c.notch_b, &c.notch_p2, &c.notch_b2, &c.gear, &c.gear_lever, &c.digi_speed,
                        &c.cabsignal, &c.panel, &c.panel2, &c.lamp_door, &c.lamp_power, &c.lamp_eb, &c.lamp_gen,
                        &c.lamp_air, &c.lamp_fin, &c.lamp_ele, &c.lamp_ats[0], &c.lamp_ats[1], &c.lamp_ats[2],
                        &c.lamp_tasc[0], &c.lamp_tasc[1], &c.lamp_tasc[2], &c.lamp_atsp[0], &c.lamp_atsp[1],
                        &c.lamp_fwd, &c.lamp_neut, &c.lamp_suppress, &c.lamp_back, &c.lamp_stop, &c.needle_speed,
                        &c.needle_brake, &c.needle_er, &c.needle_bp, &c.needle_mr, &c.needle_sap, &c.needle_bc,
                        &c.needle_v, &c.needle_i, &c.lamp_const, &c.linear_bc, &c.linear_mr, &c.linear_ip,
                        &c.linear_ib})
    f(*item);
  for (CabItem& item : c.others) f(item);
}

}  // namespace velmora
