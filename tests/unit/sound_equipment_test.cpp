// The equipment sounds: air valves, the emergency valve, the electro-pneumatic brake steps,
// the compressor, key 4, the notching sound, the protection cut-out warning, the handle
// sounds of electro-pneumatic brakes, and the rules that read the signed speed.

#include <gtest/gtest.h>

#include "app/train_steps.h"
#include "dynamics/brakes.h"
#include "sound/equipment_sounds.h"
#include "sound/sound_levels.h"
#include "sound/trackside_sounds.h"
#include "sound/vehicle_sounds.h"
#include "sound_rig.h"

namespace velmora {
namespace {

constexpr int kOff = 1;  // not sounding (no level is positive)

// The level a channel sounds at, or kOff when it is not playing.
int heard(SoundRig& rig, int channel) { return rig.playing(channel) ? rig.device().volume(channel) : kOff; }

TEST(AirValves, TheApplyingAndChargingHissesFollowThePipe) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  run.vehicle.brake_type = BrakeType::AutomaticAir;
  run.vehicle.sound_apply = {19, 20};
  struct Case {
    int notch;
    long double bp, mr;
    int apply, charge;
  } cases[] = {
      {-3, 50, 800, -602, kOff},  // 2000 log10(50 / 100)
      {-3, 200, 800, 0, kOff},
      {0, 460, 800, kOff, -1046},  // near the charged pipe: 2000 log10(30 / 100)
      {0, 485, 800, kOff, -2602},
      {0, 100, 180, kOff, -194},   // 2000 log10(80 / 100)
      {-1, 300, 800, kOff, 0},     // a level above full is full
      {0, 300, 340, kOff, 0},      // within 50 kPa of the reservoir: full
      {0, 490, 800, kOff, kOff},   // charged
      {0, 300, 305, kOff, kOff},   // no more than 10 kPa to charge from
      {-2, 200, 800, kOff, kOff},  // lap
  };
  for (const Case& c : cases) {
    run.train.handles.brake_notch = c.notch;
    run.train.brakes.bp_press = c.bp;
    run.train.brakes.mr_press = Fixed4(c.mr);
    air_valve_step(run);
    EXPECT_EQ(heard(rig, 19), c.apply) << c.notch << " " << static_cast<double>(c.bp);
    EXPECT_EQ(heard(rig, 20), c.charge) << c.notch << " " << static_cast<double>(c.bp);
  }
  run.vehicle.brake_type = BrakeType::NotchWithPipe;  // notch brakes have no brake valve
  rig.device().stop(19);
  run.train.handles.brake_notch = -3;
  air_valve_step(run);
  EXPECT_FALSE(rig.playing(19));
}

TEST(EmergencyValve, SoundsOncePerApplicationWithAirInThePipeOrAboveItsSpeed) {
  struct Case {
    int brake_type;
    bool by_handle;  // else by the protection's emergency brake
    long double bp, bc_t, speed;
    bool sounds;
  } cases[] = {{0, true, 300, 0, 0, true},    {1, false, 300, 0, 0, true},   {1, true, 0, 0, 0, false},
               {2, true, 0, 100, 40, true},   {2, true, 0, 100, 30, false},  {2, true, 300, 540, 40, false}};
  for (const Case& c : cases) {
    SoundRig rig;
    velmora::Run& run = rig.run;
    VehicleData& v = run.vehicle;
    v.brake_type = static_cast<BrakeType>(c.brake_type);
    v.brake = 4;
    v.sound_eb = {16, 30};  // the sound, and the speed above which type 2 sounds it
    v.sound_ba = {{0, 11}, {0, 12}, {0, 13}, {0, 14}, {0, 15}};
    run.load.bc_emergency = 540;
    run.train.brakes.bp_press = c.bp;
    run.train.brakes.bc_t = Fixed4(c.bc_t);
    run.train.motion.speed = c.speed;
    run.train.handles.brake_handle = c.by_handle ? -4 : 0;
    run.train.handles.ats_eb = !c.by_handle;
    emergency_valve_step(run);
    emergency_valve_step(run);
    const int once = c.sounds ? 1 : 0;
    EXPECT_EQ(rig.plays(16), once) << c.brake_type << " " << c.by_handle;
    EXPECT_EQ(rig.plays(15), c.sounds && c.brake_type <= 1 ? 1 : 0) << c.brake_type;  // [Sound_BA] entry [Brake]
    run.train.handles.brake_handle = -3;  // the application ends, and a new one sounds again
    run.train.handles.ats_eb = false;
    emergency_valve_step(run);
    run.train.handles.brake_handle = -4;
    emergency_valve_step(run);
    EXPECT_EQ(rig.plays(16), 2 * once) << c.brake_type << " " << c.by_handle;
  }
}

TEST(BrakeSteps, AReleaseToZeroOrByStepsSoundsOnceUntilItEnds) {
  struct Case {
    int handle, notch;
    long double bc_t;
    int sound;  // 0: none
  } cases[] = {
      {0, -3, 100, 3},   // released to 0: [Sound_BK] entry 2, field 2
      {0, -1, 100, 6},   // from the first step: [Sound_BR] entry 0
      {-1, -3, 150, 7},  // released to step 1, the cylinders above 540 × 1 / 4 + 10
      {-1, -3, 145, 0},
      {0, -3, 0, 0},     // nothing in the cylinders
      {-2, -2, 300, 0},  // no change
  };
  for (const Case& c : cases) {
    SoundRig rig;
    velmora::Run& run = rig.run;
    VehicleData& v = run.vehicle;
    v.brake_type = BrakeType::NotchWithPipe;
    v.brake = 4;
    v.sound_bk = {{0, 1}, {0, 2}, {0, 3}, {0, 4}};
    v.sound_br = {{0, 6}, {0, 7}, {0, 8}, {0, 9}};
    run.load.bc_emergency = 540;
    run.train.handles.brake_handle = c.handle;
    run.train.handles.brake_notch = c.notch;
    run.train.brakes.bc_t = Fixed4(c.bc_t);
    brake_step_sounds(run);
    rig.seconds(10);  // over, but the latch holds until the condition ends
    brake_step_sounds(run);
    int sounded = 0;
    for (int k = 1; k <= 9; ++k) sounded += rig.plays(k);
    EXPECT_EQ(sounded, c.sound ? 1 : 0) << c.handle << " " << c.notch;
    if (!c.sound) continue;
    EXPECT_EQ(rig.plays(c.sound), 1) << c.handle << " " << c.notch;
    // Once the condition has ended, the latch is clear and the next change sounds again;
    // while the protection brakes, nothing does.
    const auto settle = [&] {
      run.train.handles.brake_handle = run.train.handles.brake_notch = -2;
      brake_step_sounds(run);
      run.train.handles.brake_handle = c.handle;
      run.train.handles.brake_notch = c.notch;
    };
    settle();
    brake_step_sounds(run);
    EXPECT_EQ(rig.plays(c.sound), 2);
    settle();
    run.train.handles.ats_service = true;
    brake_step_sounds(run);
    EXPECT_EQ(rig.plays(c.sound), 2);
  }
}

TEST(Compressor, StartsWithItsStartSoundAndStopsWithItsEndSound) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  const VehicleData& v = run.vehicle;
  run.train.brakes.mr_press = Fixed4(v.low_air_press - 1);
  compressor_step(run);
  EXPECT_EQ(rig.plays(v.cp_start), 1);
  EXPECT_TRUE(rig.looping(v.cp_cnt));
  compressor_step(run);
  EXPECT_EQ(rig.plays(v.cp_start), 1);
  EXPECT_EQ(rig.plays(v.cp_end), 0);
  run.train.brakes.mr_press = Fixed4(v.high_air_press);
  compressor_step(run);
  EXPECT_EQ(rig.plays(v.cp_end), 1);
  EXPECT_FALSE(rig.playing(v.cp_cnt));
}

