#pragma once
// The files of the demo folder that belong to no route: velmora.dat (interface texts, film
// settings, film folder), mascon.dat (the serial controller's 23 codes), operation.dat
// (the help window: the driver's quick guide in Japanese and English), readme.html, the
// title pictures, the route buttons and the title jingle.

#include <filesystem>
#include <vector>

#include "line_model.h"
#include "sounds.h"

namespace velmora::demo {

struct InterfaceSettings {
  int film_width = 800, film_height = 600;
  int staff_left = 800;  // px: the staff timetable's left edge on the cab window
  int fps = 30;          // the films' frame rate
};

// The settings of the demo: [Disp] is the route films' size (route_film_size).
InterfaceSettings interface_settings(bool short_mode);

void write_velmora_dat(const std::filesystem::path& data_dir, const InterfaceSettings& s);
void write_mascon_dat(const std::filesystem::path& data_dir);
void write_operation_dat(const std::filesystem::path& data_dir);
void write_readme(const std::filesystem::path& data_dir, const std::vector<LineModel>& lines);
// image\title\01.jpg to 05.jpg and the buttons, drawn from the routes' scenery.
void write_title_pictures(const std::filesystem::path& data_dir, const std::vector<LineModel>& lines);

// The texts of [InfoLabel], for the tests: at least 28.
const std::vector<const char*>& info_labels();
// The lines of operation.dat, the caption first.
const std::vector<const char*>& operation_lines();

}  // namespace velmora::demo
