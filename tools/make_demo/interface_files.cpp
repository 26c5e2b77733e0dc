#include "interface_files.h"

#include <string>

#include "data_writer.h"
#include "film_render.h"
#include "pictures.h"

namespace velmora::demo {
namespace {

struct Text {
  const char* section;
  std::vector<const char*> lines;
};

const std::vector<Text>& menu_and_labels() {
  static const std::vector<Text> t = {
      {"[Forward]", {"前"}},       {"[Neutral]", {"切"}},     {"[Reverse]", {"後"}},
      {"[Stop]", {" 停車"}},       {"[Pass]", {" 通過"}},     {"[Stop2]", {" 停車（扉扱いなし）"}},
      {"[Neut]", {"緩め"}},        {"[Neut2]", {"切"}},       {"[Apply]", {"常用"}},
      {"[Maintain]", {"保ち"}},    {"[Remove]", {"弛め"}},    {"[Hold]", {"重なり"}},
      {"[Hold2]", {"抑速"}},       {"[EB]", {"非常"}},        {"[Const]", {"定速"}},
      {"[Cars]", {"両編成"}},      {"[TC]", {"踏切・道路信号に注意"}},
      {"[Stops]", {"信号まで", "停止信号まで"}},
      {"[Doors]", {"左側の扉", "右側の扉"}},
      {"[Gears]", {"中立", "変速", "直結"}},
  };
  return t;
}

}  // namespace

const std::vector<const char*>& info_labels() {
  static const std::vector<const char*> labels = {
      "次は終点です。停止位置の手前で止まれるよう早めにブレーキをかけましょう",
      "乗り降りが済んだら D キーでドアを閉め、戸閉めを確かめてから発車しましょう",
      "ATS: 停止位置までに止まってください",
      "停止信号まで ",
      "制限まで ",
      "（次 ",
      "照査",
      "制限",
      "ホームは左側です。Page Up で左側の扉を選んでから D キーで開けましょう",
      "ホームは右側です。Page Down で右側の扉を選んでから D キーで開けましょう",
      "停車中の映像が流れています。映像が終わるまでノッチを入れずに待ちましょう",
      "ATS のブレーキが掛かりました。速度が下がるまでノッチを切って待ちましょう",
      "ATS の非常ブレーキです。止まるまで待ち、ブレーキを非常位置にしてください",
      "止まりました。ブレーキを非常位置にしたまま R キーで ATS を復帰させましょう",
      "止まりました。ブレーキを掛けたまま R キーで ATS を復帰させましょう",
      "ATS の警報です。すぐにブレーキを掛け、スペースキーで確認しましょう",
      "EB 装置が鳴っています。何かハンドルを操作して応答しましょう",
      "注意信号です。45km/h 程度まで速度を落としましょう",
      "減速信号です。65km/h 程度まで速度を落としましょう",
      "警戒信号です。25km/h 以下に落として慎重に進みましょう",
      "停車駅が近づいています。そろそろブレーキを掛けましょう",
      "信号と速度制限を確かめながら、ノッチを入れて加速しましょう",
      "ATS が切れています。列車設定で ATS を入れてから運転しましょう",
      "終点です。止まったまま Backspace キーで折り返しができます",
      "停止位置まで少しずつ進み、速度を落として止まりましょう",
      "ATS の確認が済みました。チャイムが鳴り終わるまで待ちましょう",
      "終点に着きました。お疲れさまでした",
      "止まりました。D キーでドアを開けてお客様を乗り降りさせましょう",
  };
  return labels;
}

void write_velmora_dat(const std::filesystem::path& data_dir, const InterfaceSettings& s) {
  DataFile f;
  f.line("# Velmora 設定ファイル（make-demo が書いたデモ用）");
  f.section("[Disp]").line("30,1").line(std::to_string(s.staff_left)).line(std::to_string(s.film_width))
      .line(std::to_string(s.film_height)).line("0");
  f.section("[Path]").line("movie\\");
  for (const Text& t : menu_and_labels()) {
    f.section(t.section);
    for (const char* l : t.lines) f.line(l);
  }
  f.line("- 解説などに使う文（番号は 0 から）");
  f.section("[InfoLabel]");
  for (const char* l : info_labels()) f.line(l);
  f.end_list();
  f.section("[Start]").line("運転開始(&S)");
  f.section("[Move]").line("駅移動(&M)");
  f.section("[Display]").line("表示(&D)");
  f.section("[Control]").line("コントローラ(&C)");
  f.save(data_dir / "velmora.dat");
}

void write_mascon_dat(const std::filesystem::path& data_dir) {
  DataFile f;
  for (int p = 1; p <= 6; ++p) f.line("MP0" + std::to_string(p) + "0");
  f.line("MN000");
  for (int b = 1; b <= 9; ++b) f.line("MB0" + std::to_string(b) + "0");
  for (const char* c : {"RVF00", "RVN00", "RVR00", "KSP00", "K0300", "K0700", "KENT0"}) f.line(c);
  f.end_list();
  f.save(data_dir / "mascon.dat");
}

void write_operation_dat(const std::filesystem::path& data_dir) {
  DataFile f;
  f.line("操作説明 / How to drive");
  const char* lines[] = {
      "【基本】 Z: 力行ノッチを上げる  A: 力行ノッチを下げる",
      "   , (カンマ): ブレーキを緩める  . (ピリオド): ブレーキを掛ける  /: 非常ブレーキ",
      "   ワンハンドル車: 8 で加速側、2 でブレーキ側、5 で中立、0 で非常",
      "   F / N / B: 逆転器を前・切・後に（停車中のみ）",
      "【合図・ドア】 3, 6: 警笛  9: 電子笛  D, 7: ドア（ワンマン）  4: ブザー",
      "   Enter: 喚呼（信号・標識・踏切）  C, 1: 案内放送  -: 案内を戻す",
      "【ATS】 スペース: ATS 確認  R: ATS 復帰  Esc: 抑止スイッチ",
      "【気動車】 W / X / S: 変速レバー（手動変速車）  F2: エンジン始動",
      "【その他】 Page Up / Down: 扉の側を選ぶ  F3: 数値表示  Backspace: 終点で折り返し",
      "",
      "[Basics] Z: power up  A: power down",
      "   , (comma): release brake  . (period): apply brake  /: emergency brake",
      "   One-lever cars: 8 towards power, 2 towards brake, 5 neutral, 0 emergency",
      "   F / N / B: reverser forward, neutral, back (only at a stand)",
      "[Signals and doors] 3, 6: horn  9: whistle  D, 7: doors (one-man)  4: buzzer",
      "   Enter: call out (signals, signs, crossings)  C, 1: announcement  -: previous one",
      "[ATS] Space: acknowledge  R: reset  Esc: suppress switch",
      "[Diesel] W / X / S: gear lever (manual cars)  F2: start the engine",
      "[Other] Page Up / Down: choose the door side  F3: value display  Backspace: reverse at the terminus",
  };
  for (const char* l : lines) f.line(l);
  f.save(data_dir / "operation.dat");
}

void write_readme(const std::filesystem::path& data_dir, const std::vector<LineModel>& lines) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<title>Velmora デモ</title>\n</head>\n<body>\n<h1>Velmora デモ路線</h1>\n"
      "<p>運転台から列車を運転する前面展望シミュレータのデモです。路線を選ぶと運転が始まります。"
      "右クリックで好きな車両ファイルを選ぶこともできます。</p>\n<ul>\n";
  for (const LineModel& l : lines) {
    html += "<li><b>" + l.design.line_name + "</b>（" + l.design.vehicle_file + "）: ";
    bool first = true;
    for (const StationDesign& s : l.design.stations) {
      html += (first ? "" : " → ") + s.name + (s.type == 1 ? "（通過）" : "");
      first = false;
    }
    html += "</li>\n";
  }
  html +=
      "</ul>\n<h2>操作</h2>\n<p>Z / A で力行ノッチ、, / . でブレーキ、/ で非常ブレーキ。"
      "ワンハンドルの気動車は 8 / 2 / 5 / 0。Enter で喚呼、D でドア（ワンマン）、スペースで ATS 確認。</p>\n"
      "<h2>English</h2>\n<p>Three demo lines: an express with a preceding train, a rapid service "
      "with calls and announcements, and a one-man diesel branch line. Z / A work the power "
      "handle, comma / period the brake, slash the emergency brake; one-lever cars use "
      "8 / 2 / 5 / 0. Enter calls out signals and signs, D works the doors of a one-man "
      "train, Space acknowledges the ATS warning.</p>\n</body>\n</html>\n";
  write_bytes(data_dir / "readme.html", html);
}

