#include "cab_session.h"

#include <imgui.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <iostream>
#include <optional>

#include "app/device_notices.h"
#include "app/driver_command.h"
#include "app/main_loop.h"
#include "app/recorder.h"
#include "app/startup.h"
#include "app/trace_fields.h"
#include "data/load_failure.h"
#include "input/key_guide.h"
#include "input/keyboard.h"
#include "input/serial_mascon.h"
#include "platform/frame_timed_sound.h"
#include "platform/sdl/sdl_cab_screen.h"
#include "platform/sdl/sdl_imgui.h"
#include "platform/sdl/window_fit.h"
#include "platform/serial/termios_serial_port.h"
#include "platform/serial_link.h"
#include "platform/system_clock.h"
#include "ui/cab_windows.h"
#include "ui/help_window.h"
#include "ui/menu_bar.h"
#include "ui/message_window.h"
#include "ui/window_stack.h"
#include "view/cab_window.h"

namespace velmora {

namespace {

namespace fs = std::filesystem;

// A window manager's frame, guessed before the window is shown: a title bar and borders.
constexpr int kFrameWidth = 16, kFrameHeight = 48;

struct WindowCloser {
  void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
};

// Typed text, one character at a time, as the keyboard would type it.
void type_text(const char* utf8, const std::function<void(const DriverCommand&)>& drive) {
  const auto* p = reinterpret_cast<const unsigned char*>(utf8);
  while (*p != 0) {
    char32_t ch = *p;
    int extra = ch >= 0xF0 ? 3 : ch >= 0xE0 ? 2 : ch >= 0xC0 ? 1 : 0;
    if (extra > 0) ch &= 0x3F >> extra;
    ++p;
    for (; extra > 0 && (*p & 0xC0) == 0x80; --extra, ++p) ch = (ch << 6) | (*p & 0x3F);
    drive(command::Typed{ch});
  }
}

// The pointer of a mouse event in the layout's px.
void to_layout(SDL_Event& e, const SdlCabScreen& screen) {
  if (e.type == SDL_MOUSEMOTION) {
    const SDL_Point p = screen.to_layout(e.motion.x, e.motion.y);
    e.motion.x = p.x, e.motion.y = p.y;
  } else if (e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP) {
    const SDL_Point p = screen.to_layout(e.button.x, e.button.y);
    e.button.x = p.x, e.button.y = p.y;
  }
}

// The window's size for the layout at `scale`, in the window system's units.
void size_window(SDL_Window* window, float scale) {
  SDL_SetWindowSize(window, static_cast<int>(std::lround(kCabWindowWidth * scale)),
                    static_cast<int>(std::lround((kCabWindowHeight + kMenuBarHeight) * scale)));
}

// A display whose scale SDL does not apply itself (X11) gets the window at its scale here;
// one that gives the window more px than units (Wayland, macOS) is already at it.
void apply_display_scale(SDL_Window* window, SDL_Renderer* renderer, UsableArea area,
                         const SessionOptions& options) {
  if (options.scale > 0 || options.fullscreen || area.display_scale <= 1) return;
  int units = 0, h = 0, px = 0;
  SDL_GetWindowSize(window, &units, &h);
  SDL_GetRendererOutputSize(renderer, &px, &h);
  if (px > units) return;
  size_window(window, fit_window_scale(area, kCabWindowWidth, kCabWindowHeight + kMenuBarHeight,
                                       kFrameWidth, kFrameHeight));
}

}  // namespace

SessionResult run_cab_session(const RunConfig& config, const SessionOptions& options,
                              DesktopServices services) {
  const int layout_h = kCabWindowHeight + kMenuBarHeight;
  // The window fits the screen less its panels, at the top-left corner (the window manager
  // may place it otherwise). The display's own scale is applied once the window shows
  // whether the display scales it by itself.
  UsableArea area = usable_area(0);
  const float display_scale = area.display_scale;
  area.display_scale = 1;
  const WindowPlace place =
      window_place(area, kCabWindowWidth, layout_h, kFrameWidth, kFrameHeight, options.scale);
  // Hidden while the run starts: its progress shows on the title window meanwhile.
  Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
  if (options.fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  std::unique_ptr<SDL_Window, WindowCloser> window(SDL_CreateWindow(
      kAppTitle, options.fullscreen ? SDL_WINDOWPOS_UNDEFINED : place.x,
      options.fullscreen ? SDL_WINDOWPOS_UNDEFINED : place.y, place.width, place.height, flags));
  if (!window) {
    services.dialogs.message(std::string("the cab window cannot be opened: ") + SDL_GetError());
    return {SessionEnd::NotStarted, std::nullopt};
  }
  std::unique_ptr<SdlCabScreen> screen;
  std::unique_ptr<SdlImGui> windows_layer;
  try {
    screen = SdlCabScreen::in_window(window.get(), options.software, kMenuBarHeight,
                                     window_opacity_works(window.get()));
    windows_layer = std::make_unique<SdlImGui>(screen->renderer());
  } catch (const SdlError& e) {
    services.dialogs.message(e.what());
    return {SessionEnd::NotStarted, std::nullopt};
  }
  area.display_scale = display_scale;
  apply_display_scale(window.get(), screen->renderer(), area, options);
  windows_layer->set_display_size(kCabWindowWidth, layout_h);
  ImGui::SetCurrentContext(windows_layer->context());
  screen->set_window_overlay(
      [&](SDL_Renderer*, float left, float top, float s) { windows_layer->draw(left, top, s); },
      [&] { return windows_layer->changed(); });

  SystemClock clock;
  // The play state the run reads is told on the run's frame clock, as a replay tells it.
  FrameTimedSound sound(services.sound);
  SdlKeyboard keyboard;
  WindowEvents events;
  events.set_window(window.get());
  services.dialogs.set_parent(window.get());
  Run run(config, Services{clock, services.dialogs, *screen, services.settings, sound,
                           services.film, keyboard, screen->images(), screen->sprites(), events,
                           services.pad, services.serial});
  sound.set_clock([&run] { return run.frame.counter_prev; }, clock.frequency());
  try {
    FormCreate(run);
  } catch (const LoadFailure& failure) {
    for (const std::string& m : failure.messages) services.dialogs.message(m);
    std::cerr << "velmora: " << failure.detail << '\n';
    // What the start had loaded goes with the window; a start that failed saves nothing.
    FormCloseQuery(run);
    services.dialogs.set_parent(nullptr);
    return {SessionEnd::NotStarted, std::nullopt};
  }
  SDL_ShowWindow(window.get());
  if (!options.fullscreen) {
    // The frame's real size is known now: the window's top-left corner, frame included,
    // at the usable area's.
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(window.get(), &top, &left, &bottom, &right) == 0 &&
        (top > 0 || left > 0))
      SDL_SetWindowPosition(window.get(), area.x + left, area.y + top);
  }
  if (services.on_shown) services.on_shown();

  // The drive is recorded into its own folder of the drives kept, and also into the file
  // the command line names: either may fail without the other.
  DriveRecording kept{options.drives, {}, {}, true, options.keep_drives};
  if (!options.drives.empty())
    kept.folder = make_drive_folder(options.drives, std::time(nullptr), kept.folder_error);
  if (!kept.folder_error.empty()) std::cerr << "velmora: " << kept.folder_error << '\n';
  std::optional<Recorder> user_recorder, folder_recorder;
  if (!options.record.empty()) {
    try {
      user_recorder.emplace(options.record, config);
    } catch (const RecorderError& e) {
      services.dialogs.message(e.what());
    }
  }
  if (!kept.folder.path.empty()) {
    try {
      folder_recorder.emplace(kept.folder.path / kDriveRecording, config);
    } catch (const RecorderError& e) {
      kept.whole = false;
      std::cerr << "velmora: " << e.what() << '\n';
    }
  }
  std::vector<Recorder*> recorders;
  for (std::optional<Recorder>* r : {&user_recorder, &folder_recorder})
    if (r->has_value()) recorders.push_back(&**r);
  const auto frame = [&run] { return static_cast<long long>(run.frame.frames_run); };
  // Everything the driver does goes through here: recorded as applied.
  const auto record = [&](const DriverCommand& c) {
    for (Recorder* r : recorders) r->record(frame(), c);
  };
  const std::function<void(const DriverCommand&)> drive = [&](const DriverCommand& c) {
    record(c);
    apply(run, c);
  };

  CabWindows windows;
  MenuBar bar;
  bar.show_hidden = options.show_hidden_menu;
  HelpWindow& help = services.help;
  help.vehicle_keys = vehicle_key_guide(run.vehicle);
  // The glyphs of every text the windows show from the data files.
  windows_layer->add_glyphs(menu_texts(run) + cab_window_texts(run) + help.caption + help.text +
                            help.vehicle_keys + device_notice_texts());
  Automation& automation = *options.automation;
  PadSnapshot last_pad;
  SerialLink serial(services.serial);
  SoundWatch sound_watch;
  // Devices lost and back are written into the drive's recording as they are told.
  events.set_device_sink([&](const std::string& text) {
    for (Recorder* r : recorders) r->note(frame(), text);
  });
  // The viewing options are saved as the run closes: a save that fails is told in a
  // message, once, since the drive is over by then; the recording notes it too.
  services.settings.set_save_sink([&](const std::string& error) {
    events.event("device", error.empty() ? "settings back" : "settings lost");
    if (!error.empty()) services.dialogs.message(device_notice("settings lost") + "\n" + error);
  });
  struct SaveSinkReset {  // the sink speaks to this session's window only
    IniSettings& settings;
    ~SaveSinkReset() { settings.set_save_sink(nullptr); }
  } save_sink_reset{services.settings};
  SessionEnd end = SessionEnd::Closed;
  bool escape_taken = false;  // the last Escape closed a window: its release is not the cab's
  SDL_StartTextInput();
  while (!run.frame.ended) {
    // Until the next frame is due the program sleeps in one wait rather than passing again
    // and again: a standing train then costs little more than its frames.
    if (run.frame.app_ready && !bar.open && !frame_due(run)) clock.sleep_until(next_frame_at(run));
    // A run paused, or waiting while a menu of the bar is open (a menu holds the window's
    // queue, so no frame runs): the window still answers.
    const bool waiting = !run.frame.app_ready || bar.open;
    if (waiting || frame_due(run)) {
      bool close = false;
      const ImGuiIO& io = ImGui::GetIO();
      automation.pump(automation.seconds(), window.get());
      SDL_Event e;
      while (SDL_PollEvent(&e)) {
        to_layout(e, *screen);
        windows_layer->feed(e);
        // The help window's text is read-only: keys typed there drive the train.
        const bool keys_to_dialogs = io.WantTextInput && !help.focused;
        const bool mouse_to_dialogs = io.WantCaptureMouse || bar.open;
        switch (e.type) {
          case SDL_QUIT:
            end = SessionEnd::Quit;
            close = true;
            break;
          case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) close = true;
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
                e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
              screen->redraw();
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) FormActivate(run);
            break;
          case SDL_TEXTINPUT:
            if (!keys_to_dialogs) type_text(e.text.text, drive);
            break;
          case SDL_KEYDOWN:
          case SDL_KEYUP: {
            // Escape closes the interface's menu, message, dialog or window first; only with
            // none open is it the cab's key.
            if (e.key.keysym.sym == SDLK_ESCAPE) {
              if (e.type == SDL_KEYDOWN) {
                escape_taken = close_top_window(run, bar, windows, help, services.serial_dialog,
                                                services.dialogs.unshown);
                if (escape_taken) break;
              } else if (escape_taken) {
                escape_taken = false;
                break;
              }
            }
            if (keys_to_dialogs) break;
            if (const auto key = command_key(e.key.keysym.sym)) {
              const bool shift = shift_alone(e.key.keysym.mod);
              if (e.type == SDL_KEYDOWN)
                drive(command::KeyDown{*key, shift});
              else
                drive(command::KeyUp{*key, shift});
            }
            break;
          }
          case SDL_MOUSEWHEEL:
            if (mouse_to_dialogs) break;
            if (e.wheel.y != 0) drive(command::Wheel{e.wheel.y > 0});
            break;
          case SDL_MOUSEBUTTONDOWN:
            if (!mouse_to_dialogs && e.button.button == SDL_BUTTON_LEFT) {
              drive(command::Click{e.button.x, e.button.y - kMenuBarHeight});
            }
            break;
          default:
            break;
        }
      }
      if (options.quit_after > 0 && automation.seconds() >= options.quit_after) {
        end = SessionEnd::Quit;
        close = true;
      }
      if (close) {
        FormCloseQuery(run);
        break;
      }
      // Texts that come during the drive (a serial line in a caption, a log line).
      windows_layer->add_glyphs(
          run.value_display.caption + run.texts.easy_cab.status +
          (run.value_display.log.empty() ? std::string() : run.value_display.log.back()));
      windows_layer->set_output_scale(screen->scale());
      windows_layer->begin_frame(1.0f / 60);
      draw_menu_bar(run, bar, windows, help);
      draw_cab_windows(run, windows);
      draw_help_window(help, &windows.layout);
      windows.layout.check_windows();
      draw_serial_dialog(services.serial_dialog);
      draw_message_window(services.dialogs.unshown, kCabWindowWidth, static_cast<float>(layout_h));
      draw_status_line(events.devices_lost(), kCabWindowWidth, static_cast<float>(layout_h));
      windows_layer->end_frame();
      if (bar.serial == MenuOpens::serial_settings)
        open_serial_dialog(services.serial_dialog, list_serial_ports());
      if (bar.serial == MenuOpens::serial_connect) {
        std::string error;
        if (serial.connected())
          serial.disconnect();
        else if (!serial.connect(services.serial_dialog.settings, error))
          services.dialogs.message(error);
      }
      apply_window_commands(run, windows, record);
      // The held keys, the train controller and the clock are devices the run reads
      // itself: their states are recorded, not applied.
      keyboard.refresh([&](int key, bool down) { record(command::Held{key, down}); });
      // The controllers: what the serial controller sent, handled now; the train
      // controller's state, read by the route step, written down when it moves.
      // A port lost goes on being tried; the lines read before a loss are handled first.
      const std::int64_t now_ms = clock.counter() / (clock.frequency() / 1000);
      SerialPoll got = serial.poll(now_ms);
      for (std::string& line : serial_lines(run, got.received))
        drive(command::SerialLine{std::move(line)});
      if (got.change == SerialPoll::Change::lost) {
        std::cerr << "velmora: " << got.why << '\n';
        drive(command::SerialConnection{false});
      }
      if (got.change == SerialPoll::Change::back) drive(command::SerialConnection{true});
      const PadSnapshot pad = services.pad.poll();
      if (pad.present != last_pad.present || pad.x != last_pad.x || pad.y != last_pad.y ||
          pad.buttons != last_pad.buttons)
        record(command::ControllerSnapshot{pad.x, pad.y, pad.buttons, pad.present});
      last_pad = pad;
      watch_sound_device(services.sound, events, sound_watch, now_ms);
    }
    events.set_paused(!run.frame.app_ready);
    if (run.frame.app_ready && !bar.open) {
      const std::int64_t before = run.frame.counter_prev;
      const long long about_to_run = frame();
      // The frame's length as the clock measured it: a replay steps the same.
      if (AppIdle(run))
        for (Recorder* r : recorders)
          r->record(about_to_run, command::FrameTime{run.frame.counter_prev - before});
    } else {
      // Nothing of the run moves, but the window and its menus still answer; the labels
      // are asked for again, as every frame does.
      cab_window_step(run);
      screen->flip();
      clock.sleep_ms(16);
    }
    if (const fs::path shot = automation.screenshot_due(); !shot.empty()) {
      std::string error;
      if (!screen->save_png(shot, error)) std::cerr << "velmora: " << error << '\n';
    }
  }
  SDL_StopTextInput();
  services.dialogs.set_parent(nullptr);
  for (Recorder* r : recorders) r->finish(frame());
  if (folder_recorder && !folder_recorder->good()) kept.whole = false;
  // Where the drive ended, as velmora-sim prints it, so a recorded drive's replay can be
  // checked against it.
  std::string ended = "velmora: drive ended: frames=" + std::to_string(run.frame.frames_run);
  for (const TraceColumn& c : parse_trace_columns("speed,film_frame"))
    ended += " " + c.header + "=" + trace_cell(c, run, run.frame.frames_run);
  std::cout << ended << std::endl;
  return {end, finish_drive(run, kept)};
}

}  // namespace velmora
