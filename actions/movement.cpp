// GO and every bare direction, ENTER, EXIT, JUMP, DIVE and CLIMB.
#include "actions/actions.hpp"
#include "console/console.hpp"
#include "core/state.hpp"
#include "core/world.hpp"

namespace {

void moveTo(int room) {
  game.currentRoom = room;
  game.redrawPending = 1;
}

void fallToDeath() {
  sayFormat("%s\n", "You have fallen to your death!");
  game.gameOver = 1;
}

bool isDirection(int noun) { return noun >= NORTH && noun <= DOWN; }

// The cliff top and the ledge drop away on every side but the cliff wall.
bool isDropAway(int noun) { return noun == SOUTH || noun == EAST || noun == WEST; }

}  // namespace

void doGo() {
  int room = game.currentRoom;
  int noun = game.noun;
  if (noun == HUT && room == OUTSIDE_HUT) {
    moveTo(INSIDE_HUT);
  } else if (noun == SIGNAL_FIRE && isHere(SIGNAL_FIRE)) {
    say("Oh no, you have burnt yourself to death.\n");
    game.gameOver = 1;
  } else if (isDropAway(noun) && (room == CLIFF_TOP || room == LEDGE)) {
    fallToDeath();
  } else if (noun == WEST && room == GNOME_ROOM && locationOf(GNOME) != NOWHERE) {
    say("The gnome won't let you!\n");
  } else if (noun == SOUTH && room == LAGOON_FLOOR && locationOf(AMULET) != WORN) {
    say("The shark won't let you!\n");
  } else if (isDirection(noun) && game.exits[room][noun - 1] != 0) {
    moveTo(game.exits[room][noun - 1]);
  } else {
    cant("%s go that way!\n");
  }
}

void doEnter() {
  if (game.noun == HUT && game.currentRoom == OUTSIDE_HUT) {
    moveTo(INSIDE_HUT);
  } else if (game.noun == CLOSET && game.currentRoom == CLOSET_INSIDE) {
    moveTo(LOCKSMITH);  // inside the closet, "entering" it only leads out
  } else {
    sayFormat("%s\n", "What?");
  }
}

void doExit() {
  if (game.noun == HUT && game.currentRoom == INSIDE_HUT) {
    moveTo(OUTSIDE_HUT);
  } else if (game.noun == CLOSET && game.currentRoom == CLOSET_INSIDE) {
    moveTo(LOCKSMITH);
  } else {
    sayFormat("%s\n", "What?");
  }
}

void doJump() {
  int room = game.currentRoom;
  if (room == CLIFF_TOP || room == LEDGE || room == CHASM_SOUTH || room == CHASM_NORTH) {
    fallToDeath();
  } else {
    cant("%s jump here!\n");
  }
}

void doDive() {
  if (isCarried(SCUBA_GEAR) && game.scubaOn == 1 && game.currentRoom == LAGOON) {
    moveTo(LAGOON_FLOOR);
    return;
  }
  cant("%s dive here.");
  say(game.currentRoom == LAGOON ? "..yet.\n" : "\n");
}

void doClimb() {
  if (game.noun == NOUN_VINES) {
    if (game.currentRoom == TEMPLE_CLEARING) {
      say("The vines break and you fall to your death!\n");
      game.gameOver = 1;
    } else {
      say("Vines?  Where?\n");
    }
  } else if (game.noun == NOUN_CLIFF) {
    // Elsewhere there is no cliff to climb, and nothing is said.
    if (game.currentRoom == CLIFF_TOP) {
      moveTo(LEDGE);
    } else if (game.currentRoom == LEDGE) {
      moveTo(CLIFF_TOP);
    }
  } else {
    cant("%s climb that!\n");
  }
}
