#include <gtest/gtest.h>

#include <fstream>

#include "common/sjis.h"
#include "data/load_failure.h"
#include "data/mascon_codes.h"
#include "data/ui_texts.h"
#include "test_rig.h"

namespace velmora {
namespace {

std::filesystem::path write_cp932(const std::string& name, const std::string& utf8) {
  const auto path = scratch_dir("ui_texts_" + name) / name;
  std::ofstream(path, std::ios::binary) << utf8_to_cp932(utf8);
  return path;
}

std::vector<std::string> failure_messages(const std::function<void()>& load) {
  try {
    load();
  } catch (const LoadFailure& f) {
    return f.messages;
  }
  return {};
}

TEST(UiTexts, TheFixtureLoadsEverySection) {
  const UiTexts t = load_ui_texts(std::filesystem::path(VELMORA_FIXTURES) / "basic" / "velmora.dat");
  EXPECT_EQ(t.film_fps, 30);
  EXPECT_EQ(t.film_length_factor, 1);
  EXPECT_EQ(t.film_width, 800);
  EXPECT_EQ(t.film_height, 600);
  EXPECT_EQ(t.data_path, "movie\\");
  EXPECT_EQ(t.forward, "前");
  EXPECT_EQ(t.stop2, "停車（扉扱いなし）");
  EXPECT_EQ(t.neut, "ブレーキ 切");
  EXPECT_EQ(t.stops[1], "m");
  EXPECT_EQ(t.doors[0], "左側の扉");
  EXPECT_EQ(t.gears[2], "段");
  ASSERT_EQ(t.info_label.size(), 8u);
  EXPECT_EQ(t.info_label[0], "次は終点です");
  EXPECT_EQ(t.menu_start, "開始(&S)");
  EXPECT_EQ(t.menu_control, "コントローラ(&C)");
}

TEST(UiTexts, AFileWithOnlyPathLoadsWithEmptyTexts) {
  const UiTexts t = load_ui_texts(write_cp932("velmora.dat", "[Path]\nfilms\\\n"));
  EXPECT_EQ(t.data_path, "films\\");
  EXPECT_EQ(t.film_fps, 0);
  EXPECT_EQ(t.forward, "");
  EXPECT_TRUE(t.info_label.empty());
}

TEST(UiTexts, DispWithOneNumberReadsTheSecondFieldAsZero) {
  const UiTexts t = load_ui_texts(write_cp932("velmora.dat", "[Disp]\n30\n10\n640\n480\n0\n"));
  EXPECT_EQ(t.film_fps, 30);
  EXPECT_EQ(t.film_length_factor, 0);
  EXPECT_EQ(t.staff_left, 10);
  EXPECT_EQ(t.film_height, 480);
}

TEST(UiTexts, BadOrMissingFilesShowTheStringFileMessage) {
  const std::vector<std::string> expected = {"stringファイルに誤りがあります"};
  EXPECT_EQ(failure_messages([] { load_ui_texts(write_cp932("velmora.dat", "[Disp]\n30,x\n0\n1\n1\n0\n")); }),
            expected);
  EXPECT_EQ(failure_messages([] { load_ui_texts(write_cp932("velmora.dat", "[Disp]\n30\n0\n800,600\n1\n0\n")); }),
            expected);
  EXPECT_EQ(failure_messages([] { load_ui_texts(scratch_dir("no_ui") / "velmora.dat"); }), expected);
  std::string labels = "[InfoLabel]\n";
  for (std::size_t i = 0; i < kInfoLabelCapacity + 1; ++i) labels += "text\n";
  EXPECT_EQ(failure_messages([&] { load_ui_texts(write_cp932("velmora.dat", labels + "#\n")); }), expected);
}

TEST(UiTexts, HoldsExactlyTheInfoLabelCapacity) {
  std::string labels = "[InfoLabel]\n";
  for (std::size_t i = 0; i < kInfoLabelCapacity; ++i) labels += "entry " + std::to_string(i) + "\n";
  const UiTexts t = load_ui_texts(write_cp932("velmora.dat", labels + "#\n"));
  ASSERT_EQ(t.info_label.size(), kInfoLabelCapacity);
  EXPECT_EQ(t.info_label[102], "entry 102");
}

TEST(UiTexts, ASecondInfoLabelCopyWritesFromEntryZeroAndLeavesTheRest) {
  const UiTexts t = load_ui_texts(
      write_cp932("velmora.dat", "[InfoLabel]\na\nb\nc\n#\n[InfoLabel]\nx\n#\n"));
  EXPECT_EQ(t.info(0), "x");
  EXPECT_EQ(t.info(1), "b");
  EXPECT_EQ(t.info(2), "c");
}

TEST(MasconCodes, LinesUpToHashBecomeCodesInOrder) {
  const MasconCodes fixture = load_mascon_codes(std::filesystem::path(VELMORA_FIXTURES) / "basic" / "mascon.dat");
  ASSERT_EQ(fixture.codes.size(), 23u);
  EXPECT_EQ(fixture.codes[22], "MC022");
  EXPECT_TRUE(read_mascon_codes({"# nothing", "P1"}).codes.empty());
  EXPECT_EQ(read_mascon_codes({"AB", "", "CD"}).codes, (std::vector<std::string>{"AB", "", "CD"}));
}

TEST(MasconCodes, TooManyCodesOrAMissingFileStopTheStart) {
  std::vector<std::string> lines(kMasconCapacity, "X");
  EXPECT_EQ(read_mascon_codes(lines).codes.size(), kMasconCapacity);
  lines.push_back("Y");
  EXPECT_THROW(read_mascon_codes(lines), DataError);

  std::string text;
  for (int i = 0; i < 30; ++i) text += "C" + std::to_string(i) + "\n";
  const std::vector<std::string> expected = {"mascon.datファイルに誤りがあります"};
  EXPECT_EQ(failure_messages([&] { load_mascon_codes(write_cp932("mascon.dat", text)); }), expected);
  EXPECT_EQ(failure_messages([] { load_mascon_codes(scratch_dir("no_mascon") / "mascon.dat"); }), expected);
}

TEST(LoadFailure, EachFileKindHasItsOwnMessages) {
  const LoadError e("\"x\" is not an integer", "- アナログ時計", "x", "train.dat", 12);
  EXPECT_EQ(load_failure(DataFileKind::Vehicle, e).messages,
            std::vector<std::string>{"車両ファイルに誤りがあります- アナログ時計"});
  const LoadError r("\"x\" is not an integer", "[Station]", "駅,x", "line.dat", 40);
  const LoadFailure route = load_failure(DataFileKind::Route, r);
  EXPECT_EQ(route.messages, (std::vector<std::string>{"路線ファイルに誤りがあります。[Station]:駅,x",
                                                      "\"x\" is not an integer"}));
  EXPECT_EQ(route.detail, "line.dat:40: \"x\" is not an integer");
}

}  // namespace
}  // namespace velmora
