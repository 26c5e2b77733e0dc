#include "view/cab_build.h"

#include <string>

#include "common/paths.h"
#include "data/load_failure.h"
#include "view/view_run.h"

namespace velmora {

namespace {

struct Builder {
  const ViewRun& run;
  std::filesystem::path folder;

  // One picture with one sprite; the sprite number, or -1 when the element has no picture.
  int make(const std::string& file, const std::string& image, int x, int y, int z, bool visible,
           int pattern_width, int pattern_height, const std::vector<std::string>& failure) {
    if (file.empty()) return -1;
    PictureRequest r;
    r.list = PictureList::Cab;
    r.name = image;
    r.file = resolve_data_file(folder, file).value_or(folder / file);
    r.pattern_width = pattern_width;
    r.pattern_height = pattern_height;
    r.transparent = true;
    SpritePlace place;
    place.x = x;
    place.y = y;
    place.z = z;
    place.width = pattern_width;  // 0: the picture's own size
    place.height = pattern_height;
    place.visible = visible;
    r.sprites = {place};
    const std::size_t before = run.platform.sprites.sprites_of(image).size();
    if (!run.platform.images.load(r))
      throw LoadFailure(failure, r.file.string() + ": the picture cannot be made");
    const std::vector<int> made = run.platform.sprites.sprites_of(image);
    return made.size() > before ? made.back() : -1;
  }

