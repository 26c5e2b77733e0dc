#pragma once
// For targets that drive a run on a fuzzed data file: the fixture's data folder is copied once
// per process, each input takes the place of one of its files, and a short scripted drive runs
// on the headless platform, so values that load but break the run are reached too.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/headless_platform.h"
#include "app/input_script.h"
#include "app/scripted_drive.h"
#include "app/startup.h"
#include "data/load_failure.h"

namespace velmora {

// The driver's part, at 10 frames a second: reverser forward, brake off and power (and a
// diesel engine started), gears and constant speed, power off and brake, a station jump and
// a start from there, the emergency brake, the reverser back and a start backwards, the
// one-lever moves, a jump back and a frame after a long gap.
inline constexpr const char* kFuzzDriveScript =
    "0 char f\n0 menu jump_engine_start\n1 char ,\n1 char ,\n1 char ,\n1 char ,\n"
    "1 char ,\n1 char ,\n1 char ,\n1 char ,\n2 char z\n2 char z\n2 char z\n2 char z\n"
    "90 char w\n90 char x\n92 char z\n92 char z\n92 char t\n92 char space\n120 char a\n"
    "120 char a\n120 char a\n120 char a\n120 char .\n120 char .\n120 char .\n"
    "150 station 2\n152 char ,\n152 char ,\n152 char ,\n152 char ,\n152 char ,\n"
    "152 char ,\n152 char ,\n152 char ,\n153 char z\n153 char z\n153 char z\n153 char z\n"
    "153 char z\n200 char /\n200 char q\n215 char r\n215 char n\n215 char b\n216 char ,\n"
    "216 char ,\n216 char ,\n216 char ,\n216 char ,\n216 char ,\n216 char ,\n216 char ,\n"
    "217 char z\n217 char z\n240 char 0\n241 char 5\n242 char 8\n242 char 8\n242 char 8\n"
    "243 char 2\n243 char 2\n250 station 0\n252 time 2000000000\n";

inline constexpr long long kFuzzDriveFrames = 260;
inline constexpr std::int64_t kFuzzFrameNs = 100'000'000;

// The fixture's data folder, copied into a folder of this process and removed when it ends
// (a crash leaves it, beside the input libFuzzer keeps).
class FuzzDataFolder {
 public:
  FuzzDataFolder()
      : dir_(std::filesystem::temp_directory_path() /
             ("velmora-fuzz-" + std::to_string(::getpid()) + "-drive")) {
    std::filesystem::remove_all(dir_);
    std::filesystem::copy(std::filesystem::path(VELMORA_FIXTURES) / "basic", dir_,
                          std::filesystem::copy_options::recursive);
  }
  ~FuzzDataFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  FuzzDataFolder(const FuzzDataFolder&) = delete;
  FuzzDataFolder& operator=(const FuzzDataFolder&) = delete;

  const std::filesystem::path& dir() const { return dir_; }
  void write(const std::string& name, const std::uint8_t* data, std::size_t size) const {
    std::ofstream out(dir_ / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }

 private:
  std::filesystem::path dir_;
};

// The fixture run on `folder` with its vehicle and route, driven by the script. A file that
// does not load is a normal end.
inline void fuzz_drive(const FuzzDataFolder& folder) {
  static const std::vector<ScriptCommand> script = parse_input_script(kFuzzDriveScript);
  RunConfig config;
  config.program_dir = folder.dir();
  config.vehicle_file = "train_fixture.dat";
  config.route_file = "line_fixture.dat";
  HeadlessPlatform platform;
  Run run(config, platform.services());
  try {
    FormCreate(run);
  } catch (const LoadFailure& f) {
    if (f.messages.empty()) __builtin_trap();
    return;
  }
  ScriptedDrive drive(platform, run, script, kFuzzFrameNs);
  for (long long frame = 0; frame < kFuzzDriveFrames && !run.frame.ended; ++frame) {
    drive.start_frame(frame);
    drive.finish_frame();
  }
}

}  // namespace velmora
