#pragma once
// Reading route-file text in tests: the text is written in UTF-8 and encoded to CP932
// as a file on disk would be, against a scratch data folder holding a few pictures.

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/sjis.h"
#include "data/load_failure.h"
#include "data/route_loader.h"
#include "data/text_file.h"
#include "platform/fake/fake_platform.h"
#include "test_rig.h"

namespace velmora {

struct RouteReading {
  FakeImageList images;
  std::mt19937_64 rng{7};
  std::filesystem::path dir;
  std::string vehicle = "train_a.dat";
  int film_width = 800, film_height = 600;
  std::string detail;  // of the last failure

  // `pictures` are created in the data folder, each a copy of a small fixture picture (the
  // image list reads their headers).
  explicit RouteReading(const std::vector<std::string>& pictures = {"a.bmp"})
      : dir(scratch_dir("data")) {
    const std::filesystem::path picture =
        std::filesystem::path(VELMORA_FIXTURES) / "basic" / "panel" / "lamp_red.bmp";
    for (const std::string& p : pictures) {
      std::filesystem::create_directories((dir / p).parent_path());
      std::filesystem::copy_file(picture, dir / p,
                                 std::filesystem::copy_options::overwrite_existing);
    }
  }

  // The file as read: its pictures listed, none loaded yet.
  RouteFile read_file(const std::string& text) {
    RouteLoadContext c{dir, vehicle, film_width, film_height, rng};
    return read_route(split_text_lines(utf8_to_cp932(text)), "line_test.dat", c);
  }

  RouteData read(const std::string& text) { return take_route(read_file(text), images); }

  // The messages the text fails with; a test failure when it loads.
  std::vector<std::string> failure(const std::string& text) {
    try {
      read(text);
    } catch (const LoadFailure& f) {
      detail = f.detail;
      return f.messages;
    }
    ADD_FAILURE() << "the route loaded:\n" << text;
    return {};
  }
};

// "路線ファイルに誤りがあります。" + label + ":" + line: the first of the two route messages.
inline std::string route_message(const std::string& label, const std::string& line) {
  return "路線ファイルに誤りがあります。" + label + ":" + line;
}

// n copies of `line`, each ending in a line break.
inline std::string lines_of(int n, const std::string& line) {
  std::string out;
  for (int i = 0; i < n; ++i) out += line + "\n";
  return out;
}

}  // namespace velmora
