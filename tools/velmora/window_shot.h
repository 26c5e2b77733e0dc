#pragma once
// Automation's pictures of a window (--screenshot-every): what the renderer has drawn so
// far, before it is shown, at the window's own px.

#include <SDL.h>

#include <filesystem>

namespace velmora {

// Saves the picture as PNG; a failure is said on stderr (automation goes on).
void save_window_shot(SDL_Renderer* renderer, const std::filesystem::path& file);

}  // namespace velmora
