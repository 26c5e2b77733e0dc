#include "app/scripted_drive.h"

#include <charconv>
#include <sstream>

#include "app/main_loop.h"

namespace velmora {

void ScriptedDrive::start_frame(long long frame,
                                const std::function<void(const ScriptCommand&)>& ignored) {
  platform_.log.frame = frame;
  std::int64_t advance = frame_ns_;
  for (; next_ < script_.size() && script_[next_].frame <= frame; ++next_) {
    const ScriptCommand& c = script_[next_];
    // The devices' states go to the fakes, which the run reads as it reads real ones.
    if (const auto* time = std::get_if<command::FrameTime>(&c.command)) {
      advance = time->ns;
      continue;
    }
    if (const auto* held = std::get_if<command::Held>(&c.command)) {
      const HeldKey key = held->key == 3   ? HeldKey::Key3
                          : held->key == 4 ? HeldKey::Key4
                                           : HeldKey::Key6;
      platform_.keyboard.set(key, held->down);
      continue;
    }
    if (const auto* pad = std::get_if<command::ControllerSnapshot>(&c.command)) {
      // The controller reads so from now on, as a real one does until it is moved again.
      platform_.pad.snapshot = {pad->present, pad->x, pad->y,
                                static_cast<std::uint16_t>(pad->buttons)};
      continue;
    }
    if (!apply(run_, c.command) && ignored) ignored(c);
  }
  platform_.clock.advance_ns(advance);
}

void ScriptedDrive::finish_frame() {
  for (int pass = 0; pass < 100000 && run_.frame.app_ready; ++pass)
    if (AppIdle(run_)) break;
}

ScriptHeader read_script_header(std::string_view text) {
  ScriptHeader h;
  std::istringstream first(std::string(text.substr(0, text.find('\n'))));
  std::string hash, route, with, vehicle;
  if (first >> hash >> route >> with >> vehicle && hash == "#" && with == "with") {
    if (vehicle.back() == ':') vehicle.pop_back();
    h.route = route;
    h.vehicle = vehicle;
  }
  constexpr std::string_view kFrames = "# frames: ";
  const std::size_t at = text.find(kFrames);
  if (at != std::string_view::npos)
    std::from_chars(text.data() + at + kFrames.size(), text.data() + text.size(), h.frames);
  return h;
}

}  // namespace velmora
