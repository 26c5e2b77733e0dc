// Whole drives compared line by line with the traces and events kept in tests/golden: any
// change in what a drive does, in any field, shows here with its first frame and field.
// With VELMORA_UPDATE_GOLDEN=1 the drives rewrite the kept files instead (scripts/update-golden).

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "tool_run.h"

namespace {

using namespace velmora_scenario;

struct Case {
  std::string name, data, vehicle, route, frames, every, script;
};

std::vector<Case> read_cases() {
  std::vector<Case> cases;
  for (const std::string& line : read_lines(GOLDEN_DIR "/cases.txt")) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream in(line);
    Case c;
    in >> c.name >> c.data >> c.vehicle >> c.route >> c.frames >> c.every >> c.script;
    cases.push_back(c);
  }
  return cases;
}

// Tells the case by its name in failure messages.
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

fs::path data_dir(const Case& c) {
  if (c.data == "basic") return fs::path(VELMORA_FIXTURES) / "basic";
  const fs::path demo = DEMO_SHORT_DIR;
  // Run alone (not under ctest, which makes it first), the test makes the short demo itself.
  if (!fs::exists(demo / "drive_local.txt")) {
    const ToolResult r = run_tool(MAKE_DEMO, "--short --no-speech " + demo.string());
    EXPECT_EQ(r.status, 0) << r.output;
  }
  return demo;
}

fs::path script_path(const Case& c) {
  return c.data == "basic" ? fs::path(VELMORA_FIXTURES) / "scripts" / c.script
                           : data_dir(c) / c.script;
}

// The lines of what a drive wrote, the data folder's path (in sound file names) as <data>,
// so the kept files hold wherever the clone and the build are.
std::vector<std::string> drive_lines(const fs::path& file, const std::string& data) {
  std::vector<std::string> lines = read_lines(file);
  for (std::string& line : lines)
    for (std::size_t at; (at = line.find(data)) != std::string::npos;)
      line.replace(at, data.size(), "<data>");
  return lines;
}

void write_lines(const fs::path& file, const std::vector<std::string>& lines) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  for (const std::string& line : lines) out << line << '\n';
}

// A trace line's cells; strings are quoted with doubled quotes and may hold commas.
std::vector<std::string> cells(const std::string& line) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (char ch : line) {
    if (ch == '"') quoted = !quoted;
    if (ch == ',' && !quoted)
      out.emplace_back();
    else
      out.back() += ch;
  }
  return out;
}

// The first difference, told as a person would look for it; empty when the two agree.
std::string trace_difference(const std::vector<std::string>& want,
                             const std::vector<std::string>& got) {
  if (want.empty() || got.empty()) return want.empty() == got.empty() ? "" : "one trace is empty";
  const std::vector<std::string> header = cells(want[0]);
  if (want[0] != got[0])
    return "the columns differ:\n  kept: " + want[0].substr(0, 300) +
           "\n  now:  " + got[0].substr(0, 300);
  for (std::size_t i = 1; i < std::min(want.size(), got.size()); ++i) {
    if (want[i] == got[i]) continue;
    const std::vector<std::string> a = cells(want[i]), b = cells(got[i]);
    for (std::size_t k = 0; k < header.size(); ++k) {
      const std::string va = k < a.size() ? a[k] : "", vb = k < b.size() ? b[k] : "";
      if (va != vb)
        return "frame " + a[0] + ", field " + header[k] + ": kept " + va + ", now " + vb;
    }
  }
  if (want.size() != got.size())
    return "kept " + std::to_string(want.size() - 1) + " rows, now " +
           std::to_string(got.size() - 1) + " (the run ends at another frame)";
  return "";
}

std::string events_difference(const std::vector<std::string>& want,
                              const std::vector<std::string>& got) {
  for (std::size_t i = 0; i < std::min(want.size(), got.size()); ++i)
    if (want[i] != got[i])
      return "event line " + std::to_string(i + 1) + ":\n  kept: " + want[i] +
             "\n  now:  " + got[i];
  if (want.size() != got.size())
    return "kept " + std::to_string(want.size()) + " events, now " + std::to_string(got.size());
  return "";
}

class GoldenTrace : public testing::TestWithParam<Case> {};

TEST_P(GoldenTrace, TheDriveIsTheOneKept) {
  const Case& c = GetParam();
  const fs::path dir = scratch("golden_" + c.name);
  const fs::path csv = dir / (c.name + ".csv"), events = dir / (c.name + ".events");
  const ToolResult r =
      run_tool(VELMORA_SIM, "--data " + data_dir(c).string() + " --vehicle " + c.vehicle +
                                " --route " + c.route + " --frames " + c.frames + " --input " +
                                script_path(c).string() + " --fields all --every " + c.every +
                                " --trace " + csv.string() + " --events " + events.string());
  ASSERT_EQ(r.status, 0) << r.output;
  const fs::path kept = GOLDEN_DIR;
  const std::string data = data_dir(c).string();
  const std::vector<std::string> trace_now = drive_lines(csv, data),
                                 events_now = drive_lines(events, data);
  const char* update = std::getenv("VELMORA_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    write_lines(kept / csv.filename(), trace_now);
    write_lines(kept / events.filename(), events_now);
    return;
  }
  ASSERT_TRUE(fs::exists(kept / csv.filename()))
      << "no kept trace; make it with scripts/update-golden";
  EXPECT_EQ(trace_difference(read_lines(kept / csv.filename()), trace_now), "")
      << c.name
      << ": the drive differs from the kept one. If the change is meant, run scripts/update-golden "
      << "and commit the new files with the reason.";
  EXPECT_EQ(events_difference(read_lines(kept / events.filename()), events_now), "") << c.name;
}

INSTANTIATE_TEST_SUITE_P(Drives, GoldenTrace, testing::ValuesIn(read_cases()),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
