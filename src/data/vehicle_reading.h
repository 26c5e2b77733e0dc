#pragma once
// Shared by the train and panel halves of the vehicle format (not for other users): a
// section's value lines read with their conversions, noting where sounds and pictures
// were named.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "common/fixed4.h"
#include "data/vehicle_loader.h"

namespace velmora::vehicle_reading {

struct Target {
  VehicleData& vehicle;
  PanelData& panel;
  VehicleSource& source;
  PictureCheck picture_check;
  // [Lamp_signal] entries as the latest copies of the section left them: a copy writes
  // from entry 0 on and an empty line writes nothing, so a slot keeps an earlier value.
  std::array<int, kLampSignalCapacity> lamp_signal_slots{};
};

// One section being read. Creating it forgets what an earlier copy of the section noted,
// since the later copy wins.
class Reader {
 public:
  Reader(ValueLines& in, std::string section, VehicleSource& source);

  const std::string& section() const { return section_; }
  int line_number() const { return in_.line_number(); }

  const std::string& line();  // the next value line, unconverted
  int integer();              // whole line
  long double real();
  Fixed4 fixed();
  std::string text();
  int sound();               // an integer line that names a [DriveSound] entry
  std::string picture();     // a panel picture name
  std::string sound_file();  // a sound file name

  // Field k of `line` (the line read last) as an integer that names a sound.
  int sound_field(const std::string& line, int k);
  void note_sound(int value);
  // A list line that is a picture or a sound file name.
  void note_picture(const std::string& name);
  void note_sound_file(const std::string& name);
  // A value the run reads as "none" that the author wants to hear of, on the line read last.
  void note(const std::string& text);

  // The next line of a list in this section, or nullptr at its closing "#".
  const std::string* list_line();

 private:
  ValueLines& in_;
  std::string section_;
  VehicleSource& source_;
};

using TargetPtr = std::shared_ptr<Target>;

// A section whose handler gets a Reader and the target: body(Reader&, Target&).
template <typename Body>
Section section(const char* name, const char* label, const TargetPtr& t, Body body) {
  return {name,
          label,
          [name, t, body](ValueLines& in) {
            Reader r(in, name, t->source);
            body(r, *t);
          },
          {},
          {},
          0};
}

void add_train_sections(std::vector<Section>& sections, const TargetPtr& t);
void add_panel_sections(std::vector<Section>& sections, const TargetPtr& t);

}  // namespace velmora::vehicle_reading
