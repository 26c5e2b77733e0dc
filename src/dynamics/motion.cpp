#include "dynamics/motion.h"

#include <cmath>

#include "common/rounding.h"

namespace velmora {

void integrate_speed(Train& train, const TrainInputs& in) {
  MotionState& m = train.motion;
  TractionState& t = train.traction;
  const HandleState& h = train.handles;
  const long double M = in.load.total_mass;

  if (m.resist_force > 0 && h.hold_active && m.gradient < 0) m.traction_force -= m.resist_force;
  if (h.const_active == 1) m.traction_force = m.resist_force < 0 ? -m.resist_force.value() : 0.0L;
  if (in.movie_state == MovieState::StopFilm) m.resist_force = Fixed4();
  // A train without mass cannot be moved by any force.
  if (!(M > 0)) return;

  const long double tf = m.traction_force, rf = m.resist_force;
  const long double frame_ms = in.frame_ms;
  t.speed_next = m.speed + tf / (M * 1000) * 3.6L / frame_ms + rf / (M * 1000) * 3.6L / frame_ms;
  const long double brake = train.brakes.brake_force;
  if (m.speed > 0 && tf < 0 && std::fabs(tf) > std::fabs(rf) && t.speed_next < 0) {
    m.speed = 0;
  } else if (m.speed < 0 && tf > 0 && std::fabs(tf) > std::fabs(rf) && t.speed_next > 0) {
    m.speed = 0;
  } else if (m.speed == 0 &&
             std::fabs(brake) > std::fabs(static_cast<long double>(t.traction_only)) &&
             std::fabs(brake) > std::fabs(rf)) {
    // The brakes hold the standing train.
  } else {
    // The resistances that oppose the motion can slow the train to a stand and hold it there,
    // never set it moving nor turn it round: a standing train starts only when traction or
    // gravity outweighs them, in their direction, and one that they would turn round stops.
    const long double R = in.movie_state == MovieState::StopFilm ? 0 : t.motion_resistance;
    const auto gain = [&](long double force) { return force / (M * 1000) * 3.6L / in.fps; };
    const long double before = m.speed;
    if (before == 0) {
      const long double drive = tf + rf + R;  // at a stand R was taken off as if forward
      if (drive > R)
        m.speed += gain(tf + rf);
      else if (drive < -R)
        m.speed += gain(drive + R);
    } else {
      m.speed += gain(tf + rf);
      const long double without_r = before + gain(tf + rf + (before > 0 ? R : -R));
      const bool turned = before > 0 ? m.speed < 0 : m.speed > 0;
      const bool driven_round = before > 0 ? without_r < 0 : without_r > 0;
      if (turned && !driven_round) m.speed = 0;
    }
  }
}

void anchor_film_speed(MotionState& m, const TrainInputs& in) {
  const auto& units = in.route.speed_units;
  const int frame = in.film_frame;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const SpeedUnitData& u = units[i];
    if (!(u.first_frame <= frame && frame < u.last_frame)) continue;
    const int segment = static_cast<int>(i);
    if (m.speedunit_seg != segment && m.speedunit_seg != -1) {
      if (segment == 0)
        m.position_cm = 0;
      else if (m.speedunit_seg < segment)
        m.position_cm = units[i - 1].distance_end;
      else
        m.position_cm = u.distance_end;
    }
    m.film_speed = u.speed_first + (u.speed_last - u.speed_first) / (u.last_frame - u.first_frame) *
                                       (frame - u.first_frame);
    m.speedunit_seg = segment;
  }
}

void advance_position_and_clock(Train& train, const TrainInputs& in, TrainEvents& events) {
  MotionState& m = train.motion;
  TractionState& t = train.traction;
  const long double frame_ms = in.frame_ms;
  if (m.speed != 0) m.position_cm += m.speed / 36 * frame_ms;
  m.stop_distance = in.stop_position - m.position_cm;
  t.tick_ms += frame_ms;
  if (t.tick_ms > 33.3L) {
    const std::int64_t k = round_half_away(t.tick_ms / 33.3L);
    m.sim_ticks += static_cast<int>(k);
    t.tick_ms -= k * 33.3L;
    // A stop-type switched film runs at one frame per tick: the run moves it.
    events.clock_ticked = true;
  }
}

void advance_film_frame(MotionState& motion, long double& frame_accum, int& film_frame,
                        int film_fps, long double frame_ms) {
  const long double speed = motion.speed;
  frame_accum += std::fabs(film_fps / (1000.0L / frame_ms) * speed);
  if (motion.film_speed == 0) motion.film_speed = 0.1L;
  const long double film_speed = motion.film_speed;
  if (frame_accum < film_speed) return;

  const long double frames = frame_accum / film_speed;
  const long double whole = std::trunc(frames);
  const long double rest = frame_accum - whole * film_speed;
  // Out of int range is far past the ten-second cap, so the cast only sees small values.
  const int step = frames < 10.0L * film_fps ? static_cast<int>(whole) : film_fps;
  if (speed > 0)
    film_frame += step;
  else if (speed < 0)
    film_frame -= step;
  frame_accum = rest;
}

void halt(Train& train) {
  train.motion.speed = 0;
  train.handles.power_handle = 0;
  train.handles.power_notch = 0;
}

}  // namespace velmora
