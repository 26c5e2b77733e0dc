#pragma once
// The fake platform: a clock stepped by its driver and services that record what they
// were asked to do. Used by the tests and by velmora-sim.

#include <map>
#include <set>
#include <utility>
#include <vector>

#include "platform/cab_screen.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/event_sink.h"
#include "platform/fake/event_log.h"
#include "platform/image_list.h"
#include "platform/keyboard_state.h"
#include "platform/settings_store.h"

namespace velmora {

// Nanosecond ticks. Sleeping advances the clock by the time asked for; a yield (sleep 0)
// costs 0.1 ms, so a loop that polls the clock always moves on.
class FakeClock final : public Clock {
 public:
  static constexpr std::int64_t kYieldNs = 100'000;

  std::int64_t counter() override { return now_ns; }
  std::int64_t frequency() override { return 1'000'000'000; }
  void sleep_ms(int ms) override {
    ++sleeps;
    now_ns += ms > 0 ? static_cast<std::int64_t>(ms) * 1'000'000 : kYieldNs;
  }
  void advance_ns(std::int64_t ns) { now_ns += ns; }

  std::int64_t now_ns = 0;
  int sleeps = 0;
};

class FakeDialogs final : public Dialogs {
 public:
  explicit FakeDialogs(EventLog& log) : log_(log) {}
  void message(const std::string& text) override { log_.add("message", text); }
  void status(const std::string& text) override { log_.add("status", text); }
  void caption(const std::string& text) override { log_.add("caption", text); }

 private:
  EventLog& log_;
};

class FakeEventSink final : public EventSink {
 public:
  explicit FakeEventSink(EventLog& log) : log_(log) {}
  void event(const std::string& kind, const std::string& detail) override { log_.add(kind, detail); }

 private:
  EventLog& log_;
};

class FakeCabScreen final : public CabScreen {
 public:
  void set_film_picture(const std::shared_ptr<const FilmPicture>& picture) override {
    film_frame_shown = picture ? picture->frame : -1;
  }
  bool can_draw() override { return drawable; }
  void compose() override { ++composed; }
  void set_opacity(int value) override { opacity = value; }
  void flip() override { ++flips; }

  int film_frame_shown = -1;  // frame number of the film picture last given; -1 none
  bool drawable = true;
  int composed = 0;
  int flips = 0;
  int opacity = 255;
};

// Keeps every picture it was asked to load. A picture named in `refuse` fails as a
// damaged file would.
class FakeImageList final : public ImageList {
 public:
  bool load(const PictureRequest& request) override {
    if (refuse.count(request.name) != 0) return false;
    loaded.push_back(request);
    return true;
  }
  // The picture loaded last under that name in the cab collection; null when none.
  const PictureRequest* find(const std::string& name) const {
    for (auto it = loaded.rbegin(); it != loaded.rend(); ++it)
      if (it->list == PictureList::Cab && it->name == name) return &*it;
    return nullptr;
  }

  std::vector<PictureRequest> loaded;
  std::set<std::string> refuse;
};

// Held keys set by the driver of the run ("hold 4" in a script).
class FakeKeyboard final : public KeyboardState {
 public:
  bool held(HeldKey key) override { return down[static_cast<int>(key)]; }
  void set(HeldKey key, bool is_down) { down[static_cast<int>(key)] = is_down; }

  bool down[3] = {false, false, false};
};

class MemorySettings final : public SettingsStore {
 public:
  std::optional<int> read_int(const std::string& key, const std::string& name) override {
    auto it = values.find({key, name});
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  void write_int(const std::string& key, const std::string& name, int value) override {
    values[{key, name}] = value;
  }

  std::map<std::pair<std::string, std::string>, int> values;
};

}  // namespace velmora
