#include <gtest/gtest.h>

#include "common/random_below.h"
#include "data/route_tables.h"
#include "route_test_support.h"

namespace velmora {
namespace {

TEST(RouteFile, ReadsEverySectionOfTheFixtureRoute) {
  FakeImageList images;
  std::mt19937_64 rng(1);
  RouteLoadContext c{std::filesystem::path(VELMORA_FIXTURES) / "basic", "train_fixture.dat", 800,
                     600, rng};
  const RouteData r = load_route(c.program_dir / "line_fixture.dat", c, images);

  // The fixture gives each of the 49 sections once, in checking order.
  std::vector<std::string> opened;
  for (const auto& [name, line] : r.source.opened) opened.push_back(name);
  EXPECT_EQ(route_section_names().size(), 49u);
  EXPECT_EQ(opened, route_section_names());

  EXPECT_EQ(r.line_name, "試験線");
  EXPECT_EQ(r.staf[1], "image\\standby.bmp");
  EXPECT_EQ(r.route_friction.raw(), 3500);
  EXPECT_EQ(r.staf_switch, (std::vector<int>{0, 1}));
  EXPECT_EQ(r.speed_signal, (std::vector<int>{0, 25, 45, 65, 95}));
  EXPECT_EQ(r.perspective_p, 10.5L);
  EXPECT_EQ(r.perspective_h, 150);
  ASSERT_EQ(r.movie_switch.size(), 1u);
  EXPECT_EQ(r.movie_switch[0].name, "fixture_b");
  EXPECT_EQ(r.movie_switch[0].next, 1260);
  EXPECT_EQ(r.pre_train_frame, 2400);
  EXPECT_EQ(r.sound_data.size(), 5u);
  EXPECT_EQ(r.sound_data[3], "");  // keeps its number, names no sound
  ASSERT_EQ(r.stations.size(), 4u);
  EXPECT_EQ(r.stations[2].Name, "中央駅");
  EXPECT_EQ(r.stations[2].deptime, 1083600);
  EXPECT_EQ(r.stations[2].percent, 50);
  EXPECT_EQ(r.signals.size(), 4u);
  EXPECT_EQ(r.signals[2].head, 4);
  EXPECT_EQ(r.signals[2].sub_x, 560);
  EXPECT_EQ(r.slopes[1].gradient.raw(), -50000);
  EXPECT_EQ(r.sounds.size(), 1u);  // the ";" line is a comment
  EXPECT_EQ(r.speed_units.size(), 6u);
  EXPECT_EQ(r.speed_units[1].speed_first, 36.0L);
  EXPECT_EQ(r.anim_images.size(), 14u);
  EXPECT_EQ(r.tunnel_r, 5);
  EXPECT_EQ(r.max_speed_check, 1);
  // 9 overlay pictures, 4 signal heads, the monitor, 14 animation and 1 traffic-light picture.
  EXPECT_EQ(images.loaded.size(), 29u);

  const TrafficSignalData& light = r.traffic_signals.at(0);
  EXPECT_EQ(light.phases[1].length, 90);
  EXPECT_EQ(light.phases[1].permit, 0);
  EXPECT_EQ(light.second_frame, 1790);
  EXPECT_EQ(light.state_go, 2);
  EXPECT_EQ(light.phase, 1);  // every light starts in phase 1 with its full length
  EXPECT_EQ(light.phase_count[0], 300);
}

TEST(RouteFile, AnErrorNamesTheContextLabelInForceAndTheLine) {
  struct Case {
    std::string text, label, line;
  };
  const Case cases[] = {
      {"[StartPos]\nx\n", "その他", "x"},
      {"[Friction]\n0.1.2\n", "その他", "0.1.2"},
      {"[StafSwitch]\n1\nq\n#\n", "[StafSwitch]", "q"},
      // Sections without a label read under the one checked before them.
      {"[Perspective]\n1.5\nx\n", "[Speed_Signal]", "x"},
      {"[OneMan]\n1\ny\n", "[Pre_Train]", "y"},
      {"[Monitor]\ntrain_a.dat\nq\n", "[SoundData]", "q"},
      {"[TunnelR]\n1.5\n", "[TunnelR]", "1.5"},
      {"[Station]\n駅,x\n#\n", "[Station]", "駅,x"},
      {"[Station]\n駅,0,0\n", "[Station]", "駅,0,0"},  // never closed
      {"[MaxSpeedCheck]\nz\n", "[MaxSpeedCheck]", "z"},
      {"[Slope]\n1.5,,3\n#\n", "[Slope]", "1.5,,3"},  // an empty field is not a zero
      {"[SpeedUnit]\n300,300,10,10\n#\n", "[SpeedUnit]", "300,300,10,10"},  // no length
      {"[Pre_Train]\n10,20\n1,2,3,4\n", "[Pre_Train]", "1,2,3,4"},          // never closed
  };
  for (const Case& c : cases) {
    RouteReading reading;
    const std::vector<std::string> messages = reading.failure(c.text);
    ASSERT_EQ(messages.size(), 2u) << c.text;
    EXPECT_EQ(messages[0], route_message(c.label, c.line)) << c.text;
  }
}

TEST(RouteFile, ListsHoldTheirCapacityAndRejectOneMore) {
  struct Case {
    const char* header;
    std::string entry;
    int capacity;
    const char* head = "";  // first value line of sections that have one
  };
  const Case cases[] = {
      {"[Speed_Signal]", "25", 11},
      {"[MovieStop]", "100", 100},
      {"[StafSwitch]", "1", 9, "0\n"},  // ten values with the first line
      {"[Station]", "駅,0,0", 100},
      {"[SoundData]", "a.wav", 100},
      {"[Announce]", "1,0,0,0,0", 500, "0,0\n"},
      {"[Sound]", "1,0,0,0,0,0,0,0,0", 501},
      {"[Time]", "1,2,3", 100},
      {"[Switch]", "1,2", 101},
  };
  for (const Case& c : cases) {
    RouteReading reading;
    const std::string full = std::string(c.header) + "\n" + c.head + lines_of(c.capacity, c.entry);
    EXPECT_NO_THROW(reading.read(full + "#\n")) << c.header;
    const auto messages = reading.failure(full + c.entry + "\n#\n");
    ASSERT_EQ(messages.size(), 2u) << c.header;
    EXPECT_EQ(messages[1], std::string(c.header) + " holds more than " +
                               std::to_string(c.capacity) + " entries");
  }
  // Comment lines take no place in a sound list.
  RouteReading reading;
  EXPECT_EQ(reading.read("[Sound]\n" + lines_of(501, "1,0,0,0,0,0,0,0,0") + ";\n#\n").sounds.size(),
            501u);
}

TEST(RouteFile, SemicolonLinesAreCommentsOnlyInTheSoundLists) {
  RouteReading reading;
  const RouteData r =
      reading.read("[Sound]\n;2,0,0\n2,10,20,60,1,0,1,0,1\n#\n[Sound2]\n;x\n4,1,3\n#\n");
  ASSERT_EQ(r.sounds.size(), 1u);
  EXPECT_EQ(r.sounds[0].end_frame, 20);
  EXPECT_EQ(r.sounds[0].fade_flag, 1);
  ASSERT_EQ(r.sound2.size(), 1u);
  EXPECT_EQ(r.sound2[0].end_station, 3);
  EXPECT_EQ(r.source.line_of("[Sound]", 0), 3);

  const auto messages = reading.failure("[Doppler]\n;2,0,0\n#\n");
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], route_message("[Doppler]", ";2,0,0"));
  EXPECT_NE(messages[1].find("\";2\""), std::string::npos) << messages[1];
}

