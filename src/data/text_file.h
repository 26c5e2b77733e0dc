#pragma once
// Reading a data file as decoded lines.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora {

struct FileReadError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// All lines of a CP932 file, decoded to UTF-8. A line ends at LF; a CR just before the
// LF is dropped; a last line without a line end is kept; no byte-order mark is removed.
// Throws FileReadError with the reason when the file cannot be read.
std::vector<std::string> read_text_lines(const std::filesystem::path& path);

// The same cutting and decoding for bytes already in memory (fuzzing, tests).
std::vector<std::string> split_text_lines(std::string_view bytes);

}  // namespace velmora
