#pragma once
// The one way the tools write a data file: lines of UTF-8 text, saved as Shift_JIS (CP932)
// with CRLF line ends, as the simulator's readers expect. Binary files (pictures, sounds)
// go through write_bytes so every file of a data folder is made in one place.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class DataFile {
 public:
  // Adds one line (no line end). A text CP932 cannot hold is refused at save time.
  DataFile& line(std::string_view text);
  // Adds the fields joined by commas.
  template <typename... T>
  DataFile& fields(const T&... values) {
    std::string text;
    ((text += (text.empty() ? "" : ",") + field_text(values)), ...);
    return line(text);
  }
  DataFile& section(std::string_view header) { return line(header); }
  DataFile& end_list() { return line("#"); }

  const std::vector<std::string>& lines() const { return lines_; }
  // The file's bytes: CP932, CRLF after every line.
  std::string bytes() const;
  // Writes the file, making its folder. Throws std::runtime_error naming the file and the
  // line when a character has no CP932 form.
  void save(const std::filesystem::path& path) const;

  static std::string field_text(const std::string& s) { return s; }
  static std::string field_text(const char* s) { return s; }
  static std::string field_text(int v) { return std::to_string(v); }
  static std::string field_text(long long v) { return std::to_string(v); }
  static std::string field_text(double v);

 private:
  std::vector<std::string> lines_;
};

// Writes bytes to a file, making its folder first.
void write_bytes(const std::filesystem::path& path, std::string_view bytes);

// A number as a data file writes it: no exponent, at most `places` decimals, trailing
// zeros dropped but one decimal kept ("2.5", "3.0").
std::string decimal(double value, int places = 4);

}  // namespace velmora