  CabItem lamp(const Lamp& l, const std::string& image, int z, bool visible) {
    return {make(l.name, image, l.Left, l.Top, z, visible, 0, 0, {l.name + "の生成エラー"}), l.Left,
            l.Top, true};
  }
  CabItem needle(const Meter& m, const std::string& image, int z) {
    return {make(m.name, image, m.Left, m.Top, z, true, 0, 0, {m.name + "の生成エラー"}), m.Left,
            m.Top, true};
  }
  // A linear gauge's mark starts at its zero.
  CabItem linear(const Meter& m, const std::string& image, int z) {
    return {make(m.name, image, m.Left, m.zero, z, true, 0, 0, {m.name + "の生成エラー"}), m.Left,
            m.zero, true};
  }
  CabItem strip(const ImageStrip& s, const std::string& key, const std::string& image, int z) {
    return {make(s.name, image, s.X, s.Y, z, true, s.pattern_width, s.pattern_height,
                 {"車両ファイルに誤りがあります" + key}),
            s.X, s.Y, true};
  }
};

}  // namespace

void build_cab(const ViewRun& run) {
  const PanelData& p = run.panel;
  CabState& c = run.cab;
  Builder b{run, run.config.vehicle_dir.empty() ? run.config.program_dir : run.config.vehicle_dir};

  // The picture strips are made first, as the vehicle file is read.
  c.notch_p = b.strip(p.NotchImageP, "[NotchImageP]", "img_lamp_p", 41);
  c.notch_b = b.strip(p.NotchImageB, "[NotchImageB]", "img_lamp_b", 41);
  c.notch_p2 = b.strip(p.NotchImageP2, "[NotchImageP2]", "img_lamp_p2", 41);
  c.notch_b2 = b.strip(p.NotchImageB2, "[NotchImageB2]", "img_lamp_b2", 33);
  c.gear = b.strip(p.GearImageList, "[GearImageList]", "img_lamp_gear", 40);
  c.gear_lever = b.strip(p.GearImageList2, "[GearImageList2]", "img_gearlever", 40);
  c.digi_speed = b.strip(p.Digi_Speed, "[Digi_Speed]", "img_digi_speed", 37);
  c.cabsignal = b.strip(p.Lamp_signal, "[Lamp_signal]", "img_cabsignal", 30);

  c.panel = b.lamp(p.Panel, "img_Panel", 0, true);
  c.panel2 = b.lamp(p.Panel2, "img_Panel2", 50, true);
  c.lamp_door = b.lamp(p.Lamp_Door, "img_Lamp_Door", 30, true);
  c.lamp_power = b.lamp(p.Lamp_Power, "img_Lamp_Power", 52, true);
  c.lamp_eb = b.lamp(p.Lamp_EB, "img_Lamp_EB", 53, false);
  c.lamp_gen = b.lamp(p.Lamp_Gen, "img_Lamp_Gen", 54, true);
  c.lamp_air = b.lamp(p.Lamp_Air, "img_Lamp_Air", 54, true);
  c.lamp_fin = b.lamp(p.Lamp_Fin, "img_Lamp_fin", 55, true);
  c.lamp_ele = b.lamp(p.Lamp_Ele, "img_Lamp_Ele", 26, false);
  c.lamp_ats[0] = b.lamp(p.Lamp_Ats1, "img_Lamp_Ats1", 57, false);
  c.lamp_ats[1] = b.lamp(p.Lamp_Ats2, "img_Lamp_Ats2", 58, false);
  c.lamp_ats[2] = b.lamp(p.Lamp_Ats3, "img_Lamp_Ats3", 58, false);
  c.lamp_tasc[0] = b.lamp(p.Lamp_TASC1, "img_Lamp_tasc1", 58, false);
  c.lamp_tasc[1] = b.lamp(p.Lamp_TASC2, "img_Lamp_tasc2", 58, false);
  c.lamp_tasc[2] = b.lamp(p.Lamp_TASC3, "img_Lamp_tasc3", 58, false);
  c.lamp_atsp[0] = b.lamp(p.Lamp_ATSP1, "img_Lamp_Atsp1", 59, false);
  c.lamp_atsp[1] = b.lamp(p.Lamp_ATSP2, "img_Lamp_Atsp2", 60, false);
  c.lamp_fwd = b.lamp(p.Lamp_Fwd, "img_Lamp_Fwd", 40, true);
  c.lamp_neut = b.lamp(p.Lamp_Neut, "img_Lamp_Neu", 40, true);
  const SignalSuppressData& s = run.vehicle.signal_suppress;
  c.lamp_suppress = b.lamp(Lamp{s.name, s.Left, s.Top}, "img_Lamp_suppress", 60, false);
  c.lamp_suppress.sways = false;
  c.lamp_back = b.lamp(p.Lamp_Back, "img_Lamp_Bck", 40, false);
  c.lamp_stop = b.lamp(p.Lamp_Stop, "img_Lamp_stopalert", 63, false);

  c.needle_speed = b.needle(p.Needle_Speed, "img_Needle_speed", 34);
  c.needle_brake = b.needle(p.Needle_Brake, "img_Needle_brake", 34);
  c.needle_er = b.needle(p.Needle_ER, "img_Needle_ER", 36);
  c.needle_bp = b.needle(p.Needle_BP, "img_Needle_BP", 38);
  c.needle_mr = b.needle(p.Needle_MR, "img_Needle_MR", 35);
  c.needle_sap = b.needle(p.Needle_SAP, "img_Needle_SAP", 39);
  c.needle_bc = b.needle(p.Needle_BC, "img_Needle_BC", 37);
  c.needle_v = b.needle(p.Needle_V, "img_Needle_V", 40);
  c.needle_i = b.needle(p.Needle_I, "img_Needle_I", 21);

  c.lamp_const = b.lamp(p.Lamp_Const, "img_Lamp_const", 72, false);
  c.linear_bc = b.linear(p.Needle_BC_L, "img_Needle_BC_L", 23);
  c.linear_mr = b.linear(p.Needle_MR_L, "img_Needle_MR_L", 24);
  c.linear_ip = b.linear(p.Needle_Ip_L, "img_Needle_Ip_L", 23);
  c.linear_ib = b.linear(p.Needle_Ib_L, "img_Needle_Ib_L", 23);

  c.others.clear();
  for (std::size_t i = 0; i < p.Others.size(); ++i) {
    CabItem item =
        b.lamp(p.Others[i], "img_other" + std::to_string(i), 70 + static_cast<int>(i), false);
    item.sways = i < 10;  // an eleventh extra picture stays where it is
    c.others.push_back(item);
  }
}

}  // namespace velmora
