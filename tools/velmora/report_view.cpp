#include "report_view.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>

#include "platform/sdl/window_fit.h"
#include "report/run_curve.h"
#include "ui/message_window.h"
#include "window_shot.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr float kScorePx = 44;  // layout px of the score's figures

// Where the save dialog offers to put the page: the home folder, named by the drive.
std::string default_save_path(const KeptDrive& drive) {
  const char* home = std::getenv("HOME");
  const std::string name =
      drive.folder.path.empty() ? std::string("report") : drive.folder.path.filename().string();
  return (fs::path(home != nullptr ? home : ".") / ("velmora-" + name + ".html")).string();
}

// A leading "~/" is the home folder, as a user types it.
fs::path expand_home(const fs::path& path) {
  const std::string text = path.string();
  const char* home = std::getenv("HOME");
  if (home != nullptr && text.rfind("~/", 0) == 0) return fs::path(home) / text.substr(2);
  return path;
}

}  // namespace

ReportView::ReportView(KeptDrive drive, SDL_Renderer* renderer, SdlImGui& imgui)
    : drive_(std::move(drive)), renderer_(renderer), imgui_(imgui) {
  window_.report = drive_.report;
  window_.started = drive_.folder.started;
  window_.folder = drive_.folder.path;
  window_.notice = drive_.error;
  window_.notice_is_error = !drive_.error.empty();
  if (window_.notice.empty() && !drive_.folder.path.empty())
    window_.notice = "保存先 / Kept in " + drive_.folder.path.string();
  window_.save_path = default_save_path(drive_);
  imgui_.want_large_font(kScorePx, "点");
  imgui_.add_glyphs(report_window_texts(window_));
}

void ReportView::make_curve(float scale) {
  const ImVec2 wanted = window_.curve_wanted;
  if (wanted.x < 1 ||
      (curve_ && std::abs(wanted.x - curve_for_.x) < 1 && std::abs(wanted.y - curve_for_.y) < 1))
    return;
  curve_for_ = wanted;
  const CurveSize size{static_cast<int>(std::lround(wanted.x * scale)),
                       static_cast<int>(std::lround(wanted.y * scale))};
  std::vector<std::uint32_t> pixels = run_curve_pixels(window_.report, size);
  curve_.reset();
  window_.curve = nullptr;
  if (pixels.size() != static_cast<std::size_t>(size.width) * size.height) {
    window_.curve_note = "運転曲線を描けませんでした。/ The run curve could not be drawn.";
    return;
  }
  // Cairo's alpha is premultiplied; SDL's blending wants it straight.
  for (std::uint32_t& p : pixels) {
    const std::uint32_t a = p >> 24;
    if (a == 0 || a == 255) continue;
    const auto straight = [a](std::uint32_t c) {
      return std::min<std::uint32_t>(255, c * 255 / a);
    };
    p = (a << 24) | (straight((p >> 16) & 0xFF) << 16) | (straight((p >> 8) & 0xFF) << 8) |
        straight(p & 0xFF);
  }
  curve_.reset(SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                 size.width, size.height));
  if (!curve_ || SDL_UpdateTexture(curve_.get(), nullptr, pixels.data(), size.width * 4) != 0) {
    curve_.reset();
    window_.curve_note =
        with_sdl_reason("運転曲線を表示できません / The run curve cannot be shown");
    return;
  }
  SDL_SetTextureBlendMode(curve_.get(), SDL_BLENDMODE_BLEND);
  SDL_SetTextureScaleMode(curve_.get(), SDL_ScaleModeLinear);
  window_.curve = curve_.get();
  window_.curve_size = ImVec2(static_cast<float>(size.width), static_cast<float>(size.height));
}

void ReportView::save(const fs::path& to) {
  fs::path path = expand_home(to);
  std::error_code ec;
  // A folder given: the page goes into it under the name offered.
  if (fs::is_directory(path, ec)) path /= fs::path(default_save_path(drive_)).filename();
  const auto tell = [this](const std::string& text, bool error) {
    window_.notice = text;
    window_.notice_is_error = error;
    imgui_.add_glyphs(text);
  };
  // A file of that name is replaced only when the user saves to it a second time.
  if (fs::exists(path, ec) && path != replace_) {
    replace_ = path;
    tell(
        "同じ名前のファイルがあります。もう一度保存すると置き換えます / The file exists; save "
        "again to replace it: " +
            path.string(),
        true);
    return;
  }
  replace_.clear();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << drive_.html;
    out.close();
    if (out) {
      tell("保存しました / Saved: " + path.string(), false);
      return;
    }
  }
  tell("保存できません（フォルダと書き込み権限、ディスクの空きを確かめてください）/ Cannot save: " +
           path.string() + ": " + std::strerror(errno),
       true);
}

