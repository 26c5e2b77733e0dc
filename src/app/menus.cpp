#include "app/menus.h"

#include <charconv>

#include "app/run.h"
#include "app/startup.h"
#include "app/train_steps.h"
#include "input/controllers.h"
#include "route/station_jump.h"
#include "route/station_table.h"
#include "view/cab_window.h"
#include "view/overlays.h"

namespace velmora {

namespace {

constexpr std::string_view kStationPrefix = "Sta";

bool toggle(bool& mark) {
  mark = !mark;
  return mark;
}

int as_option(bool checked) { return checked ? 1 : 0; }

void hide_stop_lines(Run& run, bool hidden) {
  if (run.overlays.stop_lines_hidden != hidden) toggle_stop_lines(run);
}

// The controller type a "controller N" item chooses, or nullopt for any other name.
std::optional<int> controller_type_of(std::string_view name) {
  for (int type = 0; type < kCtrlTypeCount; ++type)
    if (name == kControllerItems[static_cast<std::size_t>(type)].name) return type;
  return std::nullopt;
}

bool checked(const Run& run, std::string_view name) {
  const MenuState& m = run.menu;
  if (const std::optional<int> type = controller_type_of(name))
    return run.controllers.ctrl_type == *type;
  if (name == "controller debug") return run.controllers.debug_caption;
  if (name == "D1") return m.info_off;
  if (name == "OFF1") return m.calls_off;
  if (name == "OFF2") return m.lines_off;
  if (name == "OFFV1") return m.effects_off;
  if (name == "OFFC1") return m.labels_shown;
  return false;
}

MenuEntry entry(std::string name, std::string caption, bool submenu = false) {
  MenuEntry e;
  e.name = std::move(name);
  e.caption = std::move(caption);
  e.submenu = submenu;
  return e;
}

// The station index of a Move-menu item's name, or nullopt for any other name.
std::optional<int> station_of(std::string_view name) {
  if (name.substr(0, kStationPrefix.size()) != kStationPrefix) return std::nullopt;
  const std::string_view digits = name.substr(kStationPrefix.size());
  int i = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), i);
  if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size())
    return std::nullopt;
  return i;
}

}  // namespace

std::string start_caption(const Run& run) {
  if (!run.menu.started) return run.ui.menu_start;
  return run.frame.app_ready ? "一時停止(&S)" : "運転再開(&S)";
}

std::vector<MenuEntry> main_menu(const Run& run, bool show_hidden) {
  MenuEntry move = entry("GoTo1", run.ui.menu_move, true);
  for (int i = 0; i < station_count(run.route); ++i)
    if (station_in_menu(run.route, run.config, i))
      move.items.push_back(
          entry(std::string(kStationPrefix) + std::to_string(i), station_at(run.route, i).Name));
  MenuEntry display = entry("Show1", run.ui.menu_display, true);
  for (const DisplayItem& d : kDisplayItems) {
    if (!d.visible && !show_hidden) continue;
    display.items.push_back(entry(d.name, d.caption));
    display.items.back().checked = checked(run, d.name);
  }
  MenuEntry controller = entry("Controller1", run.ui.menu_control, true);
  for (const ControllerItem& c : kControllerItems) {
    controller.items.push_back(entry(c.name, c.caption));
    controller.items.back().separator = *c.name == '\0';
    controller.items.back().checked = checked(run, c.name);
  }
  return {entry("start1", start_caption(run)), move, display, controller};
}

void set_menu_checks(Run& run) {
  const Options& o = run.options;
  MenuState& m = run.menu;
  m.calls_off = o.opt_kanko_off == 1;
  m.info_off = o.opt_info_off == 1;
  m.lines_off = o.opt_ats_reg == 1;
  m.effects_off = o.opt_effects_off == 1;
  m.labels_shown = o.opt_moji == 1;
  m.started = true;
  hide_stop_lines(run, m.lines_off);
}

MenuOpens menu_opens(std::string_view name) {
  if (name == "menu_d1") return MenuOpens::help_window;
  if (name == "P1") return MenuOpens::train_settings;
  if (name == "serial settings") return MenuOpens::serial_settings;
  if (name == "serial connect") return MenuOpens::serial_connect;
  return MenuOpens::nothing;
}

std::optional<MenuOpens> menu_click(Run& run, std::string_view name) {
  MenuState& m = run.menu;
  Options& o = run.options;
  if (const MenuOpens opens = menu_opens(name); opens != MenuOpens::nothing) return opens;
  if (name == "start1") {
    start1Click(run);
  } else if (name == "N3") {
    run.texts.easy_cab.visible = true;
  } else if (name == "D1") {
    o.opt_info_off = as_option(toggle(m.info_off));
  } else if (name == "OFF1") {
    o.opt_kanko_off = as_option(toggle(m.calls_off));
  } else if (name == "OFF2") {
    // Only the pictures: the saved "protection off" option stays as it is.
    hide_stop_lines(run, toggle(m.lines_off));
  } else if (name == "OFFV1") {
    o.opt_effects_off = as_option(toggle(m.effects_off));
  } else if (name == "OFFC1") {
    set_text_mode(run.options, as_option(toggle(m.labels_shown)));
  } else if (const std::optional<int> type = controller_type_of(name)) {
    choose_controller(run, *type);
  } else if (name == "controller debug") {
    set_controller_debug(run, !run.controllers.debug_caption);
  } else if (const std::optional<int> station = station_of(name);
             station && station_in_menu(run.route, run.config, *station)) {
    StationClick(run, *station);
  } else {
    return std::nullopt;
  }
  return MenuOpens::nothing;
}

void settings_ats_click(Run& run, bool on) {
  jump_ats(run, on);
  if (!on || !run.menu.lines_off) return;
  run.menu.lines_off = false;
  hide_stop_lines(run, false);
}

std::string menu_label(std::string_view caption) {
  std::string shown;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&') {
      shown += caption[i];
    } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
      shown += '&';
      ++i;
    } else if (i > 0 && caption[i - 1] == '(' && i + 2 < caption.size() && caption[i + 2] == ')' &&
               !shown.empty()) {
      // "(&S)": the whole marker goes, the key letter only made sense as a shortcut.
      shown.pop_back();
      i += 2;
    }
  }
  return shown;
}

}  // namespace velmora
