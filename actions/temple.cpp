// POUR, DRINK, SUMMON, WEAR, RUB and SHINE: the wine offering in the temple.
#include "actions/actions.hpp"
#include "console/console.hpp"
#include "core/game.hpp"
#include "core/prose.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "parser/parser.hpp"

namespace {

bool inShrine() {
  int room = game.currentRoom;
  return room == ENTRANCE_CHAMBER || room == PREPARATION_CHAMBER || room == PRAYER_ROOM;
}

// Where the drink leaves the turn counter: just before the ship passes, or,
// from turn 98 on, thirty turns later.
constexpr int WAKING_TURN = 94;
constexpr int LATE_DRINK_TURN = 98;
constexpr int LATE_DRINK_HOURS = 30;

// Puts on the robe or the amulet, from the floor or from the hands.
void putOn(int object) {
  moveObject(object, WORN);
  if (object == AMULET) game.exits[LAGOON_FLOOR][SOUTH - 1] = UNDERWATER_CAVE;
  describeRoom();
  say("O.K.\n");
}

}  // namespace

void doPour() {
  if (game.noun != NOUN_WINE) {
    cant("%s pour that!\n");
  } else if (!isCarried(BOTTLE)) {
    say("You don't have the bottle.\n");
  } else if (!nameHoldsWine()) {
    say("You have no wine.\n");
  } else if (game.currentRoom != PRAYER_ROOM) {
    say("It spills everywhere.  What a waste of wine!  You may have needed that...\n");
    renameObject(BOTTLE, NAME_EMPTY_BOTTLE);
  } else {
    say("Tell me, in what word, in or on what?  ");
    if (!readAnswer()) return;
    say("\n");
    if (answerBegins("GOB")) {
      renameObject(GOBLET, NAME_FULL_GOBLET);
      renameObject(BOTTLE, NAME_EMPTY_BOTTLE);
      game.redrawPending = 1;
    } else {
      say("Not in that!\n");
    }
  }
}

void doDrink() {
  if (game.noun != NOUN_WINE) {
    cant("%s drink that!\n");
  } else if (isCarried(BOTTLE) && nameHoldsWine()) {
    game.currentRoom = PRAYER_ROOM;
    describeRoom();
    say("That was good!\nYou're drunk!\nYo ho ho and a bottle of rum!\n");
    say("\nYou wake-up later, somewhere else.\nYou may have needed that wine for something...\n");
    renameObject(BOTTLE, NAME_EMPTY_BOTTLE);
    if (game.turn >= LATE_DRINK_TURN) {
      game.turn += LATE_DRINK_HOURS;
    } else {
      game.turn = WAKING_TURN;
    }
  } else {
    cant("%s do that.\n");
  }
}

void doSummon() {
  if (!inShrine()) {
    say("Nothing happens.\n");
  } else if (game.noun != NOUN_NEPTUNE) {
    say(shrineDeathText);
    game.gameOver = 1;
  } else if (locationOf(ROBE) == WORN && gobletIsFull()) {
    renameObject(GOBLET, NAME_EMPTY_GOBLET);
    moveObject(ROBE, NOWHERE);
    moveObject(AMULET, PRAYER_ROOM);
    describeRoom();
    say(offeringText);
  } else {
    cant("%s...yet.\n");
  }
}

void doWear() {
  int noun = game.noun;
  if (noun != ROBE && noun != AMULET) {
    cant("%s wear that!\n");
  } else if (isAtHand(noun)) {
    putOn(noun);
  } else if (locationOf(noun) == WORN) {
    say("You're already wearing it!\n");
  } else {
    say("It's not here.\n");
  }
}

void doRub() {
  if (game.noun != STATUE) {
    say("It's very clean now.\n");
  } else if (game.currentRoom == ENTRANCE_CHAMBER || game.currentRoom == PRAYER_ROOM) {
    say(statueDeathText);
    game.gameOver = 1;
  } else {
    say("There is no statue here.\n");
  }
}
