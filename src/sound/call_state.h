#pragma once
// The spoken calls: the call voices loaded at start-up, the queue they are played from one
// after the other, and the level crossings still waiting for their call.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace velmora {

constexpr std::size_t kCallQueueSlots = 12;
constexpr std::size_t kCrossPendingSlots = 11;

// One call voice as the sound device took it.
struct CallSound {
  int sound = -1;     // device sound; -1 when the entry names no file or it failed to load
  std::string error;  // the device's reason when the named file could not be loaded

  bool named() const { return sound >= 0 || !error.empty(); }
};

struct CallState {
  // Loaded at start-up: [KankoSound1] and [KankoSound2] by slot, [OtherKanko] and
  // [LimitKanko] by picture number.
  std::vector<CallSound> voices;
  std::vector<CallSound> other;
  std::vector<CallSound> limit;

  // Waiting calls, the head first; at most kCallQueueSlots.
  std::vector<CallSound> call_queue;
  bool queue_busy = false;    // an entry is being added
  bool call_playing = false;  // the head has been handed to the call channel

  // [Cross] indices of the crossings ahead still to be called, the first one first; -1 empty.
  std::array<int, kCrossPendingSlots> cross_pending = filled_cross_list();
  bool cross_busy = false;  // the list is being shifted

  static std::array<int, kCrossPendingSlots> filled_cross_list() {
    std::array<int, kCrossPendingSlots> list{};
    list.fill(-1);
    return list;
  }
};

}  // namespace velmora
