#pragma once
// Which of the driver's keys work on the vehicle being driven: the help window shows it
// above the operating guide, so that a one-lever car's driver is not told of two levers.

#include <string>

namespace velmora {

struct VehicleData;

// A few lines, Japanese then English, for the vehicle's handles ([Handle]), engine
// ([Engine_Type]) and gears ([Gear_Type]). Letters as typed: the commands are lower case.
std::string vehicle_key_guide(const VehicleData& vehicle);

}  // namespace velmora
