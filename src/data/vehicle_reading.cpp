#include "data/vehicle_reading.h"

#include <algorithm>

#include "common/fields.h"
#include "common/numbers.h"

namespace velmora::vehicle_reading {
namespace {

template <typename Notes>
void forget(Notes& notes, const std::string& section) {
  std::erase_if(notes, [&](const auto& n) { return n.section == section; });
}

}  // namespace

Reader::Reader(ValueLines& in, std::string section, VehicleSource& source)
    : in_(in), section_(std::move(section)), source_(source) {
  source_.header_lines[section_] = in_.line_number();
  forget(source_.sound_numbers, section_);
  forget(source_.pictures, section_);
  forget(source_.sound_files, section_);
  forget(source_.notes, section_);
}

const std::string& Reader::line() { return in_.next(); }
int Reader::integer() { return to_int(in_.next()); }
long double Reader::real() { return to_real(in_.next()); }
Fixed4 Reader::fixed() { return to_fixed(in_.next()); }
std::string Reader::text() { return in_.next(); }

int Reader::sound() {
  const int value = integer();
  note_sound(value);
  return value;
}

void Reader::note_sound(int value) {
  source_.sound_numbers.push_back({section_, in_.line_number(), value});
}

int Reader::sound_field(const std::string& line, int k) {
  const int value = to_int(get_field(line, k));
  note_sound(value);
  return value;
}

std::string Reader::picture() {
  std::string name = in_.next();
  note_picture(name);
  return name;
}

std::string Reader::sound_file() {
  std::string name = in_.next();
  note_sound_file(name);
  return name;
}

void Reader::note_picture(const std::string& name) {
  source_.pictures.push_back({section_, in_.line_number(), name});
}

void Reader::note_sound_file(const std::string& name) {
  source_.sound_files.push_back({section_, in_.line_number(), name});
}

void Reader::note(const std::string& text) {
  source_.notes.push_back({section_, in_.line_number(), text});
}

const std::string* Reader::list_line() { return next_list_line(in_, section_); }

}  // namespace velmora::vehicle_reading
