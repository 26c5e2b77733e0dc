#include "interface_files.h"

#include <string>

#include "data_writer.h"
#include "film_render.h"
#include "films.h"
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
      {"[Maintain]", {"保ち"}},    {"[Remove]", {"弛め"}},    {"[Hold]", {"重ね"}},
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
      "Dで戸閉め",  // the one-man prompt: a short label beside the film
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

InterfaceSettings interface_settings(bool short_mode) {
  const FilmSize film = route_film_size(short_mode);
  return {film.width, film.height, 800, 30};
}

void write_velmora_dat(const std::filesystem::path& data_dir, const InterfaceSettings& s) {
  DataFile f;
  f.line("# Velmora 設定ファイル（make-demo が書いたデモ用）");
  f.section("[Disp]").line(std::to_string(s.fps) + ",1").line(std::to_string(s.staff_left)).line(std::to_string(s.film_width))
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

const std::vector<const char*>& operation_lines() {
  // The driver's quick guide, grouped by what the driver wants to do, first in Japanese,
  // then in English. Lines stay within 40 half-width characters: the help window is
  // narrow. The caption is the first line.
  static const std::vector<const char*> lines = {
      "運転のしかた / How to drive",
      "英字キーは小文字で（Caps Lock は切る）",
      "【ブレーキ】",
      " 2ハンドル車: . 込める  , 緩める  / 非常",
      " 1ハンドル車: a ブレーキ側へ  q 非常",
      " どの車も: 2 ブレーキ側へ  0 非常",
      " 5 中立（ブレーキ緩め・ノッチ切）",
      " ホイール: 手前 加速側  奥 ブレーキ側",
      "【加速】",
      " 2ハンドル車: z ノッチ上げ  a ノッチ下げ",
      " 1ハンドル車: z 加速側へ",
      "   ブレーキが掛かっていれば先に緩む",
      " どの車も: 8 加速側へ",
      " t 定速（最終ノッチ、装置のある車）",
      "【逆転器】停車中に f 前  n 切  b 後",
      "【ドア】ワンマン列車",
      " d または 7: ドアを開ける・閉める",
      " Page Up 左側、Page Down 右側の扉を選ぶ",
      "【警笛】3 または 6（長押しで長く）",
      " 9 警笛2（もう一度押すと止まる）",
      " 4 長押し: ブザー（車掌への合図）",
      "【喚呼・放送】",
      " Enter: 信号・標識・踏切の喚呼",
      " c または 1: 次の案内放送  -: 一つ戻す",
      "   （案内放送はワンマン列車）",
      "【保安装置】",
      " スペース: ATS 確認（ATS-S の車）",
      " r: ATS・EB で止まった後の復帰",
      " Esc: 抑止スイッチ",
      " Enter 以外のキーで EB タイマーが戻る",
      "【気動車】",
      " F2 を約1秒押す: エンジン始動",
      " Shift+F2 を約1秒押す: エンジン停止",
      " 手動変速の車: w 直結  x 変速  s 中立",
      "【表示】",
      " F3: 数値表示  Shift+↑↓: 画面を上下",
      " Scroll Lock: 2 と 8 を入れ替え",
      " Backspace: 終点の映像停止で折り返し",
      "",
      "Letters are lower case (Caps Lock off).",
      "[Brake]",
      " Two levers: . apply  , release",
      "   / emergency",
      " One lever: a towards brake  q emergency",
      " Any car: 2 towards brake  0 emergency",
      " 5 neutral (brake off, power off)",
      " Wheel: towards you power, away brake",
      "[Power]",
      " Two levers: z notch up  a notch down",
      " One lever: z towards power (an applied",
      "   brake is released first)",
      " Any car: 8 towards power",
      " t constant speed (top notch, if fitted)",
      "[Reverser] standing: f fwd n off b back",
      "[Doors] one-man trains",
      " d or 7: open or close the doors",
      " Page Up: left side  Page Down: right",
      "[Horn] 3 or 6 (hold for a longer blast)",
      " 9 second horn (press again to stop)",
      " hold 4: buzzer to the conductor",
      "[Calls and announcements]",
      " Enter: call out signal/sign/crossing",
      " c or 1: next announcement  -: back one",
      "   (announcements on one-man trains)",
      "[Protection]",
      " Space: acknowledge the ATS-S bell",
      " r: reset after an ATS or EB stop",
      " Esc: suppress switch",
      " Any key but Enter resets the EB timer",
      "[Diesel]",
      " Hold F2 about 1 s: start the engine",
      " Hold Shift+F2 about 1 s: stop it",
      " Manual gears: w direct  x converter",
      "   s neutral",
      "[View]",
      " F3: value display  Shift+Up/Down: move",
      " Scroll Lock swaps 2 and 8",
      " Backspace: run back at the terminus",
  };
  return lines;
}

void write_operation_dat(const std::filesystem::path& data_dir) {
  DataFile f;
  for (const char* l : operation_lines()) f.line(l);
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
      html += (first ? "" : " → ") + s.name + (s.type == StopType::Pass ? "（通過）" : "");
      first = false;
    }
    html += "</li>\n";
  }
  html +=
      "</ul>\n<h2>操作</h2>\n<p>英字キーは小文字で押します。z / a で力行ノッチ、, / . でブレーキ、/ で非常ブレーキ。"
      "ワンハンドルの気動車は z / a / q で一本のハンドルを動かします（8 / 2 / 5 / 0 はどの車でも使えます）。"
      "Enter で喚呼、d でドア（ワンマン）、スペースで ATS 確認。全部のキーは運転画面の表示メニューの"
      "操作説明にあります。</p>\n"
      "<h2>English</h2>\n<p>Three demo lines: an express with a preceding train, a rapid service "
      "with calls and announcements, and a one-man diesel branch line. Letter keys are lower "
      "case. z / a work the power handle, comma / period the brake, slash the emergency brake; "
      "on the one-lever diesel z / a / q work its one handle (8 / 2 / 5 / 0 work on every car). "
      "Enter calls out signals and signs, d works the doors of a one-man train, Space "
      "acknowledges the ATS bell. The help window of the cab (Display menu) lists every key.</p>\n"
      "</body>\n</html>\n";
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
    text_at(cr, "VELMORA", 400, 82, 54, true, true, 760);
    text_at(cr, "前面展望 運転シミュレータ  デモ", 400, 128, 22, true, false, 760);
    cairo_destroy(cr);
    char name[16];
    std::snprintf(name, sizeof name, "%02d.jpg", k + 1);
    save_jpeg(view.surface(), dir / name);
  }
  // The route buttons (300 px wide), help, quit and the loading picture.
  constexpr double kButtonText = 300 - 2 * 12;  // px: the texts keep a margin on both sides
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const LineModel& line = lines[i];
    draw_opaque(dir / ("train" + std::to_string(i + 1) + ".png"), 300, 50, [&](cairo_t* cr) {
      cairo_set_source_rgb(cr, 0.08, 0.16, 0.32);
      cairo_paint(cr);
      cairo_set_source_rgb(cr, 1, 1, 1);
      text_at(cr, line.design.line_name, 12, 17, 18, false, true, kButtonText);
      cairo_set_source_rgb(cr, 0.75, 0.85, 1);
      text_at(cr, line.design.stations.front().name + " → " + line.design.stations.back().name + "  " +
                      line.design.vehicle_file, 12, 38, 12, false, false, kButtonText);
    });
  }
  for (const auto& [name, text] : {std::pair<const char*, const char*>{"help.png", "HELP"}, {"quit.png", "QUIT"}})
    draw_opaque(dir / name, 50, 19, [&, text = text](cairo_t* cr) {
      cairo_set_source_rgb(cr, 0.2, 0.2, 0.25);
      cairo_paint(cr);
      cairo_set_source_rgb(cr, 1, 1, 1);
      text_at(cr, text, 25, 9.5, 11, true, true, 44);
    });
  draw_opaque(dir / "loading.png", 110, 30, [](cairo_t* cr) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    text_at(cr, "読み込み中…", 55, 15, 14, true, true, 100);
  });
}

}  // namespace velmora::demo
