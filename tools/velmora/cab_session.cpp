#include "cab_session.h"

#include <imgui.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>

#include "platform/imgui/cab_windows.h"
#include "platform/imgui/help_window.h"
#include "platform/imgui/menu_bar.h"
#include "app/main_loop.h"
#include "app/recorder.h"
#include "app/startup.h"
#include "app/trace_fields.h"
#include "data/load_failure.h"
#include "input/keyboard.h"
#include "input/serial_mascon.h"
#include "platform/serial/termios_serial_port.h"
#include "platform/sdl/sdl_cab_screen.h"
#include "platform/sdl/sdl_imgui.h"
#include "platform/system_clock.h"

namespace velmora {

namespace {

namespace fs = std::filesystem;

struct WindowCloser {
  void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
};

// What the dialogs' ImGui frame needs of the SDL events: the pointer in the layout's px
// (SDL gives them so once the renderer has a logical size), buttons, wheel and typing.
void feed_imgui(const SDL_Event& e) {
  ImGuiIO& io = ImGui::GetIO();
  switch (e.type) {
    case SDL_MOUSEMOTION:
      io.MousePos = ImVec2(static_cast<float>(e.motion.x), static_cast<float>(e.motion.y));
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      io.MousePos = ImVec2(static_cast<float>(e.button.x), static_cast<float>(e.button.y));
      if (e.button.button >= 1 && e.button.button <= 3) io.MouseDown[e.button.button - 1] = e.type == SDL_MOUSEBUTTONDOWN;
      break;
    case SDL_MOUSEWHEEL:
      io.MouseWheel += static_cast<float>(e.wheel.y);
      break;
    case SDL_TEXTINPUT:
      io.AddInputCharactersUTF8(e.text.text);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const int scancode = e.key.keysym.scancode;
      if (scancode >= 0 && scancode < IM_ARRAYSIZE(io.KeysDown)) io.KeysDown[scancode] = e.type == SDL_KEYDOWN;
      const Uint16 mod = SDL_GetModState();
      io.KeyShift = (mod & KMOD_SHIFT) != 0;
      io.KeyCtrl = (mod & KMOD_CTRL) != 0;
      io.KeyAlt = (mod & KMOD_ALT) != 0;
      break;
    }
    default:
      break;
  }
}

void map_imgui_keys() {
  ImGuiIO& io = ImGui::GetIO();
  io.KeyMap[ImGuiKey_Tab] = SDL_SCANCODE_TAB;
  io.KeyMap[ImGuiKey_LeftArrow] = SDL_SCANCODE_LEFT;
  io.KeyMap[ImGuiKey_RightArrow] = SDL_SCANCODE_RIGHT;
  io.KeyMap[ImGuiKey_UpArrow] = SDL_SCANCODE_UP;
  io.KeyMap[ImGuiKey_DownArrow] = SDL_SCANCODE_DOWN;
  io.KeyMap[ImGuiKey_Home] = SDL_SCANCODE_HOME;
  io.KeyMap[ImGuiKey_End] = SDL_SCANCODE_END;
  io.KeyMap[ImGuiKey_Delete] = SDL_SCANCODE_DELETE;
  io.KeyMap[ImGuiKey_Backspace] = SDL_SCANCODE_BACKSPACE;
  io.KeyMap[ImGuiKey_Enter] = SDL_SCANCODE_RETURN;
  io.KeyMap[ImGuiKey_Escape] = SDL_SCANCODE_ESCAPE;
  io.KeyMap[ImGuiKey_A] = SDL_SCANCODE_A;
  io.KeyMap[ImGuiKey_C] = SDL_SCANCODE_C;
  io.KeyMap[ImGuiKey_V] = SDL_SCANCODE_V;
  io.KeyMap[ImGuiKey_X] = SDL_SCANCODE_X;
}

// Typed text, one character at a time, as the keyboard would type it.
void type_text(Run& run, const char* utf8, Recorder* recorder) {
  const auto* p = reinterpret_cast<const unsigned char*>(utf8);
  while (*p != 0) {
    char32_t ch = *p;
    int extra = ch >= 0xF0 ? 3 : ch >= 0xE0 ? 2 : ch >= 0xC0 ? 1 : 0;
    if (extra > 0) ch &= 0x3F >> extra;
    ++p;
    for (; extra > 0 && (*p & 0xC0) == 0x80; --extra, ++p) ch = (ch << 6) | (*p & 0x3F);
    if (recorder != nullptr) recorder->typed(run.frame.frames_run, ch);
    AsciiDown(run, ch);
  }
}

}  // namespace

