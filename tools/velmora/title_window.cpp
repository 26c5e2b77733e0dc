#include "title_window.h"

#include <imgui.h>

#include <array>
#include <chrono>
#include <iostream>
#include <memory>
#include <random>

#include "app/file_picker.h"
#include "app/title.h"
#include "common/paths.h"
#include "document_viewer.h"
#include "platform/ffmpeg/film_sound.h"
#include "platform/film_source.h"
#include "platform/sdl/sdl_handles.h"
#include "platform/sdl/sdl_imgui.h"
#include "platform/sdl/sdl_picture.h"
#include "platform/sdl/sdl_text.h"
#include "report/drives_folder.h"
#include "report_view.h"
#include "ui/message_window.h"
#include "ui/picker_window.h"
#include "ui/report_window.h"
#include "window_shot.h"

namespace velmora {

namespace {

namespace fs = std::filesystem;

constexpr int kTitleChannel = 0;  // the player's one channel: the opening's sound, then the jingle

// Where the title window's pictures lie (its resource layout).
constexpr std::array<SDL_Rect, 5> kButtons = {{{500, 350, 300, 50},
                                               {500, 410, 300, 50},
                                               {500, 460, 300, 50},
                                               {683, 510, 50, 19},
                                               {739, 510, 50, 19}}};
constexpr std::array<const char*, 5> kButtonPictures = {"train1.png", "train2.png", "train3.png",
                                                        "help.png", "quit.png"};
constexpr std::array<const char*, 5> kButtonTexts = {"特急", "快速", "普通", "HELP", "Quit"};
constexpr SDL_Point kLoadingAt{345, 271};
// The list of past drives, a plain button left of HELP, shown with it.
constexpr SDL_Rect kPastDrivesButton{567, 510, 110, 19};
constexpr const char* kPastDrivesText = "過去の運転";

struct WindowCloser {
  void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
};

TexturePtr load_texture(SDL_Renderer* r, const fs::path& data, const std::string& name,
                        SDL_Point* size = nullptr) {
  const auto found = resolve_data_file(data, name);
  if (!found) return nullptr;
  // Read as every picture is: by its content, with its size checked before decoding.
  std::string error;
  const SurfacePtr pixels = read_picture_pixels(*found, false, error);
  if (!pixels) return nullptr;
  if (size != nullptr) *size = {pixels->w, pixels->h};
  return TexturePtr(SDL_CreateTextureFromSurface(r, pixels.get()));
}

class TitleWindow {
 public:
  TitleWindow(const fs::path& data, const SessionOptions& options, DesktopServices services,
              const std::function<std::uint64_t()>& seed)
      : data_(data), options_(options), services_(services), seed_(seed) {}

  int run();

 private:
  bool open();
  void start_opening();
  void apply(const TitleEffects& effects);
  void place();
  void draw(bool with_windows);
  void show_film_frame();
  void click(int x, int y, int button);
  void start(const RunConfig& config);
  void draw_picker();
  void draw_reports();

