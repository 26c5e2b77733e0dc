#pragma once
// Small pictures written by the drawing layer's tests, the layer they are loaded into, and
// how composed pixels are compared.

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/sdl/sdl_cab_screen.h"

namespace velmora {

// An empty folder of its own for the running test.
inline std::filesystem::path sdl_scratch(const std::string& name) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string owner =
      test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "none";
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("velmora_sdl_" + std::to_string(getpid())) / owner / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

// An opaque picture of 0xRRGGBB pixels, saved as BMP, PNG or JPEG by its file's extension.
struct TestPicture {
  TestPicture(int w, int h, std::uint32_t colour)
      : width(w), height(h), pixels(std::size_t(w) * h, colour) {}

  TestPicture& fill(int x, int y, int w, int h, std::uint32_t colour) {
    for (int row = y; row < y + h; ++row)
      for (int col = x; col < x + w; ++col) pixels[std::size_t(row) * width + col] = colour;
    return *this;
  }

  std::filesystem::path save(const std::filesystem::path& file) const {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 24, SDL_PIXELFORMAT_RGB24);
    EXPECT_NE(s, nullptr) << SDL_GetError();
    if (s == nullptr) return file;
    for (int y = 0; y < height; ++y) {
      auto* row = static_cast<std::uint8_t*>(s->pixels) + std::ptrdiff_t(y) * s->pitch;
      for (int x = 0; x < width; ++x) {
        const std::uint32_t c = pixels[std::size_t(y) * width + x];
        row[3 * x] = std::uint8_t(c >> 16);
        row[3 * x + 1] = std::uint8_t(c >> 8);
        row[3 * x + 2] = std::uint8_t(c);
      }
    }
    const std::string ext = file.extension().string();
    const int failed = ext == ".bmp"   ? SDL_SaveBMP(s, file.string().c_str())
                       : ext == ".png" ? IMG_SavePNG(s, file.string().c_str())
                                       : IMG_SaveJPG(s, file.string().c_str(), 95);
    EXPECT_EQ(failed, 0) << file << ": " << SDL_GetError();
    SDL_FreeSurface(s);
    return file;
  }

  int width, height;
  std::vector<std::uint32_t> pixels;
};

inline ::testing::AssertionResult colour_near(const CabPixels& p, int x, int y, std::uint32_t rgb,
                                              int tolerance = 2) {
  const CabPixels::Rgb c = p.at(x, y);
  const int want[3] = {int(rgb >> 16 & 0xff), int(rgb >> 8 & 0xff), int(rgb & 0xff)};
  const int got[3] = {c.r, c.g, c.b};
  for (int i = 0; i < 3; ++i)
    if (std::abs(got[i] - want[i]) > tolerance)
      return ::testing::AssertionFailure()
             << "(" << x << ", " << y << ") is " << got[0] << "," << got[1] << "," << got[2]
             << ", not " << want[0] << "," << want[1] << "," << want[2];
  return ::testing::AssertionSuccess();
}

// An offscreen screen and a folder for the pictures it loads.
struct DrawingRig {
  explicit DrawingRig(int width = 100, int height = 100)
      : screen(SdlCabScreen::offscreen(width, height)), dir(sdl_scratch("pictures")) {}
  explicit DrawingRig(std::unique_ptr<SdlCabScreen> drawn_by)
      : screen(std::move(drawn_by)), dir(sdl_scratch("pictures")) {}

  // Loads `picture` (written as `file` in the folder) as a cab picture with one sprite;
  // returns the sprite, -1 when the load fails.
  int sprite(const std::string& name, const TestPicture& picture, const std::string& file,
             const SpritePlace& place, int pattern_width = 0, int pattern_height = 0,
             bool transparent = false) {
    PictureRequest r;
    r.name = name;
    r.file = picture.save(dir / file);
    r.pattern_width = pattern_width;
    r.pattern_height = pattern_height;
    r.transparent = transparent;
    r.sprites = {place};
    if (!screen->images().load(r)) return -1;
    return screen->sprites().count() - 1;
  }

  CabPixels compose() {
    screen->compose();
    return screen->read_back();
  }

  std::unique_ptr<SdlCabScreen> screen;
  std::filesystem::path dir;
};

inline SpritePlace at(int x, int y, int z = 0) {
  SpritePlace p;
  p.x = x;
  p.y = y;
  p.z = z;
  return p;
}

}  // namespace velmora
