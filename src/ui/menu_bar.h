#pragma once
// The cab window's main menu bar, drawn with Dear ImGui along the top of the window: it
// shows the menu of app/menus.h and carries out the chosen item through menu_click.

#include <imgui.h>

#include <map>
#include <string>

#include "app/menus.h"

namespace velmora {

struct Run;
struct CabWindows;
struct HelpWindow;

// Menu bar height in the layout's px, above the cab window's 1202 x 778.
inline constexpr int kMenuBarHeight = 19;

struct MenuBar {
  bool show_hidden =
      false;  // also offer "列車設定(&P)" and "視覚効果OFF(&V)" (a command-line option)
  float height = 0;  // px, the bar's height as last drawn; the cab surface goes below it
  // The middle of every item drawn this frame, by item name (an open menu's items included).
  std::map<std::string, ImVec2> places;
  // The serial master controller's item chosen this frame (its settings dialog, or
  // connecting and disconnecting): the desktop program's to carry out. Nothing otherwise.
  MenuOpens serial = MenuOpens::nothing;
  bool open = false;         // a menu of the bar was open this frame: the run waits meanwhile
  bool close_menus = false;  // close the open menu in the next frame (Escape)
};

// Every caption the bar can show for this run (its font needs their glyphs).
std::string menu_texts(const Run& run);

// Draws the bar between ImGui's NewFrame and Render and carries out what was chosen: the
// run's own commands, the help window shown, the train-settings dialog opened.
void draw_menu_bar(Run& run, MenuBar& bar, CabWindows& windows, HelpWindow& help);

}  // namespace velmora
