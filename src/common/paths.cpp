#include "common/paths.h"

#include <string>
#include <system_error>

namespace velmora {
namespace {

namespace fs = std::filesystem;

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  return true;
}

}  // namespace

std::optional<fs::path> resolve_data_file(const fs::path& folder, std::string_view name) {
  std::string relative(name);
  for (char& c : relative)
    if (c == '\\') c = '/';
  if (relative.empty()) return std::nullopt;

  std::error_code ec;
  const fs::path direct = folder / relative;
  if (fs::exists(direct, ec)) return direct;

  fs::path current = folder;
  for (const fs::path& part : fs::path(relative)) {
    if (part.empty() || part == "/") continue;
    fs::path exact = current / part;
    if (part == "." || part == ".." || fs::exists(exact, ec)) {
      current = exact;
      continue;
    }
    bool found = false;
    for (fs::directory_iterator it(current.empty() ? fs::path(".") : current, ec), end;
         !ec && it != end; it.increment(ec)) {
      if (same_ignoring_case(it->path().filename().string(), part.string())) {
        current = current / it->path().filename();
        found = true;
        break;
      }
    }
    if (!found) return std::nullopt;
  }
  return current;
}

}  // namespace velmora
