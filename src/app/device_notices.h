#pragma once
// Devices that come and go during a drive. The core and the platform report each change as
// the event "device" with "<device> lost" or "<device> back" (serial, pad, sound, film, and
// settings for a settings file that cannot be saved); these are the texts the driver is
// told, and the watch that reopens a lost sound device.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "platform/event_sink.h"
#include "platform/sound_device.h"

namespace velmora {

// The text for a "device" event's detail; empty for one this build does not know.
std::string device_notice(std::string_view detail);
// Every such text, one after the other (the glyphs a window needs for them).
std::string device_notice_texts();

// The devices lost now, for the window's title and status line: each "lost" stands until
// its "back".
class DeviceNotices {
 public:
  // Takes a "device" event's detail; returns its text (empty when unknown).
  std::string take(std::string_view detail);
  // The standing notices on one line; empty with every device in place.
  std::string standing() const;

 private:
  std::map<std::string, std::string, std::less<>> lost_;
};

// A sound device lost during a drive is reported once and reopened about once a second
// until it opens; the drive goes on silent meanwhile.
struct SoundWatch {
  static constexpr std::int64_t kRetryMs = 1000;
  bool lost = false;
  std::int64_t retry_at_ms = 0;
};
void watch_sound_device(SoundDevice& device, EventSink& events, SoundWatch& watch,
                        std::int64_t now_ms);

}  // namespace velmora
