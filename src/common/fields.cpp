#include "common/fields.h"

namespace velmora {

std::string get_field(std::string_view line, int k) {
  if (k < 1) return {};
  std::size_t start = 0;
  for (int i = 1; i < k; ++i) {
    const std::size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) return "0";
    start = comma + 1;
  }
  const std::size_t end = line.find(',', start);
  return std::string(line.substr(start, end == std::string_view::npos ? line.size() - start
                                                                      : end - start));
}

std::string split_path(std::string_view path, int part) {
  const std::size_t slash = path.rfind('\\');
  const std::size_t name_start = slash == std::string_view::npos ? 0 : slash + 1;
  if (part == 0) return std::string(path.substr(0, name_start));
  // 256 characters, not bytes: never cut a UTF-8 sequence in two.
  std::string_view name = path.substr(name_start);
  std::size_t end = 0;
  for (int chars = 0; end < name.size(); ++chars) {
    if (chars == 256) break;
    ++end;
    while (end < name.size() && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) ++end;
  }
  return std::string(name.substr(0, end));
}

}  // namespace velmora
