#pragma once

#include "playback/player_context.h"

namespace zema {

// The player thread's body: inserts the NoteOffs, then plays the context's
// events from seekTick on its output, paced by its clock, following the
// command word until the song ends (or loops) or Stop arrives. Returns after
// the Finished notification.
//
// While it plays it never locks, allocates or logs: the sounding notes live
// in storage reserved before the first event, and every shared field is an
// atomic. Waits are anchored at the scheduled time of the last dispatched
// event, so neither rounding nor wake-up delays add up over a song. Messages
// other threads queued in the context are sent between events, at least once
// per clock period, so the player is the only thread on the output.
void runPlayer(PlayerContext& context);

}  // namespace zema
