#include "sound/call_queue.h"

#include <string>
#include <vector>

#include "sound/sound_run.h"

namespace velmora {
namespace {

const CallSound* entry(const std::vector<CallSound>& table, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= table.size()) return nullptr;
  const CallSound& sound = table[static_cast<std::size_t>(index)];
  return sound.named() ? &sound : nullptr;
}

const std::string& name_at(const std::vector<std::string>& names, int index) {
  static const std::string none;
  return index >= 0 && static_cast<std::size_t>(index) < names.size()
             ? names[static_cast<std::size_t>(index)]
             : none;
}

void queue(const SoundRun& run, const CallSound* sound, const std::string& slot,
           const std::string& file) {
  if (sound == nullptr) return;
  CallState& c = run.calls;
  c.queue_busy = true;
  const bool room = c.call_queue.size() < kCallQueueSlots;
  if (room) c.call_queue.push_back(*sound);
  c.queue_busy = false;
  run.platform.events.event(room ? "call" : "call_lost", slot + " " + file);
}

}  // namespace

void kanko_queue_add(const SoundRun& run, int slot) {
  const auto& voices = run.route.call_voice;
  const bool known = slot >= 0 && static_cast<std::size_t>(slot) < voices.size();
  queue(run, entry(run.calls.voices, slot), std::to_string(slot),
        known ? voices[static_cast<std::size_t>(slot)].filename : std::string());
}

void queue_other_call(const SoundRun& run, int index) {
  queue(run, entry(run.calls.other, index), "O" + std::to_string(index),
        name_at(run.route.other_kanko, index));
}

void queue_limit_call(const SoundRun& run, int index) {
  queue(run, entry(run.calls.limit, index), "L" + std::to_string(index),
        name_at(run.route.limit_kanko, index));
}

bool has_other_call(const SoundRun& run, int index) {
  return entry(run.calls.other, index) != nullptr;
}
bool has_limit_call(const SoundRun& run, int index) {
  return entry(run.calls.limit, index) != nullptr;
}

void kanko_queue_play(const SoundRun& run) {
  CallState& c = run.calls;
  SoundDevice& device = run.platform.sound;
  const int channel = run.sound.call_channel();
  if (c.queue_busy) return;
  // The call being spoken runs to its end.
  if (device.status(channel) == SoundDevice::kPlaying) return;
  if (c.call_playing) {
    c.call_playing = false;
    if (!c.call_queue.empty()) c.call_queue.erase(c.call_queue.begin());
  }
  if (c.call_queue.empty()) return;
  const CallSound& head = c.call_queue.front();
  // The menu's check mark is read at every call, so switching calls off silences the next
  // one at once; the queue still moves on.
  const bool heard = run.options.opt_kanko_off != 1;
  if (head.sound >= 0) {
    device.attach(channel, head.sound);
    if (heard) device.play(channel);
  } else if (heard) {
    // A voice the device could not read fails the same way on every later try, so it is
    // reported once and then gives way to the next call instead of holding the queue.
    run.platform.dialogs.message("喚呼の再生エラー");
    run.platform.dialogs.message(head.error);
  }
  c.call_playing = true;
}

void clear_call_queue(const SoundRun& run) {
  run.calls.call_queue.clear();
  run.calls.call_playing = false;
}

}  // namespace velmora
