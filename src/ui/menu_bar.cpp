#include "ui/menu_bar.h"

#include <imgui_internal.h>

#include <optional>
#include <vector>

#include "app/menus.h"
#include "app/run.h"
#include "ui/cab_windows.h"
#include "ui/help_window.h"

namespace velmora {

namespace {

// ImGui shows "&" as it is and has no accelerator keys: the marker goes, the name keeps
// items with the same caption apart.
std::string imgui_label(const MenuEntry& e) { return menu_label(e.caption) + "##" + e.name; }

void remember_place(MenuBar& bar, const std::string& name) {
  const ImVec2 a = ImGui::GetItemRectMin(), b = ImGui::GetItemRectMax();
  bar.places[name] = ImVec2((a.x + b.x) / 2, (a.y + b.y) / 2);
}

void add_captions(const std::vector<MenuEntry>& entries, std::string& out) {
  for (const MenuEntry& e : entries) {
    out += e.caption;
    add_captions(e.items, out);
  }
}

}  // namespace

std::string menu_texts(const Run& run) {
  std::string out;
  add_captions(main_menu(run, true), out);
  return out;
}

void draw_menu_bar(Run& run, MenuBar& bar, CabWindows& windows, HelpWindow& help) {
  bar.places.clear();
  bar.serial = MenuOpens::nothing;
  bar.open = false;
  if (bar.close_menus) ImGui::ClosePopupsOverWindow(nullptr, false);
  bar.close_menus = false;
  if (!ImGui::BeginMainMenuBar()) return;
  bar.height = ImGui::GetWindowSize().y;
  std::optional<std::string> chosen;
  for (const MenuEntry& top : main_menu(run, bar.show_hidden)) {
    if (!top.submenu) {
      if (ImGui::MenuItem(imgui_label(top).c_str(), nullptr, false, top.enabled)) chosen = top.name;
      remember_place(bar, top.name);
      continue;
    }
    const bool open = ImGui::BeginMenu(imgui_label(top).c_str(), top.enabled);
    remember_place(bar, top.name);
    if (!open) continue;
    bar.open = true;
    for (std::size_t i = 0; i < top.items.size(); ++i) {
      const MenuEntry& item = top.items[i];
      if (item.separator) {
        ImGui::Separator();
        continue;
      }
      ImGui::PushID(static_cast<int>(i));
      if (ImGui::MenuItem(imgui_label(item).c_str(), nullptr, item.checked, item.enabled))
        chosen = item.name;
      ImGui::PopID();
      if (!item.name.empty()) remember_place(bar, item.name);
    }
    ImGui::EndMenu();
  }
  ImGui::EndMainMenuBar();

  // Acted on once the bar is drawn, so that the menu shows one state throughout a frame.
  if (!chosen) return;
  windows.commands.push_back(command::MenuItem{*chosen});
  switch (menu_opens(*chosen)) {
    case MenuOpens::help_window:
      help.visible = true;
      break;
    case MenuOpens::train_settings:
      windows.train_settings = true;
      break;
    case MenuOpens::serial_settings:
    case MenuOpens::serial_connect:
      bar.serial = *chosen == "serial settings" ? MenuOpens::serial_settings : MenuOpens::serial_connect;
      break;
    case MenuOpens::nothing:
      break;
  }
}

}  // namespace velmora
