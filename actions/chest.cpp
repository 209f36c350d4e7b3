// UNLOCK, LOCK, OPEN and CLOSE: the chest in the alcove and its gold.
#include "actions/actions.hpp"
#include "console/console.hpp"
#include "core/game.hpp"
#include "core/state.hpp"
#include "core/world.hpp"

namespace {
bool atChest() { return game.currentRoom == ALCOVE && game.noun == CHEST; }
}  // namespace

void doUnlock() {
  if (!isCarried(KEY)) {
    say("You don't have the key!\n");
  } else if (!atChest()) {
    cant("%s unlock that.\n");
  } else if (game.chestLocked == 0) {
    say("It's already unlocked.\n");
  } else {
    game.chestLocked = 0;
    say("It's unlocked.\n");
  }
}

void doLock() {
  if (!isCarried(KEY)) {
    say("You don't have the key!\n");
  } else if (!atChest()) {
    cant("%s lock that.\n");
  } else if (game.chestLocked != 0) {
    say("It's already locked.\n");
  } else if (game.chestClosed == 0) {
    say("You have to close it first.\n");
  } else {
    game.chestLocked = 1;
    say("It's locked.\n");
  }
}

void doOpen() {
  if (!atChest()) {
    cant("%s open that!\n");
  } else if (game.chestClosed == 0) {
    say("It's already open.\n");
  } else if (game.chestLocked != 0) {
    cant("%s, it's locked.\n");
  } else {
    game.chestClosed = 0;
    say("It's opened.\n");
    if (locationOf(GOLD) == NOWHERE) {
      moveObject(GOLD, ALCOVE);
      describeRoom();
      say("Gold spills out!\n");
    }
  }
}

void doClose() {
  if (!atChest()) {
    cant("%s close that.\n");
  } else if (game.chestClosed != 0) {
    cant("%s close it, it's already closed.\n");
  } else {
    game.chestClosed = 1;
    say("It's closed.\n");
  }
}
