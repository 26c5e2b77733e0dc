#pragma once
// The make and marks commands: film, track or marks in; film, route file, pictures,
// preview and the checks' verdict out. And the profile command for existing routes.

#include "author_options.h"

namespace velmora::author {

// Each returns the program's exit status and prints what it did.
int make_route(const AuthorOptions& options);
int profile_route(const AuthorOptions& options);

}  // namespace velmora::author
