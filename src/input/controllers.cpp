#include "input/controllers.h"

#include <algorithm>
#include <array>
#include <climits>

#include "dynamics/handles.h"
#include "input/input_run.h"
#include "input/posted_input.h"

namespace velmora {
namespace {

constexpr int kDeadZone = 1638;  // 5 % of a half-range, cut towards zero

bool pressed(const PadWords& w, int button) { return ((w.buttons >> button) & 1) != 0; }

// A handle position read from an axis: `value` where low < axis < high. The bounds are
// exclusive, so an axis exactly on one leaves the handle where it was.
struct AxisBand {
  int low, high, value;
};

const AxisBand* band_of(int axis, const AxisBand* first, const AxisBand* last) {
  const AxisBand* at =
      std::find_if(first, last, [&](const AxisBand& b) { return b.low < axis && axis < b.high; });
  return at == last ? nullptr : at;
}

// Power on axis Y (pushed away from the driver is negative), brake on axis X.
constexpr std::array<AxisBand, 5> kUsbPower = {{{-5000, 0, 1},
                                                {-12000, -5000, 2},
                                                {-20000, -12000, 3},
                                                {-30000, -20000, 4},
                                                {INT_MIN, -30000, 5}}};
constexpr std::array<AxisBand, 9> kUsbBrake = {{{0, 1000, -1},
                                                {1000, 4000, -2},
                                                {4000, 6000, -3},
                                                {6000, 8000, -4},
                                                {8000, 9500, -5},
                                                {9500, 11000, -6},
                                                {11000, 12000, -7},
                                                {12000, 13000, -8},
                                                {13000, INT_MAX, -9}}};

void decode_usb_pad(const InputRun& run, const PadWords& w, PostedInputs& posts) {
  HandleState& h = run.train.handles;
  const VehicleData& v = run.vehicle;
  if (w.y >= 0) h.power_handle = 0;
  if (const AxisBand* b = band_of(w.y, kUsbPower.data(), kUsbPower.data() + kUsbPower.size()))
    h.power_handle = notch_map(v, b->value, h.notch_group_sel);
  run.suppression_reset();
  if (w.x <= 0)
    h.brake_handle = notch_map(v, 0, 0);
  else if (const AxisBand* b = band_of(w.x, kUsbBrake.data(), kUsbBrake.data() + kUsbBrake.size()))
    h.brake_handle = notch_map(v, b->value, 0);

  if (pressed(w, 0)) post_char(posts, U'9');
  if (pressed(w, 1)) post_char(posts, U'1');
  if (pressed(w, 2)) post_char(posts, U'3');
  if (pressed(w, 3)) post_char(posts, U'7');
  if (pressed(w, 4)) post_enter(posts);
  if (pressed(w, 5)) post_char(posts, U's');
}

// Notches by the button values in the user's settings: P0..P5 against P + X + Y, then
// B0..B8 and EB against B. A value matching no entry leaves its handle.
void decode_ps_pad(const InputRun& run, const PadWords& w, PostedInputs& posts) {
  HandleState& h = run.train.handles;
  const VehicleData& v = run.vehicle;
  const auto& map = run.input.dg_button_map;
  const int power_value = w.p + w.x + w.y;
  for (int n = 0; n <= 5; ++n) {
    if (map[static_cast<std::size_t>(n)] == power_value) {
      h.power_handle = notch_map(v, n, h.notch_group_sel);
      break;
    }
  }
  run.suppression_reset();
  for (int step = 0; step <= 9; ++step) {
    if (map[static_cast<std::size_t>(6 + step)] == w.b) {
      h.brake_handle = notch_map(v, -step, 0);
      break;
    }
  }

  if (pressed(w, 9)) post_char(posts, U'1');
  if (pressed(w, 1)) post_char(posts, U'3');
  if (pressed(w, 2)) post_char(posts, U'7');
  if (pressed(w, 3)) post_char(posts, U'9');
  if (pressed(w, 8)) post_char(posts, U'r');
}

// The OHC-PC01's handle positions, coded on buttons 6 and 7 (in B) and 8 and 9 (in P).
struct OhcPosition {
  int b, p;
  int power;  // notch, or kNone
  int brake;  // brake step (negative), 0 released, or kNone
};
constexpr int kNone = INT_MIN;
constexpr std::array<OhcPosition, 15> kOhcPositions = {{
    {4, 16, 0, 0},
    {4, 48, 1, kNone},
    {12, 0, 2, kNone},
    {12, 32, 3, kNone},
    {12, 16, 4, kNone},
    {12, 48, 5, kNone},
    {4, 32, kNone, -1},
    {4, 0, kNone, -2},
    {8, 48, kNone, -3},
    {8, 16, kNone, -4},
    {8, 32, kNone, -5},
    {8, 0, kNone, -6},
    {0, 48, kNone, -7},
    {0, 16, kNone, -8},
    {0, 32, kNone, -9},
}};
constexpr int kOhcHandleBitsB = 4 | 8;    // buttons 6 and 7
constexpr int kOhcHandleBitsP = 16 | 32;  // buttons 8 and 9

void decode_ohc_pc01(const InputRun& run, const PadWords& w, PostedInputs& posts) {
  HandleState& h = run.train.handles;
  const VehicleData& v = run.vehicle;
  // Only the handle's own buttons: the horn, key-4 and door buttons held while the handle
  // moves must not hide the move.
  const int b = w.b & kOhcHandleBitsB;
  const int p = w.p & kOhcHandleBitsP;
  const auto at = std::find_if(kOhcPositions.begin(), kOhcPositions.end(),
                               [&](const OhcPosition& o) { return o.b == b && o.p == p; });
  if (at != kOhcPositions.end()) {
    if (at->power != kNone) h.power_handle = notch_map(v, at->power, h.notch_group_sel);
    if (h.power_handle > 0) h.brake_handle = 0;
    run.suppression_reset();
    if (at->brake != kNone) h.brake_handle = notch_map(v, at->brake, 0);
    if (h.brake_handle < 0) h.power_handle = 0;
  }

  run.controllers.ohc_horn = pressed(w, 0) ? 1 : 0;
  if (pressed(w, 1)) post_char(posts, U'4');
  if (pressed(w, 2)) post_char(posts, U'7');
  post_char(posts, w.y < 0 ? U'f' : w.y == 0 ? U'n' : U'b');
}

}  // namespace

int dead_zone(int axis) {
  if (axis >= -kDeadZone && axis <= kDeadZone) return 0;
  const int edge = axis > 0 ? kDeadZone : -kDeadZone;
  return (axis - edge) * 100 / 95;
}

PadWords pad_words(const PadSnapshot& pad) {
  PadWords w;
  if (!pad.present) return w;
  // The device's range; a wider value would overflow the stretch.
  w.x = dead_zone(std::clamp(pad.x, -32768, 32767));
  w.y = dead_zone(std::clamp(pad.y, -32768, 32767));
  w.buttons = pad.buttons;
  const int bits = pad.buttons;
  w.p = (bits & 0x000F) | ((bits >> 4) & 0x0FF0);
  w.b = (bits >> 4) & 0x000F;
  return w;
}

int notch_map(const VehicleData& vehicle, int n, int group) {
  if (n < 0) return std::max(n, -vehicle.brake);
  if (n == 0) return 0;
  int first = 0, last = 0;  // positions (from 1) of the group's first and last notch
  for (int position = 1; position <= vehicle.power; ++position) {
    if (notch_row_group(vehicle, position) != group) continue;
    if (first == 0) first = position;
    last = position;
  }
  // No notch of the group: the handle stays off rather than take another group's notch.
  if (first == 0) return 0;
  const int count = last - first + 1;
  if (n <= count && notch_row_group(vehicle, first + n - 1) == group) return first + n - 1;
  return last;
}

namespace {

// A controller pulled out cannot hold power on: power to notch 0, the brake stays where it
// was (releasing it would be the worse surprise). The next one plugged in is read afresh.
void pad_lost(const InputRun& run) {
  ControllerState& c = run.controllers;
  HandleState& h = run.train.handles;
  c.pad_present = false;
  c.ctrl_last_sum = kNoPadSum;
  c.ohc_horn = 0;
  run.platform.events.event("device", "pad lost");
  if (h.power_handle == 0) return;
  h.power_handle = 0;
  h.power_pending = true;
  run.masconupdate();
}

}  // namespace

void USBScan(const InputRun& run) {
  ControllerState& c = run.controllers;
  HandleState& h = run.train.handles;
  const PadSnapshot pad = run.platform.pad.poll();
  // No controller: nothing to read, and nothing changes but the loss of one that was there.
  if (!pad.present) {
    if (c.pad_present) pad_lost(run);
    return;
  }
  if (!c.pad_present) {
    // Seen for the first time, or plugged back: a controller that was lost is told.
    if (c.ctrl_last_sum == kNoPadSum) run.platform.events.event("device", "pad back");
    c.pad_present = true;
  }
  const PadWords w = pad_words(pad);
  const int sum = w.x + w.y + w.p + w.b;
  if (sum == c.ctrl_last_sum) return;
  run.rules.protection.eb_timer = 0;

  // The latches follow what this poll changed. Compared with the handles before the poll
  // rather than after the last decoded one: a handle the keys moved meanwhile (or the
  // emergency brake the run starts in) must still reach its notch when the controller
  // brings it back.
  const int power_before = h.power_handle;
  const int brake_before = h.brake_handle;
  PostedInputs posts;
  switch (c.ctrl_type) {
    case kCtrlUsbPad:
      decode_usb_pad(run, w, posts);
      break;
    case kCtrlPsPad:
      decode_ps_pad(run, w, posts);
      break;
    case kCtrlOhcPc01:
      decode_ohc_pc01(run, w, posts);
      break;
    default:
      break;
  }
  if (c.debug_caption)
    run.platform.events.event("window_caption",
                              "X:" + std::to_string(w.x) + " Y:" + std::to_string(w.y));

  c.ctrl_last_sum = sum;
  if (h.power_handle != power_before) {
    h.power_pending = true;
    run.masconupdate();
  }
  if (h.brake_handle != brake_before) {
    set_brake_latches(run.train.handles);
    run.masconupdate();
  }
  handle_posted(run, posts);
}

bool choose_controller(const InputRun& run, int type) {
  if (type < 0 || type >= kCtrlTypeCount) return false;
  ControllerState& c = run.controllers;
  c.ctrl_type = type;
  // Only the OHC-PC01 is polled for its horn button: a horn held when another type was
  // chosen would otherwise blow until the end of the run.
  if (type != kCtrlOhcPc01) c.ohc_horn = 0;
  return true;
}

void set_controller_debug(const InputRun& run, bool on) {
  run.controllers.debug_caption = on;
  if (!on) run.platform.events.event("window_caption", run.route.line_name);
}

}  // namespace velmora
