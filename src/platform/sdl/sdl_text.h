#pragma once
// Text on the cab: UTF-8 strings in one face and style (the film's texts bold and italic,
// with a dark drop shadow; the window's labels plain), drawn straight onto the renderer's
// current target. Fonts open at first use, one per size, from the font file read into memory
// once: the font library reads a glyph's outline from its source when the glyph is first
// drawn, and a file whose pages the system has dropped meanwhile would make a frame wait for
// the disk. The drawn texts are kept as textures, since most of them are the same from one frame
// to the next.

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/sdl/sdl_handles.h"

namespace velmora {

// IPA Gothic stands in for the cab's Japanese faces (Debian: fonts-ipafont-gothic): the
// fixed-width one for the film's texts, the proportional one for the labels.
inline constexpr const char* kCabFontFile = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
inline constexpr const char* kLabelFontFile = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf";
inline constexpr int kFilmTextStyle = TTF_STYLE_BOLD | TTF_STYLE_ITALIC;

class SdlText {
 public:
  // Reads the font file here, before any frame; a missing one is told at the first drawing.
  explicit SdlText(std::filesystem::path font_file = kCabFontFile, int style = kFilmTextStyle);
  ~SdlText();
  SdlText(const SdlText&) = delete;
  SdlText& operator=(const SdlText&) = delete;

  // Draws `utf8` with its top-left corner at (x, y), `size` px to the em, in `colour`; a
  // dark copy `shadow` px right of and below it goes first (0: none). An empty string draws
  // nothing. False when the font cannot be opened or the text cannot be made; error() says
  // why.
  bool draw(SDL_Renderer* renderer, int x, int y, const std::string& utf8, int size,
            SDL_Color colour, int shadow);
  // The width in px of the text at that size; 0 when the font cannot be opened.
  int width(const std::string& utf8, int size);
  // Its width and height in px; 0 x 0 when the font cannot be opened.
  SDL_Point extent(const std::string& utf8, int size);
  const std::string& error() const { return error_; }

 private:
  struct FontCloser {
    void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
  };

  TTF_Font* font(int size);
  bool draw_once(SDL_Renderer* renderer, TTF_Font* font, int size, int x, int y,
                 const std::string& utf8, SDL_Color colour);

  struct Drawn {
    TexturePtr texture;
    int width, height;
    std::uint64_t used;  // uses_ at its last drawing
  };
  void drop_older_half();  // of the kept textures, by their last drawing
  // The texture of a text at a size in a colour, made at its first drawing.
  const Drawn* drawn(SDL_Renderer* renderer, TTF_Font* font, int size, const std::string& utf8,
                     SDL_Color colour);

  std::filesystem::path font_file_;
  int style_;
  bool ttf_started_ = false;
  std::vector<char> font_bytes_;  // the whole font file; outlives the fonts opened on it
  SDL_Renderer* cached_for_ = nullptr;
  std::uint64_t uses_ = 0;
  std::map<std::string, Drawn> cache_;
  std::map<int, std::unique_ptr<TTF_Font, FontCloser>> fonts_;
  std::string error_;
};

}  // namespace velmora
