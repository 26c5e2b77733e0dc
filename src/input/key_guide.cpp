#include "input/key_guide.h"

#include "data/vehicle_data.h"

namespace velmora {

std::string vehicle_key_guide(const VehicleData& v) {
  std::string g;
  if (v.handle == HandleType::OneLever)
    g += "この車両はワンハンドル: z 力行側 / a ブレーキ側 / q 非常\n"
         "One lever: z towards power, a towards brake, q emergency\n";
  else
    g += "この車両は2ハンドル: z/a 力行 上げ/下げ、. ブレーキ、, 緩め、/ 非常\n"
         "Two levers: z/a power up/down, . brake on, , brake off, / emergency\n";
  g += "8 / 2 / 5 / 0: 加速側 / 減速側 / 中立 / 非常 (どの車両でも)\n"
       "8 / 2 / 5 / 0: power / brake / neutral / emergency (any car)\n";
  if (v.engine_type == EngineType::Diesel) {
    g += "気動車: F2 を押している間エンジン始動 (Shift+F2 も)\n"
         "Diesel: hold F2 to start the engine\n";
    if (v.gear_type == 1)
      g += "手動変速: x 1段 / w 2段 / s 中立\n"
           "Manual gears: x gear 1, w gear 2, s neutral\n";
  }
  return g;
}

}  // namespace velmora
