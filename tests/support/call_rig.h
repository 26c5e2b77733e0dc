#pragma once
// A run on the fixture route, started as the simulator starts it, for the calls: every
// fixed call slot has a voice, and helpers read back what was queued and spoken.

#include <sstream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "sound/call_queue.h"
#include "sound/call_sounds.h"
#include "test_rig.h"

namespace velmora {

// line_fixture.dat: [KankoSound2] has one voice (slot 22, name 0) and every signal's call
// voice is 0; [OtherKanko] and [LimitKanko] have entries 0 and 1; one [Cross] entry.
struct CallRig : TestRig {
  CallRig() : TestRig(fixture_config()) {
    FormCreate(run);
    // The fixture leaves most fixed slots empty; here each gets a voice, so that every call
    // the rules ask for is queued and seen.
    for (Kanko& k : run.route.call_voice)
      if (k.filename.empty()) k.filename = "kanko\\k00.wav";
    load_call_sounds(run);
    log.events.clear();
  }

  // The SLOT of each "call SLOT FILE" event, in order; then forgets them.
  std::vector<std::string> take_calls() {
    std::vector<std::string> slots;
    std::vector<Event> rest;
    for (const Event& e : log.events) {
      if (e.kind == "call")
        slots.push_back(e.detail.substr(0, e.detail.find(' ')));
      else
        rest.push_back(e);
    }
    log.events = rest;
    return slots;
  }

  // The files started on the call channel, in order.
  std::vector<std::string> spoken() const {
    const std::string prefix = std::to_string(run.sound.call_channel()) + " ";
    std::vector<std::string> files;
    for (const Event& e : log.events)
      if (e.kind == "play" && e.detail.rfind(prefix, 0) == 0) files.push_back(e.detail.substr(prefix.size()));
    return files;
  }

  int count(const std::string& kind) const {
    int n = 0;
    for (const Event& e : log.events) n += e.kind == kind ? 1 : 0;
    return n;
  }

  // A signal in view: its index, picture and call voice.
  void signal_in_view(int signal, int image, int voice) {
    run.signals.shown_signal = signal;
    run.signals.signal_image_now = image;
    run.signals.signal_call_voice = voice;
  }

  void seconds(int s) { clock.advance_ns(static_cast<std::int64_t>(s) * 1'000'000'000); }
};

inline std::vector<std::string> slots(std::initializer_list<const char*> list) {
  return std::vector<std::string>(list.begin(), list.end());
}

}  // namespace velmora
