#pragma once
// Small vehicle files written by the tests, read with the real vehicle format.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "common/sjis.h"
#include "data/load_failure.h"
#include "data/text_file.h"
#include "data/vehicle_loader.h"
#include "test_rig.h"

namespace velmora {

// The least a vehicle needs to be accepted: an electric car with a mass, an emergency
// cylinder pressure and one car.
inline const std::string kMinimalVehicle =
    "[Engine_Type]\n1\n[Power_Type]\n1\n[Tons]\n30\n0\n[EBPress]\n400\n0\n[Cars]\n1\n";

struct ReadVehicle {
  VehicleData vehicle;
  PanelData panel;
  VehicleSource source;
};

inline ReadVehicle read_vehicle_text(const std::string& text) {
  ReadVehicle r;
  r.vehicle = read_vehicle(split_text_lines(text), "train.dat", r.panel, r.source);
  return r;
}

// The load error of a text that must be refused.
inline LoadError vehicle_error(const std::string& text) {
  PanelData panel;
  VehicleSource source;
  try {
    read_vehicle(split_text_lines(text), "train.dat", panel, source);
  } catch (const LoadError& e) {
    return e;
  }
  ADD_FAILURE() << "accepted:\n" << text;
  return LoadError("", "", "", "", 0);
}

// The message boxes of a vehicle file that must be refused, loaded from disk.
inline std::vector<std::string> vehicle_messages(const std::filesystem::path& path) {
  PanelData panel;
  try {
    load_vehicle(path, panel);
  } catch (const LoadFailure& f) {
    return f.messages;
  }
  ADD_FAILURE() << "accepted: " << path;
  return {};
}

inline std::filesystem::path write_vehicle(const std::string& folder, const std::string& utf8) {
  const auto path = scratch_dir(folder) / "train.dat";
  std::ofstream(path, std::ios::binary) << utf8_to_cp932(utf8);
  return path;
}

}  // namespace velmora
