#include "ui/client_window.h"

#include <imgui_internal.h>

namespace velmora {

namespace {

// Boxes that share more than a sliver: glyph boxes carry a px or two of air.
bool overlap(ImVec2 a0, ImVec2 a1, ImVec2 b0, ImVec2 b1) {
  constexpr float kAir = 1.5f;
  return a0.x + kAir < b1.x && b0.x + kAir < a1.x && a0.y + kAir < b1.y && b0.y + kAir < a1.y;
}

// The part of an ImGui id that is shown ("OK##dialog" -> "OK").
std::string shown(const std::string& label) { return label.substr(0, label.find("##")); }

}  // namespace

void LayoutCheck::check_windows() {
  for (std::size_t i = 0; i < windows.size(); ++i)
    for (std::size_t j = i + 1; j < windows.size(); ++j)
      if (overlap(windows[i].min, windows[i].max, windows[j].min, windows[j].max))
        faults.push_back("windows \"" + windows[i].what + "\" and \"" + windows[j].what + "\" cover each other");
}

ImVec2 LayoutCheck::free_place(ImVec2 preferred, ImVec2 size) const {
  const auto free_at = [&](ImVec2 p) {
    for (const std::vector<Box>* list : {&windows, &last_windows})
      for (const Box& w : *list)
        if (overlap(p, ImVec2(p.x + size.x, p.y + size.y), w.min, w.max)) return false;
    return true;
  };
  if (free_at(preferred)) return preferred;
  const ImVec2 display = ImGui::GetIO().DisplaySize;
  const float top = ImGui::GetFrameHeight();  // below the menu bar
  constexpr float kStep = 10;
  ImVec2 best = preferred;
  float best_distance = FLT_MAX;
  for (float y = top; y + size.y <= display.y; y += kStep)
    for (float x = 0; x + size.x <= display.x; x += kStep) {
      const float d = (x - preferred.x) * (x - preferred.x) + (y - preferred.y) * (y - preferred.y);
      if (d < best_distance && free_at(ImVec2(x, y))) best = ImVec2(x, y), best_distance = d;
    }
  return best;
}

bool Client::begin(const char* caption, bool* open, float width, float height, ImVec2 first_place, ImVec2& origin) {
  caption_ = shown(caption);
  placed_.clear();
  // Opened for the first time: where no other window of the cab covers it.
  if (check_ != nullptr && ImGui::FindWindowByName(caption) == nullptr)
    first_place = check_->free_place(first_place, ImVec2(width, height + ImGui::GetFrameHeight()));
  ImGui::SetNextWindowPos(first_place, ImGuiCond_FirstUseEver);
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
  ImGui::PushStyleColor(ImGuiCol_WindowBg, kFace);
  const bool shown_now = ImGui::Begin(caption, open,
                                      ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse |
                                          ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoSavedSettings);
  ImGui::PopStyleColor();
  ImGui::PopStyleVar();
  origin_ = origin = ImGui::GetCursorScreenPos();
  size_ = ImVec2(width, height);
  // The title bar comes on top of the client area.
  ImGui::SetWindowSize(ImVec2(width, height + (origin_.y - ImGui::GetWindowPos().y)));
  if (check_ != nullptr)
    check_->windows.push_back({caption_, ImGui::GetWindowPos(), ImVec2(origin_.x + width, origin_.y + height)});
  ImGui::PushStyleColor(ImGuiCol_Text, kBlack);
  return shown_now;
}

void Client::end() {
  ImGui::PopStyleColor();
  ImGui::End();
  if (check_ == nullptr) return;
  const ImVec2 far(origin_.x + size_.x, origin_.y + size_.y);
  for (std::size_t i = 0; i < placed_.size(); ++i) {
    const Placed& a = placed_[i];
    if (!a.text) continue;
    if (a.max.x > far.x + 1 || a.max.y > far.y + 1)
      check_->faults.push_back(caption_ + ": \"" + a.what + "\" runs past the window's edge");
    for (std::size_t j = 0; j < placed_.size(); ++j)
      if (j != i && (j > i || !placed_[j].text) && overlap(a.min, a.max, placed_[j].min, placed_[j].max))
        check_->faults.push_back(caption_ + ": \"" + a.what + "\" runs into \"" + placed_[j].what + "\"");
  }
}

void Client::text(float x, float y, const std::string& s) {
  at(x, y);
  ImGui::TextUnformatted(s.c_str());
  if (!s.empty()) note(s, ImGui::GetItemRectMin(), ImGui::GetItemRectMax(), true);
}

void Client::big_text(float x, float y, const char* s, float px) {
  const ImVec2 p = point(x, y);
  ImGui::GetWindowDrawList()->AddText(ImGui::GetFont(), px, p, kBlack, s);
  const ImVec2 size = ImGui::GetFont()->CalcTextSizeA(px, FLT_MAX, 0, s);
  note(s, p, ImVec2(p.x + size.x, p.y + size.y), true);
}

bool Client::button(float x, float y, const char* caption, float width, float height) {
  at(x, y);
  const bool clicked = ImGui::Button(caption, ImVec2(width, height));
  note(shown(caption), ImGui::GetItemRectMin(), ImGui::GetItemRectMax(), false);
  return clicked;
}

void Client::note_item(const std::string& what, bool is_text) {
  note(what, ImGui::GetItemRectMin(), ImGui::GetItemRectMax(), is_text);
}

void Client::note(const std::string& what, ImVec2 min, ImVec2 max, bool is_text) {
  if (check_ != nullptr) placed_.push_back({what, min, max, is_text});
}

}  // namespace velmora
