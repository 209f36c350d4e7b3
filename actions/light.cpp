// LIGHT and EXTINGUISH: the matches, the torch and the signal fire.
#include "actions/actions.hpp"
#include "console/console.hpp"
#include "core/game.hpp"
#include "core/state.hpp"
#include "core/world.hpp"

namespace {

void lightSignalFire() {
  if (game.currentRoom != CLIFF_TOP) {
    say("Not here!\n");
  } else if (locationOf(SIGNAL_FIRE) == CLIFF_TOP) {
    cant("%s light a fire that is already burning!\n");
  } else if (isCarried(DRIFTWOOD)) {
    say("Put the wood down before you light it!\n");
  } else if (locationOf(DRIFTWOOD) == CLIFF_TOP) {
    moveObject(SIGNAL_FIRE, CLIFF_TOP);
    moveObject(DRIFTWOOD, NOWHERE);
    describeRoom();
    say("The fire is lit.\n");
  } else {
    say("You don't have the wood here.\n");
  }
}

void lightTorch() {
  if (game.torchLit == 1) {
    say("It's already lit!\n");
  } else if (!isCarried(TORCH)) {
    say("You don't have it.\n");
  } else {
    game.torchLit = 1;
    game.matchesLeft -= 1;
    describeRoom();
    say("It's lit.\n");
  }
}

}  // namespace

void doLight() {
  if (game.matchesLeft == 0) {
    say("You have no more matches.\n");
    renameObject(MATCHBOOK, NAME_EMPTY_MATCHBOOK);
  } else if (locationOf(MATCHBOOK) >= 0) {
    say("You don't have matches!\n");
  } else if (game.noun == MATCHBOOK) {
    game.matchesLeft -= 1;
    game.matchLit = 1;  // a second match burns out with the first
    describeRoom();
    say("The match flares up.\n");
  } else if (game.noun == DRIFTWOOD) {
    lightSignalFire();
  } else if (game.noun == TORCH) {
    lightTorch();
  } else {
    cant("%s light that!\n");
  }
}

void doExtinguish() {
  if (game.noun != TORCH) {
    cant("%s extinguish that.\n");
  } else if (!isCarried(TORCH)) {
    say("You don't have the torch.\n");
  } else if (game.torchLit == 1) {
    game.torchLit = 0;
    describeRoom();
    say("The torch is extinguished.\n");
  } else {
    say("It's already extinguished.\n");
  }
}
