#include "data/vehicle_warnings.h"

#include <algorithm>
#include <string_view>

#include "common/paths.h"

namespace velmora {
namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool starts_with_ignoring_case(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (lower(text[i]) != lower(prefix[i])) return false;
  return true;
}

// Letter case is ignored: "[Tonz]" and "[TONZ]" are both one edit from "[Tons]".
std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const std::size_t change = diagonal + (lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1);
      row[j] = std::min({above + 1, row[j - 1] + 1, change});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

void sound_number_warnings(const VehicleData& v, const VehicleSource& source,
                           std::vector<VehicleWarning>& out) {
  const std::size_t count = v.drive_sound.size();
  for (const VehicleSource::Number& n : source.sound_numbers) {
    if (n.value == 0) continue;  // none
    const std::string what = n.section + " names sound " + std::to_string(n.value);
    // Sound number s is [DriveSound] entry s counted from 0; entry 0 is the standing
    // running noise, so 0 can mean "none".
    if (count == 0)
      out.push_back({n.line, what + ", but the file has no [DriveSound] list"});
    else if (n.value < 0 || static_cast<std::size_t>(n.value) >= count)
      out.push_back({n.line, what + ", but [DriveSound] numbers its " + std::to_string(count) +
                                 " entries 0 to " + std::to_string(count - 1)});
    else if (v.drive_sound[static_cast<std::size_t>(n.value)].empty())
      out.push_back({n.line, what + ", an empty [DriveSound] entry"});
  }
}

void missing_file_warnings(const std::vector<VehicleSource::Text>& names, const char* kind,
                           const std::filesystem::path& folder, std::vector<VehicleWarning>& out) {
  for (const VehicleSource::Text& t : names)
    if (!t.text.empty() && !resolve_data_file(folder, t.text))
      out.push_back({t.line, std::string(kind) + " " + quoted(t.text) + " of " + t.section +
                                 " is not in the vehicle's folder"});
}

}  // namespace

std::vector<std::string> vehicle_section_names() {
  VehicleData vehicle;
  PanelData panel;
  VehicleSource source;
  std::vector<std::string> names;
  for (const Section& s : vehicle_format(vehicle, panel, source).sections) names.push_back(s.name);
  return names;
}

std::string misspelt_header(const std::string& line) {
  static const std::vector<std::string> keys = vehicle_section_names();
  // Comments by custom.
  if (line.empty() || line[0] == '#' || line.rfind("- ", 0) == 0) return "";
  const std::size_t first = line.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  const std::string_view text = std::string_view(line).substr(first);
  for (const std::string& key : keys)
    if (starts_with_ignoring_case(text, key)) return key;
  if (text[0] != '[') return "";
  const std::size_t close = text.find(']');
  const std::string_view word = close == std::string_view::npos
                                    ? text.substr(0, text.find_first_of(" \t"))
                                    : text.substr(0, close + 1);
  for (const std::string& key : keys)
    if (edit_distance(word, key) <= 1) return key;
  return "";
}

std::vector<VehicleWarning> vehicle_warnings(const VehicleData& vehicle,
                                             const VehicleSource& source,
                                             const std::filesystem::path& folder) {
  std::vector<VehicleWarning> out;
  for (const VehicleSource::Text& stray : source.stray_lines) {
    const std::string key = misspelt_header(stray.text);
    if (key.empty()) continue;
    const std::string_view text = stray.text;
    std::string why;
    if (text.find(key) != std::string_view::npos)
      why = "a header starts in the first column";
    else if (starts_with_ignoring_case(text.substr(text.find_first_not_of(" \t")), key))
      why = "headers are case-sensitive: " + key;
    else
      why = "did you mean " + key + "?";
    out.push_back({stray.line, quoted(stray.text) + " opens no section; " + why});
  }
  for (const VehicleSource::Text& note : source.notes) out.push_back({note.line, note.text});
  sound_number_warnings(vehicle, source, out);
  missing_file_warnings(source.pictures, "picture", folder, out);
  missing_file_warnings(source.sound_files, "sound", folder, out);
  std::stable_sort(out.begin(), out.end(), [](const VehicleWarning& a, const VehicleWarning& b) {
    return a.line < b.line;
  });
  return out;
}

}  // namespace velmora
