#include "data/data_writer.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "common/sjis.h"

namespace velmora {

DataFile& DataFile::line(std::string_view text) {
  lines_.emplace_back(text);
  return *this;
}

std::string DataFile::field_text(double v) { return decimal(v); }

std::string DataFile::bytes() const {
  std::string out;
  for (const std::string& l : lines_) {
    out += utf8_to_cp932(l);
    out += "\r\n";
  }
  return out;
}

void DataFile::save(const std::filesystem::path& path) const {
  for (std::size_t i = 0; i < lines_.size(); ++i)
    // A character CP932 lacks comes back as "?": the file would say something else.
    if (cp932_to_utf8(utf8_to_cp932(lines_[i])) != lines_[i])
      throw std::runtime_error(path.string() + ": line " + std::to_string(i + 1) +
                               " has a character Shift_JIS cannot hold: " + lines_[i]);
  write_bytes(path, bytes());
}

void write_bytes(const std::filesystem::path& path, std::string_view bytes) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string decimal(double value, int places) {
  if (!std::isfinite(value)) throw std::runtime_error("a number that is not finite");
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", places, value);
  std::string s = buffer;
  if (s.find('.') == std::string::npos) return s;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s += '0';
  if (s == "-0.0") s = "0.0";
  return s;
}

}  // namespace velmora
