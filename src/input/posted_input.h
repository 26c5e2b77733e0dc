#pragma once
// Typed characters and key presses that a controller posts to the cab window. They are
// handled after the handler that posted them has returned, in the order posted, by the
// same keyboard commands a driver's keys reach.

#include <vector>

#include "input/input_run.h"

namespace velmora {

struct PostedInput {
  char32_t ch = 0;         // a typed character; unused for a key press
  bool enter_key = false;  // a key press of Enter instead of a character
};

using PostedInputs = std::vector<PostedInput>;

inline void post_char(PostedInputs& posts, char32_t ch) { posts.push_back({ch, false}); }
inline void post_enter(PostedInputs& posts) { posts.push_back({0, true}); }

// Hands every posted input, in order, to AsciiDown or key_pressed.
void handle_posted(const InputRun& run, const PostedInputs& posts);

}  // namespace velmora
