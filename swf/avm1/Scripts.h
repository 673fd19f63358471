// ActionScript 1/2 as the scripts of a player: what a host passes to swf::Player to have the
// movie's scripts run, e.g. `swf::Player player(movie, swf::avm1::MakeScripts, loop)`.
#pragma once

#include "swf/player/Scripts.h"

#include <memory>

namespace swf::avm1 {

// An interpreter for the player's movie, acting on the player's display list.
std::unique_ptr<Scripts> MakeScripts(Player& player);

}  // namespace swf::avm1