TEST(RouteFile, Signal2TakesTenSingleDigitsFromTheLineStart) {
  struct Case {
    std::string line;
    std::array<int, 5> a, b;
  };
  const Case good[] = {
      {"0123401234", {0, 1, 2, 3, 4}, {0, 1, 2, 3, 4}},
      {"9876543210,the rest is ignored", {9, 8, 7, 6, 5}, {4, 3, 2, 1, 0}},
  };
  for (const Case& c : good) {
    RouteReading reading;
    const RouteData r =
        reading.read("[Signal]\n" + lines_of(1, "0") + "#\n[Signal2]\n" + c.line + "\n#\n");
    ASSERT_EQ(r.signal_chain.size(), 1u);
    EXPECT_EQ(r.signal_chain[0].step_a, c.a) << c.line;
    EXPECT_EQ(r.signal_chain[0].step_b, c.b) << c.line;
  }
  for (const std::string bad : {"012340123", "01234 1234", "0,1,2,3,4,"}) {
    RouteReading reading;
    const auto messages = reading.failure("[Signal2]\n" + bad + "\n#\n");
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0], route_message("[Signal2]", bad));
  }
}

TEST(RouteFile, SignalAndSignal2CountsMustAgree) {
  RouteReading reading;
  EXPECT_EQ(reading.failure("[Signal]\n" + lines_of(12, "0,0,0,2,0,100") + "#\n[Signal2]\n" +
                            lines_of(11, "1234412344") + "#\n"),
            std::vector<std::string>{"信号機数不一致:12:11"});
  EXPECT_EQ(reading.failure("[Signal2]\n1234412344\n#\n"),
            std::vector<std::string>{"信号機数不一致:0:1"});
}

