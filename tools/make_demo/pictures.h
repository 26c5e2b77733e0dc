#pragma once
// Saving cairo drawings as the picture files the simulator loads. The cab and trackside
// pictures are drawn with a colour key: the simulator makes the colour of a picture's
// bottom-left pixel transparent, so a keyed save turns every mostly transparent pixel into
// that key colour and keeps the key out of everything that is drawn.

#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace velmora::demo {

constexpr std::uint32_t kKeyColour = 0xff00ff;  // magenta: never a colour of a drawing

// A drawing surface of the given size, cleared to transparent.
cairo_surface_t* new_drawing(int width, int height);
// Saves an opaque PNG.
void save_png(cairo_surface_t* surface, const std::filesystem::path& path);
// Saves a PNG whose transparent parts and bottom-left pixel hold the key colour.
void save_keyed_png(cairo_surface_t* surface, const std::filesystem::path& path);
// Saves a JPEG (for the title pictures).
void save_jpeg(cairo_surface_t* surface, const std::filesystem::path& path);
// Converts a picture to YUV 4:2:0 planes: BT.601, limited range unless full_range.
void surface_to_yuv(cairo_surface_t* surface, std::uint8_t* const planes[3], const int strides[3],
                    bool full_range = false);
// Draws with a fresh context on a new surface, saves it keyed, and frees both.
void draw_keyed(const std::filesystem::path& path, int width, int height,
                const std::function<void(cairo_t*)>& draw);
void draw_opaque(const std::filesystem::path& path, int width, int height,
                 const std::function<void(cairo_t*)>& draw);

// Text in the Japanese font, with its centre or its left edge at a point. A max_width
// above 0 makes the font smaller where the text would be wider than that.
void text_at(cairo_t* cr, const std::string& text, double x, double y, double size,
             bool centred = true, bool bold = true, double max_width = 0);
// The font size, at most `size`, at which text is at most max_width wide.
double fitting_size(cairo_t* cr, const std::string& text, double size, double max_width,
                    bool bold = true);
void fill_rgb(cairo_t* cr, std::uint32_t rgb);

// Frees the font caches cairo and fontconfig keep for the process, so that a leak checker
// sees only real leaks. Call once at the end, with no drawing left.
void release_font_caches();

}  // namespace velmora::demo
