#pragma once
// Text on the film: UTF-8 strings in the cab's font, bold and italic, with a dark drop
// shadow, drawn straight onto the renderer's current target. Fonts open at first use, one
// per size.

#include <SDL.h>
#include <SDL_ttf.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace velmora {

// IPA Gothic stands in for the cab's bold italic Japanese face (Debian: fonts-ipafont-gothic).
inline constexpr const char* kCabFontFile = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

class SdlText {
 public:
  explicit SdlText(std::filesystem::path font_file = kCabFontFile) : font_file_(std::move(font_file)) {}
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
  const std::string& error() const { return error_; }

 private:
  struct FontCloser {
    void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
  };

  TTF_Font* font(int size);
  bool draw_once(SDL_Renderer* renderer, TTF_Font* font, int x, int y, const std::string& utf8,
                 SDL_Color colour);

  std::filesystem::path font_file_;
  bool ttf_started_ = false;
  std::map<int, std::unique_ptr<TTF_Font, FontCloser>> fonts_;
  std::string error_;
};

}  // namespace velmora
