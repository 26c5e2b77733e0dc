#pragma once
// The cab window's main menu as data, and what its items do to a run: start / pause, the
// Move menu's station jumps and the Display menu's viewing options with their check marks.
// The desktop program draws the menu (ui/menu_bar.h); headless replays choose items by
// name through the same menu_click.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

struct Run;

// The Display menu's check marks. Each follows its option while a run lasts; a setting
// other than 0 or 1 starts unchecked.
struct MenuState {
  bool started = false;       // start-up is over: the start item's caption follows the run
  bool info_off = false;      // D1 "解説なし(&D)"
  bool calls_off = false;     // OFF1 "喚呼なし(&K)"
  bool lines_off = false;     // OFF2 "停止位置ラインを表示しない(&S)"
  bool effects_off = false;   // OFFV1 "視覚効果OFF(&V)"
  bool labels_shown = false;  // OFFC1 "文字表示モード切り替え(&C)"
};

// One item of the menu. A top-level entry with `submenu` holds its items; one without
// acts itself when chosen (start1).
struct MenuEntry {
  std::string name;     // "start1", "GoTo1", "Sta3", "D1", ...: what menu_click takes
  std::string caption;  // as written, "(&X)" included
  bool checked = false;
  bool enabled = true;
  bool submenu = false;
  bool separator = false;  // a dividing line: no caption, never chosen
  std::vector<MenuEntry> items;
};

// The Display menu in its order. P1 and OFFV1 are hidden unless the desktop program is
// asked to offer them; their settings still come from the user's settings.
struct DisplayItem {
  const char* name;
  const char* caption;
  bool visible;
};
inline constexpr std::array<DisplayItem, 8> kDisplayItems = {{
    {"menu_d1", "操作説明(&U)", true},
    {"D1", "解説なし(&D)", true},
    {"N3", "かんたん運転台(&E)", true},
    {"OFF1", "喚呼なし(&K)", true},
    {"OFF2", "停止位置ラインを表示しない(&S)", true},
    {"P1", "列車設定(&P)", false},
    {"OFFV1", "視覚効果OFF(&V)", false},
    {"OFFC1", "文字表示モード切り替え(&C)", true},
}};

// The Controller menu in its order: the four controller types (radio items, named
// "controller N" for type N), the debug option, a separator, and the serial master
// controller's settings and connection, which only open or act on things the desktop
// program owns.
struct ControllerItem {
  const char* name;
  const char* caption;
};
inline constexpr std::array<ControllerItem, 8> kControllerItems = {{
    {"controller 0", "標準/VMマスコン(&N)"},
    {"controller 1", "Windows用電車でGO! コントローラ(&U)"},
    {"controller 2", "PS用電車でGO! コントローラ(&M)"},
    {"controller 3", "三鶯重工 OHC-PC01(&S)"},
    {"controller debug", "デバッグオプション(&D)"},
    {"", ""},  // separator
    {"serial settings", "VMマスコン（設定）(&P)"},
    {"serial connect", "VMマスコン（接続）(&C)"},
}};

// The four top-level entries with their items: start1, GoTo1 (the stations the jump
// offers, in route order, named "Sta" + index and captioned with the station's name),
// Show1 (the Display menu; hidden items left out unless show_hidden) and Controller1
// (kControllerItems; the chosen type and the debug option checked).
std::vector<MenuEntry> main_menu(const Run& run, bool show_hidden);

// The start item's caption: velmora.dat's [Start] text until start-up is over, then
// "一時停止(&S)" while the run goes and "運転再開(&S)" while it is paused.
std::string start_caption(const Run& run);

// End of start-up: each check mark from its setting (checked only for 1). The stop lines
// start hidden when their item starts checked, so that the mark tells what is seen.
void set_menu_checks(Run& run);

// What a chosen item leaves to windows and devices the desktop program owns:
// serial_settings shows the serial port's settings dialog, serial_connect closes the
// serial port when it is open and opens it otherwise.
enum class MenuOpens { nothing, help_window, train_settings, serial_settings, serial_connect };

// The window or device an item leaves to the desktop program; nothing for the others.
MenuOpens menu_opens(std::string_view name);

// Carries out the item named `name` (start1, Sta<i> for a listed station, a Display item or
// a Controller item). Returns nullopt when the menu has no such item; nothing is changed then.
std::optional<MenuOpens> menu_click(Run& run, std::string_view name);

// The train-settings dialog's protection switch. Switching protection on also clears the
// saved "protection off" option and unchecks OFF2, showing the stop lines again.
void settings_ats_click(Run& run, bool on);

// A caption as a menu without accelerator keys shows it: "一時停止(&S)" -> "一時停止",
// "&File" -> "File", "A&&B" -> "A&B".
std::string menu_label(std::string_view caption);

}  // namespace velmora
