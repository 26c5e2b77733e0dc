#pragma once
// The texts of the drive: speed and stop distance, the explanation line that tells a
// beginner what to do next, the window caption, the cab window's labels, and the texts drawn
// over the film.

#include <string>

#include "view/view_run.h"

namespace velmora {

// Start of a run: the train information line.
void start_texts(const ViewRun& run);

// Route step, first: the speed and stop-distance texts.
void drive_texts_step(const ViewRun& run);

// Route step, near the end: the easy-cab window's column and status bar, whether or not the
// window is shown.
void easy_cab_step(const ViewRun& run);

// Route step, near the end: the window caption, then the explanation line.
void caption_step(const ViewRun& run);
void hint_step(const ViewRun& run);

// Route step, last: the labels (label mode only).
void label_step(const ViewRun& run);

// The explanation line for this pass: "0" and the text, "0" alone for an empty explanation,
// or empty.
std::string compose_hint(const ViewRun& run);

// Every frame, after the film picture: the texts drawn over the film.
void draw_film_texts(const ViewRun& run);

// The stop distance (cm) as the driver reads it.
std::string stop_distance_text(long double cm);

}  // namespace velmora
