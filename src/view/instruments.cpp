#include "view/instruments.h"

#include <cmath>
#include <numeric>

#include "common/rounding.h"
#include "dynamics/traction.h"
#include "sound/vehicle_sounds.h"
#include "view/view_run.h"

namespace velmora {

namespace {

constexpr long double kLineVoltage = 1500;
constexpr long double kVoltStep = 250;
constexpr long double kSpeedometerHold = 160;  // km/h: the needle stops here
constexpr int kDigitalPatterns = 200;

void show(const ViewRun& run, const CabItem& item, bool visible) {
  if (item.exists()) run.platform.sprites.set_visible(item.sprite, visible);
}
void pattern(const ViewRun& run, const CabItem& item, int p) {
  if (item.exists()) run.platform.sprites.set_pattern(item.sprite, p);
}
int patterns(const ViewRun& run, const CabItem& item) {
  return item.exists() ? run.platform.sprites.pattern_count(item.sprite) : 0;
}
// Turns a needle to `units` (1/1024 turns) and keeps the rotation as `shown`.
void rotate(const ViewRun& run, const CabItem& item, long double units, long double& shown) {
  shown = units;
  if (item.exists()) run.platform.sprites.set_angle(item.sprite, units);
}
void turn(const ViewRun& run, const CabItem& item, long double degrees, long double& shown) {
  rotate(run, item, degrees * kUnitsPerDegree, shown);
}

int ammeter_mode(const ViewRun& run) {
  const HandleState& h = run.train.handles;
  const VehicleData& v = run.vehicle;
  const long double eb_current = run.train.brakes.ebrake_current;
  if (h.hold_active && run.train.motion.resist_force > Fixed4{} && eb_current > 0) return 1;
  if (-v.brake < h.brake_notch && h.brake_notch < 0 && eb_current > 0) return 1;
  if (h.suppress_state > 0 && eb_current > 0) return 1;
  const auto notch = static_cast<std::size_t>(h.power_notch);
  if (h.power_handle > 0 && run.train.motion.traction_force < Fixed4{} && notch >= 1 &&
      notch <= v.notch.size() && v.notch[notch - 1].acc0 < 0)
    return 1;
  if (h.power_notch > 0 && doors_allow_traction(run.vehicle, run.station.doors_open)) return 2;
  return 0;
}

long double bc_shown(const ViewRun& run) {
  return static_cast<long double>(run.vehicle.mc == 1 ? run.train.brakes.bc_m
                                                      : run.train.brakes.bc_t);
}

// A linear gauge's mark: upward from its zero by the value.
void linear(CabItem& item, const Meter& m, long double value) {
  if (!item.exists()) return;
  item.top = m.zero - static_cast<int>(round_half_away(value * m.one));
}

// A brake-notch indicator's pattern for the handle (step 3 of the indicator rules).
std::optional<int> brake_pattern(const ViewRun& run, const CabItem& item, int handle) {
  const HandleState& h = run.train.handles;
  const int count = run.platform.sprites.pattern_count(item.sprite);
  if (-handle - 1 > count) return std::nullopt;
  if (h.hold_active) return 1;
  if (run.vehicle.hold != 1) return -handle;
  return handle == 0 ? 0 : -handle + 1;
}

}  // namespace

long double speedometer_degrees(long double v, int zero, long double one, long double c) {
  if (c == 0) return v * one + zero;
  if (v < 10) return v * c + zero;
  return v * one + zero - 10 * (one - c);  // the two slopes meet at 10 km/h
}

void instruments_step(const ViewRun& run) {
  CabState& c = run.cab;
  const PanelData& p = run.panel;
  const BrakeState& b = run.train.brakes;
  c.ammeter_mode = ammeter_mode(run);

  const long double current = run.train.traction.ammeter_value;
  CabState::NeedleRotations& u = c.needle_units;
  const Meter& mi = p.Needle_I;
  if (mi.sign == 2)
    rotate(run, c.needle_i, mi.zero, u.i);  // fixed, in units
  else
    turn(run, c.needle_i, (mi.sign == 1 ? std::fabs(current) : current) * mi.one + mi.zero, u.i);
  turn(run, c.needle_v, static_cast<long double>(c.volt_value) * p.Needle_V.one + p.Needle_V.zero,
       u.v);
  turn(run, c.needle_brake, c.brake_cmd_value * p.Needle_Brake.one + p.Needle_Brake.zero, u.brake);
  turn(run, c.needle_bp, static_cast<long double>(b.bp_press) * p.Needle_BP.one + p.Needle_BP.zero,
       u.bp);
  turn(run, c.needle_mr, static_cast<long double>(b.mr_press) * p.Needle_MR.one + p.Needle_MR.zero,
       u.mr);
  turn(run, c.needle_sap,
       static_cast<long double>(b.sap_press) * p.Needle_SAP.one + p.Needle_SAP.zero, u.sap);
  turn(run, c.needle_er, static_cast<long double>(b.er_press) * p.Needle_ER.one + p.Needle_ER.zero,
       u.er);

  // The BC needle follows the pressure over ten frames.
  for (std::size_t i = c.bc_history.size() - 1; i > 0; --i) c.bc_history[i] = c.bc_history[i - 1];
  c.bc_history[0] = static_cast<long double>(
      round_half_away((bc_shown(run) * p.Needle_BC.one + p.Needle_BC.zero) * kUnitsPerDegree));
  rotate(run, c.needle_bc, std::accumulate(c.bc_history.begin(), c.bc_history.end(), 0.0L) / 10,
         u.bc);

  // Above 160 km/h, and just below standstill backwards, the speedometer stays put.
  const long double speed = run.train.motion.speed;
  if (std::fabs(speed) < kSpeedometerHold && !(speed < 0 && speed > -1)) {
    const Meter& m = p.Needle_Speed;
    turn(run, c.needle_speed, speedometer_degrees(std::fabs(speed), m.zero, m.one, m.c), u.speed);
  }

  linear(c.linear_ip, p.Needle_Ip_L, current);
  linear(c.linear_ib, p.Needle_Ib_L, current);
  linear(c.linear_bc, p.Needle_BC_L, bc_shown(run));
  linear(c.linear_mr, p.Needle_MR_L, static_cast<long double>(b.mr_press));
  if (c.ammeter_mode == 1) {
    show(run, c.linear_ip, false);
    show(run, c.linear_ib, true);
  } else if (c.ammeter_mode == 2) {
    show(run, c.linear_ip, true);
    show(run, c.linear_ib, false);
  }

  if (c.digi_speed.exists()) {
    show(run, c.digi_speed, true);
    const auto n = round_half_away(speed);
    if (n < kDigitalPatterns) pattern(run, c.digi_speed, static_cast<int>(std::llabs(n)));
  }
}

void cab_lamps_step(const ViewRun& run) {
  CabState& c = run.cab;
  const HandleState& h = run.train.handles;
  const VehicleData& v = run.vehicle;
  const StationState& st = run.station;

  // The voltmeter climbs to the line voltage in steps; the brake command gauge halves its way.
  const long double volts = static_cast<long double>(c.volt_value);
  if (volts > kLineVoltage)
    c.volt_value = volts - kVoltStep;
  else if (volts < kLineVoltage)
    c.volt_value = volts + kVoltStep;
  const long double target = h.brake_notch == -v.brake ? 4.5L : -h.brake_notch / 2.0L;
  c.brake_cmd_value += (target - c.brake_cmd_value) / 2;

  const bool service = -v.brake < h.brake_notch && h.brake_notch < 0;
  const long double eb_current = run.train.brakes.ebrake_current;
  show(run, c.lamp_power, c.ammeter_mode == 2);
  show(run, c.lamp_gen, c.ammeter_mode == 1);
  if (doors_allow_traction(run.vehicle, run.station.doors_open))
    show(run, c.lamp_ele, h.power_notch > 0 || (service && eb_current > 0));
  const auto& steps = v.current_p;
  const auto j = static_cast<std::size_t>(std::max(0, run.train.traction.current_step));
  show(run, c.lamp_fin,
       j > 0 && j < steps.size() && steps[j].notch == h.power_notch &&
           (j + 1 == steps.size() || steps[j + 1].notch != h.power_notch));
  show(run, c.lamp_air, service);
  show(run, c.lamp_const, h.const_active == 1);
  show(run, c.panel2, run.options.opt_effects_off == 0 && run.train.motion.tunnel_level != 0);
  show(run, c.lamp_door, st.door_lamp_lit && !st.doors_open);

  // The protection's lamps as the protection and the vigilance device set them.
  const ProtectionState& pr = run.protection;
  for (std::size_t i = 0; i < 3; ++i) show(run, c.lamp_ats[i], pr.ats_lamps[i]);
  for (std::size_t i = 0; i < 2; ++i) show(run, c.lamp_atsp[i], pr.atsp_lamps[i]);
  show(run, c.lamp_eb, pr.eb_lamp);
  show(run, c.lamp_suppress, run.input.suppress_on);

  // The stop alert blinks while it sounds.
  if (vehicle_sound_playing(run.sounds, v.stop[0])) {
    if (run.frame.tenth_count % 10 == 0) show(run, c.lamp_stop, true);
    if (run.frame.tenth_count % 10 == 5) show(run, c.lamp_stop, false);
  }
  if (run.train.motion.speed < 1) show(run, c.lamp_stop, false);  // with the alert, also backing

  // Extra pictures by slot.
  const auto slot = [&](std::size_t i) -> const CabItem* {
    return i < c.others.size() ? &c.others[i] : nullptr;
  };
  // The door-side lamps; each slot follows its own rule, whether or not the other exists.
  bool right = false;
  for (std::size_t i = 0; i < st.st_arrived.size() && i < run.route.stations.size(); ++i)
    if (st.st_arrived[i] && run.route.stations[i].door == 1) right = true;
  if (slot(0)) show(run, *slot(0), st.door_cmd && !right);
  if (slot(1)) show(run, *slot(1), st.door_cmd && right);
  if (slot(2)) show(run, *slot(2), run.input.door_side == 1);
  const int e = run.train.engine.engine_run;
  if (slot(3)) show(run, *slot(3), e == 1 || e == -1 || e == -2);
  if (slot(4) && run.announce.extra_picture4_shown) show(run, *slot(4), true);
  if (slot(5)) show(run, *slot(5), v.ats_type == AtsType::Pattern);
  if (slot(6)) show(run, *slot(6), true);
  if (slot(7)) show(run, *slot(7), true);

  // The cab signal: the speed shown by cab signalling, else the route's checks.
  if (c.cabsignal.exists()) {
    const int shown =
        v.ats_type == AtsType::CabSignal ? run.signals.cab_signal_pattern + 1 : pr.cabsignal_shown;
    show(run, c.cabsignal, shown > 0);
    if (shown > 0) pattern(run, c.cabsignal, shown - 1);
  }
}

void indicators_update(const ViewRun& run) {
  CabState& c = run.cab;
  const HandleState& h = run.train.handles;
  const VehicleData& v = run.vehicle;
  show(run, c.lamp_fwd, h.reverser == 1);
  show(run, c.lamp_neut, h.reverser == 0);
  show(run, c.lamp_back, h.reverser == -1);
  pattern(run, c.gear_lever, run.train.engine.gear_pos);
  pattern(run, c.gear, run.train.engine.gear);

  const bool power_hidden =
      v.handle == HandleType::OneLever && (h.brake_handle < 0 || h.hold_active);
  pattern(run, c.notch_p, h.power_handle);
  show(run, c.notch_p, !power_hidden);
  if (c.notch_b.exists())
    if (const auto b = brake_pattern(run, c.notch_b, h.brake_handle)) pattern(run, c.notch_b, *b);

  if (h.ats_eb || h.eb_device || h.ats_service) {
    // The protection has the brake: the second set shows its brake, not the handles.
    const int count = patterns(run, c.notch_b2);
    pattern(run, c.notch_b2,
            std::max(0, h.ats_service && !h.ats_eb && !h.eb_device ? count - 2 : count - 1));
    pattern(run, c.notch_p2, 0);
    show(run, c.notch_p2, false);
    return;
  }
  pattern(run, c.notch_p2, h.power_handle);
  show(run, c.notch_p2, !power_hidden);
  if (c.notch_b2.exists())
    if (const auto b = brake_pattern(run, c.notch_b2, h.brake_handle)) pattern(run, c.notch_b2, *b);
}

void CommonUtil(const ViewRun& run, int offset) {
  SpriteEngine& sprites = run.platform.sprites;
  for_each_item(run.cab, [&](const CabItem& item) {
    if (item.exists() && item.sways)
      sprites.set_position(item.sprite, item.left, item.top + offset);
  });
  // The route's monitor sits on the desk too.
  const MonitorData& m = run.route.monitor;
  if (run.overlays.sprites.monitor >= 0)
    sprites.set_position(run.overlays.sprites.monitor, m.x, m.y + offset);
}

}  // namespace velmora
