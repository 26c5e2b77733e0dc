#pragma once
// Every fake platform service a run needs, in one place: the headless run of velmora-sim,
// the tests and the benchmarks.

#include "app/run.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_sound_device.h"

namespace velmora {

struct HeadlessPlatform {
  FakeClock clock;
  EventLog log;
  FakeDialogs dialogs{log};
  FakeCabScreen screen;
  MemorySettings settings;
  FakeSoundDevice sound{log, clock};
  FakeKeyboard keyboard;
  FakeImageList images;
  FakeEventSink events{log};

  Services services() { return {clock, dialogs, screen, settings, sound, keyboard, images, events}; }
};

}  // namespace velmora
