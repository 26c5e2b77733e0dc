#pragma once
// The train controllers that present themselves as game controllers, and the notch mapping
// they share with the serial master controller: a controller's handle position becomes the
// same handle state the keys set (dynamics/handles.h), its buttons post the keys they stand
// for.

#include <cstdint>
#include <string>

#include "input/input_run.h"

namespace velmora {

struct VehicleData;
struct PadSnapshot;

// What one poll of the game controller reads: the axes after the dead zone, and the buttons
// gathered into the two words the decoders compare.
struct PadWords {
  int x = 0, y = 0;           // -32768 .. 32767, 0 inside the dead zone
  int p = 0;                  // buttons 0..3 as bits 0..3, buttons 8..15 as bits 4..11
  int b = 0;                  // buttons 4..7 as bits 0..3
  std::uint16_t buttons = 0;  // bit n: button n pressed
};

// An axis value with the dead zone taken out: within 5 % of either half-range it reads 0,
// beyond it the rest is stretched back to the full range (cut towards zero).
int dead_zone(int axis);

// The words of one snapshot; a missing controller reads all zeros.
PadWords pad_words(const PadSnapshot& pad);

// The handle position a controller's notch n stands for on this vehicle: n > 0 the n-th
// [Notch] row of `group` (its last row for a larger n), n < 0 brake step -n (emergency for
// any step beyond the vehicle's), 0 off. Positions beyond the [Notch] rows count as group 0,
// as they do for the keys; a group with no position gives 0. Always within
// 0 .. [Power] and -[Brake] .. 0.
int notch_map(const VehicleData& vehicle, int n, int group);

// One poll of the first game controller, while a controller type is chosen: when anything
// changed since the last decoded poll, the handles follow the controller, the buttons post
// their keys (handled once the poll is done) and the vigilance timer restarts.
void USBScan(const InputRun& run);

// The Controller menu's radio items: 0 keyboard / serial master controller, 1 .. 3 the game
// controller types. Returns false for any other number (nothing changes then).
bool choose_controller(const InputRun& run, int type);

// The Controller menu's debug option: while on, each decoded poll puts "X:<x> Y:<y>" in the
// cab window's caption (event "window_caption"); switching it off puts the route's name back.
void set_controller_debug(const InputRun& run, bool on);

}  // namespace velmora
