// The cab screen on SDL: the film picture, the texts over it, the fade and the screenshot.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/film_picture.h"
#include "sdl_test_pictures.h"

namespace velmora {
namespace {

std::shared_ptr<FilmPicture> film_of(int width, int height, int y, int u, int v, bool full_range = false) {
  NewFilmPicture made = make_film_picture(width, height);
  std::memset(made.planes[0], y, std::size_t(width) * height);
  std::memset(made.planes[1], u, std::size_t((width + 1) / 2) * ((height + 1) / 2));
  std::memset(made.planes[2], v, std::size_t((width + 1) / 2) * ((height + 1) / 2));
  made.picture->full_range = full_range;
  return made.picture;
}

// The colour the film picture's first pixel converts to, as 0xRRGGBB.
std::uint32_t converted(const FilmPicture& picture) {
  std::vector<std::uint8_t> bgra(std::size_t(picture.width) * picture.height * 4);
  film_picture_to_bgra(picture, bgra.data(), picture.width * 4);
  return std::uint32_t(bgra[2]) << 16 | std::uint32_t(bgra[1]) << 8 | bgra[0];
}

std::string bytes_of(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(CabScreen, TheFilmPictureIsStretchedOverTheFilmAreaAndTheDeskStaysBlack) {
  const auto screen = SdlCabScreen::offscreen();
  EXPECT_TRUE(screen->can_draw());
  ASSERT_EQ(screen->width(), 800);
  ASSERT_EQ(screen->height(), 780);

  const auto reddish = film_of(160, 120, 81, 90, 240);
  screen->set_film_picture(reddish);
  screen->compose();
  CabPixels p = screen->read_back();
  for (const auto& [x, y] : {std::pair{0, 0}, {799, 599}, {400, 300}, {0, 599}})
    EXPECT_TRUE(colour_near(p, x, y, converted(*reddish))) << x << "," << y;
  EXPECT_TRUE(colour_near(p, 0, 600, 0, 0));
  EXPECT_TRUE(colour_near(p, 799, 779, 0, 0));

  // A picture of another size and in full range replaces it; the same one again stays.
  const auto full = film_of(64, 48, 200, 100, 150, true);
  screen->set_film_picture(full);
  screen->compose();
  screen->set_film_picture(full);
  screen->compose();
  p = screen->read_back();
  EXPECT_TRUE(colour_near(p, 400, 300, converted(*full)));
  EXPECT_NE(converted(*full), converted(*reddish));

  screen->set_film_picture(nullptr);
  screen->compose();
  EXPECT_TRUE(colour_near(screen->read_back(), 400, 300, 0, 0));
}

TEST(CabScreen, TextsDrawOverTheFilmOnceWithADarkShadowAndStayInTheFilmArea) {
  const auto screen = SdlCabScreen::offscreen(200, 160);
  screen->set_film_area(200, 100);
  screen->set_film_picture(film_of(16, 16, 128, 128, 128));
  screen->compose();
  const CabPixels film = screen->read_back();
  const SDL_Color white{255, 255, 255, 255};

  struct Count {
    int bright = 0, dark = 0, desk = 0;
  };
  auto count = [](const CabPixels& p) {
    Count c;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        const CabPixels::Rgb px = p.at(x, y);
        if (y >= 100 && (px.r | px.g | px.b) != 0) ++c.desk;
        if (y < 100 && px.r > 230 && px.g > 230 && px.b > 230) ++c.bright;
        if (y < 100 && px.r < 40 && px.g < 40 && px.b < 40) ++c.dark;
      }
    return c;
  };

  EXPECT_GT(screen->text_width("運転 ATS", 24), screen->text_width("運転", 24));
  EXPECT_EQ(screen->text_width("", 24), 0);
  screen->draw_text(10, 10, "運転 ATS", 24, white, 0);
  screen->compose();
  const Count plain = count(screen->read_back());
  EXPECT_EQ(screen->text_error(), "");
  EXPECT_GT(plain.bright, 20);
  EXPECT_EQ(plain.dark, 0);

  screen->draw_text(10, 10, "運転 ATS", 24, white, 1);
  screen->draw_text(10, 85, "停車", 40, white, 1);  // runs past the film area's bottom
  screen->compose();
  const Count shadowed = count(screen->read_back());
  EXPECT_GT(shadowed.bright, plain.bright);
  EXPECT_GT(shadowed.dark, 20);
  EXPECT_EQ(shadowed.desk, 0);

  // Not asked for again: gone.
  screen->compose();
  EXPECT_EQ(screen->read_back().rgb, film.rgb);
}

TEST(CabScreen, TextsSayWhenTheFontIsMissing) {
  SdlText text("/nonexistent/velmora-font.ttf");
  EXPECT_FALSE(text.draw(nullptr, 0, 0, "運転", 20, {255, 255, 255, 255}, true));
  EXPECT_NE(text.error().find("fonts-ipafont-gothic"), std::string::npos) << text.error();
  EXPECT_NE(text.error().find("/nonexistent/velmora-font.ttf"), std::string::npos) << text.error();

  const auto screen = SdlCabScreen::offscreen(50, 50);
  screen->draw_text(0, 0, "x", 0, {255, 255, 255, 255}, 0);
  screen->compose();
  EXPECT_NE(screen->text_error(), "");
}

TEST(CabScreen, TheClosingFadeDarkensTheWholeCabFromTheNextCompose) {
  DrawingRig rig(40, 40);
  SpritePlace all = at(0, 0);
  all.width = all.height = 40;
  rig.sprite("img_white", TestPicture(1, 1, 0xffffff), "white.png", all);
  rig.screen->set_opacity(128);
  EXPECT_EQ(rig.screen->opacity(), 128);
  EXPECT_TRUE(colour_near(rig.compose(), 20, 20, 0x808080, 2));
  rig.screen->set_opacity(0);
  EXPECT_TRUE(colour_near(rig.compose(), 39, 39, 0, 0));
  rig.screen->set_opacity(300);
  EXPECT_EQ(rig.screen->opacity(), 255);
  EXPECT_TRUE(colour_near(rig.compose(), 0, 0, 0xffffff, 0));
}

TEST(CabScreen, AScreenshotIsTheComposedCabAndTheSameEveryTime) {
  DrawingRig rig(800, 780);
  rig.screen->set_film_picture(film_of(160, 120, 100, 60, 200));
  TestPicture lamp(8, 8, 0x28e628);
  lamp.fill(0, 7, 1, 1, 0xff00ff);
  rig.sprite("img_lamp", lamp, "lamp.bmp", at(100, 650), 0, 0, true);
  rig.screen->draw_text(20, 20, "東京 12:34", 28, {255, 255, 0, 255}, 1);
  const CabPixels composed = rig.compose();
  rig.screen->flip();  // showing it leaves it as it is

  std::string error;
  ASSERT_TRUE(rig.screen->save_png(rig.dir / "a.png", error)) << error;
  ASSERT_TRUE(rig.screen->save_png(rig.dir / "b.png", error)) << error;
  EXPECT_EQ(bytes_of(rig.dir / "a.png"), bytes_of(rig.dir / "b.png"));
  EXPECT_FALSE(bytes_of(rig.dir / "a.png").empty());

  SDL_Surface* read = IMG_Load((rig.dir / "a.png").string().c_str());
  ASSERT_NE(read, nullptr) << SDL_GetError();
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(read, SDL_PIXELFORMAT_RGB24, 0);
  SDL_FreeSurface(read);
  ASSERT_NE(rgb, nullptr);
  ASSERT_EQ(rgb->w, 800);
  ASSERT_EQ(rgb->h, 780);
  bool same = true;
  for (int y = 0; y < 780 && same; ++y)
    same = std::memcmp(static_cast<std::uint8_t*>(rgb->pixels) + std::ptrdiff_t(y) * rgb->pitch,
                       composed.rgb.data() + std::size_t(y) * 800 * 3, 800 * 3) == 0;
  SDL_FreeSurface(rgb);
  EXPECT_TRUE(same) << "the saved picture differs from the composed one";
  EXPECT_TRUE(colour_near(composed, 102, 652, 0x28e628, 0));

  EXPECT_FALSE(rig.screen->save_png(rig.dir / "no_folder" / "c.png", error));
  EXPECT_NE(error.find("no_folder"), std::string::npos) << error;
}

}  // namespace
}  // namespace velmora
