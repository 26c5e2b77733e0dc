#include "driver.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <stdexcept>

#include "app/headless_platform.h"
#include "app/input_script.h"
#include "app/main_loop.h"
#include "app/run.h"
#include "app/startup.h"
#include "data/load_failure.h"

namespace velmora::demo {
namespace {

constexpr std::int64_t kFrameNs = 16'667'000;  // velmora-sim's default frame
constexpr double kPlanDecel = 2.0;             // km/h/s: the driver's braking curves
constexpr int kMaxFrames = 60 * 60 * 60;       // an hour of driving at most

// How a vehicle's handles are worked: key characters and the brake positions.
struct Handles {
  bool one_lever = false;
  bool aab = false;  // automatic air brake: release, lap, service
  int power_max = 0;
  int brake_max = 0;  // service positions (emergency excluded)
  double decel_per_notch = 0.45;  // km/h/s, roughly, at middle speeds
};

class Controller {
 public:
  Controller(Run& run, const RouteFacts& facts) : run_(run), facts_(facts) {
    const VehicleData& v = run.vehicle;
    h_.one_lever = v.handle == HandleType::OneLever;
    h_.aab = v.brake_type == BrakeType::AutomaticAir;
    h_.power_max = v.power;
    h_.brake_max = (h_.aab ? 4 : v.brake) - 1;
    h_.decel_per_notch = 3.4 / std::max(1, h_.brake_max);
    // The timetable's clock: a build whose station rules do not yet set the clock at the
    // start keeps its own count, which is read as if it had been set.
    clock_offset_ = facts.start_ticks - run.train.motion.sim_ticks;
  }

  // The keys for this frame.
  std::vector<char> decide(long long frame);
  bool finished() const { return finished_; }
  std::string where() const {
    return "stop " + std::to_string(stop_) + (standing_ ? " standing" : " running") + " at " +
           std::to_string(metres()) + " m, " + std::to_string(speed()) + " km/h, power " +
           std::to_string(power()) + ", brake " + std::to_string(brake()) + ", clock " + std::to_string(ticks()) +
           (run_.station.doors_open ? ", doors open" : "") + (run_.train.handles.ats_eb ? ", protection emergency" : "") +
           (run_.train.handles.ats_service ? ", protection service brake" : "") +
           (run_.train.handles.eb_device ? ", vigilance emergency" : "") + ", brake notch " +
           std::to_string(run_.train.handles.brake_notch) + ", cylinders " + run_.train.brakes.bc_t.to_string() +
           " kPa, main reservoir " + run_.train.brakes.mr_press.to_string() + " kPa";
  }
  int stops_made() const { return stops_made_; }

 private:
  double speed() const { return static_cast<double>(run_.train.motion.speed); }
  double metres() const { return static_cast<double>(run_.train.motion.position_cm) / 100.0; }
  int ticks() const { return run_.train.motion.sim_ticks + clock_offset_; }
  int power() const { return run_.train.handles.power_handle; }
  int brake() const { return -run_.train.handles.brake_handle; }  // 0 released .. brake_max + 1 emergency

  // One key towards the wanted power notch and brake position (brake first).
  void steer(int want_power, int want_brake, std::vector<char>& keys) const;
  double allowed_speed(double at, double target) const;
  void on_arrival(long long frame);

