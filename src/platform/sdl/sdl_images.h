#pragma once
// The image list on SDL: reads a request's picture file, cuts it into its patterns and makes
// the request's sprites, which share that one texture. Pictures of the animation and
// traffic-light lists have no sprites; they are kept by name for the cab to draw later.

#include <SDL.h>

#include <map>
#include <memory>
#include <string>

#include "platform/image_list.h"
#include "platform/sdl/sdl_picture.h"
#include "platform/sdl/sdl_sprites.h"

namespace velmora {

class SdlImages final : public ImageList {
 public:
  // Textures are made for `renderer`, which must outlive this list; sprites go to `sprites`.
  SdlImages(SDL_Renderer* renderer, SdlSprites& sprites) : renderer_(renderer), sprites_(sprites) {}

  bool load(const PictureRequest& request) override;

  // A picture of the animation or traffic-light list by the name it was loaded under; null
  // when there is none (cab pictures are reached through their sprites).
  const SdlPicture* listed(PictureList list, const std::string& name) const;
  // Why the last load that failed did so; empty when none has.
  const std::string& last_error() const { return last_error_; }

 private:
  SDL_Renderer* renderer_;
  SdlSprites& sprites_;
  std::map<std::string, std::shared_ptr<const SdlPicture>> animation_, traffic_lights_;
  std::string last_error_;
};

}  // namespace velmora
