#include "pictures.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "data_writer.h"
#include "platform/ffmpeg/film_writer.h"

namespace velmora::demo {
namespace {

void check(cairo_status_t status, const std::filesystem::path& path) {
  if (status != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error(path.string() + ": " + cairo_status_to_string(status));
}

void make_folder(const std::filesystem::path& path) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
}

}  // namespace

cairo_surface_t* new_drawing(int width, int height) {
  return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
}

void save_png(cairo_surface_t* surface, const std::filesystem::path& path) {
  make_folder(path);
  // Opaque pictures go out without an alpha channel, as the loaders expect of them.
  const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
  cairo_surface_t* flat = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_t* cr = cairo_create(flat);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_paint(cr);
  cairo_set_source_surface(cr, surface, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  check(cairo_surface_write_to_png(flat, path.c_str()), path);
  cairo_surface_destroy(flat);
}

void save_keyed_png(cairo_surface_t* surface, const std::filesystem::path& path) {
  make_folder(path);
  cairo_surface_flush(surface);
  const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_surface_flush(out);
  unsigned char* od = cairo_image_surface_get_data(out);
  const int ostride = cairo_image_surface_get_stride(out);
  for (int y = 0; y < h; ++y) {
    const auto* in_row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    auto* out_row = reinterpret_cast<std::uint32_t*>(od + static_cast<std::ptrdiff_t>(y) * ostride);
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = in_row[x];
      const std::uint32_t a = p >> 24;
      std::uint32_t rgb = kKeyColour;
      if (a >= 128) {
        // Premultiplied: undo it, so edge pixels keep their own colour.
        const auto ch = [a](std::uint32_t v) { return std::min<std::uint32_t>(255, v * 255 / a); };
        rgb = (ch((p >> 16) & 255) << 16) | (ch((p >> 8) & 255) << 8) | ch(p & 255);
        if (rgb == kKeyColour) rgb = kKeyColour - 0x010001;
      }
      out_row[x] = 0xff000000u | rgb;
    }
  }
  // The key is the bottom-left pixel's colour.
  reinterpret_cast<std::uint32_t*>(od + static_cast<std::ptrdiff_t>(h - 1) * ostride)[0] = 0xff000000u | kKeyColour;
  cairo_surface_mark_dirty(out);
  check(cairo_surface_write_to_png(out, path.c_str()), path);
  cairo_surface_destroy(out);
}

void surface_to_yuv(cairo_surface_t* surface, std::uint8_t* const planes[3], const int strides[3],
                    bool full_range) {
  cairo_surface_flush(surface);
  const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  // BT.601 in 8-bit fixed point: limited range for films, full range for JPEG pictures.
  const int ky[3] = {full_range ? 77 : 66, full_range ? 150 : 129, full_range ? 29 : 25};
  const int yoff = full_range ? 0 : 16;
  const int ku[3] = {full_range ? -43 : -38, full_range ? -85 : -74, full_range ? 128 : 112};
  const int kv[3] = {full_range ? 128 : 112, full_range ? -107 : -94, full_range ? -21 : -18};
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    std::uint8_t* out = planes[0] + static_cast<std::ptrdiff_t>(y) * strides[0];
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = row[x];
      const int r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
      out[x] = static_cast<std::uint8_t>(std::clamp(((ky[0] * r + ky[1] * g + ky[2] * b + 128) >> 8) + yoff, 0, 255));
    }
  }
  // Chroma covers odd sizes too (the 533-row title pictures): the last row or column
  // pairs with itself.
  for (int y = 0; y < (h + 1) / 2; ++y) {
    const auto* r0 = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(2 * y) * stride);
    const auto* r1 =
        reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(std::min(2 * y + 1, h - 1)) * stride);
    std::uint8_t* u = planes[1] + static_cast<std::ptrdiff_t>(y) * strides[1];
    std::uint8_t* v = planes[2] + static_cast<std::ptrdiff_t>(y) * strides[2];
    for (int x = 0; x < (w + 1) / 2; ++x) {
      const int x1 = std::min(2 * x + 1, w - 1);
      int r = 0, g = 0, b = 0;
      for (std::uint32_t p : {r0[2 * x], r0[x1], r1[2 * x], r1[x1]}) {
        r += (p >> 16) & 255;
        g += (p >> 8) & 255;
        b += p & 255;
      }
      r = (r + 2) / 4;
      g = (g + 2) / 4;
      b = (b + 2) / 4;
      u[x] = static_cast<std::uint8_t>(std::clamp(((ku[0] * r + ku[1] * g + ku[2] * b + 128) >> 8) + 128, 0, 255));
      v[x] = static_cast<std::uint8_t>(std::clamp(((kv[0] * r + kv[1] * g + kv[2] * b + 128) >> 8) + 128, 0, 255));
    }
  }
}

void save_jpeg(cairo_surface_t* surface, const std::filesystem::path& path) {
  make_folder(path);
  const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
  const std::string error = write_jpeg(path.string(), w, h, [surface](int, std::uint8_t* const planes[3], const int strides[3]) {
    surface_to_yuv(surface, planes, strides, true);
  });
  if (!error.empty()) throw std::runtime_error(path.string() + ": " + error);
}

void draw_keyed(const std::filesystem::path& path, int width, int height,
                const std::function<void(cairo_t*)>& draw) {
  cairo_surface_t* s = new_drawing(width, height);
  cairo_t* cr = cairo_create(s);
  draw(cr);
  cairo_destroy(cr);
  save_keyed_png(s, path);
  cairo_surface_destroy(s);
}

void draw_opaque(const std::filesystem::path& path, int width, int height,
                 const std::function<void(cairo_t*)>& draw) {
  cairo_surface_t* s = new_drawing(width, height);
  cairo_t* cr = cairo_create(s);
  draw(cr);
  cairo_destroy(cr);
  save_png(s, path);
  cairo_surface_destroy(s);
}

double fitting_size(cairo_t* cr, const std::string& text, double size, double max_width, bool bold) {
  cairo_select_font_face(cr, "IPAGothic", CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  // Extents grow in proportion to the size, so one step is enough; the margin covers
  // hinting at the smaller size.
  return e.width > max_width && e.width > 0 ? size * max_width / e.width * 0.97 : size;
}

void text_at(cairo_t* cr, const std::string& text, double x, double y, double size, bool centred,
             bool bold, double max_width) {
  if (max_width > 0) size = fitting_size(cr, text, size, max_width, bold);
  cairo_select_font_face(cr, "IPAGothic", CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  const double left = centred ? x - e.width / 2 - e.x_bearing : x;
  cairo_move_to(cr, left, y - e.height / 2 - e.y_bearing);
  cairo_show_text(cr, text.c_str());
}

void fill_rgb(cairo_t* cr, std::uint32_t c) {
  cairo_set_source_rgb(cr, ((c >> 16) & 255) / 255.0, ((c >> 8) & 255) / 255.0, (c & 255) / 255.0);
}

void release_font_caches() {
  cairo_debug_reset_static_data();
  FcFini();
}

}  // namespace velmora::demo
