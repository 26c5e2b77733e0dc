#pragma once
// A run on the fake platform, for tests that drive the core directly.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/headless_platform.h"

namespace velmora {

struct TestRig : HeadlessPlatform {
  explicit TestRig(RunConfig config = {}) : run(std::move(config), services()) {}

  Run run;
};

inline RunConfig fixture_config() {
  RunConfig c;
  c.program_dir = std::filesystem::path(VELMORA_FIXTURES) / "basic";
  c.vehicle_file = "train_fixture.dat";
  c.route_file = "line_fixture.dat";
  return c;
}

// Where the viewing options are kept, and all five stored at once.
inline constexpr const char* kOptionsKey = "Software\\Velmora\\sorano";
inline void store_options(MemorySettings& s, int kanko, int info, int ats, int tunnel, int moji) {
  const std::pair<const char*, int> values[] = {
      {"Kanko", kanko}, {"Information", info}, {"ATS", ats}, {"Tunnel", tunnel}, {"Moji", moji}};
  for (const auto& [name, value] : values) s.write_int(kOptionsKey, name, value);
}

// The details of the run's events of one kind, in order.
inline std::vector<std::string> event_details(const EventLog& log, const std::string& kind) {
  std::vector<std::string> out;
  for (const auto& e : log.events)
    if (e.kind == kind) out.push_back(e.detail);
  return out;
}

// A scratch folder of the running test, emptied first. Tests run as parallel processes,
// so the folder carries the test's own name and the process id.
inline std::filesystem::path scratch_dir(const std::string& name) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string owner =
      test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "none";
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("velmora_test_" + std::to_string(getpid())) / owner / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

// The fixture run on a copy of its data folder, which the test may change or break.
inline RunConfig copied_fixture(const std::string& name) {
  RunConfig c = fixture_config();
  c.program_dir = scratch_dir(name);
  std::filesystem::copy(fixture_config().program_dir, c.program_dir,
                        std::filesystem::copy_options::recursive);
  return c;
}

}  // namespace velmora