TEST(Key4, TheBuzzerWhileHeldOrTheHasteningSoundThenItsEnd) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  VehicleData& v = run.vehicle;
  v.buzzer = 40;
  v.sound_hasten = {32, 33};
  const auto pass = [&](const char* key4, bool held, bool doors_open) {
    v.key4 = key4;
    run.input.key4_held = held;
    run.station.doors_open = doors_open;
    key4_sounds_step(run);
  };
  pass("B", true, false);
  EXPECT_TRUE(rig.looping(40));
  pass("B", false, false);
  EXPECT_FALSE(rig.playing(40));
  pass("H", true, false);  // the hastening sound needs the doors open
  EXPECT_FALSE(rig.playing(32));
  pass("H", true, true);
  EXPECT_TRUE(rig.looping(32));
  EXPECT_EQ(rig.plays(33), 0);
  pass("H", false, true);
  EXPECT_FALSE(rig.playing(32));
  EXPECT_EQ(rig.plays(33), 1);
  pass("H", false, true);
  EXPECT_EQ(rig.plays(33), 1);
  pass("X", true, true);  // any other text: nothing
  EXPECT_FALSE(rig.playing(32) || rig.playing(40));
}

TEST(NotchingSound, EachStepTakenSoundsOnceAndAStepWithoutASoundWaitsForOne) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  run.vehicle.current_p = {{1, 1000, 0, 100, 44}, {1, 1000, 0, 100, 0}, {2, 1000, 0, 100, 45}};
  const auto at_step = [&](int step) {
    run.train.traction.current_step = step;
    notching_sound_step(run);
  };
  at_step(0);
  EXPECT_EQ(rig.plays(44) + rig.plays(45), 0);
  at_step(1);  // its entry names no sound: the request waits
  EXPECT_EQ(rig.plays(44) + rig.plays(45), 0);
  EXPECT_TRUE(run.sound.notch_sound_pending);
  at_step(1);
  at_step(2);
  EXPECT_EQ(rig.plays(45), 1);
  at_step(2);
  EXPECT_EQ(rig.plays(45), 1);
  EXPECT_FALSE(run.sound.notch_sound_pending);
  at_step(0);  // back to the first step (power off) is no step taken
  at_step(0);
  EXPECT_EQ(rig.plays(44), 0);
}

