// TURN, THROW, TIE and EAT: the scuba tanks, the axe, the rope and anchor,
// the pill and the mushrooms.
#include "actions/actions.hpp"
#include "console/console.hpp"
#include "core/game.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "parser/parser.hpp"

namespace {

void throwAxe() {
  if (!isCarried(AXE)) {
    say("You don't have the axe.\n");
    return;
  }
  say("Tell me in one word, at what? ");
  if (!readAnswer()) return;
  say("\n");
  if (answerBegins("GNO") && isHere(GNOME)) {
    moveObject(AXE, game.currentRoom);
    describeRoom();
    say("The gnome ducked and your axe missed him!\n");
  } else if (answerBegins("CLO") && game.currentRoom == LOCKSMITH) {
    moveObject(AXE, NOWHERE);
    game.exits[LOCKSMITH][EAST - 1] = CLOSET_INSIDE;
    describeRoom();
    say("It shatters the door, but you can't find the axe again.\n");
  } else {
    cant("%s do that.\n");
  }
}

// The anchor is tied on exactly while it is nowhere else.
void throwRope() {
  if (!isCarried(ROPE)) {
    say("You don't have the rope.\n");
  } else if (locationOf(ANCHOR) != NOWHERE) {
    say("You need something on the end for weight.\n");
  } else if (game.currentRoom != CHASM_SOUTH) {
    say("Not here.\n");
  } else {
    game.exits[CHASM_SOUTH][NORTH - 1] = CHASM_NORTH;
    renameObject(ROPE, NAME_ROPE_ACROSS_CHASM);
    moveObject(ROPE, CHASM_SOUTH);
    renameObject(ANCHOR, NAME_ANCHOR_ACROSS_CHASM);
    moveObject(ANCHOR, CHASM_NORTH);
    game.exits[CHASM_NORTH][SOUTH - 1] = CHASM_SOUTH;
    describeRoom();
    say("It hooks on the tree across the chasm.\n");
  }
}

}  // namespace

void doTurn() {
  if (game.noun != SCUBA_GEAR) {
    cant("%s turn that!\n");
    return;
  }
  if (!isCarried(SCUBA_GEAR)) {
    say("You don't have the scuba tanks.\n");
    return;
  }
  say("On or off? ");
  if (!readAnswer()) return;
  say("\n");
  char second = answerLine[0] == '\0' ? '\0' : answerLine[1];
  if (second == 'N') {
    if (game.scubaOn == 1) {
      say("The tanks are already on!\n");
    } else {
      game.scubaOn = 1;
    }
  } else if (second == 'F') {
    if (game.scubaOn == 0) {
      say("The tanks are already turned off!\n");
    } else {
      game.scubaOn = 0;
    }
  } else {
    say("What?");
  }
}

void doThrow() {
  if (game.noun == AXE) {
    throwAxe();
  } else if (game.noun == ROPE || game.noun == ANCHOR) {
    throwRope();
  } else {
    cant("%s throw that.\n");
  }
}

void doTie() {
  if (game.noun != ROPE) {
    cant("%s tie that to anything.\n");
    return;
  }
  if (!isCarried(ROPE)) {
    say("You don't have the rope.\n");
    return;
  }
  say("Tell me in one word, to what? ");
  if (!readAnswer()) return;
  say("\n");
  if (!answerBegins("ANC")) {
    say("I don't think you should tie it to that.\n");
  } else if (!isCarried(ANCHOR)) {
    say("You don't have the anchor.\n");
  } else {
    moveObject(ANCHOR, NOWHERE);
    renameObject(ROPE, NAME_ROPE_ON_ANCHOR);
    say("O.K.\n");
  }
}

void doEat() {
  if (isCarried(MUSHROOMS) && game.noun == NOUN_MUSHROOMS) {
    moveObject(MUSHROOMS, NOWHERE);
    describeRoom();
    say("Finally something to eat!  You feel funny though...\n");
  } else if (isCarried(PILL)) {
    // Whatever the player meant to eat, a pill in the hand goes down.
    say("O.K....you feel stronger!\n");
    moveObject(PILL, NOWHERE);
  } else {
    cant("%s eat that!\n");
  }
}
