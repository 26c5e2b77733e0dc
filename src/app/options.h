#pragma once
// The viewing options kept in the user's settings: read when a run's cab window is created,
// written back when it closes. Also the controller button map, read at the same time.

namespace velmora {

struct Run;

struct Options {
  int opt_kanko_off = 0;    // 1: spoken calls off
  int opt_info_off = 0;     // 1: no information line
  int opt_ats_reg = 0;      // 1: train protection off at the start of a run
  int opt_effects_off = 0;  // 1: no closing fade, no tunnel panel
  int opt_moji = 1;         // 1: the cab's text labels shown
};

// Reads the five options; when any of them is missing or unreadable all five take their
// defaults, so a half-written set never mixes with defaults.
void read_view_options(Run& run);

// Reads the controller button map (P0..P5, B0..B8, EB) into run.input.dg_button_map.
// Reading stops silently at the first value missing: it and the rest stay 0. The map is
// never written back: it is set by hand in the settings file.
void read_dg_button_map(Run& run);

// Writes the five options back as they stand (values other than 0 or 1 included).
void write_view_options(Run& run);

}  // namespace velmora
