#pragma once
// velmora.dat: film display settings, the film folder, the words of the cab's text
// labels and the captions of the main menus. Read-only after start-up.

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "data/sectioned_file.h"

namespace velmora {

struct UiTexts {
  // [Disp]
  int film_fps = 0;            // frames per second of the films
  int film_length_factor = 0;  // multiplier of a film's frame count
  int staff_left = 0;          // px, left edge of the staff-timetable picture (top is 0)
  int film_width = 0;          // px, film picture surface
  int film_height = 0;         // px
  int disp_unused = 0;         // fifth [Disp] line: read and checked, no effect
  // [Path]
  std::string data_path;  // folder prefix of the films: data_path + name + ".avi"
  // Reverser label texts
  std::string forward, neutral, reverse;
  // Next-station line suffixes by station type 0, 1, 2
  std::string stop, pass, stop2;
  // Brake and power label texts
  std::string neut;      // brake position 0
  std::string neut2;     // power notch 0
  std::string apply;     // brake type 0, position -3
  std::string maintain;  // brake type 0, position -1
  std::string remove;    // brake type 0, position -5
  std::string hold;      // brake type 0, position -2
  std::string hold2;     // brake held by the hold flag
  std::string eb;        // emergency position
  std::string const_speed;  // constant-speed control on ([Const])
  std::string cars;         // appended to the car count
  std::string tc;           // signal-information text
  std::array<std::string, 2> stops;  // road traffic-light distance phrase pieces
  std::array<std::string, 2> doors;  // door-side label after Page Up / Page Down
  std::array<std::string, 3> gears;  // gear labels; the third gets the gear number
  std::vector<std::string> info_label;  // [InfoLabel] entries 0..102, as the copies left them
  // Main-menu captions
  std::string menu_start, menu_move, menu_display, menu_control;

  // [InfoLabel] entry k; empty when a short velmora.dat has no such entry.
  const std::string& info(std::size_t k) const {
    static const std::string none;
    return k < info_label.size() ? info_label[k] : none;
  }
};

constexpr std::size_t kInfoLabelCapacity = 103;

// The sections of velmora.dat in checking order, writing into `texts`.
SectionedFormat ui_texts_format(UiTexts& texts);

// Loads velmora.dat; throws LoadFailure with the file's message.
UiTexts load_ui_texts(const std::filesystem::path& path);

}  // namespace velmora
