#pragma once
// The cab window's drawing device as the frame sees it: whether it can draw, one
// composed picture (black fill, film picture, sprites), the closing fade and the flip.

#include <filesystem>
#include <memory>
#include <string>

#include "platform/film_picture.h"

namespace velmora {

// The cab window: its client area, the cab surface at its top-left corner (the window cuts
// the surface's last two rows), and the back button that ends the run.
struct WindowRect {
  int x, y, width, height;
};
inline constexpr int kCabWindowWidth = 1202;
inline constexpr int kCabWindowHeight = 778;
inline constexpr WindowRect kCabSurface{0, 0, 800, 780};
inline constexpr WindowRect kBackButton{1174, 749, 20, 20};

// The pictures the cab window shows beside the cab surface, named by the route.
enum class WindowPicture { StaffTimetable, NotStarted, SubDisplay };

// A label of the cab window: white text, `size` px to the em, its top-left corner at
// (x, y). Cut to width x height px unless width is 0 (sized to its text); right-aligned
// ones end at x + width.
struct WindowLabel {
  int x = 0, y = 0, width = 0, height = 0;
  int size = 0;
  bool right_aligned = false;
};

class CabScreen {
 public:
  virtual ~CabScreen() = default;
  // The picture of the film area for this pass (the same one again when nothing new was
  // decoded); the on-film texts are drawn over it. It is shown at its own size at the cab
  // surface's top-left corner.
  virtual void set_film_picture(const std::shared_ptr<const FilmPicture>& picture) = 0;
  // The film surface's size before any picture has been shown ([Disp]'s film size, px);
  // once a picture is shown the surface takes the picture's size.
  virtual void set_film_surface(int width, int height) = 0;
  // Where the cab surface's top lies in the window, px (0 or less: moved up).
  virtual void set_screen_top(int top) = 0;
  // False while the device is not initialised or has lost its surfaces; the frame is
  // then skipped, simulation steps included.
  virtual bool can_draw() = 0;
  // A text over the film picture for the next compose only: white, `size` px to the em, its
  // top-left corner at (x, y), with a black copy `shadow` px right of and below it (0: none).
  // Texts queued one after another form a group whose black copies are all drawn before its
  // white ones, so that no shadow falls on a letter of the group; an empty text draws
  // nothing and ends the group (end_text_group).
  virtual void draw_text(int x, int y, const std::string& utf8, int size, int shadow) = 0;
  void end_text_group() { draw_text(0, 0, std::string(), 0, 0); }
  // The width in px a text takes at that size.
  virtual int text_width(const std::string& utf8, int size) = 0;
  // Black fill, the film picture at (0, 0), its texts, then every visible sprite.
  virtual void compose() = 0;
  // Window opacity for the closing fade, 0 (clear) to 255 (opaque).
  virtual void set_opacity(int opacity) = 0;
  // Shows the composed picture in the cab window, with the window's pictures and the labels
  // asked for since the last flip.
  virtual void flip() = 0;

  // The cab window around the cab surface. A picture is read once, at start-up, and shown
  // at its place (top-left corner, its own size) from then on; false when it cannot be read.
  virtual bool load_window_picture(WindowPicture which, const std::filesystem::path& file, int x, int y) = 0;
  // A label for the next flip only; an empty text draws nothing.
  virtual void draw_label(const WindowLabel& label, const std::string& utf8) = 0;
  // While on, compose draws the route's not-started picture over the sprites instead of the
  // film (a paused run's window made active); no such picture: black.
  virtual void show_still(bool on) = 0;
};

}  // namespace velmora
