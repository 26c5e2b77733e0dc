#pragma once
// The calls (kanko) and station announcements that the route rules ask for. The call queue
// and its player are not built yet: until they are, each request is recorded as a "call"
// event of the run, so a headless drive shows what would have been said.

namespace velmora {

struct Run;

// Queues the call voice in slot `slot` ("call SLOT FILE").
void kanko_queue_add(Run& run, int slot);

// The station calls of `event` (0..5) at station `station` ("call station EVENT STATION").
void station_call(Run& run, int event, int station);

}  // namespace velmora
