#pragma once
// Running the real programs from scenario tests and reading what they wrote.

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace velmora_scenario {

namespace fs = std::filesystem;

struct ToolResult {
  int status = -1;
  std::string out;     // standard output
  std::string err;     // standard error
  std::string output;  // both, output first
};

// A folder of this test process, emptied first.
inline fs::path scratch(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("velmora_scenario_" + std::to_string(getpid())) / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

inline std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline ToolResult run_tool(const std::string& program, const std::string& args) {
  static int runs = 0;
  const fs::path err_file = scratch("stderr_" + std::to_string(++runs)) / "err.txt";
  const std::string command = program + " " + args + " 2>" + err_file.string();
  ToolResult r;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return r;
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.err = read_file(err_file);
  r.output = r.out + r.err;
  return r;
}

inline std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

inline std::vector<std::string> read_lines(const fs::path& path) { return split_lines(read_file(path)); }

inline std::vector<std::vector<std::string>> read_csv(const fs::path& path) {
  std::vector<std::vector<std::string>> rows;
  for (const std::string& line : read_lines(path)) {
    std::vector<std::string> cells;
    std::stringstream s(line);
    for (std::string cell; std::getline(s, cell, ',');) cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

}  // namespace velmora_scenario
