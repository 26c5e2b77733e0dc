#pragma once
// The integer-coded modes of the vehicle and route files, named. Each enumerator's value is
// the number the file writes. A file may hold a number outside the list: the loaders keep it
// as it stands (a scoped enum with an int underlying type holds any int), and the rules
// compare as they would the number, so `>=` and `<` against an enumerator keep their meaning
// for such values too.

namespace velmora {

// [Handle]: how the driver works power and brake.
enum class HandleType : int {
  OneLever = 0,    // one lever for power and brake
  TwoHandles = 1,  // separate power and brake handles, notches take effect after a delay
};

// [BrakeType]: the air-brake system.
enum class BrakeType : int {
  AutomaticAir = 0,   // automatic air brake worked through brake-valve positions
  NotchWithPipe = 1,  // notch-controlled, keeps a brake pipe and equalising reservoir
  Notch = 2,          // notch-controlled, cylinder pressure follows the notch alone
};

// [Engine_Type]: the traction.
enum class EngineType : int {
  Diesel = 0,    // diesel railcar: engine, gears, [Engine] table
  Electric = 1,  // electric: [Notch] table or [CurrentP] motor-current model
};

// [ATS_Type]: the train protection.
enum class AtsType : int {
  WarningPoint = 0,  // alarm at a signal's warning point
  Pattern = 1,       // speed pattern towards stop signals and limits
  CabSignal = 2,     // cab signalling; the line-side checks are off
};

// [OneMan] line 1: who works the doors and makes the announcements.
enum class OneManMode : int {
  Conductor = 0,           // a conductor works the doors and announces
  OneMan = 1,              // the driver works the doors and plays the announcements by key
  OneManAutoAnnounce = 2,  // the driver works the doors; announcements play by position
};

// [Station] field 2 (`trntype`): what the train does at the station.
enum class StopType : int {
  DoorStop = 0,    // stops, opens the doors, passengers board
  Pass = 1,        // passes without stopping
  NoDoorStop = 2,  // stops without door work and leaves on its own at deptime
  FixedText = 3,   // a stop whose next-station text is the fixed one
};

// Which film is on screen: run state, not a file's, but read by the train as well.
// The numbers are those the value display and the traces show.
enum class MovieState : int {
  RouteFilm = 0,    // the route film, following the train
  StopFilm = 1,     // a stop-type switched film, running on the clock while the train stands
  RunningFilm = 2,  // a running-type switched film, following the train
  Switching = 9,    // between films while one is opened
};

}  // namespace velmora
