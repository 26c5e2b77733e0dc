#include "app/title.h"

#include "common/random_below.h"
#include "common/rounding.h"

namespace velmora {
namespace {

constexpr int kOpeningWidth = 352, kOpeningHeight = 264;  // px, the film area
constexpr int kTitleWidth = 800, kTitleHeight = 533;      // px, the title picture

// Ticks after which each button shows, by TitleButton: a staggered entrance.
constexpr std::array<int, 5> kButtonAfter = {2, 3, 4, 8, 9};

void place(TitleState& t, int width, int height, int screen_width, int screen_height) {
  t.client_width = width;
  t.client_height = height;
  t.left = centred(screen_width, width);
  t.top = centred(screen_height, height);
}

RunConfig start_route(TitleState& t, const RoutePair& pair,
                      const std::filesystem::path& program_dir, std::uint64_t seed,
                      TitleEffects& effects) {
  effects.stop_player = true;
  t.timer_running = false;
  t.stage = TitleStage::Loading;
  t.button_visible.fill(true);
  t.loading_visible = true;
  t.client_height = kTitleHeight;
  t.status = "Formを作成しています";
  RunConfig c;
  c.program_dir = program_dir;
  c.route_file = pair.route_file;
  c.vehicle_file = pair.vehicle_file;
  c.first_station = pair.first_station;
  c.last_station = pair.last_station;
  c.seed = seed;
  return c;
}

}  // namespace

int centred(int screen, int size) {
  return static_cast<int>(round_half_even((screen - size) / 2.0L));
}

TitleState title_create(int screen_width, int screen_height, std::mt19937_64& rng) {
  TitleState t;
  place(t, kOpeningWidth, kOpeningHeight, screen_width, screen_height);
  t.picture = "image\\title\\0" + std::to_string(1 + random_below(rng, 5)) + ".jpg";
  return t;
}

void opening_film_loaded(TitleState& t) { t.film_loaded = true; }

std::string opening_film_failed(TitleState& t) {
  // A film that was loaded but would not play would otherwise hold a still area for 112 s.
  t.film_loaded = false;
  return kOpeningFilmError;
}

TitleEffects aviclick(TitleState& t, int screen_width, int screen_height) {
  TitleEffects e;
  // The player's end-of-media notice also comes for the jingle; only the opening ends.
  if (t.stage != TitleStage::Opening) return e;
  t.button_visible.fill(false);
  t.title_ticks = 0;
  e.close_film = t.film_loaded;
  t.film_loaded = false;
  t.film_visible = false;
  t.stage = TitleStage::Title;
  place(t, kTitleWidth, kTitleHeight, screen_width, screen_height);
  e.place_window = true;
  return e;
}

TitleEffects title_tick(TitleState& t, int screen_width, int screen_height) {
  if (!t.timer_running) return {};
  if (t.stage == TitleStage::Opening && (!t.film_loaded || t.title_ticks == kOpeningTimeout))
    return aviclick(t, screen_width, screen_height);
  ++t.title_ticks;
  TitleEffects e;
  // The jingle and the buttons wait for the title picture: loaded into the one player
  // during the film, the jingle would cut it short.
  if (t.stage != TitleStage::Title) return e;
  e.play_jingle = t.title_ticks == 1;
  for (std::size_t b = 0; b < kButtonAfter.size(); ++b)
    if (t.title_ticks > kButtonAfter[b]) t.button_visible[b] = true;
  return e;
}

std::optional<RoutePair> route_pair(TitleButton button) {
  switch (button) {
    case TitleButton::Train1:
      return RoutePair{"line_exp.dat", "train_85.dat", 0, 999};
    case TitleButton::Train2:
      return RoutePair{"line_rapid.dat", "train_75.dat", 0, 999};
    case TitleButton::train3:
      return RoutePair{"line_local.dat", "train_313_2cars.dat", 0, 999};
    case TitleButton::HELP:
    case TitleButton::Quit:
      break;
  }
  return std::nullopt;
}

RunConfig TrainClick(TitleState& t, TitleButton button, const std::filesystem::path& program_dir,
                     std::uint64_t seed, TitleEffects& effects) {
  // The pair's vehicle is always the data folder's, even after an earlier pick elsewhere.
  return start_route(t, route_pair(button).value(), program_dir, seed, effects);
}

std::optional<RunConfig> Menumousedown(TitleState& t, TitleButton button,
                                       const std::optional<std::filesystem::path>& picked,
                                       const std::filesystem::path& program_dir, std::uint64_t seed,
                                       TitleEffects& effects) {
  if (!picked) return std::nullopt;
  RunConfig c = start_route(t, route_pair(button).value(), program_dir, seed, effects);
  c.vehicle_file = picked->filename().string();
  c.vehicle_dir = picked->parent_path();
  return c;
}

void title_hide(TitleState& t) { t.stage = TitleStage::Hidden; }

void title_return(TitleState& t) {
  t.stage = TitleStage::Title;
  t.button_visible.fill(true);
  t.loading_visible = false;
  t.client_height = kTitleHeight;
}

std::filesystem::path helpclick(const std::filesystem::path& program_dir) {
  return program_dir / kHelpDocument;
}

}  // namespace velmora