  fs::path data_;
  SessionOptions options_;
  DesktopServices services_;
  std::function<std::uint64_t()> seed_;
  std::mt19937_64 rng_{std::random_device{}()};
  std::unique_ptr<SDL_Window, WindowCloser> window_;
  RendererPtr renderer_;
  std::unique_ptr<SdlImGui> imgui_;
  SdlText text_{kLabelFontFile, TTF_STYLE_NORMAL};
  TexturePtr picture_, loading_, film_;
  std::array<TexturePtr, 5> buttons_;
  SDL_Rect screen_{0, 0, 1024, 768};
  TitleState state_;
  std::chrono::steady_clock::time_point film_started_;
  int film_fps_ = 30;
  bool quit_ = false;
  std::optional<FilePicker> picker_;
  TitleButton picker_button_ = TitleButton::Train1;
  fs::path sound_file_;
  DocumentViewer viewer_;
  std::optional<ReportView> report_;            // the drive just ended
  std::optional<std::vector<PastDrive>> past_;  // the list of past drives, while open
};

bool TitleWindow::open() {
  SDL_GetDisplayBounds(0, &screen_);
  state_ = title_create(screen_.w, screen_.h, rng_);
  window_.reset(SDL_CreateWindow(kAppTitle, state_.left, state_.top, state_.client_width,
                                 state_.client_height, SDL_WINDOW_BORDERLESS));
  if (!window_) {
    services_.dialogs.message(std::string("the title window cannot be opened: ") + SDL_GetError());
    return false;
  }
  renderer_.reset(
      SDL_CreateRenderer(window_.get(), -1, options_.software ? SDL_RENDERER_SOFTWARE : 0));
  if (!renderer_) {
    services_.dialogs.message(std::string("the title window cannot be drawn: ") + SDL_GetError());
    return false;
  }
  SDL_RenderSetLogicalSize(renderer_.get(), state_.client_width, state_.client_height);
  try {
    imgui_ = std::make_unique<SdlImGui>(renderer_.get());
  } catch (const SdlError& e) {
    services_.dialogs.message(e.what());
    return false;
  }
  imgui_->set_display_size(800, 533);
  services_.dialogs.set_parent(window_.get());
  picture_ = load_texture(renderer_.get(), data_, state_.picture);
  loading_ = load_texture(renderer_.get(), data_, "image\\title\\loading.png");
  for (std::size_t i = 0; i < buttons_.size(); ++i)
    buttons_[i] =
        load_texture(renderer_.get(), data_, std::string("image\\title\\") + kButtonPictures[i]);
  return true;
}

void TitleWindow::start_opening() {
  const auto film = resolve_data_file(data_, kOpeningFilm);
  if (!film) return;  // the first tick ends the opening
  if (services_.film.avi_open(film->string()) != kFilmOpened) {
    services_.dialogs.message(opening_film_failed(state_));
    return;
  }
  opening_film_loaded(state_);
  film_started_ = std::chrono::steady_clock::now();
  // The film's sound plays on the player's channel beside its pictures.
  std::string error;
  sound_file_ =
      fs::temp_directory_path() / ("velmora-opening-" + std::to_string(SDL_GetTicks64()) + ".wav");
  if (extract_film_sound(*film, sound_file_, error) == FilmSound::Written) {
    const int sound = services_.sound.load(sound_file_.string(), error);
    if (sound >= 0) {
      services_.sound.attach(kTitleChannel, sound);
      services_.sound.play(kTitleChannel);
    }
  }
  if (!error.empty()) std::cerr << "velmora: " << error << '\n';
}

void TitleWindow::place() {
  SDL_SetWindowSize(window_.get(), state_.client_width, state_.client_height);
  SDL_SetWindowPosition(window_.get(), state_.left, state_.top);
  SDL_RenderSetLogicalSize(renderer_.get(), state_.client_width, state_.client_height);
}

void TitleWindow::apply(const TitleEffects& e) {
  if (e.close_film || e.stop_player) {
    services_.film.avi_close();
    film_.reset();
    services_.sound.stop(kTitleChannel);
  }
  if (e.play_jingle) {
    std::string error;
    const auto jingle = resolve_data_file(data_, kTitleJingle);
    const int sound = jingle ? services_.sound.load(jingle->string(), error) : -1;
    if (sound >= 0) {
      services_.sound.attach(kTitleChannel, sound);
      services_.sound.play(kTitleChannel);
    }
  }
  if (e.place_window) place();
}

void TitleWindow::show_film_frame() {
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - film_started_).count();
  const int n = static_cast<int>(seconds * film_fps_);
  if (n >= services_.film.avi_length()) {
    apply(aviclick(state_, screen_.w, screen_.h));
    return;
  }
  const FilmFrame got = services_.film.avi_getframe(n);
  if (got.status != FilmFrameStatus::kReady || !got.picture) return;
  const FilmPicture& p = *got.picture;
  int w = 0, h = 0;
  if (film_) SDL_QueryTexture(film_.get(), nullptr, nullptr, &w, &h);
  if (!film_ || w != p.width || h != p.height)
    film_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_IYUV,
                                  SDL_TEXTUREACCESS_STREAMING, p.width, p.height));
  if (film_)
    SDL_UpdateYUVTexture(film_.get(), nullptr, p.planes[0], p.strides[0], p.planes[1], p.strides[1],
                         p.planes[2], p.strides[2]);
}

