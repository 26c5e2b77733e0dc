// The cab's pictures and sprites on SDL, checked by the pixels of the composed picture.

#include <gtest/gtest.h>

#include <fstream>

#include "sdl_test_pictures.h"

namespace velmora {
namespace {

constexpr std::uint32_t kBlack = 0x000000, kRed = 0xff0000, kGreen = 0x00ff00, kBlue = 0x0000ff,
                        kWhite = 0xffffff, kKey = 0xff00ff;

TEST(CabPictures, AStripIsCutLeftToRightThenTopToBottomAndEachPatternDrawnAlone) {
  DrawingRig rig;
  const std::uint32_t colours[6] = {0x102030, 0x405060, 0x708090, 0xa0b0c0, 0xd0e0f0, 0x30c050};
  // Three by two patterns of 4 x 4 px; the odd pixels at the right and bottom make none.
  TestPicture strip(14, 9, kWhite);
  for (int k = 0; k < 6; ++k) strip.fill((k % 3) * 4, (k / 3) * 4, 4, 4, colours[k]);
  const int s = rig.sprite("img_strip", strip, "strip.png", at(10, 10), 4, 4);
  ASSERT_GE(s, 0) << rig.screen->images().last_error();
  ASSERT_EQ(rig.screen->sprites().pattern_count(s), 6);
  for (int k = 0; k < 6; ++k) {
    rig.screen->sprites().set_pattern(s, k);
    const CabPixels p = rig.compose();
    EXPECT_TRUE(colour_near(p, 10, 10, colours[k], 0)) << "pattern " << k;
    EXPECT_TRUE(colour_near(p, 13, 13, colours[k], 0)) << "pattern " << k;
    EXPECT_TRUE(colour_near(p, 14, 10, kBlack, 0)) << "pattern " << k;  // one pattern wide
  }

  // Without a pattern size the whole picture is the one pattern.
  const int whole = rig.sprite("img_whole", strip, "whole.png", at(50, 50));
  EXPECT_EQ(rig.screen->sprites().pattern_count(whole), 1);
  const CabPixels p = rig.compose();
  EXPECT_TRUE(colour_near(p, 50 + 13, 50 + 8, kWhite, 0));
  EXPECT_TRUE(colour_near(p, 50 + 4, 50 + 4, colours[4], 0));
}

TEST(CabPictures, TheBottomLeftColourIsLeftOutOfATransparentPicture) {
  DrawingRig rig;
  rig.sprite("img_under", TestPicture(20, 20, kGreen), "under.bmp", at(10, 10, 0));
  TestPicture sign(8, 8, kKey);
  sign.fill(2, 2, 4, 4, kRed);
  const int keyed = rig.sprite("img_sign", sign, "sign.bmp", at(12, 12, 1), 0, 0, true);
  ASSERT_GE(keyed, 0) << rig.screen->images().last_error();
  CabPixels p = rig.compose();
  EXPECT_TRUE(colour_near(p, 12, 12, kGreen, 0));  // the key colour shows what is below
  EXPECT_TRUE(colour_near(p, 12, 19, kGreen, 0));
  EXPECT_TRUE(colour_near(p, 15, 15, kRed, 0));

  // The same picture, not transparent, draws its key colour too.
  rig.screen->sprites().set_visible(keyed, false);
  rig.sprite("img_opaque", sign, "sign.bmp", at(12, 12, 1));
  p = rig.compose();
  EXPECT_TRUE(colour_near(p, 12, 12, kKey, 0));
  EXPECT_TRUE(colour_near(p, 15, 15, kRed, 0));
}

TEST(CabPictures, JpegPicturesAreReadToo) {
  DrawingRig rig;
  const int s = rig.sprite("img_photo", TestPicture(16, 16, 0xc83228), "photo.jpg", at(0, 0));
  ASSERT_GE(s, 0) << rig.screen->images().last_error();
  EXPECT_TRUE(colour_near(rig.compose(), 8, 8, 0xc83228, 12));  // lossy
}

TEST(CabPictures, AMissingOrDamagedFileLoadsNothingAndSaysWhichFile) {
  DrawingRig rig;
  PictureRequest r;
  r.name = "img_gone";
  r.file = rig.dir / "gone.bmp";
  r.sprites = {at(0, 0)};
  EXPECT_FALSE(rig.screen->images().load(r));
  EXPECT_NE(rig.screen->images().last_error().find("gone.bmp"), std::string::npos)
      << rig.screen->images().last_error();

  std::ofstream(rig.dir / "damaged.bmp") << "BM this is no picture at all";
  r.file = rig.dir / "damaged.bmp";
  EXPECT_FALSE(rig.screen->images().load(r));

  // A PNG cut short after its header.
  const std::filesystem::path whole = TestPicture(16, 16, kRed).save(rig.dir / "whole.png");
  std::ifstream in(whole, std::ios::binary);
  std::string bytes(40, '\0');
  in.read(bytes.data(), 40);
  std::ofstream(rig.dir / "short.png", std::ios::binary) << bytes;
  r.file = rig.dir / "short.png";
  EXPECT_FALSE(rig.screen->images().load(r));

  EXPECT_EQ(rig.screen->sprites().count(), 0);
  EXPECT_TRUE(rig.screen->sprites().sprites_of("img_gone").empty());
  r.list = PictureList::Animation;
  EXPECT_FALSE(rig.screen->images().load(r));
  EXPECT_EQ(rig.screen->images().listed(PictureList::Animation, "img_gone"), nullptr);
}

TEST(CabPictures, AnimationAndTrafficLightPicturesAreKeptByNameWithoutSprites) {
  DrawingRig rig;
  PictureRequest r;
  r.list = PictureList::Animation;
  r.name = "0";
  r.file = TestPicture(8, 6, kRed).save(rig.dir / "anim.png");
  ASSERT_TRUE(rig.screen->images().load(r));
  r.list = PictureList::TrafficLight;
  r.file = TestPicture(16, 48, kGreen).save(rig.dir / "traffic.bmp");
  ASSERT_TRUE(rig.screen->images().load(r));

  const SdlPicture* anim = rig.screen->images().listed(PictureList::Animation, "0");
  const SdlPicture* traffic = rig.screen->images().listed(PictureList::TrafficLight, "0");
  ASSERT_NE(anim, nullptr);
  ASSERT_NE(traffic, nullptr);
  EXPECT_EQ(anim->width, 8);
  EXPECT_EQ(traffic->height, 48);
  EXPECT_EQ(traffic->pattern_count(), 1);
  EXPECT_EQ(rig.screen->images().listed(PictureList::Animation, "1"), nullptr);
  EXPECT_EQ(rig.screen->sprites().count(), 0);
  EXPECT_TRUE(colour_near(rig.compose(), 4, 4, kBlack, 0));
}

TEST(CabSprites, HigherZIsInFrontAndEqualZKeepsTheOrderOfMaking) {
  DrawingRig rig;
  rig.sprite("img_a", TestPicture(20, 20, kRed), "a.png", at(10, 10, 5));
  rig.sprite("img_b", TestPicture(20, 20, kGreen), "b.png", at(15, 15, 1));
  rig.sprite("img_c", TestPicture(20, 20, kBlue), "c.png", at(20, 20, 5));
  const CabPixels p = rig.compose();
  EXPECT_TRUE(colour_near(p, 12, 12, kRed, 0));    // a alone
  EXPECT_TRUE(colour_near(p, 17, 17, kRed, 0));    // a over b, made before it
  EXPECT_TRUE(colour_near(p, 16, 32, kGreen, 0));  // b alone
  EXPECT_TRUE(colour_near(p, 32, 32, kBlue, 0));   // c over b
  EXPECT_TRUE(colour_near(p, 25, 25, kBlue, 0));   // c over a: the same Z, made later
  EXPECT_TRUE(colour_near(p, 37, 12, kBlack, 0));
}

TEST(CabSprites, APatternIsStretchedToItsSpriteAndMovesWithIt) {
  DrawingRig rig;
  TestPicture quarters(2, 2, kRed);
  quarters.fill(1, 0, 1, 1, kGreen).fill(0, 1, 1, 1, kBlue).fill(1, 1, 1, 1, kWhite);
  SpritePlace place = at(10, 10);
  place.width = 20;
  place.height = 12;
  const int s = rig.sprite("img_q", quarters, "q.bmp", place);
  CabPixels p = rig.compose();
  EXPECT_TRUE(colour_near(p, 10, 10, kRed, 0));
  EXPECT_TRUE(colour_near(p, 29, 10, kGreen, 0));
  EXPECT_TRUE(colour_near(p, 10, 21, kBlue, 0));
  EXPECT_TRUE(colour_near(p, 29, 21, kWhite, 0));
  EXPECT_TRUE(colour_near(p, 30, 15, kBlack, 0));
  EXPECT_TRUE(colour_near(p, 15, 22, kBlack, 0));

  rig.screen->sprites().set_position(s, 60, 70);
  p = rig.compose();
  EXPECT_TRUE(colour_near(p, 10, 10, kBlack, 0));
  EXPECT_TRUE(colour_near(p, 60, 70, kRed, 0));
  EXPECT_TRUE(colour_near(p, 79, 81, kWhite, 0));

  // A new size stretches it anew (a stop line thinning as it comes nearer).
  rig.screen->sprites().set_size(s, 40, 2);
  p = rig.compose();
  EXPECT_TRUE(colour_near(p, 60, 70, kRed, 0));
  EXPECT_TRUE(colour_near(p, 99, 71, kWhite, 0));
  EXPECT_TRUE(colour_near(p, 60, 72, kBlack, 0));
}

TEST(CabSprites, VisibilityShowsAndHides) {
  DrawingRig rig;
  SpritePlace hidden = at(5, 5);
  hidden.visible = false;
  const int s = rig.sprite("img_lamp", TestPicture(8, 8, kWhite), "lamp.png", hidden);
  EXPECT_TRUE(colour_near(rig.compose(), 8, 8, kBlack, 0));
  rig.screen->sprites().set_visible(s, true);
  EXPECT_TRUE(colour_near(rig.compose(), 8, 8, kWhite, 0));
  rig.screen->sprites().set_visible(s, false);
  EXPECT_TRUE(colour_near(rig.compose(), 8, 8, kBlack, 0));
}

TEST(CabSprites, OpacityBlendsTheSpriteOverWhatIsBelow) {
  DrawingRig rig;
  rig.sprite("img_under", TestPicture(10, 10, kRed), "under.png", at(0, 0, 0));
  SpritePlace line = at(0, 0, 1);
  line.width = 20;
  line.opacity = 64;  // a stop line
  rig.sprite("img_line", TestPicture(4, 4, kWhite), "line.bmp", line);
  const CabPixels p = rig.compose();
  EXPECT_TRUE(colour_near(p, 15, 2, 0x404040, 2));  // over black
  EXPECT_TRUE(colour_near(p, 5, 2, 0xff4040, 2));   // over red
  EXPECT_TRUE(colour_near(p, 5, 8, kRed, 0));       // below the line
}

TEST(CabSprites, AQuarterTurnClockwiseStandsAHorizontalBarUpright) {
  DrawingRig rig;
  TestPicture bar(20, 4, kWhite);
  bar.fill(0, 0, 4, 4, kRed);  // the bar's left end
  const int s = rig.sprite("img_bar", bar, "bar.png", at(40, 48));  // centre (50, 50)
  CabPixels p = rig.compose();
  EXPECT_TRUE(colour_near(p, 41, 49, kRed, 0));
  EXPECT_TRUE(colour_near(p, 57, 49, kWhite, 0));
  EXPECT_TRUE(colour_near(p, 49, 42, kBlack, 0));

  rig.screen->sprites().set_angle(s, 256.3L);  // rounded to a whole unit
  EXPECT_EQ(rig.screen->sprites().angle(s), 256);
  p = rig.compose();
  EXPECT_TRUE(colour_near(p, 49, 42, kRed, 0)) << "the left end turns up";
  EXPECT_TRUE(colour_near(p, 50, 57, kWhite, 0));
  EXPECT_TRUE(colour_near(p, 42, 49, kBlack, 0));
  EXPECT_TRUE(colour_near(p, 57, 50, kBlack, 0));

  // Three quarters back is the same place; three quarters on puts the left end down.
  rig.screen->sprites().set_angle(s, -768);
  EXPECT_EQ(rig.screen->sprites().angle(s), 256);
  rig.screen->sprites().set_angle(s, 768 + 1024);
  EXPECT_EQ(rig.screen->sprites().angle(s), 768);
  p = rig.compose();
  EXPECT_TRUE(colour_near(p, 50, 57, kRed, 0));
  EXPECT_TRUE(colour_near(p, 49, 42, kWhite, 0));
}

TEST(CabSprites, APatternOutsideThePictureDrawsNothingAndUnknownSpritesAreIgnored) {
  DrawingRig rig;
  TestPicture two(8, 4, kRed);
  two.fill(4, 0, 4, 4, kGreen);
  const int s = rig.sprite("img_two", two, "two.png", at(0, 0), 4, 4);
  for (const int pattern : {2, -1, 1000}) {
    rig.screen->sprites().set_pattern(s, pattern);
    EXPECT_TRUE(colour_near(rig.compose(), 1, 1, kBlack, 0)) << "pattern " << pattern;
  }
  rig.screen->sprites().set_pattern(s, 1);
  EXPECT_TRUE(colour_near(rig.compose(), 1, 1, kGreen, 0));

  SpriteEngine& engine = rig.screen->sprites();
  for (const int unknown : {-1, 1, 99}) {
    engine.set_pattern(unknown, 0);
    engine.set_visible(unknown, false);
    engine.set_position(unknown, 5, 5);
    engine.set_angle(unknown, 256);
    EXPECT_EQ(engine.pattern_count(unknown), 0);
  }
  EXPECT_TRUE(colour_near(rig.compose(), 1, 1, kGreen, 0));
}

TEST(CabSprites, PicturesAreFoundByNameWithoutRegardToLetterCase) {
  DrawingRig rig;
  PictureRequest r;
  r.name = "img_Panel";
  r.file = TestPicture(4, 4, kRed).save(rig.dir / "panel.png");
  r.sprites = {at(0, 0), at(10, 0)};
  ASSERT_TRUE(rig.screen->images().load(r));
  rig.sprite("img_other", TestPicture(4, 4, kBlue), "other.png", at(20, 0));
  r.sprites = {at(30, 0)};
  ASSERT_TRUE(rig.screen->images().load(r));

  EXPECT_EQ(rig.screen->sprites().sprites_of("IMG_PANEL"), (std::vector<int>{0, 1, 3}));
  EXPECT_EQ(rig.screen->sprites().sprites_of("img_panel"), (std::vector<int>{0, 1, 3}));
  EXPECT_TRUE(rig.screen->sprites().sprites_of("img_Panel2").empty());
  const CabPixels p = rig.compose();
  EXPECT_TRUE(colour_near(p, 11, 1, kRed, 0));
  EXPECT_TRUE(colour_near(p, 31, 1, kRed, 0));
}

}  // namespace
}  // namespace velmora
