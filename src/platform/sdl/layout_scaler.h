#pragma once
// The cab window's layout scaled to the output in software, the same way for any part of it:
// every output px is filtered from the same layout px whether the whole layout is scaled or
// only a part, so a redraw scales just what changed and the rest stays as it was. (SDL's own
// scaled copy rounds its source when clipped, which would leave seams.)

#include <SDL.h>

#include <cstdint>
#include <vector>

namespace velmora {

class LayoutScaler {
 public:
  // A layout of from_w x from_h px shown at to_w x to_h px; `nearest` samples the nearest px
  // (a whole-number scale), otherwise the four nearest are weighed (linear filtering).
  void set_size(int from_w, int from_h, int to_w, int to_h, bool nearest);
  int to_width() const { return static_cast<int>(columns_.size()); }
  int to_height() const { return static_cast<int>(rows_.size()); }

  // The output px that the layout's px in `changed` go into; empty (w 0) when none.
  SDL_Rect output_of(const SDL_Rect& changed) const;
  // The layout px the output px in `output` are made of.
  SDL_Rect source_of(const SDL_Rect& output) const;
  // Makes the output px in `output` from `source`: the layout px of source_of(output),
  // 32-bit pixels, `source_pitch` px a row. `out` is the first of them, `out_pitch` px a row.
  void scale(const SDL_Rect& output, const std::uint32_t* source, int source_pitch,
             std::uint32_t* out, int out_pitch);

 private:
  struct Tap {
    int first, second;     // layout px: the second is the first or the one after it
    std::uint32_t weight;  // of the second, 0..256
  };
  static std::vector<Tap> taps(int from, int to, bool nearest);
  void mix_down(const std::uint32_t* upper, const std::uint32_t* lower, std::uint32_t weight,
                std::uint32_t* to, int count) const;
  // Output px first .. first + count - 1 of one row into `to`, from `line`, whose px 0 is
  // the layout's px `origin`.
  void mix_across(const std::uint32_t* line, int origin, int first, int count,
                  std::uint32_t* to) const;

  std::vector<Tap> columns_, rows_;
  std::vector<std::uint16_t> column_weights_;  // per output column: 4 x (256 - weight), 4 x weight
  std::vector<std::uint32_t> line_;            // two source rows mixed, the source's width
};

}  // namespace velmora
