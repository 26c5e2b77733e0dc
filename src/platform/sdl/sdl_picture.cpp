#include "platform/sdl/sdl_picture.h"

#include <SDL_image.h>

#include <cstdint>
#include <fstream>
#include <vector>

#include "platform/picture_header.h"

namespace velmora {

namespace {

constexpr std::uint32_t kColourBits = 0x00ffffff;  // ARGB8888 without its alpha

// Clears every pixel of the bottom-left pixel's colour. Cleared pixels become transparent
// black, so that a scaled or turned draw blends no key colour into their neighbours.
void clear_key_colour(SDL_Surface* pixels) {
  if (pixels->w <= 0 || pixels->h <= 0) return;
  SDL_LockSurface(pixels);
  auto row = [pixels](int y) {
    return reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(pixels->pixels) +
                                            static_cast<std::ptrdiff_t>(y) * pixels->pitch);
  };
  const std::uint32_t key = row(pixels->h - 1)[0] & kColourBits;
  for (int y = 0; y < pixels->h; ++y) {
    std::uint32_t* p = row(y);
    for (int x = 0; x < pixels->w; ++x)
      if ((p[x] & kColourBits) == key) p[x] = 0;
  }
  SDL_UnlockSurface(pixels);
}

}  // namespace

bool SdlPicture::pattern_rect(int n, SDL_Rect& rect) const {
  if (n < 0 || n >= pattern_count()) return false;
  rect = {(n % columns) * pattern_width, (n / columns) * pattern_height, pattern_width,
          pattern_height};
  return true;
}

SurfacePtr read_picture_pixels(const std::filesystem::path& file, bool transparent,
                               std::string& error) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = file.string() + ": cannot be opened";
    return nullptr;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0);
  if (size < 0 || size > kMaxPictureFileBytes) {
    error = file.string() + ": larger than pictures are read (" +
            std::to_string(kMaxPictureFileBytes >> 20) + " MiB)";
    return nullptr;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
    error = file.string() + ": cannot be read";
    return nullptr;
  }
  // Decoded by what the file holds, whatever its name says, and only as the three kinds
  // pictures come in; a header is checked before the decoder trusts its size.
  const PictureHeader header = read_picture_header(bytes);
  if (const std::string problem = picture_header_problem(header); !problem.empty()) {
    error = file.string() + ": " + problem;
    return nullptr;
  }
  // The kind's own decoder: the general loader would pick one by its own guess at the content,
  // the rarely used ones included.
  SDL_RWops* memory = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (memory == nullptr) {
    error = with_sdl_reason(file.string() + ": cannot be read");
    return nullptr;
  }
  const SurfacePtr decoded(header.kind == PictureKind::Bmp   ? IMG_LoadBMP_RW(memory)
                           : header.kind == PictureKind::Png ? IMG_LoadPNG_RW(memory)
                                                             : IMG_LoadJPG_RW(memory));
  SDL_RWclose(memory);
  if (!decoded) {
    error = with_sdl_reason(file.string() + ": not a BMP, PNG or JPEG picture that can be read");
    return nullptr;
  }
  SurfacePtr pixels(SDL_ConvertSurfaceFormat(decoded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
  if (!pixels) {
    error = with_sdl_reason(file.string() + ": the picture's pixels cannot be converted");
    return nullptr;
  }
  if (transparent) clear_key_colour(pixels.get());
  return pixels;
}

std::shared_ptr<SdlPicture> make_picture(SDL_Renderer* renderer, SDL_Surface* pixels,
                                         int pattern_width, int pattern_height,
                                         std::string& error) {
  if (pattern_width < 0 || pattern_height < 0) {
    error = "a pattern of " + std::to_string(pattern_width) + " x " + std::to_string(pattern_height) +
            " px cannot cut a picture";
    return nullptr;
  }
  auto picture = std::make_shared<SdlPicture>();
  picture->width = pixels->w;
  picture->height = pixels->h;
  picture->pattern_width = pattern_width > 0 ? pattern_width : pixels->w;
  picture->pattern_height = pattern_height > 0 ? pattern_height : pixels->h;
  // A pattern larger than the picture leaves none: its sprites then draw nothing.
  picture->columns = picture->pattern_width > 0 ? pixels->w / picture->pattern_width : 0;
  picture->rows = picture->pattern_height > 0 ? pixels->h / picture->pattern_height : 0;

  picture->texture.reset(SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                           SDL_TEXTUREACCESS_STATIC, pixels->w, pixels->h));
  if (!picture->texture) {
    error = with_sdl_reason("a texture of " + std::to_string(pixels->w) + " x " +
                            std::to_string(pixels->h) + " px cannot be made");
    return nullptr;
  }
  SDL_LockSurface(pixels);
  const int updated = SDL_UpdateTexture(picture->texture.get(), nullptr, pixels->pixels, pixels->pitch);
  SDL_UnlockSurface(pixels);
  if (updated != 0 || SDL_SetTextureBlendMode(picture->texture.get(), SDL_BLENDMODE_BLEND) != 0) {
    error = with_sdl_reason("the picture cannot be put into its texture");
    return nullptr;
  }
  return picture;
}

}  // namespace velmora
