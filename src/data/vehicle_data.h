#pragma once
// The vehicle file's values. Filled once at start-up by the vehicle loader, read-only
// afterwards.

#include "common/fixed4.h"

namespace velmora {

// A brake pressure that grows with the passenger load: empty value + per_percent × load.
struct LoadPressure {
  int empty = 0;                // kPa
  long double per_percent = 0;  // kPa per percent of load
};

// A mass that grows with the passenger load.
struct LoadMass {
  Fixed4 empty;        // t
  Fixed4 per_percent;  // t per percent of load
};

struct VehicleData {
  LoadPressure max_press;  // [MAXPress] highest service brake-cylinder pressure
  LoadPressure eb_press;   // [EBPress] emergency brake-cylinder pressure
  LoadPressure sap_press;  // [SAPPress] highest straight-air-pipe pressure
  LoadMass tons;           // [Tons] whole train
  LoadMass mt;             // [Mt] motor cars
  LoadMass tt;             // [Tt] trailer cars
};

}  // namespace velmora
