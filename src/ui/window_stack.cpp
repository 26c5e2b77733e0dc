#include "ui/window_stack.h"

#include <imgui_internal.h>

#include "app/run.h"
#include "route/station_jump.h"
#include "ui/cab_windows.h"
#include "ui/help_window.h"
#include "ui/menu_bar.h"
#include "ui/serial_dialog.h"

namespace velmora {

bool close_top_window(Run& run, MenuBar& bar, CabWindows& windows, HelpWindow& help, SerialDialog& serial,
                      std::deque<std::string>& messages) {
  if (bar.open) {
    bar.close_menus = true;
    return true;
  }
  if (!messages.empty()) {
    messages.pop_front();
    return true;
  }
  // The windows by their ImGui names, dialogs first. Closed as their close boxes close them:
  // what a close box does not record, Escape does not either.
  struct Open {
    bool* shown;
    const char* name;
  };
  const Open candidates[] = {{&serial.visible, "VMマスコン（設定）"},
                             {&windows.train_settings, "列車設定"},
                             {&windows.overrun, kKotaiCaption},
                             {&help.visible, "###HelpWindow"},
                             {&run.value_display.visible, "###ValueDisplay"},
                             {&run.texts.easy_cab.visible, "かんたん運転台"}};
  // The one the user had in front last, as the desktop closes the window in front.
  const Open* chosen = nullptr;
  int chosen_order = -1;
  for (const Open& o : candidates) {
    if (!*o.shown) continue;
    const ImGuiWindow* w = ImGui::GetCurrentContext() != nullptr ? ImGui::FindWindowByName(o.name) : nullptr;
    const int order = w != nullptr ? w->FocusOrder : -1;
    if (chosen == nullptr || order > chosen_order) chosen = &o, chosen_order = order;
  }
  if (chosen == nullptr) return false;
  *chosen->shown = false;
  return true;
}

}  // namespace velmora