bool ReportView::draw(float width, float height, float scale) {
  if (const auto why = viewer_.poll()) {
    window_.notice = *why;
    window_.notice_is_error = true;
  }
  window_.large_font = imgui_.large_font();
  const ReportAnswer answer = draw_report_window(window_, width, height);
  make_curve(scale);
  if (answer.save_to) save(*answer.save_to);
  if (answer.open_folder) {
    if (const auto why = viewer_.open(drive_.folder.path, kDriveFolderKind)) {
      window_.notice = *why;
      window_.notice_is_error = true;
    }
  }
  if (answer.closed) return false;
  return true;
}

void show_report_window(KeptDrive drive, const SessionOptions& options, SdlDialogs& dialogs) {
  const UsableArea area = usable_area(0);
  // As large as the report wants, smaller on a small screen; the frame takes some room.
  const int width = std::max(480, std::min(960, area.width - 40));
  const int height = std::max(360, std::min(680, area.height - 60));
  std::unique_ptr<SDL_Window, void (*)(SDL_Window*)> window(
      SDL_CreateWindow("Velmora — 運転の記録", area.x + (area.width - width) / 2,
                       area.y + (area.height - height) / 2, width, height,
                       SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI),
      SDL_DestroyWindow);
  RendererPtr renderer;
  if (window)
    renderer.reset(
        SDL_CreateRenderer(window.get(), -1, options.software ? SDL_RENDERER_SOFTWARE : 0));
  if (!renderer) {
    std::cerr << "velmora: the report window cannot be opened (" << SDL_GetError() << ")\n";
    return;
  }
  std::unique_ptr<SdlImGui> imgui;
  try {
    imgui = std::make_unique<SdlImGui>(renderer.get());
  } catch (const SdlError& e) {
    std::cerr << "velmora: " << e.what() << '\n';
    return;
  }
  dialogs.set_parent(window.get());
  ReportView view(std::move(drive), renderer.get(), *imgui);
  Automation& automation = *options.automation;
  bool exposed = true;
  for (bool open = true; open;) {
    automation.pump(automation.seconds(), window.get());
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      imgui->feed(e);
      if (e.type == SDL_WINDOWEVENT && (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
                                        e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED))
        exposed = true;
      if (e.type == SDL_QUIT ||
          (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE))
        open = false;
    }
    if (options.quit_after > 0 && automation.seconds() >= options.quit_after) open = false;
    // Laid out in the window's units, drawn in its px (more on a high-DPI display).
    int w = 0, h = 0, px = 0, py = 0;
    SDL_GetWindowSize(window.get(), &w, &h);
    SDL_GetRendererOutputSize(renderer.get(), &px, &py);
    const float scale = w > 0 ? static_cast<float>(px) / static_cast<float>(w) : 1;
    imgui->set_display_size(w, h);
    imgui->set_output_scale(scale);
    imgui->begin_frame(1.0f / 30);
    if (!view.draw(static_cast<float>(w), static_cast<float>(h), scale)) open = false;
    draw_message_window(dialogs.unshown, static_cast<float>(w), static_cast<float>(h));
    imgui->end_frame();
    // A picture that did not change is not drawn again.
    const fs::path shot = automation.screenshot_due();
    if (imgui->changed() || exposed || !shot.empty()) {
      SDL_SetRenderDrawColor(renderer.get(), 0, 0, 0, 255);
      SDL_RenderClear(renderer.get());
      imgui->draw(0, 0, scale);
      if (!shot.empty()) save_window_shot(renderer.get(), shot);
      SDL_RenderPresent(renderer.get());
      exposed = false;
    }
    SDL_Delay(30);
  }
  dialogs.set_parent(nullptr);
}

}  // namespace velmora
