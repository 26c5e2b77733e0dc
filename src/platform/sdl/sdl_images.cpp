#include "platform/sdl/sdl_images.h"

namespace velmora {

bool SdlImages::load(const PictureRequest& request) {
  std::string error;
  const SurfacePtr pixels = read_picture_pixels(request.file, request.transparent, error);
  std::shared_ptr<const SdlPicture> picture;
  if (pixels) picture = make_picture(renderer_, pixels.get(), request.pattern_width, request.pattern_height, error);
  if (!picture) {
    last_error_ = request.name + ": " + error;
    return false;
  }
  switch (request.list) {
    case PictureList::Cab:
      for (const SpritePlace& place : request.sprites) sprites_.add(request.name, picture, place);
      break;
    case PictureList::Animation:
      animation_[request.name] = picture;
      break;
    case PictureList::TrafficLight:
      traffic_lights_[request.name] = picture;
      break;
  }
  return true;
}

const SdlPicture* SdlImages::listed(PictureList list, const std::string& name) const {
  const auto& pictures = list == PictureList::Animation ? animation_ : traffic_lights_;
  if (list == PictureList::Cab) return nullptr;
  const auto it = pictures.find(name);
  return it != pictures.end() ? it->second.get() : nullptr;
}

}  // namespace velmora
