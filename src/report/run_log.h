#pragma once
// What the driver did, for the report after the drive: each station's stop and times, every
// stretch above the speed in force, every protection intervention, the ride's comfort and
// the totals. The frame feeds it once a pass from the state the subsystems own; it writes
// nothing but itself, so a drive runs the same with or without it.

#include <optional>
#include <string>
#include <vector>

#include "data/route_data.h"
#include "dynamics/handle_state.h"
#include "dynamics/motion_state.h"
#include "dynamics/traction_state.h"
#include "route/protection_state.h"
#include "route/signal_state.h"
#include "route/station_state.h"

namespace velmora {

// A station as the report shows it, and what happened there.
struct StationRecord {
  int index = 0;
  std::string name;
  bool stops = true;   // a stop of this train (every type but the passed stations)
  bool start = false;  // the drive started here
  long double position_cm = 0;
  long double zone_from_cm = 0, zone_to_cm = 0;  // the stop zone
  int deptime = 0;  // timetable departure, clock ticks (1/30 s); 0: none

  std::optional<int> arrival_ticks;    // the train first stood here
  std::optional<int> departure_ticks;  // it last started moving before it left
  // Where it last stood before leaving, cm past the stop position (negative: short).
  std::optional<long double> stop_error_cm;
  bool in_zone = false;    // that last standstill lay inside the stop zone
  bool overrun = false;    // it stood beyond the zone at some time
  bool stop_back = false;  // the driver moved back by the overrun correction
  bool missed = false;     // a stop passed without standing
  long double doors_open_ms = 0;
};

// A stretch above the speed in force.
struct OverSpeed {
  long double from_cm = 0, to_cm = 0;
  int start_ticks = 0;          // clock at its start
  long double ms = 0;           // how long
  long double distance_cm = 0;  // how far
  int limit_kmh = 0;            // the speed in force where it was worst
  long double max_over_kmh = 0;
  std::string limit_kind;  // what set that speed: line, limit, signal, pattern, cab
};

// One protection intervention or warning. Kinds: signal_at_stop (a signal passed at stop),
// ats_bell (the protection's alarm), ats_confirm (the driver confirmed it), pattern_approach,
// pattern_brake, service_brake (a speed check's service brake), emergency (the
// protection's emergency brake), vigilance_bell, vigilance_brake, driver_emergency (the
// driver's handle at emergency while moving).
struct ProtectionMark {
  std::string kind;
  int ticks = 0;  // clock
  long double position_cm = 0;
  long double speed_kmh = 0;
  std::string detail;  // e.g. the signal's index
};

// A signal the train passed, with the aspect it showed.
struct SignalPass {
  int index = 0;
  long double position_cm = 0;
  int aspect = 0;  // 0: stop
  int ticks = 0;
};

// One point of the run curve.
struct CurvePoint {
  long double position_cm = 0;
  long double speed_kmh = 0;
  int limit_kmh = 0;  // the speed in force
  bool jump = false;  // the train was moved here (a station jump): no line from the point before
};

struct RunComfort {
  long double max_decel_kmhs = 0;     // km/h/s, over half-second steps while moving
  long double max_jerk_kmhs2 = 0;     // km/h/s², the change between those steps
  int emergency_applications = 0;     // while moving, by the driver or the protection
  int full_service_applications = 0;  // while moving, by the driver or the protection
};

struct RunTotals {
  long double distance_cm = 0;         // run, either way
  long double run_ms = 0;              // time the frame ran
  int start_ticks = 0, end_ticks = 0;  // the clock
  long double energy_j = 0;            // traction force × distance while powering
  int peak_current_a = 0;              // motor current, where the vehicle's model has one
};

struct RunLog {
  bool started = false;
  std::vector<StationRecord> stations;
  std::vector<OverSpeed> over_speeds;
  std::vector<ProtectionMark> protection;
  std::vector<SignalPass> signals;
  std::vector<CurvePoint> curve;
  RunComfort comfort;
  RunTotals totals;

  // Between passes.
  struct Previous {
    long double speed = 0, position_cm = 0;
    int film_frame = 0;
    bool moving = false;
    int start_ticks = 0;  // the clock when the train last started moving
    bool ats_alarm = false, ats_ack = false, ats_eb = false, ats_service = false;
    bool eb_device = false, eb_lamp = false;
    int ats_p_state = 0;
    int brake_notch = 0;
    int limit_kmh = 0;
    std::optional<std::size_t> over;  // the stretch above the speed in force running now
    long double window_ms = 0, window_speed = 0;  // the half-second comfort step
    std::optional<long double> window_accel;
    std::optional<int> standing_at;  // station the standing train belongs to
    bool after_jump = false;         // the train has not moved since it was moved by a jump
  } prev;
};

// What one pass hands the log: the state as the frame left it.
struct RunLogPass {
  long double frame_ms = 0;
  int film_frame = 0;
  const RouteData& route;
  int brake_positions = 0;          // the vehicle's [Brake]: emergency at -brake_positions
  bool pattern_protection = false;  // [ATS_Type] 1
  const std::vector<int>& lamp_signal_speeds;  // cab signalling's speeds by picture
  const MotionState& motion;
  const HandleState& handles;
  const TractionState& traction;
  const StationState& station;
  const ProtectionState& protection;
  const SignalState& signals;
};

// The driver's words for a protection mark's kind and for what set a speed in force.
std::string protection_kind_text(const std::string& kind);
std::string limit_kind_text(const std::string& kind);

// The speed in force where the pass leaves the train, and what sets it.
struct SpeedInForce {
  int kmh = 0;
  std::string kind;
};
SpeedInForce speed_in_force(const RunLogPass& pass);

// The first pass of a drive (after start-up) also takes the station table.
void run_log_step(RunLog& log, const RunLogPass& pass);

// The drive has reached or passed a station beyond the one it started from: worth a report.
bool reached_a_station(const RunLog& log);

// The driver's own moves the state does not show.
// The overrun correction: a station jump back to the stop the train ran past.
void note_stop_back(RunLog& log, int station);

}  // namespace velmora
