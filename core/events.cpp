#include "console/console.hpp"
#include "core/game.hpp"
#include "core/state.hpp"
#include "core/world.hpp"

namespace {

void watchForShip() {
  if (game.turn < SHIP_FIRST_TURN || game.turn > SHIP_LAST_TURN) return;
  if (locationOf(SHIP) == NOWHERE && locationOf(SIGNAL_FIRE) == CLIFF_TOP) {
    moveObject(SHIP, SHORE);
    moveObject(SAILOR, SHORE);
    describeRoom();
    say("The ship sees the signal fire and sails in.\n\n");
  } else if (locationOf(SIGNAL_FIRE) == NOWHERE && game.currentRoom == CLIFF_TOP) {
    say("A ship can be seen on the horizon.\n\n");
  }
}

void letBirdSpeak() {
  if (game.currentRoom != QUIET_JUNGLE || game.birdSeen != 0) return;
  say("A small bird lands and says: \"Neptune is 'summoning' you.\", and flys away.\n\n");
  game.birdSeen = 1;
}

void burnMatch() {
  if (game.matchLit == 1) game.matchTurns += 1;
  if (game.matchTurns >= MATCH_BURN_TURNS) {
    say("The match goes out.\n\n");
    game.matchLit = 0;
    game.matchTurns = 0;
  }
}

void burnTorch() {
  if (game.torchLit != 1) return;
  game.torchFuel -= 1;
  if (game.torchFuel != 0) return;
  say("The torch cannot burn anymore.\n\n");
  game.torchLit = 0;
  moveObject(TORCH, NOWHERE);
}

void breatheFromTanks() {
  if (game.scubaOn != 1) return;
  game.scubaAir -= 1;
  if (game.scubaAir != 0) return;
  say("Your scuba tanks are out of air!\n\n");
  game.scubaOn = 0;
  moveObject(SCUBA_GEAR, NOWHERE);
}

}  // namespace

void runTimedEvents() {
  watchForShip();
  letBirdSpeak();
  burnMatch();
  burnTorch();
  breatheFromTanks();
}
