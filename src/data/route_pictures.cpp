// The pictures a route file names: the trackside overlays ([SignImageList],
// [SignalImageList]), the monitor ([Monitor]) and the animation and traffic-light lists.
// They are listed in file order, each with what it reports when it cannot be read, for the
// caller to load; a missing file or a size that cannot cut a picture stops the reading.
// Places follow the film surface size; products are rounded to whole pixels, halves to even.

#include <array>
#include <optional>
#include <system_error>

#include "common/fields.h"
#include "common/numbers.h"
#include "common/paths.h"
#include "common/rounding.h"
#include "data/load_failure.h"
#include "data/route_reader.h"

namespace velmora {
namespace {

constexpr int kOverlayDepth = 100;
constexpr int kSmallSignalDepth = 101;
constexpr int kMonitorDepth = 51;
constexpr int kRemainHeight = 900;  // px, the remaining-distance board's frames
constexpr int kStopLineOpacity = 64;

int scaled(int size, long double factor) {
  return static_cast<int>(round_half_even(static_cast<long double>(size) * factor));
}

// The file a picture name stands for; empty when there is no such file.
std::optional<std::filesystem::path> picture_file(const std::filesystem::path& folder,
                                                  const std::string& name) {
  std::optional<std::filesystem::path> found = resolve_data_file(folder, name);
  std::error_code ec;
  if (found && !std::filesystem::is_regular_file(*found, ec)) return std::nullopt;
  return found;
}

struct SignLine {
  const char* picture;
  const char* message;  // shown alone when the picture cannot be made
};

constexpr std::array<SignLine, 9> kSignLines = {{
    {"img_unten_teimoku", "停目の生成エラー"},
    {"img_unten_teimokuS", "停止線Sの生成エラー"},
    {"img_unten_teimokuM", "停止線Mの生成エラー"},
    {"img_unten_teimokuE", "停止線Eの生成エラー"},
    {"img_unten_slope", "勾配標の生成エラー"},
    {"img_unten_limit", "制限標の生成エラー"},
    {"img_unten_remain", "残り距離表示の生成エラー"},
    {"img_unten_cross", "踏切表示灯の生成エラー"},
    {"img_unten_other", "その他標識の生成エラー"},
}};

constexpr std::array<SignLine, 4> kSignalLines = {{
    {"img_unten_signal", "信号機の生成エラー"},
    {"img_unten_signal_S", "サブ信号機0の生成エラー"},
    {"img_unten_signal_L", "サブ信号機1の生成エラー"},
    {"img_unten_signal_R", "サブ信号機2の生成エラー"},
}};

// How line k of [SignImageList] is loaded and placed, for a frame size n.
PictureRequest sign_request(std::size_t k, int n, int film_width, int film_height) {
  PictureRequest r;
  r.name = kSignLines[k].picture;
  r.transparent = true;
  r.pattern_width = r.pattern_height = n;
  SpritePlace place{0, 0, kOverlayDepth, n, n, true, 255};
  switch (k) {
    case 0:  // stop-position marker: top right
      place.x = film_width - n;
      break;
    case 1:
    case 2:
    case 3:  // stop lines: opaque, one picture stretched over the film's width
      r.transparent = false;
      r.pattern_width = r.pattern_height = 0;
      place.width = film_width;
      place.opacity = kStopLineOpacity;
      break;
    case 4:  // gradient post
      place.x = scaled(film_width, 0.825L);
      place.y = scaled(film_height, 0.55L);
      break;
    case 5:  // speed-limit sign
      place.x = scaled(film_width, 0.825L);
      place.y = scaled(film_height, 0.35L);
      break;
    case 6:  // remaining-distance board: tall frames, opaque
      r.transparent = false;
      r.pattern_height = kRemainHeight;
      place.x = film_width - n;
      place.height = kRemainHeight;
      break;
    case 7:  // level-crossing lights: two sprites
      place.y = scaled(film_height, 0.4L);
      r.sprites.push_back(place);
      break;
    default:  // other signs
      place.y = scaled(film_height, 0.45L);
      break;
  }
  r.sprites.push_back(place);
  return r;
}

}  // namespace

LoadFailure RouteReader::overlay_failure(const std::string& message, const std::string& why,
                                         int line) const {
  std::string detail = route.source.path.string();
  if (line > 0) detail += ":" + std::to_string(line);
  return LoadFailure({message}, detail + ": " + why);
}

void RouteReader::picture_failure(const std::string& message, const std::string& why,
                                  int line) const {
  throw overlay_failure(message, why, line);
}

LoadFailure RouteReader::route_failure(const std::string& why, const std::string& line,
                                       int line_number) const {
  return load_failure(DataFileKind::Route,
                      LoadError(why, label_, line, route.source.path, line_number));
}

void RouteReader::read_sign_images(ValueLines& in) {
  const int first_line = header_line_ + 1;
  for (std::size_t k = 0; k < kSignLines.size(); ++k) {
    const std::string& line = in.next();
    OverlayPictureLine& read = route.sign_images[k];
    read.file = get_field(line, 1);
    read.width = int_field(line, 2);
    PictureRequest request = sign_request(k, read.width, context.film_width, context.film_height);
    const int line_number = first_line + static_cast<int>(k);
    const std::string picture = request.name;
    // The stop lines take N as their height only; every other picture is cut by it.
    const bool stop_line = k >= 1 && k <= 3;
    if (stop_line ? read.width < 0 : read.width <= 0)
      picture_failure(kSignLines[k].message,
                      picture + ": a frame size of " + std::to_string(read.width) +
                          " px cannot cut the picture",
                      line_number);
    const auto file = picture_file(context.program_dir, read.file);
    if (!file)
      picture_failure(kSignLines[k].message, picture + ": \"" + read.file + "\" does not exist",
                      line_number);
    request.file = *file;
    pictures.push_back(
        {std::move(request),
         overlay_failure(kSignLines[k].message, picture + ": \"" + read.file + "\" cannot be read",
                         line_number)});
  }
}

void RouteReader::read_signal_images(ValueLines& in) {
  const int first_line = header_line_ + 1;
  for (std::size_t k = 0; k < kSignalLines.size(); ++k) {
    const std::string& line = in.next();
    OverlayPictureLine& read = route.signal_images[k];
    // The first line leads with the two offsets added to every signal's place.
    const int skip = k == 0 ? 2 : 0;
    if (k == 0) {
      route.signal_offset_x = int_field(line, 1);
      route.signal_offset_y = int_field(line, 2);
    }
    read.width = int_field(line, skip + 1);
    read.height = int_field(line, skip + 2);
    read.file = get_field(line, skip + 3);

    PictureRequest request;
    request.name = kSignalLines[k].picture;
    request.transparent = true;
    request.pattern_width = read.width;
    request.pattern_height = read.height;
    request.sprites.push_back(
        {0, 0, k == 1 ? kSmallSignalDepth : kOverlayDepth, read.width, read.height, true, 255});
    const int line_number = first_line + static_cast<int>(k);
    if (read.width <= 0 || read.height <= 0)
      picture_failure(kSignalLines[k].message,
                      request.name + ": a frame of " + std::to_string(read.width) + " x " +
                          std::to_string(read.height) + " px cannot cut the picture",
                      line_number);
    const auto file = picture_file(context.program_dir, read.file);
    if (!file)
      picture_failure(kSignalLines[k].message,
                      request.name + ": \"" + read.file + "\" does not exist", line_number);
    request.file = *file;
    LoadFailure failure =
        overlay_failure(kSignalLines[k].message,
                        request.name + ": \"" + read.file + "\" cannot be read", line_number);
    pictures.push_back({std::move(request), std::move(failure)});
  }
}

void RouteReader::read_monitor(ValueLines& in) {
  MonitorData& m = route.monitor;
  // The picture belongs to one vehicle; for any other the five lines are not read here
  // and pass through the reader as ordinary lines.
  if (in.next() != context.vehicle_file) return;
  m.present = true;
  m.x = to_int(in.next());
  m.y = to_int(in.next());
  m.width = to_int(in.next());
  m.height = to_int(in.next());
  m.file = in.next();
  if (m.file.empty()) return;
  if (m.width <= 0 || m.height <= 0)
    throw DataError("img_mon: a frame of " + std::to_string(m.width) + " x " +
                    std::to_string(m.height) + " px cannot cut the picture");
  const auto file = picture_file(context.program_dir, m.file);
  if (!file) throw DataError("img_mon: \"" + m.file + "\" does not exist");
  PictureRequest request;
  request.name = "img_mon";
  request.file = *file;
  request.pattern_width = m.width;
  request.pattern_height = m.height;
  request.transparent = true;
  request.sprites.push_back({m.x, m.y, kMonitorDepth, m.width, m.height, true, 255});
  // The file name is the section's last line read.
  pictures.push_back(
      {std::move(request), route_failure("img_mon: \"" + m.file + "\" cannot be read", m.file,
                                         lines_of("[Monitor]").back())});
}

void RouteReader::load_listed_picture(PictureList list, const std::string& name) {
  int& count = list == PictureList::Animation ? anim_pictures_ : traffic_pictures_;
  const auto file = picture_file(context.program_dir, name);
  if (!file) throw DataError("the picture \"" + name + "\" does not exist");
  PictureRequest request;
  request.list = list;
  request.name = std::to_string(count);
  request.file = *file;
  // The entry is the whole line; its number is noted once it has been read.
  const std::string section =
      list == PictureList::Animation ? "[AnimImageList]" : "[TrafficSignalImageList]";
  const int line = header_line_ + 1 + static_cast<int>(lines_of(section).size());
  pictures.push_back({std::move(request),
                      route_failure("the picture \"" + name + "\" cannot be read", name, line)});
  ++count;
}

}  // namespace velmora
