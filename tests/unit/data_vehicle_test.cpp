#include <gtest/gtest.h>

#include "data/vehicle_warnings.h"
#include "vehicle_text.h"

namespace velmora {
namespace {

const std::string kVehicleMessage = "車両ファイルに誤りがあります";

std::string notch_rows(const std::vector<int>& groups) {
  std::string text = "[Notch]\n";
  for (int g : groups) text += "1.0\n1.0\n20\n40\n2.0\n" + std::to_string(g) + "\n";
  return text + "#\n";
}

std::string list_of(const std::string& header, std::size_t n) {
  std::string text = header + "\n";
  for (std::size_t i = 0; i < n; ++i) text += std::to_string(i) + "\n";
  return text + "#\n";
}

TEST(VehicleFile, TheFixtureLoadsEverySection) {
  PanelData panel;
  const VehicleData v =
      load_vehicle(std::filesystem::path(VELMORA_FIXTURES) / "basic" / "train_fixture.dat", panel);
  // One value from each kind of section: counted lines, skippable lines, lists, groups.
  EXPECT_EQ(v.planned_brake_rate.size(), 8u);
  ASSERT_EQ(v.sound_ba.size(), 9u);
  EXPECT_EQ(v.sound_ba[8], (std::array<int, 2>{16, 16}));
  EXPECT_EQ(v.sound_horn2.numbers, (std::array<int, 5>{45, 45, 46, 30, 0}));
  EXPECT_EQ(v.lose_elec, (std::array<int, 2>{10, 5}));
  ASSERT_EQ(v.notch.size(), 4u);
  EXPECT_EQ(v.notch[3].speed2, 70);
  EXPECT_EQ(v.current_p.size(), 3u);
  ASSERT_EQ(v.engine_sound1.size(), 2u);
  EXPECT_EQ(v.engine_sound1[1].Volume4, 90);
  EXPECT_EQ(v.drive_sound.size(), 47u);
  EXPECT_EQ(panel.Lamp_Door.name, "PANEL\\Lamp_GREEN.bmp");
  EXPECT_EQ(panel.Others.size(), 2u);
}

TEST(VehicleFile, HeadersMatchWithTrailingTextButNotInOtherLetterCase) {
  const ReadVehicle r =
      read_vehicle_text(kMinimalVehicle + "[Cars] 編成両数\n6\n[length]\n20\n [MaxSpeed]\n120\n");
  EXPECT_EQ(r.vehicle.cars, 6);
  EXPECT_EQ(r.vehicle.length, 0);
  EXPECT_EQ(r.vehicle.max_speed, 0);
}

TEST(VehicleFile, LinesStartingWithSemicolonAreSkippedWhereTheFormatSaysSo) {
  struct Case {
    std::string text;
    std::function<void(const VehicleData&)> check;
  };
  const std::vector<Case> cases = {
      {"[EBrakeForce]\n3.5\n[EBrakeForce]\n;12\n",
       [](const VehicleData& v) { EXPECT_EQ(v.ebrake_force, 3.5L); }},
      {"[Lose_elec]\n10\n;5\n",
       [](const VehicleData& v) {
         EXPECT_EQ(v.lose_elec, (std::array<int, 2>{10, 0}));
       }},
      {"[Sound_EB]\n5\n20\n[Sound_EB]\n6\n; no speed\n",
       [](const VehicleData& v) {
         EXPECT_EQ(v.sound_eb, (std::array<int, 2>{6, 0}));
       }},
      {"[Sound_Horn2]\n3\n;\n[Sound_Horn3]\n9\n",
       [](const VehicleData& v) {
         EXPECT_EQ(v.sound_horn2.sound, 3);
         EXPECT_EQ(v.sound_horn2.numbers, (std::array<int, 5>{}));
         EXPECT_EQ(v.sound_horn3, 9);  // the section after the skipped line is read
       }},
      {"[Sound_Horn2]\n3\n4\n5\n6\n30\n0.25\n",
       [](const VehicleData& v) {
         EXPECT_EQ(v.sound_horn2.numbers, (std::array<int, 5>{4, 5, 6, 30, 0}));
         EXPECT_EQ(v.sound_horn2.air.raw(), 2500);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    c.check(read_vehicle_text(kMinimalVehicle + c.text).vehicle);
  }
  // Elsewhere a semicolon line is a bad number.
  EXPECT_EQ(vehicle_error(kMinimalVehicle + "[MaxSpeed]\n;100\n").cur_line, ";100");
}

TEST(VehicleFile, GearTypeTakesOnlyATAndMT) {
  EXPECT_EQ(read_vehicle_text(kMinimalVehicle + "[Gear_Type]\nMT\n").vehicle.gear_type, 1);
  EXPECT_EQ(
      read_vehicle_text(kMinimalVehicle + "[Gear_Type]\nMT\n[Gear_Type]\nAT\n").vehicle.gear_type,
      0);
  EXPECT_EQ(
      read_vehicle_text(kMinimalVehicle + "[Gear_Type]\nMT\n[Gear_Type]\nCVT\n").vehicle.gear_type,
      1);
}

TEST(VehicleFile, LineCountsFollowTheBrakeAndPowerReadBefore) {
  const ReadVehicle r = read_vehicle_text(
      kMinimalVehicle +
      "[Sound_BK]\n1,2\n[BrakeType]\n1\n[Brake]\n3\n[Power]\n2\n[Sound_BK]\n1,2\n3,4\n5,6\n"
      "[Sound_BA]\n1,1\n2,2\n3,3\n4,4\n[Sound_PA]\n7\n8\n[PlannedBrakeRate]\n0\n1.5\n3\n" +
      notch_rows({0, 0}));
  EXPECT_EQ(r.vehicle.sound_bk, (std::vector<std::array<int, 2>>{{1, 2}, {3, 4}, {5, 6}}));
  ASSERT_EQ(r.vehicle.sound_ba.size(), 4u);  // [Brake] + 1
  EXPECT_EQ(r.vehicle.sound_ba[3], (std::array<int, 2>{4, 4}));
  EXPECT_EQ(r.vehicle.sound_pa, (std::vector<int>{7, 8}));
  ASSERT_EQ(r.vehicle.planned_brake_rate.size(), 3u);
  EXPECT_EQ(r.vehicle.planned_brake_rate[1].raw(), 15000);
}

TEST(VehicleFile, TheAutomaticAirBrakeAlwaysHasFourPositions) {
  struct Case {
    int brake_type, brake, expected;
  };
  for (const Case c : {Case{0, 2, 4}, Case{0, 8, 4}, Case{0, 0, 4}, Case{1, 3, 3}, Case{2, 9, 9}}) {
    SCOPED_TRACE(std::to_string(c.brake_type) + "/" + std::to_string(c.brake));
    const std::string text = kMinimalVehicle + "[BrakeType]\n" + std::to_string(c.brake_type) +
                             "\n[Brake]\n" + std::to_string(c.brake) + "\n";
    EXPECT_EQ(read_vehicle_text(text).vehicle.brake, c.expected);
  }
}

TEST(VehicleFile, SpecialRefusalsShowTheirOwnMessageBox) {
  struct Case {
    std::string text;
    std::string message;
  };
  const std::vector<Case> cases = {
      {kMinimalVehicle + "[BrakeType]\n1\n[Brake]\n2\n",
       "ブレーキの段数を3段以上に設定してください"},
      {kMinimalVehicle + "[BrakeType]\n2\n", "ブレーキの段数を3段以上に設定してください"},
      {kMinimalVehicle + "[Engine_Type]\n0\n" + notch_rows({0}),
       "動力が気動車なのにNotch指定があります"},
      // The check is made at the list's end, so [Engine_Type] must come first.
      {notch_rows({0}) + kMinimalVehicle, "動力が気動車なのにNotch指定があります"},
      {kMinimalVehicle + "[Engine]\n0\n20\n40\n1.5\n1.2\n0.8\n#\n",
       "動力が電車なのにEngine指定があります"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(vehicle_messages(write_vehicle("special", c.text)),
              std::vector<std::string>{c.message});
  }
}

TEST(VehicleFile, NotchGroupsRecordTheirFirstRows) {
  const ReadVehicle r = read_vehicle_text(kMinimalVehicle + notch_rows({0, 0, 0, 1, 1}));
  ASSERT_EQ(r.vehicle.notch.size(), 5u);
  EXPECT_EQ(r.vehicle.notch_first_row[0], 0);
  EXPECT_EQ(r.vehicle.notch_first_row[1], 3);
  EXPECT_EQ(r.vehicle.notch_first_row[2], 0);

  std::vector<int> ten;
  for (int g = 0; g < 10; ++g) ten.push_back(g);
  EXPECT_EQ(read_vehicle_text(kMinimalVehicle + notch_rows(ten)).vehicle.notch_first_row[9], 9);

  // Read twice, the table starts again.
  const ReadVehicle again =
      read_vehicle_text(kMinimalVehicle + notch_rows({0, 1, 1}) + notch_rows({0, 0, 0, 0}));
  EXPECT_EQ(again.vehicle.notch.size(), 4u);
  EXPECT_EQ(again.vehicle.notch_first_row[1], 0);
}

TEST(VehicleFile, NotchGroupsThatSkipOrReturnAreRefused) {
  std::vector<int> eleven;
  for (int g = 0; g < 11; ++g) eleven.push_back(g);
  for (const std::vector<int>& groups :
       std::vector<std::vector<int>>{{0, 2}, {0, 1, 0}, {1, 1}, {0, -1}, eleven}) {
    const LoadError e = vehicle_error(kMinimalVehicle + notch_rows(groups));
    EXPECT_EQ(e.label, "[Notch]");
    EXPECT_TRUE(e.message.empty());
  }
}

TEST(VehicleFile, ListsHoldTheirCapacityAndRefuseOneMore) {
  struct Case {
    std::string header;
    std::size_t capacity;
    std::size_t (*count)(const VehicleData&);
  };
  const std::vector<Case> cases = {
      {"[Suppress]", kSuppressCapacity, [](const VehicleData& v) { return v.suppress.size(); }},
      {"[BrakeCurrentLimit]", kBrakeCurrentLimitCapacity,
       [](const VehicleData& v) { return v.brake_current_limit.size(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.header);
    EXPECT_EQ(c.count(read_vehicle_text(kMinimalVehicle + list_of(c.header, c.capacity)).vehicle),
              c.capacity);
    const LoadError e = vehicle_error(kMinimalVehicle + list_of(c.header, c.capacity + 1));
    EXPECT_EQ(e.label, c.header);
    EXPECT_EQ(e.cur_line, std::to_string(c.capacity));
  }
  std::vector<int> rows(kNotchRowCapacity, 0);
  EXPECT_EQ(read_vehicle_text(kMinimalVehicle + notch_rows(rows)).vehicle.notch.size(), 99u);
  rows.push_back(0);
  EXPECT_EQ(vehicle_error(kMinimalVehicle + notch_rows(rows)).label, "[Notch]");
}

TEST(VehicleFile, ListsReadTwiceStartAgainAndUnclosedListsAreErrors) {
  const ReadVehicle r =
      read_vehicle_text(kMinimalVehicle + list_of("[Suppress]", 5) + list_of("[Suppress]", 2));
  EXPECT_EQ(r.vehicle.suppress, (std::vector<int>{0, 1}));
  const LoadError e = vehicle_error(kMinimalVehicle + "[DriveSound]\na.wav\nb.wav\n");
  EXPECT_EQ(e.label, "[DriveSound]");
}

TEST(VehicleFile, ABadValueNamesTheLabelOfItsPart) {
  struct Case {
    std::string text;
    std::string label;
  };
  const std::vector<Case> cases = {
      {"[Tons]\nheavy\n0\n", "- 列車の基本設定"},
      {"[SwitchSound]\n1,x,2\n#\n", "- 列車の基本設定"},  // before [Notch] in the order
      {"[Gear_Type]\nMT\n[Length]\n20m\n", "- 列車の基本設定"},
      {notch_rows({0}) + "[Notch]\n1.0\nfast\n", "[Notch]"},
      {"[CurrentP]\n300\n2.8\n40\n1,2,3,x,5\n#\n", "[CurrentP]"},
      {"[EngineSound2]\n1\n2\nthree\n4\n", "[EngineSound2]"},
      {"[EngineSound3]\ngear.wav\n1\n1\n0\n30\n0.8\n1.2\n80\nloud\n#\n", "[EngineSound3]"},
      {"[Clock]\n1\n2\nnoon\n", "- アナログ時計"},
      {"[Panel2]\np.bmp\n0\ntop\n", "- 運転台パネル"},
      {"[Lamp_Power]\nl.bmp\nx\n0\n", "- 運転台パネル2"},
      {"[Lamp_Stop]\nl.bmp\n0\n0.5\n", "- 運転台パネル3"},
      {"[Needle_Speed]\nn.bmp\n1\n2\n3\n4\n-135\n2.25\nslow\n", "- 速度計"},
      {"[Needle_MR_L]\nm.bmp\n1\n2\nx\n", "- MR圧力計（リニア）"},
      {"[Needle_I]\nn.bmp\n1\n2\n3\n4\n5\n0.5\n1.5\n", "- 電流計"},
      {"[Digi_Speed]\n1\n2\n8\nx\nd.bmp\n", "[Digi_Speed]"},
      {"[Others]\no.bmp\n1\n2\np.bmp\n3\n#\n", "[Others]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(vehicle_messages(write_vehicle("labels", kMinimalVehicle + c.text)),
              std::vector<std::string>{kVehicleMessage + c.label});
  }
  EXPECT_EQ(vehicle_messages(scratch_dir("no_vehicle") / "train.dat"),
            std::vector<std::string>{kVehicleMessage + "- 列車の基本設定"});
}

// Each of these values would make the run divide by zero or allocate without bound; the
// nearby accepted value shows the rule is no wider than the fault.
TEST(VehicleFile, ValuesTheRunWouldDivideOrAllocateByAreRefused) {
  const std::string diesel =
      "[Tons]\n30\n0\n[EBPress]\n400\n0\n[Cars]\n1\n[Engine_Type]\n0\n[EngineRate]\n30,0.5\n#\n";
  const std::string current_model =
      "[Engine_Type]\n1\n[Power_Type]\n0\n[Tons]\n30\n0\n"
      "[EBPress]\n400\n0\n[Cars]\n1\n";
  struct Case {
    std::string refused, accepted, label;
  };
  const std::vector<Case> cases = {
      {kMinimalVehicle + "[Tons]\n0\n0.5\n", kMinimalVehicle + "[Tons]\n1\n0.5\n",
       "- 列車の基本設定"},
      {kMinimalVehicle + "[Tons]\n30\n-0.1\n", kMinimalVehicle + "[Tons]\n30\n0\n",
       "- 列車の基本設定"},
      {"[Engine_Type]\n1\n[EBPress]\n400\n0\n[Cars]\n1\n", kMinimalVehicle, "- 列車の基本設定"},
      {kMinimalVehicle + "[EBPress]\n0\n1.5\n", kMinimalVehicle + "[EBPress]\n1\n0\n",
       "- 列車の基本設定"},
      {kMinimalVehicle + "[EBPress]\n400\n-1\n", kMinimalVehicle + "[EBPress]\n400\n1\n",
       "- 列車の基本設定"},
      {kMinimalVehicle + "[Cars]\n0\n", kMinimalVehicle + "[Cars]\n10\n", "- 列車の基本設定"},
      // The count sizes the table of gradients under the train.
      {kMinimalVehicle + "[Cars]\n1001\n", kMinimalVehicle + "[Cars]\n1000\n", "- 列車の基本設定"},
      {kMinimalVehicle + "[Cars]\n2147483647\n", kMinimalVehicle, "- 列車の基本設定"},
      {kMinimalVehicle + "[AirBrakeRate]\n4.2\n30\n[BrakeRate2]\n-0.04\n",
       kMinimalVehicle + "[AirBrakeRate]\n4.2\n30\n[BrakeRate2]\n-0.03\n", "- 列車の基本設定"},
      {kMinimalVehicle + "[Notch]\n1.0\n1.0\n0\n40\n2\n0\n#\n",
       kMinimalVehicle + "[Notch]\n-1.0\n1.0\n0\n40\n2\n0\n#\n", "[Notch]"},
      {kMinimalVehicle + "[Notch]\n1.0\n1.0\n20\n0\n2\n0\n#\n",
       kMinimalVehicle + "[Notch]\n1.0\n1.0\n20\n1\n2\n0\n#\n", "[Notch]"},
      {current_model + "[CurrentP]\n0\n2.8\n40\n1,9000,0,500,0\n#\n",
       current_model + "[CurrentP]\n300\n2.8\n40\n1,9000,0,500,0\n#\n", "[CurrentP]"},
      {current_model + "[CurrentP]\n300\n2.8\n0\n1,9000,0,500,0\n#\n",
       current_model + "[CurrentP]\n300\n2.8\n0.5\n1,9000,0,500,0\n#\n", "[CurrentP]"},
      {diesel + "[Engine]\n10\n10\n40\n1.5\n1.2\n0.8\n#\n",
       diesel + "[Engine]\n0\n10\n40\n1.5\n1.2\n0.8\n#\n", "[Engine]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.refused);
    const LoadError e = vehicle_error(c.refused);
    EXPECT_EQ(e.label, c.label) << e.what();
    EXPECT_TRUE(e.message.empty());
    EXPECT_NO_THROW(read_vehicle_text(c.accepted)) << c.accepted;
  }
}

// What the run reads as "no force" rather than divides by loads; the missing rows read as
// zeros, and the checker's warning names the line.
TEST(VehicleFile, TablesThatGiveNoForceLoadWithAWarning) {
  const std::string diesel = "[Tons]\n30\n0\n[EBPress]\n400\n0\n[Cars]\n1\n[Engine_Type]\n0\n";
  const std::string gears = "[Engine]\n0\n10\n40\n1\n1\n1\n20\n30\n60\n1\n1\n1\n#\n";
  const std::string current_model =
      "[Engine_Type]\n1\n[Power_Type]\n0\n[Tons]\n30\n0\n[EBPress]\n400\n0\n[Cars]\n1\n";
  struct Case {
    std::string text;
    int line;
    std::string warning;
  };
  const std::vector<Case> cases = {
      {kMinimalVehicle + "[CurrentB]\n0.2,0,0\n0,5,0\n#\n", 15,
       "[CurrentB] entry 2 has a divisor (km/h per A) of 0: no electric-brake current is taken "
       "from it"},
      {kMinimalVehicle + "[Power]\n5\n" + notch_rows({0, 0, 0, 0}), 15,
       "[Notch] has 4 rows but [Power] is 5: notch 5 has no row and gives no force"},
      {kMinimalVehicle + "[Power]\n3\n", 13,
       "[Notch] has 0 rows but [Power] is 3: notches 1 to 3 have no row and give no force"},
      {kMinimalVehicle + "[Power]\n2\n[AmMeter]\n1\n100\n[Notch]\n1\n1\n20\n40\n2\n0\n"
                         "-1\n1\n0\n40\n2\n0\n#\n",
       15,
       "[AmMeter] mode 1 scales the current by the speed1 of [Notch] row 2 ([Power]), which is "
       "0: the ammeter shows 0 while running backwards under power"},
      {current_model + "[CurrentP]\n300\n2.8\n40\n#\n", 13,
       "[CurrentP] has no step entries: the motor current stays 0 and the train has no "
       "tractive force"},
      {diesel, 9, "a diesel vehicle without [Engine] gears has no tractive force"},
      {diesel + "[EngineRate]\n30,0.5\n#\n" + gears, 11,
       "[EngineRate] has 1 rows for 2 [Engine] gears: from gear 1 on the engine speed aims at 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ReadVehicle r;
    ASSERT_NO_THROW(r = read_vehicle_text(c.text));
    const std::vector<VehicleWarning> w = vehicle_warnings(r.vehicle, r.source, ".");
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].line, c.line);
    EXPECT_EQ(w[0].text, c.warning);
  }
  // The rows a table lacks read as zeros.
  const ReadVehicle notch = read_vehicle_text(cases[1].text);
  ASSERT_EQ(notch.vehicle.notch.size(), 5u);
  EXPECT_EQ(notch.vehicle.notch[4].acc0, 0);
  EXPECT_EQ(notch.vehicle.notch[4].speed1, 0);
  const ReadVehicle rates = read_vehicle_text(cases.back().text);
  ASSERT_EQ(rates.vehicle.engine_rate.size(), 2u);
  EXPECT_EQ(rates.vehicle.engine_rate[1].standstill, 0);
  EXPECT_EQ(rates.vehicle.engine_rate[1].per_kmh, 0);
}

TEST(VehicleFile, RefusalsAfterTheReadNameTheLineOfTheSection) {
  const auto path = write_vehicle("after_read", "# x\n" + kMinimalVehicle + "[Cars]\n0\n");
  PanelData panel;
  try {
    load_vehicle(path, panel);
    FAIL();
  } catch (const LoadFailure& f) {
    EXPECT_NE(f.detail.find("train.dat:14: [Cars] is 0"), std::string::npos) << f.detail;
  }
}

}  // namespace
}  // namespace velmora