TEST(AtsWarn, LoopsWhileProtectionIsCutOutUnderPowerFromNotchTwo) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  run.vehicle.ats_warn = 42;
  struct Case {
    bool enabled;
    int saved_off, power;
    bool loops;
  } cases[] = {{false, 0, 2, true}, {false, 0, 1, false}, {false, 1, 3, false}, {true, 0, 3, false}, {false, 0, 4, true}};
  for (const Case& c : cases) {
    run.train.engine.ats_enabled = c.enabled;
    run.options.opt_ats_reg = c.saved_off;
    run.train.handles.power_handle = c.power;
    ats_warn_step(run);
    EXPECT_EQ(rig.looping(42), c.loops) << c.enabled << " " << c.saved_off << " " << c.power;
  }
}

// Handle sounds of electro-pneumatic brakes: field 1 the valve, field 2 the air.
struct EpHandleRig : SoundRig {
  EpHandleRig() {
    VehicleData& v = run.vehicle;
    v.brake_type = BrakeType::NotchWithPipe;
    v.brake = 5;
    v.sound_bk = {{21, 1}, {22, 2}, {23, 3}, {24, 4}, {25, 5}};
    v.sound_br = {{26, 6}, {27, 7}, {28, 8}, {29, 9}, {30, 10}};
    v.sound_ba = {{31, 11}, {32, 12}, {33, 13}, {34, 14}, {35, 15}, {36, 16}};
  }
};

TEST(HandleSounds, ElectroPneumaticBrakeStepsAndTheEmergencyHissAboveFifteen) {
  struct Case {
    int from, to;  // brake steps, 5 is emergency
    long double speed;
    bool protection_brakes, emergency_hiss;
    std::vector<int> sounded;
  } cases[] = {
      {0, 2, 0, false, false, {12, 32}},      // applied: [Sound_BA] entry 1, both fields
      {3, 1, 0, false, false, {27}},          // released by steps: [Sound_BR] entry 1, field 1
      {3, 0, 0, false, false, {23, 26}},      // released to 0: also [Sound_BK] entry 2, field 1
      {3, 0, 0, true, false, {26}},           // not while the protection brakes
      {2, 5, 20, false, false, {35}},         // emergency at speed: the air waits for the valve
      {2, 5, 20, false, true, {15, 35}},
      {2, 5, 15, false, false, {15, 35}},
  };
  for (const Case& c : cases) {
    EpHandleRig rig;
    velmora::Run& run = rig.run;
    run.train.motion.speed = c.speed;
    run.train.handles.ats_service = c.protection_brakes;
    if (c.emergency_hiss) rig.device().loop(16);
    rig.log.events.clear();
    run.train.handles.brake_handle = -c.to;
    handle_sounds(run, 0, -c.from);
    std::vector<int> sounded;
    for (int k = 1; k <= 36; ++k)
      if (rig.plays(k) > 0) sounded.push_back(k);
    EXPECT_EQ(sounded, c.sounded) << c.from << " -> " << c.to << " at " << static_cast<double>(c.speed);
  }
  // A further application cuts short the air of every step still sounding.
  EpHandleRig rig;
  rig.device().loop(7);
  rig.run.train.handles.brake_handle = -3;
  handle_sounds(rig.run, 0, -2);
  EXPECT_FALSE(rig.playing(7));
}

// The signed speed where the rules say speed: backing is slower than any standing train.
TEST(SignedSpeed, BackingEndsTheStopAlertTakesTheFirstPointsSoundAndSquealsFully) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  const int alert = run.vehicle.stop[0];
  run.train.motion.stop_distance = 10000;
  run.train.motion.speed = 40;
  stop_alert_step(run);
  ASSERT_TRUE(rig.playing(alert));
  run.train.motion.speed = -5;
  stop_alert_step(run);
  EXPECT_FALSE(rig.playing(alert));

  run.route.switches = {{1000, 1}};
  run.vehicle.switch_sound = {{5, 30, 1}, {6, 999, 1}};
  clear_trackside_marks(run);
  run.film.film_frame = 1000;
  run.train.motion.speed = -40;  // below the first entry's 30 km/h
  points_sounds_step(run);
  EXPECT_EQ(rig.plays(5), 1);
  EXPECT_EQ(rig.plays(6), 0);

  const int squeak = run.vehicle.sound_squeak;
  run.train.brakes.bc_t = 300;
  run.train.brakes.ebrake_current = 0;
  run.train.motion.speed = 20;  // -500 × (500 × 20 / 5) / 300 = -3333
  brake_squeal_step(run);
  EXPECT_EQ(rig.device().volume(squeak), -3333);
  run.train.motion.speed = -20;
  brake_squeal_step(run);
  EXPECT_EQ(rig.device().volume(squeak), kFullLevel);
}

}  // namespace
}  // namespace velmora
