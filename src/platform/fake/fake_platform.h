#pragma once
// The fake platform: a clock stepped by its driver and services that record what they
// were asked to do. Used by the tests and by velmora-sim.

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/cab_screen.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/event_sink.h"
#include "platform/fake/event_log.h"
#include "platform/game_controller.h"
#include "platform/image_list.h"
#include "platform/keyboard_state.h"
#include "platform/picture_header.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "platform/sprite_engine.h"

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
  void sleep_until(std::int64_t counter) override {
    ++sleeps;
    now_ns = std::max(now_ns, counter);
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
  void event(const std::string& kind, const std::string& detail) override {
    log_.add(kind, detail);
  }

 private:
  EventLog& log_;
};

class FakeCabScreen final : public CabScreen {
 public:
  void set_film_picture(const std::shared_ptr<const FilmPicture>& picture) override {
    film_frame_shown = picture ? picture->frame : -1;
  }
  bool can_draw() override { return drawable; }
  void set_film_surface(int width, int height) override { film_surface = {width, height}; }
  void set_screen_top(int top) override { screen_top = top; }
  struct Text {
    int x, y;
    std::string utf8;
    int size, shadow;
  };
  void draw_text(int x, int y, const std::string& utf8, int size, int shadow) override {
    pending.push_back({x, y, utf8, size, shadow});
  }
  // Half the size per character: enough to tell a centred text from one that is not.
  int text_width(const std::string& utf8, int size) override {
    int chars = 0;
    for (unsigned char c : utf8) chars += (c & 0xC0) != 0x80;
    return chars * size / 2;
  }
  void compose() override {
    ++composed;
    texts = std::move(pending);
    pending.clear();
  }
  void set_opacity(int value) override { opacity = value; }
  void flip() override {
    ++flips;
    labels = std::move(pending_labels);
    pending_labels.clear();
  }
  struct Picture {
    std::filesystem::path file;
    int x, y;
  };
  // Decodes nothing: a picture whose file the drawing layer would read (by its header, as
  // the drawing layer judges it) counts as loaded, unless it is named in `unreadable`.
  bool load_window_picture(WindowPicture which, const std::filesystem::path& file, int x,
                           int y) override {
    if (!picture_file_problem(file).empty() || unreadable.count(file.filename().string()))
      return false;
    pictures[which] = {file, x, y};
    return true;
  }
  struct Label {
    WindowLabel place;
    std::string utf8;
  };
  void draw_label(const WindowLabel& label, const std::string& utf8) override {
    pending_labels.push_back({label, utf8});
  }
  void show_still(bool on) override { still = on; }
  bool still = false;

  int film_frame_shown = -1;  // frame number of the film picture last given; -1 none
  std::pair<int, int> film_surface{0, 0};
  int screen_top = 0;
  std::vector<Text> texts;    // drawn by the last compose
  std::vector<Text> pending;  // asked for since
  bool drawable = true;
  int composed = 0;
  int flips = 0;
  int opacity = 255;
  std::map<WindowPicture, Picture> pictures;
  std::set<std::string> unreadable;  // file names that load as broken pictures
  std::vector<Label> labels;         // drawn by the last flip
  std::vector<Label> pending_labels;
};

// Records every sprite the cab makes and its state; draws nothing. A picture's pattern count
// is not read from its file: tests set it where it matters (`patterns`), 1000 otherwise.
class FakeSpriteEngine final : public SpriteEngine {
 public:
  struct Sprite {
    std::string picture;
    SpritePlace place;
    int pattern = 0;
    long double angle = 0;
  };

