#include "platform/sdl/sdl_imgui.h"

#include <imgui.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/cab_screen.h"

namespace velmora {

SdlImGui::SdlImGui(SDL_Renderer* renderer, const std::filesystem::path& font_file, float size)
    : renderer_(renderer), width_(kCabWindowWidth), height_(kCabWindowHeight) {
  ImGuiContext* before = ImGui::GetCurrentContext();
  context_ = ImGui::CreateContext();
  ImGui::SetCurrentContext(context_);
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;  // the windows open where the program puts them, every run
  io.LogFilename = nullptr;
  io.DisplaySize = ImVec2(kCabWindowWidth, kCabWindowHeight);
  ImGui::StyleColorsClassic();
  // Japanese, and the marks the windows use that the Japanese set leaves out.
  ImFontGlyphRangesBuilder glyphs;
  glyphs.AddRanges(io.Fonts->GetGlyphRangesJapanese());
  glyphs.AddText("↑↓←→●○◎～");
  ImVector<ImWchar> ranges;
  glyphs.BuildRanges(&ranges);
  // Read here: ImGui's own reading stops the program on a missing file.
  ImFont* font = nullptr;
  std::ifstream in(font_file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in && !bytes.empty()) {
    void* owned = IM_ALLOC(bytes.size());  // the atlas frees it
    std::memcpy(owned, bytes.data(), bytes.size());
    font = io.Fonts->AddFontFromMemoryTTF(owned, static_cast<int>(bytes.size()), size, nullptr, ranges.Data);
  }
  unsigned char* pixels = nullptr;
  int width = 0, height = 0;
  if (font != nullptr) io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
  if (pixels != nullptr)
    font_.reset(SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STATIC, width, height));
  if (!font_ || SDL_UpdateTexture(font_.get(), nullptr, pixels, width * 4) != 0) {
    const std::string why = font == nullptr ? font_file.string() + ": the dialogs' font cannot be read; install fonts-ipafont-gothic"
                                            : with_sdl_reason("the dialogs' font cannot be put into a texture");
    ImGui::DestroyContext(context_);
    ImGui::SetCurrentContext(before);
    throw SdlError(why);
  }
  SDL_SetTextureBlendMode(font_.get(), SDL_BLENDMODE_BLEND);
  io.Fonts->SetTexID(font_.get());
  io.Fonts->ClearTexData();
  ImGui::SetCurrentContext(before);
}

SdlImGui::~SdlImGui() {
  if (ImGui::GetCurrentContext() == context_) ImGui::SetCurrentContext(nullptr);
  ImGui::DestroyContext(context_);
}

void SdlImGui::begin_frame(float seconds) {
  ImGui::SetCurrentContext(context_);
  ImGuiIO& io = ImGui::GetIO();
  io.DisplaySize = ImVec2(static_cast<float>(width_), static_cast<float>(height_));
  io.DeltaTime = seconds > 0 ? seconds : 1.0f / 60;
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

void SdlImGui::draw() {
  ImGui::SetCurrentContext(context_);
  drawn_signature_ = signature_;
  const ImDrawData* data = ImGui::GetDrawData();
  if (data == nullptr || !data->Valid) return;
  SDL_Rect old_clip;
  const bool clipped = SDL_RenderIsClipEnabled(renderer_);
  SDL_RenderGetClipRect(renderer_, &old_clip);
  for (int n = 0; n < data->CmdListsCount; ++n) {
    const ImDrawList* list = data->CmdLists[n];
    const ImDrawVert* vertices = list->VtxBuffer.Data;
    const ImDrawIdx* indices = list->IdxBuffer.Data;
    for (const ImDrawCmd& cmd : list->CmdBuffer) {
      if (cmd.UserCallback != nullptr) {
        if (cmd.UserCallback != ImDrawCallback_ResetRenderState) cmd.UserCallback(list, &cmd);
        continue;
      }
      const ImVec2 at = data->DisplayPos;
      const SDL_Rect clip{static_cast<int>(cmd.ClipRect.x - at.x), static_cast<int>(cmd.ClipRect.y - at.y),
                          static_cast<int>(cmd.ClipRect.z - cmd.ClipRect.x),
                          static_cast<int>(cmd.ClipRect.w - cmd.ClipRect.y)};
      if (clip.w <= 0 || clip.h <= 0) continue;
      SDL_RenderSetClipRect(renderer_, &clip);
      const ImDrawVert* v = vertices + cmd.VtxOffset;
      // ImGui's packed colour is R, G, B, A in memory, as SDL_Color.
      SDL_RenderGeometryRaw(renderer_, static_cast<SDL_Texture*>(cmd.GetTexID()), &v->pos.x, sizeof(ImDrawVert),
                            reinterpret_cast<const SDL_Color*>(&v->col), sizeof(ImDrawVert), &v->uv.x,
                            sizeof(ImDrawVert), list->VtxBuffer.Size - static_cast<int>(cmd.VtxOffset),
                            indices + cmd.IdxOffset, static_cast<int>(cmd.ElemCount), sizeof(ImDrawIdx));
    }
  }
  SDL_RenderSetClipRect(renderer_, clipped ? &old_clip : nullptr);
}

}  // namespace velmora
