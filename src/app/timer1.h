#pragma once
// The route and event step.

namespace velmora {

struct Run;

// The route and event step, once a frame while the run is active: the blink counter,
// then line speed, preceding train, texts, sounds, signals, protection, speed checks,
// stations and doors, vigilance, the crossings waiting for their call and the
// announcements, film switching, transmission, windows, controllers, the call queue and
// the labels, in that order.
void Timer1(Run& run);

// Protection after the signals: the warning-point alarm, the alarm timer, the restriction
// preview and the speed checks.
void protection_rules(Run& run);

// The station rules, the doors, the overrun announcement and the clock text.
void station_rules(Run& run);

// Adds the frame time to the tenth-second counter that drives everything that blinks.
void count_tenths(Run& run);

}  // namespace velmora
