// Each subsystem's view of the run, built from the run itself: the one place that decides
// what each subsystem owns, reads and may write.

#include "app/cab_fade.h"
#include "app/run.h"
#include "app/train_steps.h"
#include "input/input_run.h"
#include "route/route_run.h"
#include "sound/sound_run.h"
#include "view/view_run.h"

namespace velmora {

SoundRun::SoundRun(Run& run)
    : sound(run.sound),
      calls(run.calls),
      announce(run.announce),
      platform{run.platform.sound, run.platform.events, run.platform.dialogs},
      rng(run.rng),
      config(run.config),
      vehicle(run.vehicle),
      route(run.route),
      train(run.train),
      load(run.load),
      frame(run.frame),
      options(run.options),
      film(run.film),
      signals(run.signals),
      controllers(run.controllers),
      input(run.input),
      station(run.station),
      overlays(run.overlays) {}

ViewRun::ViewRun(Run& run)
    : film(run.film),
      overlays(run.overlays),
      cab(run.cab),
      texts(run.texts),
      value_display(run.value_display),
      platform{run.platform.screen, run.platform.sprites, run.platform.images, run.platform.film,
               run.platform.sound,  run.platform.events,  run.platform.dialogs},
      config(run.config),
      ui(run.ui),
      vehicle(run.vehicle),
      panel(run.panel),
      route(run.route),
      load(run.load),
      frame(run.frame),
      options(run.options),
      input(run.input),
      signals(run.signals),
      protection(run.protection),
      sound(run.sound),
      calls(run.calls),
      announce(run.announce),
      sounds(run.sound_run),
      train(run.train),
      station(run.station) {}

RouteRun::RouteRun(Run& run)
    : station(run.station),
      protection(run.protection),
      signals(run.signals),
      platform{run.platform.events},
      rng(run.rng),
      config(run.config),
      ui(run.ui),
      vehicle(run.vehicle),
      panel(run.panel),
      frame(run.frame),
      options(run.options),
      input(run.input),
      film(run.film),
      value_display(run.value_display),
      sounds(run.sound_run),
      view(run.view_run),
      masconupdate([&run] { velmora::masconupdate(run); }),
      start_fade([&run] { velmora::start_fade(run); }),
      train(run.train),
      route(run.route) {}

InputRun::InputRun(Run& run)
    : input(run.input),
      controllers(run.controllers),
      platform{run.platform.keyboard, run.platform.pad, run.platform.screen, run.platform.events},
      ui(run.ui),
      mascon(run.mascon),
      vehicle(run.vehicle),
      route(run.route),
      frame(run.frame),
      film(run.film),
      station(run.station),
      protection(run.protection),
      value_display(run.value_display),
      rules(run.route_run),
      sounds(run.sound_run),
      view(run.view_run),
      masconupdate([&run] { velmora::masconupdate(run); }),
      suppression_reset([&run] { velmora::suppression_reset(run); }),
      update_gear_label([&run] { velmora::update_gear_label(run); }),
      train(run.train) {}

}  // namespace velmora
