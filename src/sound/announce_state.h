#pragma once
// The passenger announcements of the [Announce] table: which have played and been answered,
// and the passenger's reaction to a one-man announcement. (The index of a one-man train's
// next announcement, announce_next, belongs to the station rules that set it.)

#include <vector>

namespace velmora {

struct AnnounceState {
  // Per [Announce] entry (index 0 is the header's sound), sized to the table.
  std::vector<bool> announce_played;    // played once at its place (conductor train)
  std::vector<bool> announce_answered;  // the conductor's announcement has been answered

  bool announce_event = false;  // a passenger reacts to the one-man announcement just made
  int announce_event_tick = 0;  // sim_ticks when that announcement was made
  // Extra picture 4 of the cab (the passenger's reaction). Kept here until the cab pictures
  // exist and take it over.
  bool extra_picture4_shown = false;

  bool answer_key_down = false;  // key 4 was held in the previous pass
};

}  // namespace velmora
