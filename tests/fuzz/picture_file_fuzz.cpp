// A picture file of arbitrary bytes handed to the image list and drawn: it loads and draws,
// or is refused with a reason. The first four bytes are the request (pattern size, the
// transparent colour, the list); the rest is the file.
#include <SDL.h>

#include <cstddef>
#include <cstdint>

#include "input_file.h"
#include "platform/sdl/sdl_handles.h"
#include "platform/sdl/sdl_images.h"
#include "platform/sdl/sdl_sprites.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  if (size < 4) return 0;
  static const FuzzInputFile input("picture");
  input.write(data + 4, size - 4);
  const SurfacePtr target(SDL_CreateRGBSurfaceWithFormat(0, 64, 48, 32, SDL_PIXELFORMAT_ARGB8888));
  SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(target.get());
  if (renderer == nullptr) __builtin_trap();
  {
    SdlSprites sprites;
    SdlImages images(renderer, sprites);
    PictureRequest r;
    r.list = static_cast<PictureList>(data[3] % 3);
    r.name = r.list == PictureList::Cab ? "img_fuzz" : "0";
    r.file = input.path();
    r.pattern_width = data[0] % 40;
    r.pattern_height = data[1] % 40;
    r.transparent = (data[2] & 1) != 0;
    r.sprites = {SpritePlace{.x = 3, .y = 2, .z = 0, .width = 30, .height = 20}};
    if (images.load(r)) {
      sprites.draw(renderer);
    } else if (images.last_error().empty()) {
      __builtin_trap();  // a refusal always says why
    }
  }
  SDL_DestroyRenderer(renderer);
  return 0;
}
