#include "common/wav_seconds.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace velmora {
namespace {

std::uint32_t le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct DataMeasure {
  std::uint32_t bytes = 0, bytes_per_second = 0;
};

// The data chunk's size and the format's byte rate; false with `error` set when the file
// has none usable.
bool measure(std::istream& in, std::string& error, DataMeasure& m) {
  unsigned char riff[12];
  if (!in.read(reinterpret_cast<char*>(riff), sizeof riff) || std::memcmp(riff, "RIFF", 4) != 0 ||
      std::memcmp(riff + 8, "WAVE", 4) != 0) {
    error = "not a RIFF/WAVE file";
    return false;
  }
  std::uint32_t bytes_per_second = 0;
  bool have_format = false;
  // Every step moves forward; a corrupt size that points past the end makes the next
  // read fail and ends the walk. The count bounds files made of tiny chunks.
  for (int chunks = 0; chunks < 4096; ++chunks) {
    unsigned char header[8];
    if (!in.read(reinterpret_cast<char*>(header), sizeof header)) break;
    const std::uint32_t size = le32(header + 4);
    if (std::memcmp(header, "fmt ", 4) == 0) {
      unsigned char fmt[12];
      if (size < sizeof fmt || !in.read(reinterpret_cast<char*>(fmt), sizeof fmt)) break;
      bytes_per_second = le32(fmt + 8);
      have_format = true;
      in.seekg(static_cast<std::streamoff>(size - sizeof fmt + (size & 1)), std::ios::cur);
    } else if (std::memcmp(header, "data", 4) == 0) {
      if (!have_format) break;
      if (bytes_per_second == 0) {
        error = "the format gives 0 bytes per second";
        return false;
      }
      m = {size, bytes_per_second};
      return true;
    } else {
      // Chunks are padded to an even size.
      in.seekg(static_cast<std::streamoff>(size) + (size & 1), std::ios::cur);
    }
    if (!in) break;
  }
  error = "no format and data chunk in this WAVE file";
  return false;
}

}  // namespace

int wav_seconds(std::istream& in, std::string& error) {
  DataMeasure m;
  if (!measure(in, error, m)) return 0;
  // One byte a second and 4 GB of data still fits the result.
  return static_cast<int>(std::min<std::uint32_t>(m.bytes / m.bytes_per_second, INT32_MAX));
}

long double wav_length(std::istream& in, std::string& error) {
  DataMeasure m;
  if (!measure(in, error, m)) return 0;
  return static_cast<long double>(m.bytes) / m.bytes_per_second;
}

int wav_seconds(const std::filesystem::path& path,
                const std::function<void(const std::string&)>& report) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    report(path.string() + ": " + std::strerror(errno));
    return 0;
  }
  std::string error;
  const int seconds = wav_seconds(in, error);
  if (!error.empty()) report(path.string() + ": " + error);
  return seconds;
}

}  // namespace velmora