SessionEnd run_cab_session(const RunConfig& config, const SessionOptions& options, DesktopServices services) {
  const int layout_h = kCabWindowHeight + kMenuBarHeight;
  // Hidden while the run starts: its progress shows on the title window meanwhile.
  Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN;
  if (options.fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  std::unique_ptr<SDL_Window, WindowCloser> window(
      SDL_CreateWindow(kAppTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                       static_cast<int>(kCabWindowWidth * options.scale), static_cast<int>(layout_h * options.scale), flags));
  if (!window) {
    services.dialogs.message(std::string("the cab window cannot be opened: ") + SDL_GetError());
    return SessionEnd::NotStarted;
  }
  std::unique_ptr<SdlCabScreen> screen;
  std::unique_ptr<SdlImGui> windows_layer;
  try {
    screen = SdlCabScreen::in_window(window.get(), options.software, kMenuBarHeight);
    windows_layer = std::make_unique<SdlImGui>(screen->renderer());
  } catch (const SdlError& e) {
    services.dialogs.message(e.what());
    return SessionEnd::NotStarted;
  }
  windows_layer->set_display_size(kCabWindowWidth, layout_h);
  ImGui::SetCurrentContext(windows_layer->context());
  map_imgui_keys();
  screen->set_window_overlay([&](SDL_Renderer*) { windows_layer->draw(); }, [&] { return windows_layer->changed(); });

  SystemClock clock;
  SdlKeyboard keyboard;
  WindowEvents events;
  events.set_window(window.get());
  services.dialogs.set_parent(window.get());
  Run run(config, Services{clock, services.dialogs, *screen, services.settings, services.sound, services.film,
                           keyboard, screen->images(), screen->sprites(), events, services.pad, services.serial});
  try {
    FormCreate(run);
  } catch (const LoadFailure& failure) {
    for (const std::string& m : failure.messages) services.dialogs.message(m);
    std::cerr << "velmora: " << failure.detail << '\n';
    FormCloseQuery(run);
    return SessionEnd::NotStarted;
  }
  SDL_ShowWindow(window.get());
  if (services.on_shown) services.on_shown();

  std::optional<Recorder> recorder;
  if (!options.record.empty()) {
    try {
      recorder.emplace(options.record, config);
    } catch (const RecorderError& e) {
      services.dialogs.message(e.what());
    }
  }
  Recorder* rec = recorder ? &*recorder : nullptr;
  const auto frame = [&run] { return static_cast<long long>(run.frame.frames_run); };

  CabWindows windows;
  MenuBar bar;
  bar.show_hidden = options.show_hidden_menu;
  HelpWindow help;
  if (const auto error = load_help(help, config.program_dir)) services.dialogs.message(*error);
  Automation& automation = *options.automation;
  PadSnapshot last_pad;
  SessionEnd end = SessionEnd::Closed;
  SDL_StartTextInput();
  while (!run.frame.ended) {
    const bool paused = !run.frame.app_ready;
    if (paused || frame_due(run)) {
      bool close = false;
      const ImGuiIO& io = ImGui::GetIO();
      automation.pump(automation.seconds(), window.get());
      SDL_Event e;
      while (SDL_PollEvent(&e)) {
        feed_imgui(e);
        // The help window's text is read-only: keys typed there drive the train.
        const bool keys_to_dialogs = io.WantTextInput && !help.focused;
        const bool mouse_to_dialogs = io.WantCaptureMouse;
        switch (e.type) {
          case SDL_QUIT:
            end = SessionEnd::Quit;
            close = true;
            break;
          case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) close = true;
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
              screen->redraw();
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) FormActivate(run);
            break;
          case SDL_TEXTINPUT:
            if (!keys_to_dialogs) type_text(run, e.text.text, rec);
            break;
          case SDL_KEYDOWN:
          case SDL_KEYUP:
            if (keys_to_dialogs) break;
            if (const auto key = command_key(e.key.keysym.sym)) {
              const bool shift = (e.key.keysym.mod & KMOD_SHIFT) != 0;
              if (e.type == SDL_KEYDOWN) {
                if (rec) rec->key_down(frame(), *key, shift);
                key_pressed(run, *key, shift);
              } else {
                if (rec) rec->key_up(frame(), *key, shift);
                keyups(run, *key, shift);
              }
            }
            break;
          case SDL_MOUSEWHEEL:
            if (mouse_to_dialogs) break;
            if (e.wheel.y != 0 && rec) rec->wheel(frame(), e.wheel.y > 0);
            if (e.wheel.y > 0) WheelU(run);
            if (e.wheel.y < 0) WheelD(run);
            break;
          case SDL_MOUSEBUTTONDOWN:
            if (!mouse_to_dialogs && e.button.button == SDL_BUTTON_LEFT) {
              if (rec) rec->click(frame(), e.button.x, e.button.y - kMenuBarHeight);
              cab_window_click(run, e.button.x, e.button.y - kMenuBarHeight);
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
      windows_layer->begin_frame(1.0f / 60);
      draw_menu_bar(run, bar, windows, help);
      draw_cab_windows(run, windows);
      draw_help_window(help);
      draw_serial_dialog(services.serial_dialog);
      windows_layer->end_frame();
      if (bar.serial == MenuOpens::serial_settings) open_serial_dialog(services.serial_dialog, list_serial_ports());
      if (bar.serial == MenuOpens::serial_connect) {
        std::string error;
        if (services.serial.is_open())
          services.serial.close();
        else if (!services.serial.open(services.serial_dialog.settings, error))
          services.dialogs.message(error);
      }
      if (rec) {
        for (const std::string& done : windows.done) rec->command(frame(), done);
        for (char32_t ch : windows.posted) rec->typed(frame(), ch);
      }
      windows.done.clear();
      deliver_posted(run, windows);
      keyboard.refresh([&](int key, bool down) {
        if (rec) rec->held_key(frame(), key, down);
      });
      // The controllers: what the serial controller sent, handled now; the train
      // controller's state, read by the route step, written down when it moves.
      for (const std::string& line : serial_poll(run))
        if (rec) rec->serial(frame(), line);
      const PadSnapshot pad = services.pad.poll();
      if (rec && (pad.x != last_pad.x || pad.y != last_pad.y || pad.buttons != last_pad.buttons))
        rec->pad(frame(), pad.x, pad.y, pad.buttons);
      last_pad = pad;
    }
    if (run.frame.app_ready) {
      const std::int64_t before = run.frame.counter_prev;
      const long long about_to_run = frame();
      // The frame's length as the clock measured it: a replay steps the same.
      if (AppIdle(run) && rec) rec->frame_time(about_to_run, run.frame.counter_prev - before);
    } else {
      // Paused: nothing of the run moves, but the window and its menus still answer.
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
  if (rec) rec->finish(frame());
  // Where the drive ended, as velmora-sim prints it, so a recorded drive's replay can be
  // checked against it.
  std::string ended = "velmora: drive ended: frames=" + std::to_string(run.frame.frames_run);
  for (const TraceColumn& c : parse_trace_columns("speed,film_frame"))
    ended += " " + c.header + "=" + trace_cell(c, run, run.frame.frames_run);
  std::cout << ended << std::endl;
  return end;
}

}  // namespace velmora
