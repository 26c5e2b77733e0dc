#include "platform/sdl/sdl_imgui.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/cab_screen.h"

namespace velmora {

namespace {

// The marks the windows use that ImGui's Japanese set leaves out.
constexpr const char* kMarks = "↑↓←→●○◎～…・";

void map_keys(ImGuiIO& io) {
  io.KeyMap[ImGuiKey_Tab] = SDL_SCANCODE_TAB;
  io.KeyMap[ImGuiKey_LeftArrow] = SDL_SCANCODE_LEFT;
  io.KeyMap[ImGuiKey_RightArrow] = SDL_SCANCODE_RIGHT;
  io.KeyMap[ImGuiKey_UpArrow] = SDL_SCANCODE_UP;
  io.KeyMap[ImGuiKey_DownArrow] = SDL_SCANCODE_DOWN;
  io.KeyMap[ImGuiKey_PageUp] = SDL_SCANCODE_PAGEUP;
  io.KeyMap[ImGuiKey_PageDown] = SDL_SCANCODE_PAGEDOWN;
  io.KeyMap[ImGuiKey_Home] = SDL_SCANCODE_HOME;
  io.KeyMap[ImGuiKey_End] = SDL_SCANCODE_END;
  io.KeyMap[ImGuiKey_Delete] = SDL_SCANCODE_DELETE;
  io.KeyMap[ImGuiKey_Backspace] = SDL_SCANCODE_BACKSPACE;
  io.KeyMap[ImGuiKey_Enter] = SDL_SCANCODE_RETURN;
  io.KeyMap[ImGuiKey_KeyPadEnter] = SDL_SCANCODE_KP_ENTER;
  io.KeyMap[ImGuiKey_Escape] = SDL_SCANCODE_ESCAPE;
  io.KeyMap[ImGuiKey_A] = SDL_SCANCODE_A;
  io.KeyMap[ImGuiKey_C] = SDL_SCANCODE_C;
  io.KeyMap[ImGuiKey_V] = SDL_SCANCODE_V;
  io.KeyMap[ImGuiKey_X] = SDL_SCANCODE_X;
}

}  // namespace

SdlImGui::SdlImGui(SDL_Renderer* renderer, const std::filesystem::path& font_file, float size)
    : renderer_(renderer), font_px_(size), width_(kCabWindowWidth), height_(kCabWindowHeight) {
  // Read here: ImGui's own reading stops the program on a missing file.
  std::ifstream in(font_file, std::ios::binary);
  font_bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in || font_bytes_.empty())
    throw SdlError(font_file.string() +
                   ": the dialogs' font cannot be read; install fonts-ipafont-gothic");
  ImGuiContext* before = ImGui::GetCurrentContext();
  context_ = ImGui::CreateContext();
  ImGui::SetCurrentContext(context_);
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;  // the windows open where the program puts them, every run
  io.LogFilename = nullptr;
  io.DisplaySize = ImVec2(kCabWindowWidth, kCabWindowHeight);
  map_keys(io);
  ImGui::StyleColorsClassic();
  try {
    make_font();
  } catch (const SdlError&) {
    ImGui::DestroyContext(context_);
    ImGui::SetCurrentContext(before);
    throw;
  }
  ImGui::SetCurrentContext(before);
}

SdlImGui::~SdlImGui() {
  if (ImGui::GetCurrentContext() == context_) ImGui::SetCurrentContext(nullptr);
  ImGui::DestroyContext(context_);
}

void SdlImGui::add_glyphs(const std::string& utf8) {
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* end = p + utf8.size();
  while (p < end) {
    char32_t c = *p++;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra > 0) c &= 0x3F >> extra;
    for (; extra > 0 && p < end && (*p & 0xC0) == 0x80; --extra) c = (c << 6) | (*p++ & 0x3F);
    // ImGui's glyphs stop at U+FFFF; the rest shows its fallback mark.
    if (c < 0x80 || c > 0xFFFF || extra_glyphs_.find(c) != std::u32string::npos) continue;
    if (has_glyph(c)) continue;
    extra_glyphs_ += c;
    glyphs_added_ = true;
  }
}

void SdlImGui::set_output_scale(float scale) {
  if (scale > 0 && std::isfinite(scale)) scale_ = scale;
}

void SdlImGui::want_large_font(float px, const std::string& extra) {
  ImFontGlyphRangesBuilder glyphs;
  for (ImWchar c = 0x20; c < 0x7F; ++c) glyphs.AddChar(c);
  glyphs.AddText(extra.c_str());
  ImVector<ImWchar> ranges;
  glyphs.BuildRanges(&ranges);
  large_ranges_.assign(ranges.begin(), ranges.end());
  large_px_ = px;
  glyphs_added_ = true;
}

bool SdlImGui::has_glyph(char32_t c) const {
  return font_ != nullptr && c <= 0xFFFF &&
         font_->FindGlyphNoFallback(static_cast<ImWchar>(c)) != nullptr;
}

