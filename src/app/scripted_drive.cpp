#include "app/scripted_drive.h"

#include <charconv>

#include "app/main_loop.h"

namespace velmora {

void ScriptedDrive::start_frame(long long frame, const std::function<void(const ScriptCommand&)>& ignored) {
  platform_.log.frame = frame;
  std::int64_t advance = frame_ns_;
  for (; next_ < script_.size() && script_[next_].frame <= frame; ++next_) {
    const ScriptCommand& c = script_[next_];
    if (c.verb == "time") {
      advance = c.ns;
      continue;
    }
    if (c.verb == "hold" || c.verb == "release") {
      const HeldKey key = c.arg == "3" ? HeldKey::Key3 : c.arg == "4" ? HeldKey::Key4 : HeldKey::Key6;
      platform_.keyboard.set(key, c.verb == "hold");
      continue;
    }
    if (c.verb == "pad") {
      // The controller reads so from now on, as a real one does until it is moved again.
      platform_.pad.snapshot = {true, c.numbers.at(0), c.numbers.at(1), static_cast<std::uint16_t>(c.numbers.at(2))};
      continue;
    }
    if (!apply_script_command(run_, c) && ignored) ignored(c);
  }
  platform_.clock.advance_ns(advance);
}

void ScriptedDrive::finish_frame() {
  for (int pass = 0; pass < 100000 && run_.frame.app_ready; ++pass)
    if (AppIdle(run_)) break;
}

long long ScriptedDrive::frames_named(std::string_view text) {
  constexpr std::string_view kMark = "# frames: ";
  const std::size_t at = text.find(kMark);
  if (at == std::string_view::npos) return 0;
  long long frames = 0;
  const char* first = text.data() + at + kMark.size();
  std::from_chars(first, text.data() + text.size(), frames);
  return frames;
}

}  // namespace velmora
