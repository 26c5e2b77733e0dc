// Long drives: every demo route driven end to end by its recorded driver ten times in one
// process, a new run each time. The heap must not grow from drive to drive, and drives with
// the same seed must leave the same trace.
#include <gtest/gtest.h>
#include <malloc.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/headless_platform.h"
#include "app/scripted_drive.h"
#include "app/startup.h"
#include "app/trace_fields.h"

#if defined(__SANITIZE_ADDRESS__)
#define VELMORA_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_ASAN 1
#endif
#endif
#ifdef VELMORA_ASAN
#include <sanitizer/allocator_interface.h>
#endif

namespace velmora {
namespace {

namespace fs = std::filesystem;

// Bytes the program holds on the heap now.
std::size_t heap_in_use() {
#ifdef VELMORA_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

std::string read_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct DemoDrive {
  std::string route, vehicle;
  std::string script;
  long long frames = 0;
};

DemoDrive read_drive(const std::string& key) {
  DemoDrive d;
  d.script = read_text(fs::path(DEMO_SHORT_DIR) / ("drive_" + key + ".txt"));
  const ScriptHeader header = read_script_header(d.script);
  d.route = header.route;
  d.vehicle = header.vehicle;
  d.frames = header.frames;
  return d;
}

struct DriveResult {
  std::string trace;
  long long frames = 0;
  bool ended = false;
};

DriveResult drive_once(const DemoDrive& d, std::uint64_t seed) {
  static const std::vector<TraceColumn> columns = parse_trace_columns(
      "frame,sim_ticks,speed,position_cm,film_frame,station_index,doors_open,aspect[0],ats_p_state,"
      "call_queue_length,clock_text");
  RunConfig config;
  config.program_dir = DEMO_SHORT_DIR;
  config.route_file = d.route;
  config.vehicle_file = d.vehicle;
  config.seed = seed;
  HeadlessPlatform platform;
  Run run(config, platform.services());
  FormCreate(run);
  ScriptedDrive drive(platform, run, parse_input_script(d.script), 16'667'000);
  DriveResult r;
  std::ostringstream trace;
  for (; r.frames < d.frames + 600 && !run.frame.ended; ++r.frames) {
    drive.start_frame(r.frames);
    drive.finish_frame();
    if (r.frames % 15 != 0) continue;
    for (const TraceColumn& c : columns) trace << trace_cell(c, run, r.frames) << ',';
    trace << '\n';
  }
  r.ended = run.frame.ended;
  r.trace = trace.str();
  return r;
}

TEST(DemoSoak, TenDrivesOfEveryRouteLeaveTheSameTraceAndNoHeapBehind) {
  for (const char* key : {"exp", "rapid", "local"}) {
    SCOPED_TRACE(key);
    const DemoDrive d = read_drive(key);
    ASSERT_FALSE(d.vehicle.empty());
    ASSERT_GT(d.frames, 0);
    std::vector<std::size_t> heap;
    heap.reserve(10);
    const DriveResult first = drive_once(d, 20261209);
    ASSERT_TRUE(first.ended) << "the drive is still running after " << first.frames << " frames";
    heap.push_back(heap_in_use());
    for (int i = 1; i < 10; ++i) {
      {
        const DriveResult r = drive_once(d, 20261209);
        ASSERT_EQ(r.frames, first.frames) << "drive " << i;
        ASSERT_EQ(r.trace, first.trace) << "drive " << i;
      }
      heap.push_back(heap_in_use());
    }
    // Every drive gives back all it took. The C library keeps a few freed blocks per size
    // for reuse and counts them as in use; ctest turns that off (GLIBC_TUNABLES, as in
    // tests/CMakeLists.txt) so that the figures are exact.
    std::ostringstream figures;
    for (std::size_t b : heap) figures << b << ' ';
    RecordProperty(std::string("heap_after_each_drive_") + key, figures.str());
    std::cout << key << ": " << first.frames << " frames a drive; heap after each drive: " << figures.str()
              << "bytes\n";
    EXPECT_LE(heap.back(), heap.front() + 1024) << figures.str();
  }
}

}  // namespace
}  // namespace velmora
