#include "data/file_kind.h"

#include <fstream>

#include "data/text_file.h"
#include "data/vehicle_loader.h"

namespace velmora {

namespace {

// Headers come first in a data file; a picker need not read a large file to its end.
constexpr std::streamsize kHeadBytes = 64 * 1024;

}  // namespace

bool is_vehicle_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string head(static_cast<std::size_t>(kHeadBytes), '\0');
  in.read(head.data(), kHeadBytes);
  head.resize(static_cast<std::size_t>(in.gcount()));
  VehicleData vehicle;
  PanelData panel;
  VehicleSource source;
  const SectionedFormat format = vehicle_format(vehicle, panel, source);
  for (const std::string& line : split_text_lines(head)) {
    if (line.empty() || line[0] != '[') continue;
    // The same test the reader makes: the line starts with the section's name.
    for (const Section& s : format.sections)
      if (line.compare(0, s.name.size(), s.name) == 0) return true;
    return false;
  }
  return false;
}

}  // namespace velmora