  Run& run_;
  const RouteFacts& facts_;
  Handles h_;
  std::size_t stop_ = 0;  // index in facts.stops of where the train stands or runs to
  bool standing_ = true;
  bool finished_ = false;
  int stops_made_ = 0;
  long long stood_since_ = 0;
  int stood_ticks_ = 0;
  long long last_key_frame_ = 0;
  bool doors_opened_ = false, doors_closed_ = false;
  std::size_t hold_ = 0;
  bool holding_ = false;
  int aab_apply_frames_ = 0;
  int clock_offset_ = 0;
  int creep_frames_ = 0, creep_power_ = 1;
};

void Controller::steer(int want_power, int want_brake, std::vector<char>& keys) const {
  const int p = power(), b = brake();
  if (h_.one_lever) {
    // One lever: brake positions below notch 0, power above.
    const int here = p > 0 ? p : -b, want = want_power > 0 ? want_power : -want_brake;
    if (want > here) keys.push_back('8');
    else if (want < here) keys.push_back('2');
    return;
  }
  if (want_brake > b) {
    keys.push_back('.');
  } else if (want_brake < b) {
    keys.push_back(',');
  } else if (want_power > p) {
    keys.push_back('z');
  } else if (want_power < p) {
    keys.push_back('a');
  }
}

double Controller::allowed_speed(double at, double target) const {
  // The line's speed for the interval, the limits ahead and the stop at `target`.
  const std::size_t st = facts_.stops[stop_ > 0 ? stop_ - 1 : 0].station;
  double v = facts_.line_max[st] - 6;
  for (const DriveLimit& l : facts_.limits) {
    const double L = l.kmh - 3;
    if (at >= l.from_m - 2 && at <= l.to_m) v = std::min(v, L);
    if (at < l.from_m) v = std::min(v, std::sqrt(L * L + 7.2 * kPlanDecel * (l.from_m - 8 - at)));
  }
  const double d = target - at;
  v = std::min(v, std::sqrt(7.2 * kPlanDecel * std::max(0.0, d - 0.6)));
  return v;
}

void Controller::on_arrival(long long frame) {
  standing_ = true;
  stood_since_ = frame;
  stood_ticks_ = ticks();
  doors_opened_ = doors_closed_ = false;
  const DriveStop& s = facts_.stops[stop_];
  if (std::fabs(metres() - s.at_m) <= s.window_m) ++stops_made_;
}

std::vector<char> Controller::decide(long long frame) {
  std::vector<char> keys;
  const double v = speed(), at = metres();
  const DriveStop& here = facts_.stops[stop_];

  if (standing_) {
    // At a stop: hold the brake, work the doors of a one-man train, leave on time.
    const bool last = stop_ + 1 == facts_.stops.size();
    const int hold_brake = h_.aab ? 2 : std::max(2, h_.brake_max / 2);
    if (last) {
      // A one-man train ends its run only once its driver has opened the doors.
      if (facts_.one_man >= OneManMode::OneMan && !doors_opened_ && frame - stood_since_ > 30) {
        keys.push_back('d');
        doors_opened_ = true;
        return keys;
      }
      steer(0, hold_brake, keys);
      if (frame - stood_since_ > 20 * 60) finished_ = true;
      return keys;
    }
    const bool one_man = facts_.one_man >= OneManMode::OneMan;
    // Not before the timetable, and never before the arrival and departure sounds and the
    // doors have had their time, however late the train came in.
    const int sounds = static_cast<int>((here.arrival_s + here.dwell_extra_s + facts_.door_close_s + 3) * 30);
    const int leave = std::max(here.departure + static_cast<int>((here.dwell_extra_s + facts_.door_close_s + 2) * 30),
                               stood_ticks_ + sounds);
    if (one_man && !doors_opened_ && stop_ > 0 && frame - stood_since_ > 30) {
      keys.push_back('d');  // the driver's door switch: open
      doors_opened_ = true;
      return keys;
    }
    if (one_man && !doors_closed_ && ticks() > leave - 60) {
      if (run_.station.doors_open) keys.push_back('d');  // close after the departure melody
      doors_closed_ = true;
      return keys;
    }
    if (ticks() < leave || run_.station.doors_open) {
      steer(0, hold_brake, keys);
      return keys;
    }
    // Release, then power away.
    if (brake() > 0) {
      steer(0, 0, keys);
      return keys;
    }
    if (static_cast<double>(run_.train.brakes.bc_t) > 30) return keys;
    standing_ = false;
    ++stop_;
    hold_ = 0;
  }

  const DriveStop& next = facts_.stops[stop_];
  double target = next.at_m;
  // A signal held at stop on the way: stop short of it until it clears.
  holding_ = false;
  for (const SignalHold& hd : facts_.holds)
    if (hd.stop_before_m > at - 1 && hd.stop_before_m < target && ticks() < hd.until) {
      target = hd.stop_before_m;
      holding_ = true;
    }

  const double d = target - at;
  const double allow = allowed_speed(at, target);
  int want_power = 0, want_brake = 0;
  if (std::fabs(v) < 0.05 && d < (holding_ ? 3.0 : next.window_m - 1.0)) {
    // Stopped: at the stop, or short of a held signal.
    want_brake = h_.aab ? 2 : std::max(2, h_.brake_max / 2);
    if (!holding_ && std::fabs(d) <= next.window_m) {
      steer(0, want_brake, keys);
      if (brake() >= want_brake || h_.aab) on_arrival(frame);
      return keys;
    }
    steer(0, want_brake, keys);
    return keys;
  }
  // Braking need: the deceleration that stops at the target or meets the limit.
  double need = 0;
  if (d > 0.3) need = v * v / (7.2 * std::max(0.5, d - 0.4));
  for (const DriveLimit& l : facts_.limits)
    if (at < l.from_m && v > l.kmh - 3)
      need = std::max(need, (v * v - (l.kmh - 3) * (l.kmh - 3)) / (7.2 * std::max(1.0, l.from_m - 8 - at)));
  if (d <= 0.3 && v > 0.05) need = 4.0;

  if (v > allow + 0.5 || need > 1.2) {
    if (h_.aab) {
      // The brake valve: service until the cylinders do enough, lap to hold; release
      // when braking far too hard, since the valve cannot ease off partly.
      const double decel = -static_cast<double>(run_.train.traction.accel_net);
      if (need > decel + 0.25 && aab_apply_frames_ < 240) {
        want_brake = 3;
        ++aab_apply_frames_;
      } else if (decel > need + 0.5 && (d > 12 || v > 6)) {
        want_brake = 0;
        aab_apply_frames_ = 0;
      } else {
        want_brake = 2;
      }
    } else {
      want_brake = std::clamp(static_cast<int>(std::ceil(need / h_.decel_per_notch)) + (v > allow + 3 ? 1 : 0), 1, h_.brake_max);
    }
  } else if (v < allow - 6 && d > 15) {
    want_power = d > 60 ? h_.power_max : std::max(2, h_.power_max / 2);
    aab_apply_frames_ = 0;
  } else if (v < allow - 1.5 && d > 15 && power() > 0) {
    want_power = power();  // keep notching up to the speed
  } else if (d < 15 && v < 4 && need < 0.5) {
    // Creeping the last metres to the mark, with more power where a grade holds it back.
    if (v < 1) ++creep_frames_;
    else creep_frames_ = 0;
    creep_power_ = std::clamp(creep_power_ + (creep_frames_ > 90 ? 1 : 0), 1, h_.power_max);
    if (creep_frames_ > 90) creep_frames_ = 0;
    want_power = v < 2 ? creep_power_ : 0;
  }
  if (d >= 15) creep_power_ = 1;
  steer(want_power, want_brake, keys);
  // The vigilance device wants a key at least once a minute while moving.
  if (keys.empty() && frame - last_key_frame_ > 30 * 60 && std::fabs(v) > 1 && !h_.one_lever && power() == 0)
    keys.push_back('a');
  if (!keys.empty()) last_key_frame_ = frame;
  return keys;
}

}  // namespace

DriveResult drive_route(const std::filesystem::path& data_dir, const LineModel& line,
                        const RouteFacts& facts) {
  RunConfig config;
  config.program_dir = data_dir;
  config.route_file = line.design.route_file;
  config.vehicle_file = line.design.vehicle_file;
  HeadlessPlatform platform;
  Run run(config, platform.services());
  try {
    FormCreate(run);
  } catch (const LoadFailure& failure) {
    std::string text = line.design.route_file + " does not load: " + failure.detail;
    for (const std::string& m : failure.messages) text += " / " + m;
    throw std::runtime_error(text);
  }

  Controller controller(run, facts);
  std::ostringstream script;
  script << "# " << line.design.route_file << " with " << line.design.vehicle_file
         << ": the demo's scripted drive (make-demo)\n";
  std::ostringstream body;
  long long frame = 0;
  for (; frame < kMaxFrames && !run.frame.ended && !controller.finished(); ++frame) {
    platform.log.frame = frame;
    for (char c : controller.decide(frame)) {
      const command::Typed typed{static_cast<char32_t>(static_cast<unsigned char>(c))};
      apply(run, typed);
      body << frame << ' ' << script_text(typed) << '\n';
    }
    platform.clock.advance_ns(kFrameNs);
    for (int pass = 0; pass < 100000 && run.frame.app_ready; ++pass)
      if (AppIdle(run)) break;
  }
  if (!controller.finished() && !run.frame.ended)
    throw std::runtime_error(line.design.route_file + ": the scripted driver did not reach the last stop (" +
                             controller.where() + ")");
  DriveResult result;
  result.frames = static_cast<int>(frame) + 60;
  result.stops_made = controller.stops_made();
  script << "# frames: " << result.frames << "\n# stops:";
  for (const DriveStop& s : facts.stops) script << ' ' << s.station;
  script << '\n' << body.str();
  result.script = script.str();
  return result;
}

}  // namespace velmora::demo
