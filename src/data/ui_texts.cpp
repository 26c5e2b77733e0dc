#include "data/ui_texts.h"

#include "common/fields.h"
#include "common/numbers.h"
#include "data/load_failure.h"

namespace velmora {
namespace {

Section text_section(const char* name, std::string& value) {
  return {name, "", [&value](ValueLines& in) { value = in.next(); }, {}, {}, 0};
}

template <std::size_t N>
Section texts_section(const char* name, std::array<std::string, N>& values) {
  return {name, "",
          [&values](ValueLines& in) {
            for (std::string& v : values) v = in.next();
          },
          {}, {}, 0};
}

}  // namespace

SectionedFormat ui_texts_format(UiTexts& t) {
  SectionedFormat f;
  f.default_label = "";
  f.sections = {
      {"[Disp]", "",
       [&t](ValueLines& in) {
         const std::string& first = in.next();
         t.film_fps = to_int(get_field(first, 1));
         t.film_length_factor = to_int(get_field(first, 2));
         t.staff_left = to_int(in.next());
         t.film_width = to_int(in.next());
         t.film_height = to_int(in.next());
         t.disp_unused = to_int(in.next());
       },
       {}, {}, 0},
      text_section("[Path]", t.data_path),
      text_section("[Forward]", t.forward),
      text_section("[Neutral]", t.neutral),
      text_section("[Reverse]", t.reverse),
      text_section("[Stop]", t.stop),
      text_section("[Pass]", t.pass),
      text_section("[Stop2]", t.stop2),
      text_section("[Neut]", t.neut),
      text_section("[Neut2]", t.neut2),
      text_section("[Apply]", t.apply),
      text_section("[Maintain]", t.maintain),
      text_section("[Remove]", t.remove),
      text_section("[Hold]", t.hold),
      text_section("[Hold2]", t.hold2),
      text_section("[EB]", t.eb),
      text_section("[Const]", t.const_speed),
      text_section("[Cars]", t.cars),
      text_section("[TC]", t.tc),
      texts_section("[Stops]", t.stops),
      texts_section("[Doors]", t.doors),
      texts_section("[Gears]", t.gears),
      // A second copy writes from entry 0 again; entries past its own count stay as an
      // earlier copy left them.
      {"[InfoLabel]", "", {},
       [&t](const std::string& entry, std::size_t index) {
         if (index >= t.info_label.size()) t.info_label.resize(index + 1);
         t.info_label[index] = entry;
       },
       {}, kInfoLabelCapacity},
      text_section("[Start]", t.menu_start),
      text_section("[Move]", t.menu_move),
      text_section("[Display]", t.menu_display),
      text_section("[Control]", t.menu_control),
  };
  return f;
}

UiTexts load_ui_texts(const std::filesystem::path& path) {
  UiTexts texts;
  try {
    read_sectioned_file(path, ui_texts_format(texts));
  } catch (const LoadError& e) {
    throw load_failure(DataFileKind::UiTexts, e);
  }
  return texts;
}

}  // namespace velmora
