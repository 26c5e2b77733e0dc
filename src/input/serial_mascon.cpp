#include "input/serial_mascon.h"

#include <cmath>

#include "dynamics/handles.h"
#include "input/controllers.h"
#include "input/input_run.h"
#include "input/posted_input.h"
#include "sound/vehicle_sounds.h"
#include "view/value_display.h"

namespace velmora {
namespace {

constexpr std::size_t kCodeLength = 5;  // a line is told by its first five characters

// The mascon.dat codes by meaning.
constexpr int kCodePower1 = 0;    // 0..5: power notch 1..6, brake released
constexpr int kCodeNeutral = 6;   // power and brake off
constexpr int kCodeBrake1 = 7;    // 7..15: brake step 1..9, power off
constexpr int kCodeForward = 16;  // 16..18: reverser forward, neutral, backward
constexpr int kCodeSpace = 19;    // 19..21: the characters space, 3 and 7
constexpr int kCodeEnter = 22;

bool is_code(const InputRun& run, std::string_view k, int code) {
  const auto& codes = run.mascon.codes;
  const auto i = static_cast<std::size_t>(code);
  return i < codes.size() && codes[i] == k;
}

}  // namespace

void mascon_line(const InputRun& run, std::string_view line) {
  HandleState& h = run.train.handles;
  const VehicleData& v = run.vehicle;
  const std::string_view k = line.substr(0, kCodeLength);

  if (!h.eb_device) {
    run.rules.protection.eb_timer = 0;
    vehicle_sound_stop(run.sounds, v.sound_ebring);
    run.rules.protection.eb_lamp = false;
  }
  set_value_display_caption(run.view.value_display, line);

  for (int i = 0; i <= 5; ++i) {
    if (!is_code(run, k, kCodePower1 + i)) continue;
    h.power_handle = notch_map(v, i + 1, h.notch_group_sel);
    set_handle_latches(run.train.handles);
    h.brake_handle = 0;
    run.masconupdate();
  }
  if (is_code(run, k, kCodeNeutral)) {
    h.power_handle = 0;
    h.brake_handle = 0;
    set_handle_latches(run.train.handles);
    run.masconupdate();
  }
  for (int step = 1; step <= 9; ++step) {
    if (!is_code(run, k, kCodeBrake1 + step - 1)) continue;
    h.power_handle = 0;
    set_handle_latches(run.train.handles);
    h.brake_handle = notch_map(v, -step, 0);
    run.masconupdate();
  }
  run.suppression_reset();
  for (int i = 0; i < 3; ++i) {
    if (is_code(run, k, kCodeForward + i) && std::fabs(run.train.motion.speed) <= 1) {
      h.reverser = 1 - i;
      run.masconupdate();
    }
  }

  PostedInputs posts;
  constexpr char32_t kPostedChars[] = {U' ', U'3', U'7'};
  for (int i = 0; i < 3; ++i)
    if (is_code(run, k, kCodeSpace + i)) post_char(posts, kPostedChars[i]);
  if (is_code(run, k, kCodeEnter)) post_enter(posts);
  handle_posted(run, posts);
}

std::vector<std::string> RxChar(const InputRun& run, std::string_view received) {
  std::string& pending = run.controllers.rx_result;
  std::vector<std::string> lines;
  for (const char ch : received) {
    if (ch == '\n') continue;
    if (ch != '\r') {
      pending += ch;
      continue;
    }
    lines.push_back(pending);
    pending.clear();
    mascon_line(run, lines.back());
  }
  return lines;
}

std::vector<std::string> serial_lines(const InputRun& run, std::string_view received) {
  std::string& pending = run.controllers.rx_result;
  std::vector<std::string> lines;
  for (const char ch : received) {
    if (ch == '\n') continue;
    if (ch != '\r') {
      pending += ch;
      continue;
    }
    lines.push_back(std::move(pending));
    pending.clear();
  }
  return lines;
}

void serial_connection(const InputRun& run, bool connected) {
  run.platform.events.event("device", connected ? "serial back" : "serial lost");
  if (connected) return;
  run.controllers.rx_result.clear();
  HandleState& h = run.train.handles;
  if (h.power_handle == 0) return;
  h.power_handle = 0;
  h.power_pending = true;
  run.masconupdate();
}

}  // namespace velmora
