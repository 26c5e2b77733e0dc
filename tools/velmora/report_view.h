#pragma once
// A kept drive's report in a window of the desktop program: the report window
// (ui/report_window.h) with its run curve as a texture, saving the page where the user
// says and opening the drive's folder. The title window draws it over its picture; after a
// drive started from the command line, show_report_window opens a window of its own.

#include <SDL.h>

#include <filesystem>

#include "cab_session.h"
#include "document_viewer.h"
#include "drive_keeping.h"
#include "platform/sdl/sdl_handles.h"
#include "platform/sdl/sdl_imgui.h"
#include "ui/report_window.h"

namespace velmora {

class ReportView {
 public:
  // The window's texts get their glyphs and the score its large face in `imgui`.
  ReportView(KeptDrive drive, SDL_Renderer* renderer, SdlImGui& imgui);
  // Draws the window in the current ImGui frame over `width` x `height` layout px, the
  // curve made for `scale` output px per layout px; false once the user has closed it.
  bool draw(float width, float height, float scale = 1);

 private:
  void make_curve(float scale);
  void save(const std::filesystem::path& to);

  KeptDrive drive_;
  SDL_Renderer* renderer_;
  SdlImGui& imgui_;
  ReportWindow window_;
  TexturePtr curve_;
  ImVec2 curve_for_{0, 0};  // the layout size the texture was made for
  std::filesystem::path
      replace_;  // an existing file the user was told of: the next save replaces it
  DocumentViewer viewer_;
};

// After a drive started from the command line: its report in a window of its own until the
// user closes it (or the automation's time is up).
void show_report_window(KeptDrive drive, const SessionOptions& options, SdlDialogs& dialogs);

}  // namespace velmora
