#pragma once
// Every fake platform service a run needs, in one place: the headless run of velmora-sim,
// the tests and the benchmarks.

#include "app/run.h"
#include "platform/fake/fake_film_source.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_sound_device.h"

namespace velmora {

// A synthetic film long enough for any route.
inline FakeFilmSource long_fake_film() {
  FakeFilmSource film;
  film.length = 1'000'000;
  return film;
}

struct HeadlessPlatform {
  FakeClock clock;
  EventLog log;
  FakeDialogs dialogs{log};
  FakeCabScreen screen;
  MemorySettings settings;
  FakeSoundDevice sound{log, clock};
  FakeFilmSource fake_film = long_fake_film();
  FilmSource* film = &fake_film;  // a real source may take its place (velmora-sim --film real)
  FakeKeyboard keyboard;
  FakeSpriteEngine sprites;
  FakeImageList images{sprites};
  FakeEventSink events{log};
  FakeGameController pad;
  FakeSerialPort serial;
  // A drawing layer may take the fakes' place (velmora-sim --screenshot); the three belong
  // together, since the screen draws the sprites the image list makes.
  CabScreen* cab_screen = &screen;
  ImageList* image_list = &images;
  SpriteEngine* sprite_engine = &sprites;
  SoundDevice* sound_device = &sound;  // a real device may take its place

  Services services() {
    return {clock, dialogs,       *cab_screen,    settings, *sound_device, *film,
            keyboard, *image_list, *sprite_engine, events, pad, serial};
  }
};

}  // namespace velmora
