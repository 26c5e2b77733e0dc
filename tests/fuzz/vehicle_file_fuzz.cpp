// The vehicle file on arbitrary bytes: loads or fails with its message, never stores past a
// table's capacity, and whatever loads keeps the values the run divides by away from zero.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "data/load_failure.h"
#include "data/text_file.h"
#include "data/vehicle_loader.h"

namespace {

using namespace velmora;

bool within_capacities(const VehicleData& v, const PanelData& p) {
  for (int first : v.notch_first_row)
    if (first < 0 || static_cast<std::size_t>(first) > v.notch.size()) return false;
  return v.notch.size() <= kNotchRowCapacity && v.suppress.size() <= kSuppressCapacity &&
         v.brake_current_limit.size() <= kBrakeCurrentLimitCapacity &&
         v.power_mode.size() <= kPowerModeCapacity && v.engine.size() <= kEngineGearCapacity &&
         v.engine_rate.size() <= kEngineRateCapacity &&
         v.engine_sound1.size() <= kMotorSoundCapacity &&
         v.engine_sound3.size() <= kHensokuSoundCapacity &&
         v.drive_sound.size() <= kDriveSoundCapacity &&
         v.switch_sound.size() <= kSwitchSoundCapacity && v.current_p.size() <= kCurrentPCapacity &&
         v.current_b.size() <= kCurrentBCapacity && p.Others.size() <= kOthersCapacity &&
         p.lamp_signal_speeds.size() <= kLampSignalCapacity;
}

bool settled(const VehicleData& v) {
  if (v.brake_type == BrakeType::AutomaticAir ? v.brake != 4 : v.brake < 3) return false;
  if (v.tons.empty.raw() < Fixed4::kScale || v.eb_press.empty < 1 || v.cars < 1 ||
      v.cars > kMaxCars)
    return false;
  // Short tables are filled up with zero rows.
  if (v.engine_type == EngineType::Electric && v.power_type == 1 && v.power > 0 &&
      v.notch.size() < std::min(static_cast<std::size_t>(v.power), kNotchRowCapacity))
    return false;
  if (v.engine_type == EngineType::Diesel && v.engine_rate.size() < v.engine.size()) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto lines = split_text_lines({reinterpret_cast<const char*>(data), size});
  VehicleData vehicle;
  PanelData panel;
  VehicleSource source;
  // Pictures with an odd-length name count as missing, so that path is taken too.
  const PictureCheck check = [](const std::string& name) {
    if (name.size() % 2 == 1) throw DataError("missing picture");
  };
  bool loaded = false;
  try {
    read_sectioned(lines, vehicle_format(vehicle, panel, source, check), "train.dat");
    settle_vehicle(vehicle, source, "train.dat");
    loaded = true;
  } catch (const LoadError& e) {
    if (load_failure(DataFileKind::Vehicle, e).messages.size() != 1) __builtin_trap();
  }
  if (!within_capacities(vehicle, panel)) __builtin_trap();
  if (loaded && !settled(vehicle)) __builtin_trap();
  return 0;
}