void TitleWindow::draw(bool with_windows) {
  SDL_Renderer* r = renderer_.get();
  SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
  SDL_RenderClear(r);
  if (state_.stage == TitleStage::Opening) {
    if (state_.film_visible && film_) SDL_RenderCopy(r, film_.get(), nullptr, nullptr);
  } else {
    const SDL_Rect whole{0, 0, 800, 533};
    if (picture_) SDL_RenderCopy(r, picture_.get(), nullptr, &whole);
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
      if (!state_.button_visible[i]) continue;
      if (buttons_[i]) {
        SDL_RenderCopy(r, buttons_[i].get(), nullptr, &kButtons[i]);
      } else {
        // No picture in the data folder: a plain button with its name.
        SDL_SetRenderDrawColor(r, 40, 40, 60, 255);
        SDL_RenderFillRect(r, &kButtons[i]);
        text_.draw(r, kButtons[i].x + 8, kButtons[i].y + 2, kButtonTexts[i], i < 3 ? 28 : 13,
                   {255, 255, 255, 255}, 0);
      }
    }
    if (state_.button_visible[static_cast<std::size_t>(TitleButton::HELP)]) {
      SDL_SetRenderDrawColor(r, 51, 51, 64, 255);
      SDL_RenderFillRect(r, &kPastDrivesButton);
      text_.draw(r, kPastDrivesButton.x + 8, kPastDrivesButton.y + 2, kPastDrivesText, 13,
                 {255, 255, 255, 255}, 0);
    }
    if (state_.loading_visible) {
      SDL_Point size{110, 40};
      if (loading_) {
        SDL_QueryTexture(loading_.get(), nullptr, nullptr, &size.x, &size.y);
        const SDL_Rect at{kLoadingAt.x, kLoadingAt.y, size.x, size.y};
        SDL_RenderCopy(r, loading_.get(), nullptr, &at);
      }
      // The start's progress, so a long load shows where it is.
      if (!state_.status.empty())
        text_.draw(r, 8, 533 - 24, state_.status, 16, {255, 255, 255, 255}, 1);
    }
  }
  if (with_windows) {
    imgui_->begin_frame(1.0f / 30);
    draw_picker();
    draw_reports();
    draw_message_window(services_.dialogs.unshown, 800, 533);
    imgui_->end_frame();
    imgui_->draw();
  }
  if (const fs::path shot = options_.automation->screenshot_due(); !shot.empty())
    save_window_shot(r, shot);
  SDL_RenderPresent(r);
}

void TitleWindow::draw_picker() {
  if (!picker_) return;
  const PickerAnswer answer = draw_picker_window(*picker_);
  if (answer.cancelled) {
    picker_.reset();  // nothing starts
    return;
  }
  if (answer.picked) {
    picker_.reset();
    TitleEffects effects;
    const auto config =
        Menumousedown(state_, picker_button_, answer.picked, data_, seed_(), effects);
    apply(effects);
    if (config) start(*config);
  }
}

void TitleWindow::draw_reports() {
  if (past_) {
    const PastDrivesAnswer answer = draw_past_drives_window(*past_, options_.drives, 800, 533);
    if (answer.chosen) {
      const fs::path page = options_.drives / (*past_)[*answer.chosen].folder / kDriveReportHtml;
      if (const auto why = viewer_.open(page, kDriveReportKind)) services_.dialogs.message(*why);
    }
    if (answer.closed) past_.reset();
  }
  if (report_ && !report_->draw(800, 533)) report_.reset();
}

void TitleWindow::start(const RunConfig& config) {
  services_.sound.release_all();
  services_.dialogs.set_status_sink([this](const std::string& s) {
    state_.status = s;
    draw(false);
  });
  draw(false);
  DesktopServices services = services_;
  services.on_shown = [this] {
    title_hide(state_);
    SDL_HideWindow(window_.get());
  };
  SessionResult result = run_cab_session(config, options_, services);
  services_.dialogs.set_status_sink(nullptr);
  services_.dialogs.set_parent(window_.get());
  if (result.end == SessionEnd::Quit) {
    quit_ = true;
    return;
  }
  // A choice whose data could not be loaded has shown its messages: the user may choose
  // again (a vehicle file picked by mistake, a pack to mend).
  title_return(state_);
  place();
  SDL_ShowWindow(window_.get());
  // The drive's report over the title picture, its glyphs made with the window's.
  if (result.drive) report_.emplace(std::move(*result.drive), renderer_.get(), *imgui_);
}

