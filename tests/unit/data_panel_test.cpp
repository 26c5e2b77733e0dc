#include <gtest/gtest.h>

#include "vehicle_text.h"

namespace velmora {
namespace {

std::string lamp_signal(const std::vector<std::string>& entries) {
  std::string text = "[Lamp_signal]\n10\n20\n16\n16\n\n";  // no picture: nothing to load
  for (const std::string& e : entries) text += e + "\n";
  return text + "#\n";
}

std::string others(std::size_t groups) {
  std::string text = "[Others]\n";
  for (std::size_t i = 0; i < groups; ++i)
    text += "o" + std::to_string(i) + ".bmp\n" + std::to_string(i) + "\n7\n";
  return text + "#\n";
}

TEST(CabPanel, LampsAndGaugesReadTheirLinesAndALaterCopyOverwrites) {
  const ReadVehicle r = read_vehicle_text(
      kMinimalVehicle +
      "[Lamp_EB]\neb.bmp\n10\n20\n[Lamp_EB]\neb2.bmp\n11\n21\n"
      "[Needle_Speed]\nspeed.bmp\n100\n200\n8\n60\n-135\n2.25\n0.5\n"
      "[Needle_BC]\nbc.bmp\n1\n2\n3\n4\n-90\n0.3\n[Needle_ER]\ner.bmp\n5\n6\n7\n8\n9\n1.5\n"
      "[Needle_I]\ni.bmp\n1\n2\n3\n4\n0\n0.25\n2\n"
      "[Needle_BC_L]\nmark.bmp\n300\n560\n0.05\n[Clock]\n1\n2\n3\n");
  const PanelData& p = r.panel;
  EXPECT_EQ(p.Lamp_EB.name, "eb2.bmp");
  EXPECT_EQ(p.Lamp_EB.Left, 11);
  EXPECT_EQ(p.Lamp_EB.Top, 21);
  EXPECT_EQ(p.Needle_Speed.Height, 60);
  EXPECT_EQ(p.Needle_Speed.zero, -135);
  EXPECT_EQ(p.Needle_Speed.c, 0.5L);
  EXPECT_EQ(p.Needle_Speed.sign, 0);
  // Seven lines only: the header right after the last one is still found.
  EXPECT_EQ(p.Needle_BC.one, 0.3L);
  EXPECT_EQ(p.Needle_ER.zero, 9);
  EXPECT_EQ(p.Needle_I.sign, 2);
  EXPECT_EQ(p.Needle_I.c, 0);
  EXPECT_EQ(p.Needle_BC_L.Left, 300);
  EXPECT_EQ(p.Needle_BC_L.zero, 560);
  EXPECT_EQ(p.Needle_BC_L.Top, 0);
  EXPECT_EQ(p.clock, (std::array<int, 3>{1, 2, 3}));
}

TEST(CabPanel, AnEmptyPanelPictureLeavesOnlyThatElementOut) {
  const ReadVehicle r =
      read_vehicle_text(kMinimalVehicle + "[Panel]\n\n0\n440\n[Panel2]\np2.bmp\n0\n580\n");
  EXPECT_EQ(r.panel.Panel.name, "");
  EXPECT_EQ(r.panel.Panel.Top, 440);
  EXPECT_EQ(r.panel.Panel2.name, "p2.bmp");
}

TEST(CabPanel, CabSignalSpeedsGivePatternsInOrder) {
  const ReadVehicle r = read_vehicle_text(kMinimalVehicle + lamp_signal({"0", "25", "45", "65"}));
  EXPECT_EQ(r.panel.lamp_signal_speeds, (std::vector<int>{0, 25, 45, 65}));
  EXPECT_EQ(r.panel.Lamp_signal.X, 10);
  EXPECT_EQ(r.panel.Lamp_signal.pattern_height, 16);

  // An empty line is an entry that stores nothing: its slot keeps 0 or what an earlier copy
  // left there. A second copy starts again from entry 0 and counts its own entries.
  const std::vector<std::pair<std::string, std::vector<int>>> cases = {
      {lamp_signal({"", "25"}), {0, 25}},
      {lamp_signal({"0", "25", "45"}) + lamp_signal({"0", "", "45"}), {0, 25, 45}},
      {lamp_signal({"5", "25", "45"}) + lamp_signal({"", ""}), {5, 25}},
  };
  for (const auto& [text, speeds] : cases)
    EXPECT_EQ(read_vehicle_text(kMinimalVehicle + text).panel.lamp_signal_speeds, speeds) << text;
}

TEST(CabPanel, CabSignalAndExtraPicturesHoldTheirCapacity) {
  const std::vector<std::string> twelve(kLampSignalCapacity, "30");
  EXPECT_EQ(
      read_vehicle_text(kMinimalVehicle + lamp_signal(twelve)).panel.lamp_signal_speeds.size(),
      12u);
  std::vector<std::string> thirteen = twelve;
  thirteen.push_back("");  // an empty line counts too
  EXPECT_EQ(vehicle_error(kMinimalVehicle + lamp_signal(thirteen)).label, "[Lamp_signal]");

  const ReadVehicle eleven = read_vehicle_text(kMinimalVehicle + others(kOthersCapacity));
  ASSERT_EQ(eleven.panel.Others.size(), 11u);
  EXPECT_EQ(eleven.panel.Others[10].name, "o10.bmp");
  EXPECT_EQ(eleven.panel.Others[10].Left, 10);
  const LoadError twelfth = vehicle_error(kMinimalVehicle + others(kOthersCapacity + 1));
  EXPECT_EQ(twelfth.label, "[Others]");
  EXPECT_EQ(twelfth.cur_line, "o11.bmp");
}

TEST(CabPanel, ExtraPicturesGivenTwiceStartAgain) {
  const ReadVehicle r =
      read_vehicle_text(kMinimalVehicle + others(3) + "[Others]\nlast.bmp\n1\n2\n#\n");
  ASSERT_EQ(r.panel.Others.size(), 1u);
  EXPECT_EQ(r.panel.Others[0].name, "last.bmp");
}

TEST(CabPanel, AnImageStripPictureMustExistWhileTheFileIsRead) {
  const auto path = write_vehicle("strips", kMinimalVehicle +
                                                "[Digi_Speed]\n1\n2\n8\n12\nDigits.BMP\n"
                                                "[NotchImageB]\n1\n2\n16\n16\nimg\\notch.bmp\n");
  std::ofstream(path.parent_path() / "digits.bmp") << "BM";
  EXPECT_EQ(vehicle_messages(path),
            std::vector<std::string>{"車両ファイルに誤りがあります[NotchImageB]"});
  std::filesystem::create_directories(path.parent_path() / "IMG");
  std::ofstream(path.parent_path() / "IMG" / "Notch.bmp") << "BM";
  PanelData panel;
  load_vehicle(path, panel);
  EXPECT_EQ(panel.NotchImageB.name, "img\\notch.bmp");
  // Lamps and gauges are built later: a missing picture does not stop the read.
  const auto lamp =
      write_vehicle("lamp_missing", kMinimalVehicle + "[Lamp_Door]\nnone.bmp\n1\n2\n");
  EXPECT_NO_THROW(load_vehicle(lamp, panel));
}

}  // namespace
}  // namespace velmora
