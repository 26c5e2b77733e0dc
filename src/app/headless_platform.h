#pragma once
// Every fake platform service a run needs, in one place: the headless run of velmora-sim,
// the tests and the benchmarks.

#include "app/run.h"
#include "platform/fake/fake_platform.h"

namespace velmora {

struct HeadlessPlatform {
  FakeClock clock;
  EventLog log;
  FakeDialogs dialogs{log};
  FakeCabScreen screen;
  MemorySettings settings;
  FakeKeyboard keyboard;
  FakeImageList images;

  Services services() { return {clock, dialogs, screen, settings, keyboard, images}; }
};

}  // namespace velmora