  std::vector<int> sprites_of(const std::string& picture) override {
    std::vector<int> out;
    for (std::size_t i = 0; i < sprites.size(); ++i)
      if (same_name(sprites[i].picture, picture)) out.push_back(static_cast<int>(i));
    return out;
  }
  int pattern_count(int sprite) override {
    if (!valid(sprite)) return 0;
    const auto it = patterns.find(lower(sprites[static_cast<std::size_t>(sprite)].picture));
    return it != patterns.end() ? it->second : 1000;
  }
  void set_visible(int sprite, bool visible) override {
    if (valid(sprite)) at(sprite).place.visible = visible;
  }
  void set_pattern(int sprite, int pattern) override {
    if (valid(sprite)) at(sprite).pattern = pattern;
  }
  void set_position(int sprite, int x, int y) override {
    if (!valid(sprite)) return;
    at(sprite).place.x = x;
    at(sprite).place.y = y;
  }
  void set_size(int sprite, int width, int height) override {
    if (!valid(sprite)) return;
    at(sprite).place.width = width;
    at(sprite).place.height = height;
  }
  void set_angle(int sprite, long double units) override {
    if (valid(sprite)) at(sprite).angle = units;
  }

  // The first sprite of a picture; null when none.
  const Sprite* find(const std::string& picture) const {
    for (const Sprite& s : sprites)
      if (same_name(s.picture, picture)) return &s;
    return nullptr;
  }

  std::vector<Sprite> sprites;
  std::map<std::string, int> patterns;  // by lower-case picture name

 private:
  static std::string lower(std::string s) {
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
  }
  static bool same_name(const std::string& a, const std::string& b) { return lower(a) == lower(b); }
  bool valid(int sprite) const {
    return sprite >= 0 && static_cast<std::size_t>(sprite) < sprites.size();
  }
  Sprite& at(int sprite) { return sprites[static_cast<std::size_t>(sprite)]; }
};

// Keeps every picture it was asked to load. Decodes nothing, but a file the drawing layer
// would refuse fails here too: missing, too large, or a header that is not a BMP, PNG or
// JPEG header of an acceptable size (the same judgement of the header), so the headless
// programs stop where the desktop program does. A picture named in `refuse` fails as a
// damaged file would.
class FakeImageList final : public ImageList {
 public:
  // Its sprites go to `sprites`; without one, to an engine of its own nobody looks at.
  FakeImageList() : own_(std::make_unique<FakeSpriteEngine>()), sprites_(*own_) {}
  explicit FakeImageList(FakeSpriteEngine& sprites) : sprites_(sprites) {}
  bool load(const PictureRequest& request) override {
    if (const std::string problem = picture_file_problem(request.file); !problem.empty()) {
      last_error = request.file.string() + ": " + problem;
      return false;
    }
    if (refuse.count(request.name) != 0) return false;
    loaded.push_back(request);
    if (request.list == PictureList::Cab)
      for (const SpritePlace& place : request.sprites)
        sprites_.sprites.push_back({request.name, place, 0, 0});
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
  std::string last_error;  // why the last picture that failed did

 private:
  std::unique_ptr<FakeSpriteEngine> own_;
  FakeSpriteEngine& sprites_;
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

// A controller whose state the test (or a script's "pad" line) sets.
class FakeGameController final : public GameController {
 public:
  PadSnapshot poll() override {
    ++polls;
    return snapshot;
  }
  PadSnapshot snapshot;
  int polls = 0;
};

// A port that opens unless told not to and hands out what the test queued, one chunk a read.
class FakeSerialPort final : public SerialPort {
 public:
  bool open(const SerialSettings& s, std::string& error) override {
    if (!open_error.empty()) {
      error = open_error;
      opened = false;
      return false;
    }
    settings = s;
    opened = true;
    fail_with.clear();
    return true;
  }
  void close() override { opened = false; }
  bool is_open() const override { return opened; }
  std::string read_available() override {
    if (opened && !fail_with.empty()) {
      opened = false;
      return {};
    }
    if (!opened || incoming.empty()) return {};
    std::string chunk = incoming.front();
    incoming.erase(incoming.begin());
    return chunk;
  }
  std::string failure() const override { return fail_with; }
  std::string open_error;  // set: opening fails with this text
  std::string fail_with;   // set: the next read closes the port, failing so (as if unplugged)
  SerialSettings settings;
  bool opened = false;
  std::vector<std::string> incoming;
};

}  // namespace velmora
