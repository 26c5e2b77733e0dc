#include <gtest/gtest.h>

#include "route_test_support.h"

namespace velmora {
namespace {

const std::string kSignImages =
    "[SignImageList]\na.bmp,40\na.bmp,6\na.bmp,6\na.bmp,6\na.bmp,40\na.bmp,40\na.bmp,30\n"
    "a.bmp,40\na.bmp,40\n";
const std::string kSignalImages =
    "[SignalImageList]\n5,-3,32,48,a.bmp\n16,16,a.bmp\n12,24,a.bmp\n12,24,a.bmp\n";

TEST(OverlayPictures, AreCutAndPlacedByTheFilmSize) {
  struct Place {
    const char* name;
    int x, y, z, width, height;
    bool transparent;
    int pattern_w, pattern_h;
  };
  struct Case {
    int film_width, film_height;
    std::vector<Place> places;
  };
  const Case cases[] = {
      {800,
       600,
       {{"img_unten_teimoku", 760, 0, 100, 40, 40, true, 40, 40},
        {"img_unten_teimokuS", 0, 0, 100, 800, 6, false, 0, 0},
        {"img_unten_teimokuE", 0, 0, 100, 800, 6, false, 0, 0},
        {"img_unten_slope", 660, 330, 100, 40, 40, true, 40, 40},
        {"img_unten_limit", 660, 210, 100, 40, 40, true, 40, 40},
        {"img_unten_remain", 770, 0, 100, 30, 900, false, 30, 900},
        {"img_unten_cross", 0, 240, 100, 40, 40, true, 40, 40},
        {"img_unten_other", 0, 270, 100, 40, 40, true, 40, 40},
        {"img_unten_signal", 0, 0, 100, 32, 48, true, 32, 48},
        {"img_unten_signal_S", 0, 0, 101, 16, 16, true, 16, 16},
        {"img_unten_signal_R", 0, 0, 100, 12, 24, true, 12, 24}}},
      // Products are rounded to whole pixels: 660.825 -> 661, 330.55 -> 331, 210.35 -> 210.
      {801,
       601,
       {{"img_unten_slope", 661, 331, 100, 40, 40, true, 40, 40},
        {"img_unten_limit", 661, 210, 100, 40, 40, true, 40, 40},
        {"img_unten_cross", 0, 240, 100, 40, 40, true, 40, 40},
        {"img_unten_other", 0, 270, 100, 40, 40, true, 40, 40}}},
  };
  for (const Case& c : cases) {
    RouteReading reading;
    reading.film_width = c.film_width;
    reading.film_height = c.film_height;
    const RouteData r = reading.read(kSignImages + kSignalImages);
    for (const Place& p : c.places) {
      const PictureRequest* picture = reading.images.find(p.name);
      ASSERT_NE(picture, nullptr) << p.name;
      ASSERT_FALSE(picture->sprites.empty());
      const SpritePlace& s = picture->sprites.front();
      EXPECT_EQ(s.x, p.x) << p.name << " " << c.film_width;
      EXPECT_EQ(s.y, p.y) << p.name << " " << c.film_height;
      EXPECT_EQ(s.z, p.z) << p.name;
      EXPECT_EQ(s.width, p.width) << p.name;
      EXPECT_EQ(s.height, p.height) << p.name;
      EXPECT_EQ(picture->transparent, p.transparent) << p.name;
      EXPECT_EQ(picture->pattern_width, p.pattern_w) << p.name;
      EXPECT_EQ(picture->pattern_height, p.pattern_h) << p.name;
      EXPECT_EQ(picture->file, reading.dir / "a.bmp");
    }
    EXPECT_EQ(reading.images.find("img_unten_cross")->sprites.size(), 2u);
    EXPECT_EQ(reading.images.find("img_unten_teimokuM")->sprites[0].opacity, 64);
    EXPECT_EQ(r.signal_offset_x, 5);
    EXPECT_EQ(r.signal_offset_y, -3);
  }
}

TEST(OverlayPictures, OnePictureThatCannotBeMadeStopsWithItsOwnMessage) {
  const std::pair<const char*, const char*> cases[] = {
      {"img_unten_teimoku", "停目の生成エラー"},
      {"img_unten_teimokuS", "停止線Sの生成エラー"},
      {"img_unten_teimokuM", "停止線Mの生成エラー"},
      {"img_unten_teimokuE", "停止線Eの生成エラー"},
      {"img_unten_slope", "勾配標の生成エラー"},
      {"img_unten_limit", "制限標の生成エラー"},
      {"img_unten_remain", "残り距離表示の生成エラー"},
      {"img_unten_cross", "踏切表示灯の生成エラー"},
      {"img_unten_other", "その他標識の生成エラー"},
      {"img_unten_signal", "信号機の生成エラー"},
      {"img_unten_signal_S", "サブ信号機0の生成エラー"},
      {"img_unten_signal_L", "サブ信号機1の生成エラー"},
      {"img_unten_signal_R", "サブ信号機2の生成エラー"},
  };
  for (const auto& [picture, message] : cases) {
    RouteReading reading;
    reading.images.refuse.insert(picture);
    EXPECT_EQ(reading.failure(kSignImages + kSignalImages), std::vector<std::string>{message});
  }
  // A missing file and a frame size that cannot cut the picture fail the same way.
  RouteReading reading;
  EXPECT_EQ(reading.failure("[SignalImageList]\n0,0,32,48,a.bmp\n16,16,none.bmp\n"),
            std::vector<std::string>{"サブ信号機0の生成エラー"});
  EXPECT_EQ(reading.failure("[SignImageList]\na.bmp,0\n"),
            std::vector<std::string>{"停目の生成エラー"});
}

TEST(OverlayPictures, MonitorAndListPicturesFailWithTheRouteFileMessage) {
  struct Case {
    std::string text, label, line;
    std::string refuse;  // a picture the image list cannot read
    std::string detail;  // empty: not checked
  };
  const std::string unreadable = "the picture \"a.bmp\" cannot be read";
  const Case cases[] = {
      {"[Monitor]\ntrain_a.dat\n1\n2\n48\n32\nnone.bmp\n", "[SoundData]", "none.bmp", "", ""},
      {"[Monitor]\ntrain_a.dat\n1\n2\n0\n32\na.bmp\n", "[SoundData]", "a.bmp", "", ""},
      {"[AnimImageList]\na.bmp\nnone.bmp\n#\n", "[AnimImageList]", "none.bmp", "", ""},
      {"[TrafficSignalImageList]\nnone.bmp\n#\n", "[TrafficSignalImageList]", "none.bmp", "", ""},
      {"[Monitor]\ntrain_a.dat\n1\n2\n48\n32\na.bmp\n", "[SoundData]", "a.bmp", "img_mon",
       "line_test.dat:7: img_mon: \"a.bmp\" cannot be read"},
      {"[AnimImageList]\na.bmp\na.bmp\n#\n", "[AnimImageList]", "a.bmp", "1",
       "line_test.dat:3: " + unreadable},
      {"[TrafficSignalImageList]\na.bmp\n#\n", "[TrafficSignalImageList]", "a.bmp", "0",
       "line_test.dat:2: " + unreadable},
      // An unreadable picture is reported before a bad value on a later line.
      {"[AnimImageList]\na.bmp\n#\n[TunnelR]\nx\n", "[AnimImageList]", "a.bmp", "0",
       "line_test.dat:2: " + unreadable},
  };
  for (const Case& c : cases) {
    RouteReading reading;
    if (!c.refuse.empty()) reading.images.refuse.insert(c.refuse);
    const auto messages = reading.failure(c.text);
    ASSERT_EQ(messages.size(), 2u) << c.text;
    EXPECT_EQ(messages[0], route_message(c.label, c.line));
    if (!c.detail.empty()) {
      EXPECT_EQ(reading.detail, c.detail) << c.text;
    }
  }
}

TEST(OverlayPictures, ReadingListsThePicturesBeforeAFaultAndLoadsNone) {
  RouteReading reading;
  const RouteFile file = reading.read_file("[AnimImageList]\na.bmp\na.bmp\n#\n[TunnelR]\nx\n");
  ASSERT_EQ(file.pictures.size(), 2u);
  EXPECT_EQ(file.pictures[1].request.name, "1");
  EXPECT_EQ(file.pictures[1].failure.detail,
            "line_test.dat:3: the picture \"a.bmp\" cannot be read");
  ASSERT_TRUE(file.failure.has_value());
  EXPECT_EQ(file.failure->messages.at(0), route_message("[TunnelR]", "x"));
  EXPECT_TRUE(reading.images.loaded.empty());
}

TEST(OverlayPictures, MonitorForThisVehicleIsASpriteAtItsPlace) {
  RouteReading reading({"Image/Mon.BMP"});
  const RouteData r = reading.read(
      "[Monitor]\ntrain_a.dat\n600\n20\n48\n32\nimage\\mon.bmp\n[AnimImageList]\nimage\\mon."
      "bmp\nimage\\mon.bmp\n#\n");
  EXPECT_TRUE(r.monitor.present);
  const PictureRequest* mon = reading.images.find("img_mon");
  ASSERT_NE(mon, nullptr);
  EXPECT_TRUE(mon->transparent);
  EXPECT_EQ(mon->file, reading.dir / "Image/Mon.BMP");  // names resolve ignoring letter case
  ASSERT_EQ(mon->sprites.size(), 1u);
  EXPECT_EQ(mon->sprites[0].x, 600);
  EXPECT_EQ(mon->sprites[0].y, 20);
  EXPECT_EQ(mon->sprites[0].z, 51);
  EXPECT_TRUE(mon->sprites[0].visible);
  // List pictures are appended in order, without sprites.
  ASSERT_EQ(reading.images.loaded.size(), 3u);
  EXPECT_EQ(reading.images.loaded[2].list, PictureList::Animation);
  EXPECT_EQ(reading.images.loaded[2].name, "1");
  EXPECT_EQ(r.anim_images.size(), 2u);
}

}  // namespace
}  // namespace velmora
