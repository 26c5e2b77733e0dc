#pragma once
// The vehicle file: the train sections ([Handle] .. [DriveSound]) and the cab panel
// sections ([Clock] .. [Others]) in one pass of the sectioned reader, then the brake rules
// and the checks that keep the run's arithmetic free of divisions by zero.

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "data/panel_data.h"
#include "data/sectioned_file.h"
#include "data/vehicle_data.h"

namespace velmora {

// Where the values a checker looks at came from: lines of the file, for warnings.
struct VehicleSource {
  struct Number {
    std::string section;
    int line = 0;
    int value = 0;
  };
  struct Text {
    std::string section;  // empty for a line under no section
    int line = 0;
    std::string text;
  };
  std::vector<Number> sound_numbers;        // every value that names a [DriveSound] entry
  std::vector<Text> pictures;               // panel pictures as written
  std::vector<Text> sound_files;            // [DriveSound], [EngineSound1], [EngineSound3] names
  std::vector<Text> stray_lines;            // lines read at the top of the pass that opened nothing
  // Values the run reads as "none" where it would divide or index: loaded, but an author
  // wants to hear of them (a [CurrentB] divisor of 0, a power notch without its row, ...).
  std::vector<Text> notes;
  std::map<std::string, int> header_lines;  // section -> line of its header read last
};

// Loads a picture the reader needs at once (the image strips); throws DataError when it
// cannot. Empty: pictures are not looked at.
using PictureCheck = std::function<void(const std::string& name)>;

// The vehicle file's sections in checking order, writing into `vehicle`, `panel` and
// `source`. All four must outlive the format.
SectionedFormat vehicle_format(VehicleData& vehicle, PanelData& panel, VehicleSource& source,
                               PictureCheck picture_check = {});

// After the pass: [Brake] 4 for the automatic air brake, the brake-steps message, the
// rejection of values the run would divide by zero with or of an absurd car count, and
// the rows a table lacks filled with zeros (no force), each noted in `source`. Throws
// LoadError.
void settle_vehicle(VehicleData& vehicle, VehicleSource& source,
                    const std::filesystem::path& path);

// Reads decoded lines as a vehicle file and settles it. Throws LoadError.
VehicleData read_vehicle(const std::vector<std::string>& lines, const std::filesystem::path& path,
                         PanelData& panel, VehicleSource& source, PictureCheck picture_check = {});

// Loads a vehicle file; the image-strip pictures must exist beside it. Throws LoadFailure
// with the vehicle file's messages. `source`, when given, receives the lines of the values.
VehicleData load_vehicle(const std::filesystem::path& path, PanelData& panel,
                         VehicleSource* source = nullptr);

}  // namespace velmora
