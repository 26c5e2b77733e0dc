#pragma once
// The title window as a state machine: the opening film, the title picture with its
// staggered buttons and jingle, the choice of a route (or of any vehicle on it) and the
// return after a run. The desktop program owns the window, the media player and the file
// dialog; it sends the window's events here and does what they answer.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <random>
#include <string>

#include "app/run.h"

namespace velmora {

enum class TitleStage {
  Opening,  // 352 x 264, the opening film playing (or absent: the first tick ends it)
  Title,    // 800 x 533, the title picture; jingle and buttons follow the end of the opening
  Loading,  // a route chosen: the loading picture while the run starts
  Hidden,   // the run's cab window is shown
};

// The five buttons, in the order of TitleState::button_visible.
enum class TitleButton { Train1, Train2, train3, HELP, Quit };

inline constexpr const char* kOpeningFilm = "move\\opening.avi";
inline constexpr const char* kTitleJingle = "sound\\39911.wav";
inline constexpr const char* kOpeningFilmError = "オープニングムービーを開けません";
inline constexpr const char* kHelpDocument = "readme.html";
inline constexpr int kOpeningTimeout = 1120;  // ticks (112 s): the longest opening

struct TitleState {
  TitleStage stage = TitleStage::Opening;
  int title_ticks = 0;                   // 100 ms ticks since the title sequence (re)started
  bool timer_running = true;             // stops for good once a route is chosen
  bool film_loaded = false;              // the player holds the opening film
  bool film_visible = true;              // the film area DXDraw1
  std::array<bool, 5> button_visible{};  // by TitleButton
  bool loading_visible = false;
  std::string picture;  // title picture, relative to the data folder
  std::string status;   // Label1 (below the client area: only the loading picture is seen)
  int client_width = 352, client_height = 264;  // px
  int left = 0, top = 0;                        // px, window position on the screen
};

// What the desktop program must do after an event, besides showing the state.
struct TitleEffects {
  bool close_film = false;    // hide and close the player's opening film
  bool play_jingle = false;   // load kTitleJingle into the player and play it
  bool stop_player = false;   // stop and close the player if it is playing
  bool place_window = false;  // size and move the window to client_*, left, top
};

// One coordinate of a centred window: (screen - size) / 2, a half to the even neighbour.
int centred(int screen, int size);

// The window being created on a screen of that size: 352 x 264 centred, all buttons
// hidden, one of the five title pictures chosen at random. The timer runs from here;
// the desktop program then tries the opening film (opening_film_loaded or
// opening_film_failed).
TitleState title_create(int screen_width, int screen_height, std::mt19937_64& rng);

// The opening film is loaded and playing.
void opening_film_loaded(TitleState& t);

// The opening film exists but could not be loaded, opened or played: the text to show.
// The sequence goes on: the next tick ends the opening as if there were no film.
std::string opening_film_failed(TitleState& t);

// End of the opening (a click on the film area, or the film's end): the title picture
// at 800 x 533, centred; the jingle and the buttons follow on the next ticks.
TitleEffects aviclick(TitleState& t, int screen_width, int screen_height);

// The 100 ms timer. A tick that ends the opening (no film, or 112 s of it) does only
// that, so the jingle always comes one tick after the end, the buttons 3, 4, 5, 9 and 10.
TitleEffects title_tick(TitleState& t, int screen_width, int screen_height);

// The launcher's fixed pairs. Empty for HELP and Quit.
struct RoutePair {
  const char* route_file;
  const char* vehicle_file;
  int first_station, last_station;
};
std::optional<RoutePair> route_pair(TitleButton button);

// A left click on a route button: the title window shows its loading picture and
// the run to start comes back (the pair's vehicle from the data folder). The effects
// stop the player; the timer stops for good.
RunConfig TrainClick(TitleState& t, TitleButton button, const std::filesystem::path& program_dir,
                     std::uint64_t seed, TitleEffects& effects);

// A right click on a route button, after the desktop program's file dialog: empty when
// cancelled (nothing happens). Otherwise the button's route with the picked vehicle,
// whose pictures and sounds are then looked up in its own folder.
std::optional<RunConfig> Menumousedown(TitleState& t, TitleButton button,
                                       const std::optional<std::filesystem::path>& picked,
                                       const std::filesystem::path& program_dir, std::uint64_t seed,
                                       TitleEffects& effects);

// The run's cab window is about to be shown modally: the title window hides.
void title_hide(TitleState& t);

// The run is over (or failed to start): the title window again, buttons shown,
// loading picture hidden, client height 533.
void title_return(TitleState& t);

// Help: the document to open with the desktop's viewer.
std::filesystem::path helpclick(const std::filesystem::path& program_dir);

}  // namespace velmora
