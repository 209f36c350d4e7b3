// GET and TAKE, DROP, LEAVE and PUT, and INVENTORY.
#include "actions/actions.hpp"
#include "console/console.hpp"
#include "core/game.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "parser/parser.hpp"

namespace {

void pickUp(int object) {
  moveObject(object, CARRIED);
  game.redrawPending = 1;
}

bool isCreature(int noun) { return noun == SHARK || noun == GNOME || noun == SAILOR; }

// A carried bottle is never simply set down: by the water it floats off,
// anywhere else it breaks.
void letGoOfBottle() {
  if (!roomTraits[game.currentRoom].bottleFloats) {
    say("It shatters!\nYou may have needed that bottle...");
    moveObject(BOTTLE, NOWHERE);
    return;
  }
  if (locationOf(PAPER) != NOWHERE) {
    say("Not yet..\n");
    return;
  }
  moveObject(BOTTLE, NOWHERE);
  moveObject(SCUBA_GEAR, game.currentRoom);
  describeRoom();
  say("It falls in the water and floats out to sea...\n");
  say("Hey, look!\n");
}

void putPaperInBottle() {
  say("Tell me in one word, in or on what?  ");
  if (!readAnswer()) return;
  say("\n");
  if (answerBegins("BOT") && nameIsEmptyBottle()) {
    renameObject(BOTTLE, NAME_MESSAGE_IN_BOTTLE);
    moveObject(PAPER, NOWHERE);
    say("O.K.\n");
  } else {
    cant("%s...yet.\n");
  }
}

}  // namespace

void doTake() {
  int noun = game.noun;
  if (game.carriedCount >= CARRY_LIMIT) {
    cant("%s carry any more.\n");
  } else if (noun == NOUN_MUSHROOMS && isHere(MUSHROOMS)) {
    pickUp(MUSHROOMS);
  } else if (noun < FIRST_OBJECT || noun > SAILOR) {
    cant("%s take that!\n");
  } else if (objectHeft[noun] == Heft::PORTABLE && isHere(noun)) {
    pickUp(noun);
  } else if (objectHeft[noun] == Heft::FIXED && isHere(noun)) {
    say("It's too heavy.\n");
  } else if (noun == WRECKAGE && game.currentRoom == WRECK_REEF) {
    say("It's useless.\n");
  } else if (isCreature(noun)) {
    say("It won't let you.\n");
  } else if (noun == SACKS && game.currentRoom == INSIDE_HUT) {
    say("They fall apart at touch.\n");
  } else if (noun == ANCHOR) {
    if (!isHere(ANCHOR)) {
      say("It's not here.\n");
    } else if (locationOf(PILL) != NOWHERE) {
      say("It's too heavy.\n");  // only the pill's strength can lift it
    } else {
      pickUp(ANCHOR);
    }
  } else if (noun == GOBLET && game.currentRoom == PRAYER_ROOM) {
    say("It's attached to the altar.\n");
  } else {
    sayFormat("%s\n", "What?");
  }
}

void doDrop() {
  int object = objectNamedBy(game.noun);
  if (game.noun == BOTTLE && isCarried(BOTTLE)) {
    letGoOfBottle();
  } else if (game.verb == VERB_PUT && game.noun == PAPER && isCarried(BOTTLE) && isCarried(PAPER)) {
    putPaperInBottle();
  } else if (object != 0 && isCarried(object)) {
    moveObject(object, game.currentRoom);
    game.redrawPending = 1;
  } else {
    say("You don't have that!\n");
  }
}

void doInventory() {
  say("You are carrying:\n");
  for (int object = FIRST_OBJECT; object <= LAST_OBJECT; ++object) {
    if (isCarried(object)) sayFormat("%s\n", game.objectName[object]);
  }
  say("\n");
}