// The glyphs at the size they are seen at: a layout px is `scale_` output px, so the font
// is made `scale_` times larger and drawn at 1 / `scale_`, one glyph px to one screen px.
void SdlImGui::make_font() {
  ImGuiIO& io = ImGui::GetIO();
  io.Fonts->Clear();
  ImFontGlyphRangesBuilder glyphs;
  glyphs.AddRanges(io.Fonts->GetGlyphRangesJapanese());
  glyphs.AddText(kMarks);
  for (char32_t c : extra_glyphs_) glyphs.AddChar(static_cast<ImWchar>(c));
  ImVector<ImWchar> ranges;
  glyphs.BuildRanges(&ranges);
  ranges_.assign(ranges.begin(), ranges.end());
  ImFontConfig config;
  config.FontDataOwnedByAtlas = false;  // the bytes are this object's
  font_ = io.Fonts->AddFontFromMemoryTTF(font_bytes_.data(), static_cast<int>(font_bytes_.size()),
                                         std::round(font_px_ * scale_), &config, ranges_.data());
  large_ = nullptr;
  if (font_ != nullptr && large_px_ > 0)
    large_ = io.Fonts->AddFontFromMemoryTTF(
        font_bytes_.data(), static_cast<int>(font_bytes_.size()), std::round(large_px_ * scale_),
        &config, large_ranges_.data());
  unsigned char* pixels = nullptr;
  int width = 0, height = 0;
  if (font_ != nullptr) io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
  TexturePtr texture;
  if (pixels != nullptr)
    texture.reset(SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STATIC,
                                    width, height));
  if (!texture || SDL_UpdateTexture(texture.get(), nullptr, pixels, width * 4) != 0) {
    font_ = nullptr;
    large_ = nullptr;
    throw SdlError(pixels == nullptr
                       ? "the dialogs' font has no usable glyphs"
                       : with_sdl_reason("the dialogs' font cannot be put into a texture"));
  }
  SDL_SetTextureBlendMode(texture.get(), SDL_BLENDMODE_BLEND);
  // One glyph px to one screen px: no filtering needed, and none wanted.
  SDL_SetTextureScaleMode(texture.get(), SDL_ScaleModeNearest);
  font_texture_ = std::move(texture);
  io.Fonts->SetTexID(font_texture_.get());
  io.Fonts->ClearTexData();
  io.FontGlobalScale = 1 / scale_;
  made_for_ = scale_;
  glyphs_added_ = false;
}

void SdlImGui::feed(const SDL_Event& e) {
  ImGuiContext* before = ImGui::GetCurrentContext();
  ImGui::SetCurrentContext(context_);
  ImGuiIO& io = ImGui::GetIO();
  switch (e.type) {
    case SDL_MOUSEMOTION:
      mouse_x_ = static_cast<float>(e.motion.x);
      mouse_y_ = static_cast<float>(e.motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      mouse_x_ = static_cast<float>(e.button.x);
      mouse_y_ = static_cast<float>(e.button.y);
      if (e.button.button >= 1 && e.button.button <= 3)
        changes_.push_back({Change::Button, e.button.button - 1, e.type == SDL_MOUSEBUTTONDOWN,
                            mouse_x_, mouse_y_});
      break;
    case SDL_MOUSEWHEEL:
      io.MouseWheel += static_cast<float>(e.wheel.y);
      break;
    case SDL_TEXTINPUT:
      io.AddInputCharactersUTF8(e.text.text);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const int scancode = e.key.keysym.scancode;
      if (scancode >= 0 && scancode < IM_ARRAYSIZE(io.KeysDown))
        changes_.push_back({Change::Key, scancode, e.type == SDL_KEYDOWN, 0, 0});
      const Uint16 mod = e.key.keysym.mod;
      io.KeyShift = (mod & KMOD_SHIFT) != 0;
      io.KeyCtrl = (mod & KMOD_CTRL) != 0;
      io.KeyAlt = (mod & KMOD_ALT) != 0;
      break;
    }
    default:
      break;
  }
  ImGui::SetCurrentContext(before);
}

void SdlImGui::begin_frame(float seconds) {
  ImGui::SetCurrentContext(context_);
  if (made_for_ != scale_ || glyphs_added_) make_font();
  ImGuiIO& io = ImGui::GetIO();
  io.DisplaySize = ImVec2(static_cast<float>(width_), static_cast<float>(height_));
  io.DeltaTime = seconds > 0 ? seconds : 1.0f / 60;
  // One change of each button and key a frame; a second one waits for the next frame. A
  // press or release away from where the pointer was is seen there first, as if the
  // pointer had moved a frame before (buttons react to what they were hovered by).
  std::vector<std::pair<Change::Kind, int>> changed;
  bool pointer_set = false;
  while (!changes_.empty()) {
    const Change c = changes_.front();
    const std::pair<Change::Kind, int> which{c.kind, c.index};
    if (std::find(changed.begin(), changed.end(), which) != changed.end()) break;
    if (c.kind == Change::Button) {
      const bool moved = io.MousePos.x != c.x || io.MousePos.y != c.y;
      io.MousePos = ImVec2(c.x, c.y);
      pointer_set = true;
      if (moved) break;
      io.MouseDown[c.index] = c.down;
    } else {
      io.KeysDown[c.index] = c.down;
    }
    changed.push_back(which);
    changes_.pop_front();
  }
  // The pointer where the last press or release was until all of them have been seen.
  const bool pending_button = std::any_of(changes_.begin(), changes_.end(),
                                          [](const Change& c) { return c.kind == Change::Button; });
  if (!pointer_set && !pending_button) io.MousePos = ImVec2(mouse_x_, mouse_y_);
  ImGui::NewFrame();
}

