#pragma once
// The cab panel of a demo vehicle, drawn with cairo: the desk with its dial faces and
// unlit lamps, the needles, the lit lamps, the notch, gear and cab-signal strips, the
// 200-pattern digital speed strip, the tunnel picture and the extra pictures. The layout
// says where each piece goes, so the vehicle file can name them.

#include <filesystem>
#include <string>
#include <vector>

#include "overlay_pictures.h"

namespace velmora::demo {

// px on the cab surface: the desk's upper edge, just below the 600 px film, so that the
// texts drawn low on the film and the stop lines at its lower edge stay in view.
constexpr int kPanelTop = 600;
constexpr int kPanelHeight = 180;  // px: down to the cab surface's lower edge (780)
// px on the cab surface: the desk's instruments end left of this edge. The full-size
// film's remaining-distance board slides down the column to its right, into the desk at
// a stop and further on an overrun, so nothing there may need to be read.
constexpr int kDeskRightEdge = 800 - kRemainWidthFull - 4;

struct PanelDesign {
  std::string key;         // folder name below cab\ and the pictures' prefix
  std::string title;       // the vehicle's name, written on the desk
  int speed_max = 160;     // km/h at the end of the speedometer's scale
  int power = 5;           // power notches
  int brake = 9;           // brake positions including emergency
  bool aab = false;        // automatic air brake: ER/BP gauge, valve positions
  bool diesel = false;     // engine: gears, no ammeter and voltmeter
  bool ats_p = false;      // the pattern protection's lamps are labelled ATS-P
  int gears = 0;           // transmission rows of a diesel
  std::vector<int> cab_signal_speeds;  // a cab-signal strip, one pattern per speed
};

struct Placed {
  std::string file;  // as the vehicle file names it (backslashes)
  int x = 0, y = 0;
  int width = 0, height = 0;  // px of what shows: lamp pictures hold a key row below it
};

struct NeedlePlace {
  std::string file;
  int left = 0, top = 0, size = 0;
  int zero = 0;     // degrees at value 0
  double one = 0;   // degrees per unit
};

struct StripPlace {
  std::string file;
  int x = 0, y = 0, width = 0, height = 0;
};

struct PanelLayout {
  Placed panel, panel2, suppress;
  // Lamps by section key without brackets: "Lamp_Door", ...
  std::vector<std::pair<std::string, Placed>> lamps;
  NeedlePlace speed, bc, mr, er, bp, sap, ammeter, volt, brake_cmd;
  StripPlace notch_p, notch_b, gear, gear_lever, digits, cab_signal;
  std::vector<Placed> others;
};

// Draws every picture below `data_dir` / cab / key and returns where they go.
PanelLayout draw_panel(const PanelDesign& design, const std::filesystem::path& data_dir);

}  // namespace velmora::demo