void write_title_pictures(const std::filesystem::path& data_dir, const std::vector<LineModel>& lines) {
  const std::filesystem::path dir = data_dir / "image" / "title";
  // Five views along the lines, each with the title.
  const double along[5] = {0.22, 0.55, 0.35, 0.7, 0.45};
  for (int k = 0; k < 5; ++k) {
    const LineModel& line = lines[static_cast<std::size_t>(k) % lines.size()];
    FilmRenderer view(build_scene(line), 800, 533);
    view.draw(line.length_m * along[k], 0);
    cairo_t* cr = cairo_create(view.surface());
    cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
    cairo_rectangle(cr, 0, 40, 800, 110);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    text_at(cr, "VELMORA", 400, 82, 54);
    text_at(cr, "前面展望 運転シミュレータ  デモ", 400, 128, 22, true, false);
    cairo_destroy(cr);
    char name[16];
    std::snprintf(name, sizeof name, "%02d.jpg", k + 1);
    save_jpeg(view.surface(), dir / name);
  }
  // The route buttons (300 px wide), help, quit and the loading picture.
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const LineModel& line = lines[i];
    draw_opaque(dir / ("train" + std::to_string(i + 1) + ".png"), 300, 50, [&](cairo_t* cr) {
      cairo_set_source_rgb(cr, 0.08, 0.16, 0.32);
      cairo_paint(cr);
      cairo_set_source_rgb(cr, 1, 1, 1);
      text_at(cr, line.design.line_name, 12, 17, 18, false, true);
      cairo_set_source_rgb(cr, 0.75, 0.85, 1);
      text_at(cr, line.design.stations.front().name + " → " + line.design.stations.back().name + "  " +
                      line.design.vehicle_file, 12, 38, 12, false, false);
    });
  }
  for (const auto& [name, text] : {std::pair<const char*, const char*>{"help.png", "HELP"}, {"quit.png", "QUIT"}})
    draw_opaque(dir / name, 50, 19, [&, text = text](cairo_t* cr) {
      cairo_set_source_rgb(cr, 0.2, 0.2, 0.25);
      cairo_paint(cr);
      cairo_set_source_rgb(cr, 1, 1, 1);
      text_at(cr, text, 25, 9.5, 11);
    });
  draw_opaque(dir / "loading.png", 110, 30, [](cairo_t* cr) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    text_at(cr, "読み込み中…", 55, 15, 14);
  });
}

}  // namespace velmora::demo