TEST(RouteFile, KankoSound1AlwaysTakesTwentyTwoLines) {
  RouteReading reading;
  std::string text = "[KankoSound1]\n";
  for (int slot = 0; slot < 22; ++slot)
    text += slot == 4 ? "#\n" : "k" + std::to_string(slot) + ".wav\n";
  text += "[LineName]\n線\n[KankoSound2]\nv0.wav\nv1.wav\n#\n";
  const RouteData r = reading.read(text);
  ASSERT_EQ(r.call_voice.size(), 24u);
  EXPECT_EQ(r.call_voice[4].filename, "#");
  EXPECT_EQ(r.call_voice[21].filename, "k21.wav");
  EXPECT_EQ(r.line_name, "線");  // the line after the 22nd is a header again
  // [KankoSound2] voices follow at slot 22, numbered from 0.
  EXPECT_EQ(r.call_voice[22].name, 0);
  EXPECT_EQ(r.call_voice[23].name, 1);
  EXPECT_EQ(r.call_voice[23].filename, "v1.wav");
}

TEST(RouteFile, MonitorIsReadOnlyForTheVehicleItNames) {
  // For another vehicle the five lines are ordinary lines: a header among them opens.
  const std::string text = "[Monitor]\ntrain_a.dat\n[LineName]\n20\n48\n32\na.bmp\n";
  struct Case {
    std::string vehicle;
    bool loads;
  };
  for (const Case& c :
       {Case{"train_b.dat", true}, Case{"TRAIN_A.DAT", true}, Case{"train_a.dat", false}}) {
    RouteReading reading;
    reading.vehicle = c.vehicle;
    if (c.loads) {
      const RouteData r = reading.read(text);
      EXPECT_FALSE(r.monitor.present) << c.vehicle;
      EXPECT_EQ(r.line_name, "20") << c.vehicle;
      EXPECT_TRUE(reading.images.loaded.empty());
    } else {
      EXPECT_EQ(reading.failure(text).at(0), route_message("[SoundData]", "[LineName]"));
    }
  }
}

TEST(RouteFile, AnnounceEntriesAreNumberedFromOne) {
  RouteReading reading;
  const RouteData r = reading.read("[Announce]\n7,8\n1,0,2,300,5\n3,1,4,200,0\n#\n");
  ASSERT_EQ(r.announce.size(), 3u);
  EXPECT_EQ(r.announce[0].sound, 7);
  EXPECT_EQ(r.announce_open_sound, 8);
  EXPECT_EQ(r.announce[1].answer, 5);
  EXPECT_EQ(r.announce[2].kind, 1);
  EXPECT_EQ(r.announce[2].distance, 200);
}

TEST(RouteFile, ASectionReadAgainReplacesItsList) {
  RouteReading reading;
  const RouteData r = reading.read(
      "[MovieStop]\n1\n2\n3\n#\n[MovieStop]\n9\n#\n[Speed_Signal]\n0\n#\n[Speed_Signal]\n#\n");
  EXPECT_EQ(r.movie_stop, std::vector<int>{9});
  EXPECT_TRUE(r.speed_signal.empty());
  EXPECT_EQ(r.source.line_of("[MovieStop]", 0), 7);
}

TEST(RouteFile, PreTrainDelaysAccumulateAlongTheList) {
  const std::string text = "[Pre_Train]\n100,900\n1,40,1000,30\n2,40,2000,0\n3,-20,3000,50\n#\n";
  bool varied = false;
  for (std::uint64_t seed = 0; seed < 200; ++seed) {
    RouteReading reading;
    reading.rng.seed(seed);
    const RouteData r = reading.read(text);
    ASSERT_EQ(r.pre_train.size(), 3u);
    const auto& p = r.pre_train;
    EXPECT_GE(p[0].delay, 0);
    EXPECT_LT(p[0].delay, 30);          // drawn in [0, width)
    EXPECT_EQ(p[1].delay, p[0].delay);  // a width of 0 adds nothing
    EXPECT_GE(p[2].delay - p[1].delay, 0);
    EXPECT_LT(p[2].delay - p[1].delay, 50);
    for (std::size_t k = 0; k < 3; ++k)
      EXPECT_EQ(p[k].departure, 1000 * static_cast<int>(k + 1) + p[k].delay);
    EXPECT_EQ(p[2].rate, -20);
    varied = varied || p[2].delay != p[0].delay;
  }
  EXPECT_TRUE(varied);

  // The same seed draws the same delays: a seeded drive is reproducible.
  RouteReading a, b;
  a.rng.seed(42);
  b.rng.seed(42);
  EXPECT_EQ(a.read(text).pre_train[2].delay, b.read(text).pre_train[2].delay);
}

TEST(RouteFile, ADepartureBeyondTheClockRangeIsRejected) {
  std::mt19937_64 rng(7);
  ASSERT_GT(random_below(rng, 2147483647), 0) << "the seed must draw a delay";
  RouteReading reading;  // seeded with 7
  const auto messages = reading.failure("[Pre_Train]\n0,0\n0,0,2147483647,2147483647\n#\n");
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], route_message("[Pre_Train]", "0,0,2147483647,2147483647"));
}

}  // namespace
}  // namespace velmora
