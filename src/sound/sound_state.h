#pragma once
// How the sounds lie on the device's channels, what is known of each, and the state of the
// running and equipment sound models.

#include <array>
#include <vector>

#include "platform/sound_device.h"

namespace velmora {

struct SoundState {
  int vehicle_count = 0;  // nV: vehicle sounds on channels 0 .. nV-1
  int route_count = 0;    // nE: route environment sounds from channel nV
  int motor_count = 0;    // nM: motor or engine sound rows after them
  int gear_count = 0;     // nH: gear-change sound rows after them
  std::vector<int> wave_seconds;  // play length per channel, whole seconds; 0 when empty

  int route_channel(int sound) const { return vehicle_count + sound; }
  int motor_channel(int row) const { return vehicle_count + route_count + row; }
  int gear_channel(int row) const { return vehicle_count + route_count + motor_count + row; }
  // One past the gear sounds: the channel the queued calls play on.
  int call_channel() const { return vehicle_count + route_count + motor_count + gear_count + 1; }

  // Running sounds: per motor or engine row a level from its curve (1..100) and a fader
  // (0..100), per gear row the same pair, and the common faders.
  std::vector<long double> motor_level, motor_fade;
  std::vector<long double> gear_level, gear_fade;
  long double load_fade = 1;
  long double gear_load = 1;
  int door_counter = 0;  // route-step passes the doors have been closing (engine idle)

  // Trackside sounds: the quieting of the stretch, and which entries have sounded.
  long double atten = 1;
  std::vector<char> track_played;    // [Sound] entries
  std::vector<char> switch_sounded;  // [Switch] entries

  // Equipment sounds.
  bool eb_latch = false;       // the emergency valve has sounded for this application
  bool step_latch = false;     // an electro-pneumatic step sound has sounded
  bool stop_latch = false;     // the stop alert of mode 0 has sounded
  int horn_noted = 0;          // sim ticks when the horn sequence last moved on
  bool notch_sound_pending = false;  // a motor-current step was taken
  int notch_step_seen = 0;           // the motor-current step the last pass saw

  // What each channel was doing when the run was paused: 0 nothing, 1 once, 2 in a loop.
  std::array<char, SoundDevice::kChannels> paused_channel_state{};
};

}  // namespace velmora
