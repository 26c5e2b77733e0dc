#include <gtest/gtest.h>

#include "data/vehicle_warnings.h"
#include "vehicle_text.h"

namespace velmora {
namespace {

std::vector<std::string> warnings_of(const std::string& text,
                                     const std::filesystem::path& folder = {}) {
  const ReadVehicle r = read_vehicle_text(text);
  std::vector<std::string> out;
  for (const VehicleWarning& w : vehicle_warnings(r.vehicle, r.source, folder))
    out.push_back(std::to_string(w.line) + ": " + w.text);
  return out;
}

TEST(VehicleWarnings, LinesThatLookLikeAMisspeltHeader) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"[tons]", "[Tons]"},
      {" [Tons] 重量", "[Tons]"},
      {"\t[Brake]", "[Brake]"},
      {"[Tonz]", "[Tons]"},
      {"[Notch", "[Notch]"},
      {"[PowerMod] x", "[PowerMode]"},
      {"[NEEDLE_SPEED]", "[Needle_Speed]"},
      {"[Lamp_Signal]", "[Lamp_signal]"},
      {"# [Tons]", ""},
      {"- [Tons] の説明", ""},
      {"[Timetable]", ""},
      {"100", ""},
      {"", ""},
      {"Tons", ""},
  };
  for (const auto& [line, key] : cases) EXPECT_EQ(misspelt_header(line), key) << line;
}

TEST(VehicleWarnings, OnlyStrayLinesAreWarnedAbout) {
  // "[tons]" inside [KEY4] is a value, not a stray line.
  EXPECT_EQ(warnings_of(kMinimalVehicle + "[KEY4]\n[tons]\n[maxspeed]\n100\n"),
            std::vector<std::string>{
                "15: \"[maxspeed]\" opens no section; headers are case-sensitive: [MaxSpeed]"});
}

TEST(VehicleWarnings, SoundNumbersCountDriveSoundEntriesFromZero) {
  const auto folder = scratch_dir("warn_sounds");
  std::ofstream(folder / "run.wav") << "RIFF";
  std::ofstream(folder / "horn.wav") << "RIFF";
  const std::string sounds = "[DriveSound]\nrun.wav\n\nhorn.wav\n#\n";  // entries 0, 1, 2
  struct Case {
    std::string text;
    std::vector<std::string> expected;  // line numbers counted after kMinimalVehicle + sounds
  };
  const std::vector<Case> cases = {
      {"[Sound_Horn]\n2\n[Sound_Horn3]\n0\n", {}},
      {"[Sound_Horn]\n3\n",
       {"19: [Sound_Horn] names sound 3, but [DriveSound] numbers its 3 entries 0 to 2"}},
      {"[Sound_Horn]\n-1\n",
       {"19: [Sound_Horn] names sound -1, but [DriveSound] numbers its 3 entries 0 to 2"}},
      {"[Sound_Horn]\n1\n", {"19: [Sound_Horn] names sound 1, an empty [DriveSound] entry"}},
      // Not sounds: the [Sound_EB] speed, the [Stop] mode, horn intervals, points speeds.
      {"[Sound_EB]\n2\n99\n[Stop]\n2\n5\n[Sound_Horn1]\n2\n2\n2\n2\n30\n0.5\n[SwitchSound]\n2,999,"
       "1\n#\n",
       {}},
      {"[Sound_Horn2]\n2\n2\n7\n2\n30\n0.5\n",
       {"21: [Sound_Horn2] names sound 7, but [DriveSound] numbers its 3 entries 0 to 2"}},
      {"[Brake]\n4\n[Sound_BK]\n2,4\n2,2\n2,2\n2,2\n",
       {"21: [Sound_BK] names sound 4, but [DriveSound] numbers its 3 entries 0 to 2"}},
      {"[SwitchSound]\n5,60,1\n#\n",
       {"19: [SwitchSound] names sound 5, but [DriveSound] numbers its 3 entries 0 to 2"}},
      // The later copy of a section wins, and only it is checked.
      {"[Sound_Ats1]\n9\n[Sound_Ats1]\n2\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(warnings_of(kMinimalVehicle + sounds + c.text, folder), c.expected);
  }
  EXPECT_EQ(warnings_of(kMinimalVehicle + "[CP_Start]\n1\n"),
            std::vector<std::string>{
                "14: [CP_Start] names sound 1, but the file has no [DriveSound] list"});
}

TEST(VehicleWarnings, PicturesAndSoundsMissingFromTheVehicleFolder) {
  const auto folder = scratch_dir("warn_files");
  std::filesystem::create_directories(folder / "Panel");
  std::ofstream(folder / "Panel" / "Lamp.BMP") << "BM";
  std::ofstream(folder / "run.wav") << "RIFF";
  const std::vector<std::string> w = warnings_of(
      kMinimalVehicle +
          "[Lamp_EB]\npanel\\lamp.bmp\n1\n2\n[Lamp_Air]\npanel\\air.bmp\n1\n2\n[Panel]\n\n0\n0\n"
          "[Signal_Suppress]\nsup.bmp\n1\n2\n0\n0\n[DriveSound]\nRUN.WAV\n\nhorn.wav\n#\n"
          "[EngineSound1]\nmotor.wav\n0\n0\n0\n0\n0\n1\n1\n1\n1\n1\n1\n1\n1\n#\n",
      folder);
  EXPECT_EQ(w, (std::vector<std::string>{
                   "18: picture \"panel\\air.bmp\" of [Lamp_Air] is not in the vehicle's folder",
                   "26: picture \"sup.bmp\" of [Signal_Suppress] is not in the vehicle's folder",
                   "34: sound \"horn.wav\" of [DriveSound] is not in the vehicle's folder",
                   "37: sound \"motor.wav\" of [EngineSound1] is not in the vehicle's folder"}));
}

}  // namespace
}  // namespace velmora