void SdlImGui::end_frame() {
  ImGui::SetCurrentContext(context_);
  ImGui::Render();
  // A fingerprint of what the frame draws (FNV-1a over its vertices, indices and commands),
  // so that an unchanged frame need not be drawn again.
  std::uint64_t h = 1469598103934665603ull;
  const auto mix = [&h](const void* data, std::size_t bytes) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < bytes; ++i) h = (h ^ p[i]) * 1099511628211ull;
  };
  const ImDrawData* d = ImGui::GetDrawData();
  for (int n = 0; d != nullptr && n < d->CmdListsCount; ++n) {
    const ImDrawList* list = d->CmdLists[n];
    mix(list->VtxBuffer.Data, static_cast<std::size_t>(list->VtxBuffer.Size) * sizeof(ImDrawVert));
    mix(list->IdxBuffer.Data, static_cast<std::size_t>(list->IdxBuffer.Size) * sizeof(ImDrawIdx));
    for (const ImDrawCmd& cmd : list->CmdBuffer) {
      mix(&cmd.ClipRect, sizeof cmd.ClipRect);
      mix(&cmd.ElemCount, sizeof cmd.ElemCount);
    }
  }
  signature_ = h;
}

void SdlImGui::draw(float left, float top, float scale) {
  ImGui::SetCurrentContext(context_);
  drawn_signature_ = signature_;
  const ImDrawData* data = ImGui::GetDrawData();
  if (data == nullptr || !data->Valid) return;
  SDL_Rect old_clip;
  const bool clipped = SDL_RenderIsClipEnabled(renderer_);
  SDL_RenderGetClipRect(renderer_, &old_clip);
  const ImVec2 at = data->DisplayPos;
  std::vector<float> xy;
  for (int n = 0; n < data->CmdListsCount; ++n) {
    const ImDrawList* list = data->CmdLists[n];
    const ImDrawVert* vertices = list->VtxBuffer.Data;
    const ImDrawIdx* indices = list->IdxBuffer.Data;
    // The places in output px.
    xy.resize(static_cast<std::size_t>(list->VtxBuffer.Size) * 2);
    for (int v = 0; v < list->VtxBuffer.Size; ++v) {
      xy[2 * static_cast<std::size_t>(v)] = left + (vertices[v].pos.x - at.x) * scale;
      xy[2 * static_cast<std::size_t>(v) + 1] = top + (vertices[v].pos.y - at.y) * scale;
    }
    for (const ImDrawCmd& cmd : list->CmdBuffer) {
      if (cmd.UserCallback != nullptr) {
        if (cmd.UserCallback != ImDrawCallback_ResetRenderState) cmd.UserCallback(list, &cmd);
        continue;
      }
      const int x0 = static_cast<int>(std::floor(left + (cmd.ClipRect.x - at.x) * scale));
      const int y0 = static_cast<int>(std::floor(top + (cmd.ClipRect.y - at.y) * scale));
      const int x1 = static_cast<int>(std::ceil(left + (cmd.ClipRect.z - at.x) * scale));
      const int y1 = static_cast<int>(std::ceil(top + (cmd.ClipRect.w - at.y) * scale));
      const SDL_Rect clip{x0, y0, x1 - x0, y1 - y0};
      if (clip.w <= 0 || clip.h <= 0) continue;
      SDL_RenderSetClipRect(renderer_, &clip);
      const ImDrawVert* v = vertices + cmd.VtxOffset;
      // ImGui's packed colour is R, G, B, A in memory, as SDL_Color.
      SDL_RenderGeometryRaw(
          renderer_, static_cast<SDL_Texture*>(cmd.GetTexID()), xy.data() + 2 * cmd.VtxOffset,
          2 * sizeof(float), reinterpret_cast<const SDL_Color*>(&v->col), sizeof(ImDrawVert),
          &v->uv.x, sizeof(ImDrawVert), list->VtxBuffer.Size - static_cast<int>(cmd.VtxOffset),
          indices + cmd.IdxOffset, static_cast<int>(cmd.ElemCount), sizeof(ImDrawIdx));
    }
  }
  SDL_RenderSetClipRect(renderer_, clipped ? &old_clip : nullptr);
}

}  // namespace velmora
