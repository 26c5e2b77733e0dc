#pragma once
// The cab panel layout of the vehicle file ([Clock] to [Others]): the records the cab
// instruments build their sprites from. Filled once at start-up by the vehicle loader,
// read-only afterwards. A missing section leaves an empty picture name (no element) and
// zero numbers.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace velmora {

// One picture shown or hidden as a whole.
struct Lamp {
  std::string name;  // picture file as written; empty: the element does not exist
  int Left = 0;      // px, x of the top-left corner on the cab surface
  int Top = 0;       // px, y of that corner; the sway offset is added every frame
};

// One needle gauge or linear gauge.
struct Meter {
  std::string name;     // picture of the needle or of the moving mark; empty: no gauge
  int Left = 0;         // px
  int Top = 0;          // px; needle gauges only
  int Width = 0;        // read, no effect: the drawn size is the picture's own
  int Height = 0;       // as Width
  int zero = 0;         // needle: degrees at value 0; linear: y of the mark at value 0
  long double one = 0;  // needle: degrees per unit; linear: px of upward travel per unit
  int sign = 0;         // ammeter only: 0 signed, 1 magnitude, 2 needle fixed at zero
  long double c = 0;    // speedometer only: degrees per km/h below 10 km/h; 0: one slope
};

// A picture cut into equally sized patterns, numbered from 0.
struct ImageStrip {
  int X = 0;               // px
  int Y = 0;               // px
  int pattern_width = 0;   // px
  int pattern_height = 0;  // px
  std::string name;        // picture file as written; empty: the element does not exist
};

constexpr std::size_t kLampSignalCapacity = 12;
constexpr std::size_t kOthersCapacity = 11;

struct PanelData {
  std::array<int, 3> clock{};  // [Clock] read; the cab shows no analog clock

  Lamp Panel, Panel2;  // [Panel] behind everything, [Panel2] in front of the gauges

  // [Lamp_Door] .. [Lamp_ATSP2]
  Lamp Lamp_Door, Lamp_Power, Lamp_EB, Lamp_Gen, Lamp_Air, Lamp_Fin, Lamp_Ele;
  Lamp Lamp_Ats1, Lamp_Ats2, Lamp_Ats3;
  Lamp Lamp_TASC1, Lamp_TASC2, Lamp_TASC3;
  Lamp Lamp_ATSP1, Lamp_ATSP2;
  // [Lamp_G] .. [Lamp_Stop]; the five signal lamps are stored and never drawn
  Lamp Lamp_G, Lamp_YG, Lamp_Y, Lamp_YY, Lamp_R;
  Lamp Lamp_Fwd, Lamp_Neut, Lamp_Back, Lamp_Const, Lamp_Stop;

  // Needle gauges ([Needle_Speed] also reads c, [Needle_I] also reads sign)
  Meter Needle_Brake, Needle_Speed, Needle_BC, Needle_SAP, Needle_ER, Needle_BP, Needle_MR;
  Meter Needle_V, Needle_I;
  // Linear gauges: name, Left, zero, one; the other fields stay 0
  Meter Needle_BC_L, Needle_Ip_L, Needle_Ib_L, Needle_MR_L;

  ImageStrip Lamp_signal;  // cab signal
  // [Lamp_signal] list: entry i is the speed (km/h) shown by pattern i. An empty line
  // counts as an entry and leaves its slot as it was: 0, or an earlier copy's value.
  std::vector<int> lamp_signal_speeds;
  ImageStrip NotchImageP, NotchImageB, NotchImageP2, NotchImageB2;
  ImageStrip GearImageList, GearImageList2;
  ImageStrip Digi_Speed;

  std::vector<Lamp> Others;  // [Others] extra pictures; group i is "img_other" + i
};

}  // namespace velmora
