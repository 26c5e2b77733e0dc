// The cab screen on SDL: the film picture, the texts over it, the fade, the cab window around
// the cab (pictures, labels, back button, what the window layer draws) and the screenshot.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/film_picture.h"
#include "platform/sdl/renderer_choice.h"
#include "platform/sdl/sdl_imgui.h"
#include "platform/sdl/window_fit.h"
#include "sdl_test_pictures.h"

namespace velmora {
namespace {

std::shared_ptr<FilmPicture> film_of(int width, int height, int y, int u, int v,
                                     bool full_range = false) {
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

int drawn_in(const CabPixels& p, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const CabPixels::Rgb c = p.at(x, y);
      n += c.r > 0x90 && c.g > 0x90 && c.b > 0x90;
    }
  return n;
}

// The brightest channel of any pixel in a box.
int brightest(const CabPixels& p, int x0, int y0, int x1, int y1) {
  int most = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const CabPixels::Rgb c = p.at(x, y);
      most = std::max({most, int(c.r), int(c.g), int(c.b)});
    }
  return most;
}

TEST(CabScreen, TheFilmPictureLiesAtItsOwnSizeInTheCornerAndTheRestStaysBlack) {
  const auto screen = SdlCabScreen::offscreen();
  EXPECT_TRUE(screen->can_draw());
  ASSERT_EQ(screen->width(), 800);
  ASSERT_EQ(screen->height(), 780);

  // A film of [Disp]'s size fills it; the places of the signs over it are the film's px.
  const auto reddish = film_of(640, 480, 81, 90, 240);
  screen->set_film_surface(640, 480);
  screen->set_film_picture(reddish);
  screen->compose();
  CabPixels p = screen->read_back();
  for (const auto& [x, y] : {std::pair{0, 0}, {639, 479}, {320, 240}})
    EXPECT_TRUE(colour_near(p, x, y, converted(*reddish))) << x << "," << y;
  for (const auto& [x, y] : {std::pair{640, 0}, {0, 480}, {799, 779}})
    EXPECT_TRUE(colour_near(p, x, y, 0, 0)) << x << "," << y;

  // A picture of another size and in full range takes its own size; the same one again stays.
  const auto full = film_of(64, 48, 200, 100, 150, true);
  screen->set_film_picture(full);
  screen->compose();
  screen->set_film_picture(full);
  screen->compose();
  p = screen->read_back();
  EXPECT_TRUE(colour_near(p, 63, 47, converted(*full)));
  EXPECT_TRUE(colour_near(p, 64, 48, 0, 0));
  EXPECT_EQ(screen->film_surface().w, 64);
  EXPECT_NE(converted(*full), converted(*reddish));

  screen->set_film_picture(nullptr);
  screen->compose();
  EXPECT_TRUE(colour_near(screen->read_back(), 10, 10, 0, 0));
}

TEST(CabScreen, TextsDrawOverTheFilmOnceWithADarkShadowAndStayInTheFilmArea) {
  const auto screen = SdlCabScreen::offscreen(200, 160);
  screen->set_film_picture(film_of(200, 100, 128, 128, 128));
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

// Two texts, the second 3 px up and left of the first with a 3 px shadow: its shadow falls
// exactly on the first's letters. In one group every shadow goes first, so the first text
// keeps its letters; a text group of its own (an empty text between) is drawn whole in turn,
// and the second's shadow covers the first.
TEST(CabScreen, AGroupOfTextsDrawsAllItsShadowsBeforeAnyLetter) {
  const auto screen = SdlCabScreen::offscreen(200, 160);
  screen->set_film_picture(film_of(200, 100, 128, 128, 128));
  const auto bright = [&] {
    screen->compose();
    const CabPixels p = screen->read_back();
    int n = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < p.width; ++x) {
        const CabPixels::Rgb px = p.at(x, y);
        n += px.r > 230 && px.g > 230 && px.b > 230;
      }
    return n;
  };
  screen->draw_text(20, 20, "田", 40, 3);
  const int one = bright();
  screen->draw_text(20, 20, "田", 40, 3);
  screen->draw_text(17, 17, "田", 40, 3);
  const int grouped = bright();
  screen->draw_text(20, 20, "田", 40, 3);
  screen->end_text_group();
  screen->draw_text(17, 17, "田", 40, 3);
  const int apart = bright();
  EXPECT_EQ(screen->text_error(), "");
  EXPECT_GT(grouped, one);    // both texts' letters show
  EXPECT_LE(apart, one + 2);  // the second's letters only, the first's under its shadow
  EXPECT_GT(one, 50);
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

TEST(CabScreen, TheClosingFadeDarkensTheWholeWindowLabelsAndBackButtonToo) {
  DrawingRig rig(40, 40);
  SpritePlace all = at(0, 0);
  all.width = all.height = 40;
  rig.sprite("img_white", TestPicture(1, 1, 0xffffff), "white.png", all);
  const auto window = [&](int opacity) {
    rig.screen->set_opacity(opacity);
    rig.compose();
    rig.screen->draw_label({1040, 739, 0, 0, 24, false}, "10:00:00");
    rig.screen->flip();
    return rig.screen->read_window();
  };
  CabPixels w = window(128);
  EXPECT_EQ(rig.screen->opacity(), 128);
  EXPECT_TRUE(colour_near(w, 20, 20, 0x808080, 2));          // the cab
  EXPECT_NEAR(brightest(w, 1040, 739, 1160, 770), 0x80, 2);  // a label
  EXPECT_TRUE(colour_near(w, 1176, 751, 0x303030, 2));       // the back button
  w = window(0);
  EXPECT_EQ(brightest(w, 0, 0, w.width, w.height), 0);
  w = window(300);
  EXPECT_EQ(rig.screen->opacity(), 255);
  EXPECT_TRUE(colour_near(w, 0, 0, 0xffffff, 0));
  EXPECT_EQ(brightest(w, 1040, 739, 1160, 770), 0xff);
}

TEST(CabScreen, ShiftUpAndDownMoveTheCabSurfaceInTheWindow) {
  DrawingRig rig(800, 780);
  SpritePlace bottom = at(0, 760);
  bottom.width = 800, bottom.height = 20;
  rig.sprite("img_white", TestPicture(1, 1, 0xffffff), "white.png", bottom);
  rig.compose();
  rig.screen->flip();
  EXPECT_EQ(drawn_in(rig.screen->read_window(), 0, 700, 800, 760),
            0);  // the surface's foot is below the window
  rig.screen->set_screen_top(-100);
  rig.screen->flip();
  const CabPixels moved = rig.screen->read_window();
  EXPECT_GT(drawn_in(moved, 0, 660, 800, 680), 10000);
  EXPECT_EQ(drawn_in(moved, 0, 700, 800, 778), 0);
}

TEST(CabScreen, AScreenshotIsTheCabWindowWithTheComposedCabAtItsCornerAndTheSameEveryTime) {
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
  ASSERT_EQ(rgb->w, 1202);
  ASSERT_EQ(rgb->h, 778);
  // The window cuts the cab's last two rows.
  bool same = true;
  for (int y = 0; y < 778 && same; ++y)
    same = std::memcmp(static_cast<std::uint8_t*>(rgb->pixels) + std::ptrdiff_t(y) * rgb->pitch,
                       composed.rgb.data() + std::size_t(y) * 800 * 3, 800 * 3) == 0;
  SDL_FreeSurface(rgb);
  EXPECT_TRUE(same) << "the saved picture's cab differs from the composed one";
  EXPECT_TRUE(colour_near(composed, 102, 652, 0x28e628, 0));

  EXPECT_FALSE(rig.screen->save_png(rig.dir / "no_folder" / "c.png", error));
  EXPECT_NE(error.find("no_folder"), std::string::npos) << error;
}

// Light pixels in a box: the labels' white text (the pictures under them are darker).

TEST(CabWindow, PicturesLieBesideTheCabWhichCoversThemAndLabelsStayInTheirBoxes) {
  DrawingRig rig(800, 780);
  const auto grey = TestPicture(480, 360, 0x404040).save(rig.dir / "sub.png");
  const auto card = TestPicture(300, 400, 0xe0e0c0).save(rig.dir / "staff.png");
  ASSERT_TRUE(rig.screen->load_window_picture(WindowPicture::SubDisplay, grey, 798, 457));
  ASSERT_TRUE(rig.screen->load_window_picture(WindowPicture::StaffTimetable, card, 1000, 0));
  EXPECT_FALSE(
      rig.screen->load_window_picture(WindowPicture::NotStarted, rig.dir / "none.png", 0, 0));
  std::ofstream(rig.dir / "broken.png") << "not a picture";
  EXPECT_FALSE(
      rig.screen->load_window_picture(WindowPicture::NotStarted, rig.dir / "broken.png", 0, 0));

  rig.screen->set_film_picture(film_of(800, 600, 81, 90, 240));
  rig.screen->compose();
  // A long text in a small fixed box, a right-aligned one and one sized to its text.
  rig.screen->draw_label({820, 475, 60, 29, 24, false}, "ただいま 港町駅 到着");
  rig.screen->draw_label({836, 622, 166, 30, 27, true}, "12.3 km/h");
  rig.screen->draw_label({808, 340, 0, 0, 13, false}, "踏切まで 120 m");
  int overlay_calls = 0;
  rig.screen->set_window_overlay([&](SDL_Renderer* r, float, float, float) {
    ++overlay_calls;
    SDL_SetRenderDrawColor(r, 0, 0, 255, 255);
    const SDL_Rect box{1000, 100, 10, 10};
    SDL_RenderFillRect(r, &box);
  });
  rig.screen->flip();
  EXPECT_EQ(overlay_calls, 1);
  // The cut label is the one fault of this picture.
  const std::vector<std::string> faults = rig.screen->layout_faults();
  ASSERT_EQ(faults.size(), 1u);
  EXPECT_NE(faults[0].find("ただいま 港町駅 到着\" is cut at its box"), std::string::npos)
      << faults[0];
  const CabPixels w = rig.screen->read_window();
  ASSERT_EQ(w.width, 1202);
  ASSERT_EQ(w.height, 778);

  // The cab's film covers the sub display's left edge; the desk's black covers it below.
  EXPECT_TRUE(colour_near(w, 799, 500, converted(*film_of(800, 600, 81, 90, 240)), 2));
  EXPECT_TRUE(colour_near(w, 799, 700, 0, 0));
  EXPECT_TRUE(colour_near(w, 1250 - 60, 770, 0x404040, 0));
  EXPECT_TRUE(colour_near(w, 1050, 10, 0xe0e0c0, 0));
  EXPECT_TRUE(colour_near(w, 1005, 105, 0x0000ff, 0));

  // The cut label draws nothing beyond its box; the right-aligned one ends at its right edge.
  EXPECT_GT(drawn_in(w, 820, 475, 880, 504), 20);
  EXPECT_EQ(drawn_in(w, 880, 475, 1000, 504), 0);
  EXPECT_GT(drawn_in(w, 1002 - 20, 622, 1002, 652), 5);
  EXPECT_EQ(drawn_in(w, 836, 622, 860, 652), 0);
  EXPECT_GT(drawn_in(w, 808, 340, 950, 360), 20);
  // The back button.
  EXPECT_GT(drawn_in(w, 1174, 749, 1194, 769), 100);

  // Labels are asked for every frame: the next flip without them shows none.
  rig.screen->set_window_overlay(nullptr);
  rig.screen->flip();
  EXPECT_EQ(drawn_in(rig.screen->read_window(), 808, 340, 950, 360), 0);
}

// A hidden window the software renderer draws into straight, as velmora --software does;
// declared before the screen, so that the screen goes first.
struct SoftwareWindow {
  bool video = false;
  SDL_Window* window = nullptr;
  SoftwareWindow(int width, int height) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    video = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (video) window = SDL_CreateWindow("cab", 0, 0, width, height, SDL_WINDOW_HIDDEN);
  }
  ~SoftwareWindow() {
    if (window != nullptr) SDL_DestroyWindow(window);
    SDL_Quit();
  }
};

TEST(CabWindow, AWindowOfAnySizeShowsTheLayoutScaledWithItsLabelsMadeAtTheWindowsSize) {
  const SoftwareWindow shown(601, 389);
  ASSERT_TRUE(shown.video) << SDL_GetError();
  ASSERT_NE(shown.window, nullptr) << SDL_GetError();
  SDL_Window* window = shown.window;
  {
    const auto screen = SdlCabScreen::in_window(window, true);
    const auto reddish = film_of(800, 600, 81, 90, 240);
    screen->set_film_picture(reddish);
    screen->compose();
    screen->draw_label({1040, 739, 0, 0, 24, false}, "12:34:56");
    screen->flip();
    // Half the layout: the film's middle at (200, 150), the clock's label where its place
    // lands, made at 12 px, so its letters keep their shapes.
    EXPECT_FLOAT_EQ(screen->scale(), 0.5f);
    const CabPixels w = screen->read_window();
    ASSERT_EQ(w.width, 601);
    ASSERT_EQ(w.height, 389);
    EXPECT_TRUE(colour_near(w, 200, 150, converted(*reddish), 2));
    EXPECT_GT(drawn_in(w, 520, 369, 576, 385), 20);
    EXPECT_EQ(drawn_in(w, 576, 369, 586, 385), 0);
    // A point of the window is the layout's point at twice its place.
    const SDL_Point p = screen->to_layout(300, 100);
    EXPECT_EQ(p.x, 600);
    EXPECT_EQ(p.y, 200);

    // What the window itself shows is that picture.
    SDL_Surface* shown = SDL_GetWindowSurface(window);
    ASSERT_NE(shown, nullptr) << SDL_GetError();
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(shown, SDL_PIXELFORMAT_RGB24, 0);
    ASSERT_NE(rgb, nullptr);
    const auto* px = static_cast<const std::uint8_t*>(rgb->pixels) + 150 * rgb->pitch + 200 * 3;
    const std::uint32_t film = converted(*reddish);
    EXPECT_NEAR(px[0], int(film >> 16), 3);
    EXPECT_NEAR(px[1], int(film >> 8 & 0xff), 3);
    SDL_FreeSurface(rgb);
  }
}

TEST(CabWindow, TheBarsBesideALayoutNarrowerThanItsWindowTurnBlackWhateverWasShownThere) {
  // Half the layout is 601 px wide: 50 px bars on either side.
  const SoftwareWindow shown(701, 389);
  ASSERT_TRUE(shown.video) << SDL_GetError();
  ASSERT_NE(shown.window, nullptr) << SDL_GetError();
  {
    const auto screen = SdlCabScreen::in_window(shown.window, true);
    screen->set_film_picture(film_of(800, 600, 81, 90, 240));
    screen->compose();
    screen->set_window_overlay([](SDL_Renderer* r, float, float, float) {
      SDL_SetRenderDrawColor(r, 255, 255, 255, 255);
      SDL_RenderFillRect(r, nullptr);
    });
    screen->flip();
    ASSERT_EQ(brightest(screen->read_window(), 0, 0, 50, 389), 0xff);
    screen->set_window_overlay({});
    screen->flip();
    const CabPixels w = screen->read_window();
    EXPECT_EQ(brightest(w, 0, 0, 50, 389), 0);
    EXPECT_EQ(brightest(w, 651, 0, 701, 389), 0);
    EXPECT_GT(brightest(w, 50, 0, 651, 300), 0);
  }
}

TEST(CabWindow, ARedrawOfJustTheChangedPartShowsWhatARedrawOfTheWholeWindowShows) {
  // 0.83 of the layout: filtered, and the output's px fall between the layout's.
  const SoftwareWindow shown(1000, 700);
  ASSERT_TRUE(shown.video) << SDL_GetError();
  ASSERT_NE(shown.window, nullptr) << SDL_GetError();
  {
    DrawingRig rig(SdlCabScreen::in_window(shown.window, true));
    // A dial of many greys stretched from 60 to 77 px, which the needle turning on it
    // overlaps in part.
    TestPicture dial(60, 60, 0);
    for (int y = 0; y < 60; ++y) dial.fill(y % 7, y, 60 - y % 7, 1, 0x010101u * (y * 4 + 10));
    SpritePlace dial_place = at(95, 95);
    dial_place.width = dial_place.height = 77;
    ASSERT_GE(rig.sprite("img_dial", dial, "dial.png", dial_place), 0);
    const int needle =
        rig.sprite("img_needle", TestPicture(4, 40, 0xff0000), "needle.png", at(80, 90, 1));
    ASSERT_GE(needle, 0);
    const auto film = film_of(800, 600, 81, 90, 240);
    const auto frame = [&] {
      rig.screen->set_film_picture(film);
      rig.screen->draw_text(300, 300, "12:34", 20, 1);
      rig.screen->compose();
      rig.screen->flip();
      return rig.screen->read_window();
    };
    const CabPixels before = frame();
    rig.screen->sprites().set_angle(needle, 100);
    frame();
    rig.screen->sprites().set_position(needle, 130, 650);
    const CabPixels partly = frame();
    EXPECT_NE(partly.rgb, before.rgb);
    rig.screen->redraw();
    EXPECT_EQ(frame().rgb, partly.rgb);
  }
}

TEST(CabWindow, TheWindowOpensAsLargeAsFitsTheUsableAreaAtMostAtTheDisplaysScale) {
  struct Case {
    UsableArea area;
    float scale;
  };
  // A layout of 1202 x 797 in a frame of 16 x 48.
  const Case cases[] = {
      {{0, 0, 1366, 768, 1}, 720.0f / 797},    // a laptop: the height decides
      {{0, 0, 1920, 1080, 1}, 1},              // room to spare: its own size
      {{0, 0, 3840, 2160, 2}, 2},              // a high-DPI display at its scale
      {{0, 0, 2560, 1440, 2}, 1392.0f / 797},  // its scale does not fit
      {{0, 0, 800, 600, 1}, 784.0f / 1202},    // narrow: the width decides
      {{0, 0, 200, 100, 1}, 0.25f},            // never below a quarter
  };
  for (const Case& c : cases)
    EXPECT_NEAR(fit_window_scale(c.area, 1202, 797, 16, 48), c.scale, 1e-4)
        << c.area.width << " x " << c.area.height;

  // At the top-left corner of the usable area (below a top panel here), unless a scale is
  // asked for.
  const WindowPlace fits = window_place({0, 32, 1366, 736, 1}, 1202, 797, 16, 48, 0);
  EXPECT_EQ(std::pair(fits.x, fits.y), std::pair(0, 32));
  EXPECT_EQ(std::pair(fits.width, fits.height), std::pair(1038, 688));
  const WindowPlace asked = window_place({0, 32, 1366, 736, 1}, 1202, 797, 16, 48, 1);
  EXPECT_EQ(std::pair(asked.width, asked.height), std::pair(1202, 797));
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

TEST(CabWindow, TheDialogLayerSaysWhenItsFontIsMissing) {
  const auto screen = SdlCabScreen::offscreen();
  try {
    SdlImGui layer(screen->renderer(), "/nonexistent/velmora-dialogs.ttf");
    ADD_FAILURE() << "made without a font";
  } catch (const SdlError& e) {
    EXPECT_NE(std::string(e.what()).find("fonts-ipafont-gothic"), std::string::npos) << e.what();
  }
  // A layer that could be made draws nothing until a frame has ended.
  SdlImGui layer(screen->renderer());
  screen->set_window_overlay(
      [&](SDL_Renderer*, float l, float t, float s) { layer.draw(l, t, s); });
  screen->flip();
  EXPECT_TRUE(colour_near(screen->read_window(), 1100, 100, 0, 0));
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

TEST(CabWindow, AnUnchangedPictureIsNotDrawnAgainButAnyChangeIs) {
  DrawingRig rig(800, 780);
  const int needle =
      rig.sprite("img_needle", TestPicture(4, 40, 0xffffff), "needle.png", at(100, 100));
  ASSERT_GE(needle, 0);
  const auto film = film_of(16, 12, 81, 90, 240);
  const auto frame = [&](const std::string& label, const std::string& text) {
    rig.screen->set_film_picture(film);
    rig.screen->draw_text(10, 10, text, 20, 1);
    rig.screen->compose();
    rig.screen->draw_label({1040, 739, 0, 0, 24, false}, label);
    rig.screen->flip();
    return rig.screen->windows_drawn();
  };
  const long long first = frame("10:00:00", "説明");
  EXPECT_EQ(frame("10:00:00", "説明"), first);        // a standing train
  EXPECT_EQ(frame("10:00:01", "説明"), first + 1);    // the clock label
  EXPECT_EQ(frame("10:00:01", "説明 2"), first + 2);  // a text on the film
  rig.screen->sprites().set_angle(needle, 12);
  EXPECT_EQ(frame("10:00:01", "説明 2"), first + 3);  // a needle
  rig.screen->sprites().set_angle(needle, 12);
  EXPECT_EQ(frame("10:00:01", "説明 2"), first + 3);  // set to what it was
  rig.screen->set_opacity(100);
  EXPECT_EQ(frame("10:00:01", "説明 2"), first + 4);  // the fade
  rig.screen->redraw();
  EXPECT_EQ(frame("10:00:01", "説明 2"), first + 5);  // uncovered
  // What was skipped is still the picture read back.
  EXPECT_GT(rig.screen->read_window().rgb.size(), 0u);
  bool overlay_changes = false;
  rig.screen->set_window_overlay([](SDL_Renderer*, float, float, float) {},
                                 [&] { return overlay_changes; });
  EXPECT_EQ(frame("10:00:01", "説明 2"), first + 6);  // a new overlay draws once
  EXPECT_EQ(frame("10:00:01", "説明 2"), first + 6);
  overlay_changes = true;
  EXPECT_EQ(frame("10:00:01", "説明 2"), first + 7);  // a menu opened
}

TEST(RendererChoice, OpenGlOnTheProcessorIsToldFromAGraphicsProcessor) {
  const struct {
    const char* gl_renderer;
    bool software;
  } cases[] = {
      {"llvmpipe (LLVM 15.0.6, 256 bits)", true},
      {"softpipe", true},
      {"Mesa OffScreen (swrast)", true},
      {"Software Rasterizer", true},
      {"D3D12 (Microsoft Basic Render Driver)", true},
      {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
      {"AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)", false},
      {"NVIDIA GeForce GTX 1650/PCIe/SSE2", false},
      {"", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(gl_renderer_is_software(c.gl_renderer), c.software) << c.gl_renderer;
}

}  // namespace
}  // namespace velmora
