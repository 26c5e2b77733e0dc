#pragma once
// A run on the fixture route with its sounds loaded, for the protection tests. Each test sets
// the protection settings it depends on in code.

#include "app/startup.h"
#include "app/train_steps.h"
#include "dynamics/handles.h"
#include "handle_fixtures.h"
#include "route/protection.h"
#include "sound/vehicle_sounds.h"
#include "test_rig.h"

namespace velmora {

struct ProtectionRig : TestRig {
  ProtectionRig() : TestRig(fixture_config()) {
    FormCreate(run);
    run.frame.frame_ms = 16.5L;  // counts as 17 ms
    run.train.handles = HandleState{};
    run.train.handles.brake_handle = 0;
  }
  void emergency_handle() { run.train.handles.brake_handle = -run.vehicle.brake; }
  bool playing(int number) { return vehicle_sound_playing(run, number); }
  void clear_latches() { velmora::clear_latches(run.train.handles); }
  bool all_latches() const { return velmora::all_latches(run.train.handles); }
};

}  // namespace velmora