void TitleWindow::click(int x, int y, int button) {
  if (state_.stage == TitleStage::Opening) {
    if (button == SDL_BUTTON_LEFT && state_.film_visible)
      apply(aviclick(state_, screen_.w, screen_.h));
    return;
  }
  const SDL_Point at{x, y};
  if (button == SDL_BUTTON_LEFT &&
      state_.button_visible[static_cast<std::size_t>(TitleButton::HELP)] &&
      SDL_PointInRect(&at, &kPastDrivesButton)) {
    past_ = past_drives(options_.drives);
    std::string names;
    for (const PastDrive& d : *past_) names += d.line_name;
    imgui_->add_glyphs(names);
    return;
  }
  for (std::size_t i = 0; i < kButtons.size(); ++i) {
    const SDL_Rect& b = kButtons[i];
    if (!state_.button_visible[i] || x < b.x || x >= b.x + b.w || y < b.y || y >= b.y + b.h)
      continue;
    const auto which = static_cast<TitleButton>(i);
    if (which == TitleButton::Quit) {
      if (button == SDL_BUTTON_LEFT) quit_ = true;
    } else if (which == TitleButton::HELP) {
      if (button == SDL_BUTTON_LEFT) {
        const fs::path document =
            resolve_data_file(data_, kHelpDocument).value_or(helpclick(data_));
        if (const auto why = viewer_.open(document)) services_.dialogs.message(*why);
      }
    } else if (button == SDL_BUTTON_LEFT) {
      TitleEffects effects;
      const RunConfig config = TrainClick(state_, which, data_, seed_(), effects);
      apply(effects);
      start(config);
    } else if (button == SDL_BUTTON_RIGHT) {
      picker_ = open_picker(data_);
      picker_button_ = which;
    }
    return;
  }
}

int TitleWindow::run() {
  if (!open()) return 1;
  start_opening();
  auto next_tick = std::chrono::steady_clock::now();
  Automation& automation = *options_.automation;
  while (!quit_) {
    automation.pump(automation.seconds(), window_.get());
    SDL_Event e;
    // The picker, the report, the list of past drives and any message shown in the window
    // take the mouse while they are open.
    const auto windows_open = [this] {
      return picker_.has_value() || report_.has_value() || past_.has_value() ||
             !services_.dialogs.unshown.empty();
    };
    while (SDL_PollEvent(&e)) {
      if (windows_open()) imgui_->feed(e);
      if (e.type == SDL_QUIT ||
          (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE))
        quit_ = true;
      if (e.type == SDL_MOUSEBUTTONDOWN && !windows_open())
        click(e.button.x, e.button.y, e.button.button);
    }
    if (quit_) break;
    if (const auto why = viewer_.poll()) services_.dialogs.message(*why);
    const auto now = std::chrono::steady_clock::now();
    while (now >= next_tick && state_.timer_running) {
      apply(title_tick(state_, screen_.w, screen_.h));
      next_tick += std::chrono::milliseconds(100);
    }
    if (state_.stage == TitleStage::Opening && state_.film_loaded) show_film_frame();
    draw(windows_open());
    if (options_.quit_after > 0 && automation.seconds() >= options_.quit_after) break;
    SDL_Delay(state_.stage == TitleStage::Opening ? 10 : 30);
  }
  services_.sound.release_all();
  if (!sound_file_.empty()) fs::remove(sound_file_);
  services_.dialogs.set_parent(nullptr);
  return 0;
}

}  // namespace

int run_title_window(const fs::path& data, const SessionOptions& options, DesktopServices services,
                     const std::function<std::uint64_t()>& seed) {
  TitleWindow title(data, options, services, seed);
  return title.run();
}

}  // namespace velmora
