#include "data/text_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "common/sjis.h"

namespace velmora {

std::vector<std::string> split_text_lines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) end = bytes.size();
    std::size_t stop = end;
    if (end < bytes.size() && stop > start && bytes[stop - 1] == '\r') --stop;
    lines.push_back(cp932_to_utf8(bytes.substr(start, stop - start)));
    start = next;
  }
  return lines;
}

std::vector<std::string> read_text_lines(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    throw FileReadError(path.string() + ": is a folder, not a file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FileReadError(path.string() + ": " + std::strerror(errno));
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw FileReadError(path.string() + ": read error");
  return split_text_lines(bytes);
}

}  // namespace velmora
