#include "app/loop.hpp"

#include "actions/actions.hpp"
#include "console/console.hpp"
#include "console/random.hpp"
#include "core/game.hpp"
#include "core/prose.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "parser/parser.hpp"
#include "persistence/savefile.hpp"

namespace {

using Handler = void (*)();

// Which handler carries out each verb.
const Handler verbHandler[VERB_COUNT + 1] = {
    nullptr,       // 0: no verb
    doTake,        // 1 GET
    doTake,        // 2 TAKE
    doGo,          // 3 GO
    doEnter,       // 4 ENTER
    doExit,        // 5 EXIT
    doJump,        // 6 JUMP
    doDive,        // 7 DIVE
    doDrop,        // 8 DROP
    doDrop,        // 9 LEAVE
    doDrop,        // 10 PUT
    doLight,       // 11 LIGHT
    doExamine,     // 12 EXAMINE
    doInventory,   // 13 INVENTORY
    doAttack,      // 14 KILL
    doAttack,      // 15 ATTACK
    doRead,        // 16 READ
    doUnlock,      // 17 UNLOCK
    doLock,        // 18 LOCK
    doOpen,        // 19 OPEN
    doClose,       // 20 CLOSE
    doPour,        // 21 POUR
    doDrink,       // 22 DRINK
    doSummon,      // 23 SUMMON
    doWear,        // 24 WEAR
    doRub,         // 25 RUB
    doRub,         // 26 SHINE
    doClimb,       // 27 CLIMB
    doTurn,        // 28 TURN
    doThrow,       // 29 THROW
    doGive,        // 30 GIVE
    doExtinguish,  // 31 EXTINGUISH
    doTie,         // 32 TIE
    doEat,         // 33 EAT
    saveGame,      // 34 SAVE
    loadGame,      // 35 LOAD
};

}  // namespace

void showTitle() {
  clearScreen();
  say(titleScreen);
  readKey();
}

void dispatchCommand() {
  if (game.verb >= 1 && game.verb <= VERB_COUNT) verbHandler[game.verb]();
}

void checkEndOfTurn() {
  if (game.turn == SHIP_DEPARTURE_TURN && locationOf(SHIP) == NOWHERE) {
    say(missedShipText);
    game.gameOver = 1;
  } else if (roomTraits[game.currentRoom].sea && !isCarried(LIFE_PRESERVER)) {
    cant("%s swim!  You drowned!\n");
    game.gameOver = 1;
  } else if (roomTraits[game.currentRoom].underwater && game.scubaOn == 0) {
    cant("You're underwater without any air!  %s breathe!  You're dead!\n");
    game.gameOver = 1;
  }
}

void askPlayAgain() {
  say("\nThe game is over\n\n\nWould you like to play again?\n");
  int key = readKey();
  if (key == 'y' || key == 'Y') {
    setNewGameValues();
  } else {
    game.quitRequested = 1;
  }
}

void playTurn() {
  if (game.redrawPending == 1) describeRoom();
  game.redrawPending = 0;
  if (locationOf(MUSHROOMS) == NOWHERE) runVisions();
  runTimedEvents();
  readCommand();
  if (inputEnded()) return;  // the player has gone: nothing more happens
  if (game.commandRejected == 0) dispatchCommand();
  if (inputEnded()) return;
  game.commandRejected = 0;
  say("\n");
  game.turn += 1;
  if (game.gameOver == 0) checkEndOfTurn();
}

int runProgram() {
  resetProgramState();
  clearInputEnded();
  seedRandom(1);
  while (game.quitRequested == 0) {
    startGame();
    game.commandRejected = 0;
    showTitle();
    while (game.gameOver == 0 && !inputEnded()) playTurn();
    if (inputEnded()) break;
    askPlayAgain();
  }
  flushOutput();
  return 0;
}
