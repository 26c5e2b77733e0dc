#include "data/mascon_codes.h"

#include "data/load_failure.h"
#include "data/sectioned_file.h"
#include "data/text_file.h"

namespace velmora {

MasconCodes read_mascon_codes(const std::vector<std::string>& lines) {
  MasconCodes table;
  for (const std::string& line : lines) {
    if (!line.empty() && line[0] == '#') break;
    if (table.codes.size() >= kMasconCapacity)
      throw DataError("more than " + std::to_string(kMasconCapacity) + " codes");
    table.codes.push_back(line);
  }
  return table;
}

MasconCodes load_mascon_codes(const std::filesystem::path& path) {
  std::vector<std::string> lines;
  try {
    lines = read_text_lines(path);
    return read_mascon_codes(lines);
  } catch (const FileReadError& e) {
    throw load_failure(DataFileKind::Mascon, LoadError(e.what(), "", "", path, 0));
  } catch (const DataError& e) {
    const int line = static_cast<int>(kMasconCapacity) + 1;
    throw load_failure(DataFileKind::Mascon,
                       LoadError(e.what(), "", lines[static_cast<std::size_t>(line - 1)], path, line));
  }
}

}  // namespace velmora
