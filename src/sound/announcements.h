#pragma once
// The passenger announcements of [Announce]: a one-man driver plays them with keys c / 1 and
// takes one back with -, a conductor's play by themselves at their places, and the driver
// answers a conductor's with key 4.

#include "sound/sound_run.h"

namespace velmora {

// Sizes the per-entry latches to the table, all clear (start of a run, station jump).
void clear_announce_latches(const SoundRun& run);

// One-man: plays announcement announce_next (stopping the one before it) and moves on; the
// announcement may make a passenger react (announce_event).
void announce_next(const SoundRun& run);
// One-man: stops the announcement before announce_next and goes back to it.
void announce_previous(const SoundRun& run);

// Once per route step: the passenger's reaction shows (extra picture 4 of the cab) after the
// delay of the station's `time`.
void announce_event_step(const SoundRun& run);
// Once per route step, conductor-operated trains: each announcement once, when the train is
// within 5 m past its place (d metres after leaving its station, or before arriving).
void conductor_announcements(const SoundRun& run);

// Every main-loop pass, after the held keys are read: on the first pass of a key 4 press
// (vehicles whose [KEY4] is "B"), the conductor's announcements still playing are answered.
void answer_call_step(const SoundRun& run);

}  // namespace velmora
