#pragma once
// One drive in the cab window: the window is made, the run starts (its progress texts go
// to whoever shows them), and the main loop runs with the real clock until the run ends,
// the window is closed or the automation's time is up.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "app/run.h"
#include "automation.h"
#include "desktop_services.h"
#include "drive_keeping.h"
#include "platform/settings/ini_settings.h"
#include "ui/help_window.h"
#include "ui/serial_dialog.h"

namespace velmora {

struct SessionOptions {
  bool fullscreen = false;
  float scale = 0;                   // the window's size over the layout's; 0: as large as fits
  bool software = false;             // SDL's software renderer (no GPU)
  std::filesystem::path record;      // a velmora-sim input script of the drive; empty: none
  double quit_after = 0;             // s after the program started, then it ends; 0: never
  bool show_hidden_menu = false;     // offers the menu items the cab window keeps hidden
  Automation* automation = nullptr;  // scripted events and screenshots; the program's clock
  std::filesystem::path drives;      // every drive is recorded into a folder here; empty: not
  int keep_drives = kDrivesKeptByDefault;
};

enum class SessionEnd {
  NotStarted,  // the data could not be loaded; the messages were shown
  Closed,      // the run ended or its window was closed: back to the title window
  Quit,        // the program is to end (time up for automation, or asked to quit)
};

struct DesktopServices {
  SdlDialogs& dialogs;
  IniSettings& settings;
  SoundDevice& sound;
  FilmSource& film;
  GameController& pad;
  SerialPort& serial;
  SerialDialog& serial_dialog;  // its settings last as long as the program
  HelpWindow& help;             // read once, when the program starts
  // Called once the run has started and the cab window is shown (the title window hides).
  std::function<void()> on_shown = {};
};

struct SessionResult {
  SessionEnd end = SessionEnd::Closed;
  std::optional<KeptDrive> drive;  // a drive that reached a station: its report
};

SessionResult run_cab_session(const RunConfig& config, const SessionOptions& options,
                              DesktopServices services);

}  // namespace velmora
