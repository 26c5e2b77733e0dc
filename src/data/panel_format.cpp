// The cab panel sections of the vehicle file, [Clock] to [Others], in checking order.
// Every number is a whole line; a picture name is taken as written.

#include <string>

#include "common/numbers.h"
#include "data/vehicle_reading.h"

namespace velmora::vehicle_reading {
namespace {

Section lamp(const char* name, const char* label, const TargetPtr& t, Lamp PanelData::*field) {
  return section(name, label, t, [field](Reader& r, Target& x) {
    Lamp& l = x.panel.*field;
    l.name = r.picture();
    l.Left = r.integer();
    l.Top = r.integer();
  });
}

enum class Eighth { none, c, sign };

Meter read_needle(Reader& r, Eighth eighth) {
  Meter m;
  m.name = r.picture();
  m.Left = r.integer();
  m.Top = r.integer();
  m.Width = r.integer();
  m.Height = r.integer();
  m.zero = r.integer();
  m.one = r.real();
  if (eighth == Eighth::c) m.c = r.real();
  if (eighth == Eighth::sign) m.sign = r.integer();
  return m;
}

Section needle(const char* name, const char* label, const TargetPtr& t, Meter PanelData::*field,
               Eighth eighth = Eighth::none) {
  return section(name, label, t, [field, eighth](Reader& r, Target& x) {
    x.panel.*field = read_needle(r, eighth);
  });
}

Section linear(const char* name, const char* label, const TargetPtr& t, Meter PanelData::*field) {
  return section(name, label, t, [field](Reader& r, Target& x) {
    Meter m;
    m.name = r.picture();
    m.Left = r.integer();
    m.zero = r.integer();
    m.one = r.real();
    x.panel.*field = m;
  });
}

// The strip's picture is loaded while the file is read, so a missing one fails here,
// under this section's label.
ImageStrip read_strip(Reader& r, const Target& x) {
  ImageStrip s;
  s.X = r.integer();
  s.Y = r.integer();
  s.pattern_width = r.integer();
  s.pattern_height = r.integer();
  s.name = r.picture();
  if (!s.name.empty() && x.picture_check) x.picture_check(s.name);
  return s;
}

Section strip(const char* name, const TargetPtr& t, ImageStrip PanelData::*field) {
  return section(name, name, t,
                 [field](Reader& r, Target& x) { x.panel.*field = read_strip(r, x); });
}

}  // namespace

void add_panel_sections(std::vector<Section>& s, const TargetPtr& t) {
  using P = PanelData;
  s.push_back(section("[Clock]", "- アナログ時計", t, [](Reader& r, Target& x) {
    for (int& v : x.panel.clock) v = r.integer();
  }));
  s.push_back(lamp("[Panel]", "- 運転台パネル", t, &P::Panel));
  s.push_back(lamp("[Panel2]", "", t, &P::Panel2));

  const char* const panel2 = "- 運転台パネル2";
  s.push_back(lamp("[Lamp_Door]", panel2, t, &P::Lamp_Door));
  s.push_back(lamp("[Lamp_Power]", "", t, &P::Lamp_Power));
  s.push_back(lamp("[Lamp_EB]", "", t, &P::Lamp_EB));
  s.push_back(lamp("[Lamp_Gen]", "", t, &P::Lamp_Gen));
  s.push_back(lamp("[Lamp_Air]", "", t, &P::Lamp_Air));
  s.push_back(lamp("[Lamp_Fin]", "", t, &P::Lamp_Fin));
  s.push_back(lamp("[Lamp_Ele]", "", t, &P::Lamp_Ele));
  s.push_back(lamp("[Lamp_Ats1]", "", t, &P::Lamp_Ats1));
  s.push_back(lamp("[Lamp_Ats2]", "", t, &P::Lamp_Ats2));
  s.push_back(lamp("[Lamp_Ats3]", "", t, &P::Lamp_Ats3));
  s.push_back(lamp("[Lamp_TASC1]", "", t, &P::Lamp_TASC1));
  s.push_back(lamp("[Lamp_TASC2]", "", t, &P::Lamp_TASC2));
  s.push_back(lamp("[Lamp_TASC3]", "", t, &P::Lamp_TASC3));
  s.push_back(lamp("[Lamp_ATSP1]", "", t, &P::Lamp_ATSP1));
  s.push_back(lamp("[Lamp_ATSP2]", "", t, &P::Lamp_ATSP2));

  const char* const panel3 = "- 運転台パネル3";
  s.push_back(lamp("[Lamp_G]", panel3, t, &P::Lamp_G));
  s.push_back(lamp("[Lamp_YG]", "", t, &P::Lamp_YG));
  s.push_back(lamp("[Lamp_Y]", "", t, &P::Lamp_Y));
  s.push_back(lamp("[Lamp_YY]", "", t, &P::Lamp_YY));
  s.push_back(lamp("[Lamp_R]", "", t, &P::Lamp_R));
  s.push_back(lamp("[Lamp_Fwd]", "", t, &P::Lamp_Fwd));
  s.push_back(lamp("[Lamp_Neut]", "", t, &P::Lamp_Neut));
  s.push_back(lamp("[Lamp_Back]", "", t, &P::Lamp_Back));
  s.push_back(lamp("[Lamp_Const]", "", t, &P::Lamp_Const));
  s.push_back(lamp("[Lamp_Stop]", "", t, &P::Lamp_Stop));

  s.push_back(needle("[Needle_Brake]", "- ブレーキ指令計", t, &P::Needle_Brake));
  s.push_back(needle("[Needle_Speed]", "- 速度計", t, &P::Needle_Speed, Eighth::c));
  s.push_back(needle("[Needle_BC]", "- BC圧力計", t, &P::Needle_BC));
  s.push_back(linear("[Needle_BC_L]", "- BC圧力計（リニア）", t, &P::Needle_BC_L));
  s.push_back(linear("[Needle_Ip_L]", "- 力行電流計（リニア）", t, &P::Needle_Ip_L));
  s.push_back(linear("[Needle_Ib_L]", "- 制動電流計（リニア）", t, &P::Needle_Ib_L));
  s.push_back(needle("[Needle_SAP]", "- SAP圧力計", t, &P::Needle_SAP));
  s.push_back(needle("[Needle_ER]", "- ER圧力計", t, &P::Needle_ER));
  s.push_back(needle("[Needle_BP]", "- BP圧力計", t, &P::Needle_BP));
  s.push_back(needle("[Needle_MR]", "- MR圧力計", t, &P::Needle_MR));
  s.push_back(linear("[Needle_MR_L]", "- MR圧力計（リニア）", t, &P::Needle_MR_L));
  s.push_back(needle("[Needle_V]", "- 電圧計", t, &P::Needle_V));
  s.push_back(needle("[Needle_I]", "- 電流計", t, &P::Needle_I, Eighth::sign));

  s.push_back(section("[Lamp_signal]", "[Lamp_signal]", t, [](Reader& r, Target& x) {
    x.panel.Lamp_signal = read_strip(r, x);
    std::size_t count = 0;
    while (const std::string* line = r.list_line()) {
      check_list_capacity(r.section(), count, kLampSignalCapacity);
      if (!line->empty()) x.lamp_signal_slots[count] = to_int(*line);
      ++count;
    }
    x.panel.lamp_signal_speeds.assign(
        x.lamp_signal_slots.begin(),
        x.lamp_signal_slots.begin() + static_cast<std::ptrdiff_t>(count));
  }));
  s.push_back(strip("[NotchImageP]", t, &P::NotchImageP));
  s.push_back(strip("[NotchImageB]", t, &P::NotchImageB));
  s.push_back(strip("[NotchImageP2]", t, &P::NotchImageP2));
  s.push_back(strip("[NotchImageB2]", t, &P::NotchImageB2));
  s.push_back(strip("[GearImageList]", t, &P::GearImageList));
  s.push_back(strip("[GearImageList2]", t, &P::GearImageList2));
  s.push_back(strip("[Digi_Speed]", t, &P::Digi_Speed));
  s.push_back(section("[Others]", "[Others]", t, [](Reader& r, Target& x) {
    auto& others = x.panel.Others;
    others.clear();
    while (const std::string* name = r.list_line()) {
      check_list_capacity(r.section(), others.size(), kOthersCapacity);
      Lamp l;
      l.name = *name;
      r.note_picture(l.name);
      l.Left = r.integer();
      l.Top = r.integer();
      others.push_back(l);
    }
  }));
}

}  // namespace velmora::vehicle_reading
