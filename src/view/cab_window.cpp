#include "view/cab_window.h"

#include <filesystem>
#include <optional>
#include <string>

#include "common/paths.h"
#include "data/load_failure.h"
#include "view/view_run.h"

namespace velmora {

namespace {

constexpr WindowLabel label(int x, int y, int width, int height, int size, bool right = false) {
  return {x, y, width, height, size, right};
}

}  // namespace

// Width 0: the label is as wide as its text.
const std::array<CabLabelPlace, 15> kCabLabels{{
    {kLabelThisStation, label(820, 475, 149, 29, 24)},
    {kLabelNextStop, label(1044, 475, 221, 48, 24)},
    {kLabelStation, label(820, 518, 368, 30, 27)},
    {kLabelProtect, label(836, 578, 341, 30, 21)},
    {kLabelSpeed, label(836, 622, 166, 30, 27, true)},
    {kLabelStopDistance, label(1037, 622, 125, 30, 27, true)},
    {kLabelReverser, label(820, 668, 48, 30, 24)},
    {kLabelPower, label(892, 668, 53, 30, 24)},
    {kLabelBrake, label(959, 668, 58, 30, 24)},
    {kLabelMaxSpeed, label(1040, 671, 154, 30, 21)},
    {kLabelMode, label(820, 708, 0, 0, 24)},
    {kLabelDoorSide, label(929, 708, 84, 30, 21)},
    {kLabelInfo, label(1040, 708, 109, 30, 21)},
    {kLabelClock, label(1040, 739, 0, 0, 24)},
    {kLabelDistance, label(808, 340, 0, 0, 13)},
}};

void load_window_pictures(const ViewRun& run) {
  const std::filesystem::path& folder = run.config.program_dir;
  const auto load = [&](WindowPicture which, const std::string& name, int x, int y) {
    if (name.empty()) return;
    const std::optional<std::filesystem::path> found = resolve_data_file(folder, name);
    const std::string shown = (folder / name).string();
    if (!found || !run.platform.screen.load_window_picture(which, *found, x, y))
      throw LoadFailure({shown + "が見つかりません"}, shown + ": the picture cannot be read");
  };
  const auto& staf = run.route.staf;
  load(WindowPicture::StaffTimetable, staf[0], run.ui.staff_left, 0);
  // Shown on the film area while the run has not started, so placed there.
  load(WindowPicture::NotStarted, staf[1], 0, 0);
  load(WindowPicture::SubDisplay, staf[2], kSubDisplayLeft, kSubDisplayTop);
}

void cab_window_step(const ViewRun& run) {
  if (run.options.opt_moji == 0) return;
  CabScreen& screen = run.platform.screen;
  for (const CabLabelPlace& l : kCabLabels) {
    const std::string& text = run.texts.labels[static_cast<std::size_t>(l.label)];
    if (!text.empty()) screen.draw_label(l.place, text);
  }
}

void set_text_mode(Options& options, int mode) { options.opt_moji = mode; }

}  // namespace velmora
