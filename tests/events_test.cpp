// The world's own clock: the ship, the bird, the burning match, the torch and
// the scuba tanks. Single calls of the timed events against arranged states,
// and whole sessions that play through to the ship's turns.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "core/prose.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "tests/game_fixture.hpp"
#include "tests/harness.hpp"
#include "tests/printed.hpp"
#include "tests/scene.hpp"

namespace {

using fixture::darkDisplay;
using fixture::freshGame;
using fixture::litDisplay;

const std::string SAILS_IN = "The ship sees the signal fire and sails in.\n\n";
const std::string HORIZON = "A ship can be seen on the horizon.\n\n";
const std::string BIRD =
    "A small bird lands and says: \"Neptune is 'summoning' you.\", and flys away.\n\n";
const std::string MATCH_OUT = "The match goes out.\n\n";
const std::string TORCH_OUT = "The torch cannot burn anymore.\n\n";
const std::string TANKS_OUT = "Your scuba tanks are out of air!\n\n";
const std::string SHORE_EXITS = "North  South  East  West  ";

TEST(EventsOrder, ShipBirdMatchTorchTanksInOneTurn) {
  freshGame();
  game.turn = 50;
  game.currentRoom = QUIET_JUNGLE;
  placeObject(SIGNAL_FIRE, CLIFF_TOP);
  game.matchLit = 1;
  game.matchTurns = 4;
  game.torchLit = 1;
  game.torchFuel = 1;
  placeObject(TORCH, CARRIED);
  game.scubaOn = 1;
  game.scubaAir = 1;
  placeObject(SCUBA_GEAR, CARRIED);
  game.carriedCount = 3;
  runTimedEvents();
  EXPECT_EQ(fixture::printed(), litDisplay(QUIET_JUNGLE, "Nothing.", "South  East  West  ") +
                                    SAILS_IN + BIRD + MATCH_OUT + TORCH_OUT + TANKS_OUT);
  EXPECT_EQ(locationOf(SHIP), SHORE);
  EXPECT_EQ(locationOf(SAILOR), SHORE);
  EXPECT_EQ(game.birdSeen, 1);
  EXPECT_EQ(game.matchLit, 0);
  EXPECT_EQ(game.matchTurns, 0);
  EXPECT_EQ(game.torchLit, 0);
  EXPECT_EQ(game.torchFuel, 0);
  EXPECT_EQ(locationOf(TORCH), NOWHERE);
  EXPECT_EQ(game.scubaOn, 0);
  EXPECT_EQ(game.scubaAir, 0);
  EXPECT_EQ(locationOf(SCUBA_GEAR), NOWHERE);
  EXPECT_EQ(game.carriedCount, 1);
  EXPECT_EQ(game.redrawPending, 0) << "the ship shows the room itself";
}

TEST(EventsShip, SailsInOnlyOnTurnsFortyToNinetyEight) {
  for (int turn : {1, 39, 40, 41, 97, 98, 99, 128}) {
    freshGame();
    game.turn = turn;
    placeObject(SIGNAL_FIRE, CLIFF_TOP);
    runTimedEvents();
    bool comes = turn >= 40 && turn <= 98;
    if (comes) {
      // On the shore the new display already shows them, the ship first.
      EXPECT_EQ(fixture::printed(), litDisplay(SHORE, "A ship. A sailor. ", SHORE_EXITS) + SAILS_IN)
          << "turn " << turn;
      EXPECT_EQ(locationOf(SHIP), SHORE) << "turn " << turn;
      EXPECT_EQ(locationOf(SAILOR), SHORE) << "turn " << turn;
    } else {
      EXPECT_EQ(fixture::printed(), "") << "turn " << turn;
      EXPECT_EQ(locationOf(SHIP), NOWHERE) << "turn " << turn;
      EXPECT_EQ(locationOf(SAILOR), NOWHERE) << "turn " << turn;
    }
  }
}

TEST(EventsShip, ArrivalShowsTheRoomWhereverThePlayerIs) {
  freshGame();
  game.turn = 60;
  game.currentRoom = BEDROOM;  // dark, far from the shore
  placeObject(SIGNAL_FIRE, CLIFF_TOP);
  runTimedEvents();
  EXPECT_EQ(fixture::printed(), darkDisplay() + SAILS_IN);
  EXPECT_EQ(locationOf(SHIP), SHORE);

  // Once in, the ship never comes again and the horizon stays empty.
  game.currentRoom = CLIFF_TOP;
  for (int turn = 61; turn <= 98; ++turn) {
    game.turn = turn;
    runTimedEvents();
    EXPECT_EQ(fixture::printed(), "") << "turn " << turn;
  }
}

TEST(EventsShip, OnlyAFireOnTheCliffTopCallsIt) {
  freshGame();
  game.turn = 50;
  placeObject(SIGNAL_FIRE, SHORE);  // a fire anywhere else is not seen
  runTimedEvents();
  EXPECT_EQ(fixture::printed(), "");
  EXPECT_EQ(locationOf(SHIP), NOWHERE);
}

TEST(EventsShip, SeenOnTheHorizonFromTheCliffTopWhileNoFireBurns) {
  for (int turn : {39, 40, 41, 97, 98, 99, 128}) {
    freshGame();
    game.turn = turn;
    game.currentRoom = CLIFF_TOP;
    runTimedEvents();
    bool seen = turn >= 40 && turn <= 98;
    EXPECT_EQ(fixture::printed(), seen ? HORIZON : "") << "turn " << turn;
    EXPECT_EQ(locationOf(SHIP), NOWHERE);
  }
  // Not from the hill below, nor from the ledge.
  for (int room : {15, static_cast<int>(LEDGE), static_cast<int>(SHORE)}) {
    freshGame();
    game.turn = 50;
    game.currentRoom = room;
    runTimedEvents();
    EXPECT_EQ(fixture::printed(), "") << "room " << room;
  }
}

TEST(EventsBird, SpeaksOncePerGameInTheQuietJungle) {
  freshGame();
  game.currentRoom = 16;
  runTimedEvents();
  EXPECT_EQ(fixture::printed(), "");
  EXPECT_EQ(game.birdSeen, 0);
  game.currentRoom = QUIET_JUNGLE;
  runTimedEvents();
  EXPECT_EQ(fixture::printed(), BIRD);
  EXPECT_EQ(game.birdSeen, 1);
  runTimedEvents();
  EXPECT_EQ(fixture::printed(), "") << "never again";
  EXPECT_EQ(game.birdSeen, 1);
}

TEST(EventsMatch, BurnsFiveCountsThenGoesOut) {
  freshGame();
  runTimedEvents();
  EXPECT_EQ(game.matchTurns, 0) << "no match burning, nothing counted";
  game.matchLit = 1;
  for (int count = 1; count <= 4; ++count) {
    runTimedEvents();
    EXPECT_EQ(fixture::printed(), "") << "count " << count;
    EXPECT_EQ(game.matchTurns, count);
    EXPECT_EQ(game.matchLit, 1);
  }
  runTimedEvents();
  EXPECT_EQ(fixture::printed(), MATCH_OUT);
  EXPECT_EQ(game.matchLit, 0);
  EXPECT_EQ(game.matchTurns, 0);
  EXPECT_EQ(game.carriedCount, 1) << "a match is not a thing in hand";
  runTimedEvents();
  EXPECT_EQ(fixture::printed(), "");
  EXPECT_EQ(game.matchTurns, 0);
}

TEST(EventsTorch, BurnsOnlyWhileLit) {
  freshGame();
  game.torchFuel = 3;
  placeObject(TORCH, CARRIED);
  runTimedEvents();
  EXPECT_EQ(game.torchFuel, 3);
  game.torchLit = 1;
  runTimedEvents();
  runTimedEvents();
  EXPECT_EQ(game.torchFuel, 1);
  EXPECT_EQ(fixture::printed(), "");
}

// The torch goes out in hand, beside the player, or in another room; only
// the first lowers the count of things in hand.
TEST(EventsTorch, BurnsOutAndLowersTheCountOnlyWhenCarried) {
  struct Case {
    int where;
    int countBefore;  // the life preserver, the matchbook, and the torch if in hand
  };
  const Case cases[] = {{CARRIED, 3}, {BEDROOM, 2}, {LEDGE, 2}};
  for (const Case& c : cases) {
    freshGame();
    game.currentRoom = BEDROOM;
    placeObject(TORCH, c.where);
    placeObject(MATCHBOOK, CARRIED);
    game.carriedCount = c.countBefore;
    game.torchLit = 1;
    game.torchFuel = 1;
    runTimedEvents();
    EXPECT_EQ(fixture::printed(), TORCH_OUT) << "torch at " << c.where;
    EXPECT_EQ(game.torchLit, 0);
    EXPECT_EQ(game.torchFuel, 0);
    EXPECT_EQ(locationOf(TORCH), NOWHERE);
    EXPECT_EQ(game.carriedCount, 2) << "torch at " << c.where;
    EXPECT_EQ(game.redrawPending, 0);
  }
}

TEST(EventsTanks, RunOutAndLowerTheCountOnlyWhenCarried) {
  struct Case {
    int where;
    int countBefore;  // the life preserver, the key, and the gear if in hand
  };
  const Case cases[] = {{CARRIED, 3}, {UNDERWATER_CAVE, 2}, {SHORE, 2}};
  for (const Case& c : cases) {
    freshGame();
    game.currentRoom = UNDERWATER_CAVE;
    placeObject(SCUBA_GEAR, c.where);
    placeObject(KEY, CARRIED);
    game.carriedCount = c.countBefore;
    game.scubaOn = 1;
    game.scubaAir = 2;
    runTimedEvents();
    EXPECT_EQ(fixture::printed(), "") << "one turn of air left";
    EXPECT_EQ(game.scubaAir, 1);
    runTimedEvents();
    EXPECT_EQ(fixture::printed(), TANKS_OUT) << "gear at " << c.where;
    EXPECT_EQ(game.scubaOn, 0);
    EXPECT_EQ(game.scubaAir, 0);
    EXPECT_EQ(locationOf(SCUBA_GEAR), NOWHERE);
    EXPECT_EQ(game.carriedCount, 2) << "gear at " << c.where;
  }
  // Turned off, the tanks keep their air.
  freshGame();
  placeObject(SCUBA_GEAR, CARRIED);
  game.scubaAir = 7;
  runTimedEvents();
  EXPECT_EQ(game.scubaAir, 7);
}

// ---- Whole sessions, with the long waits written out by a loop.

void expectSessionPasses(const std::string& script, const std::string& name) {
  for (const std::string& failure : runPlayScriptText(script, name)) ADD_FAILURE() << failure;
}

// `times` commands that change nothing in the world, each followed by the
// given checks.
std::string waitTurns(int times, const std::string& checks = "") {
  std::string text;
  for (int i = 0; i < times; ++i) text += "< inventory\n" + checks;
  return text;
}

// From the shore to the cliff top with the matchbook and the driftwood:
// ten commands, so the eleventh turn starts on the cliff top.
const std::string TO_THE_CLIFF_TOP = R"(< 
< east
< north
< get matches
< west
< get driftwood
< south
< west
< west
< south
< up
@ room 14
@ turn 11
@ carried 3
! A ship can be seen
)";

const std::string NO_HORIZON = "! A ship can be seen\n";
const std::string ON_THE_HORIZON = "= A ship can be seen on the horizon.\n";

TEST(EventsSession, HorizonFromTurnFortyAndAFireLitOnTurnNinetySevenInTime) {
  std::string script = TO_THE_CLIFF_TOP + R"(< drop driftwood
@ location 15 14
)" + waitTurns(26, NO_HORIZON) +
                       R"(@ turn 38
< inventory
@ turn 39
! A ship can be seen
< inventory
@ turn 40
| A ship can be seen on the horizon.
|
| What now?  
# A refused command still takes its turn, and the ship is still there.
< xyzzy
| You don't know those words
|
| A ship can be seen on the horizon.
|
| What now?  
@ turn 41
)" + waitTurns(56, ON_THE_HORIZON) +
                       R"(@ turn 97
@ location 20 0
# Lit by the command of turn 97, the fire brings the ship at the start of 98.
< light driftwood
| The fire is lit.
|
| ________________________________________________________________________________
clear
| You see: A burning signal fire. 
| Obvious exits are: Down  
| ________________________________________________________________________________
| The ship sees the signal fire and sails in.
|
| What now?  
! A ship can be seen
@ turn 98
@ matches 20
@ location 15 0
@ location 26 14
@ location 20 1
@ location 36 1
@ carried 2
< inventory
! The game is over
! sails in
! A ship can be seen
@ turn 99
@ gameOver 0
< down
< north
< east
< east
@ room 1
= You see: A ship. A sailor. 
)";
  expectSessionPasses(script, "fire_on_turn_97");
}

TEST(EventsSession, AFireLitOnTurnNinetyEightIsTooLate) {
  std::string ending;
  std::istringstream missed(asPrinted(missedShipText));
  for (std::string line; std::getline(missed, line);) ending += "| " + line + "\n";
  std::string script = TO_THE_CLIFF_TOP + R"(< down
< drop driftwood
< up
< light driftwood
= You don't have the wood here.
@ location 26 0
< down
< get driftwood
< up
< drop driftwood
@ turn 19
)" + waitTurns(20, NO_HORIZON) +
                       R"(@ turn 39
)" + waitTurns(59, ON_THE_HORIZON) +
                       R"(@ turn 98
< light driftwood
| The fire is lit.
|
)" + ending + R"(|
| The game is over
|
|
| Would you like to play again?
! sails in
@ location 26 14
@ location 20 0
@ turn 99
@ gameOver 1
< n
)";
  expectSessionPasses(script, "fire_on_turn_98");
}

TEST(EventsSession, AFireLitEarlyBringsTheShipOnTurnForty) {
  std::string script = TO_THE_CLIFF_TOP + R"(< light driftwood
= Put the wood down before you light it!
@ location 15 -1
< drop driftwood
@ carried 2
< light fire
= You can't light that!
< light driftwood
clear
| You see: A burning signal fire. 
| Obvious exits are: Down  
| ________________________________________________________________________________
| The fire is lit.
@ matches 20
@ matchLit 0
@ location 15 0
@ location 26 14
< light driftwood
= You can't light a fire that is already burning!
< climb cliff
@ room 22
< light driftwood
= Not here!
@ turn 18
)" + waitTurns(21, "! sails in\n! A ship can be seen\n") +
                       R"(@ turn 39
@ location 20 0
# The ship comes in while the player is in the caves: the cave is shown
# again, under it the news.
< north
| Obvious exits are: North  South  East  West  
| ________________________________________________________________________________
| The ship sees the signal fire and sails in.
|
| What now?  
@ turn 40
@ location 20 1
< inventory
! sails in
)";
  expectSessionPasses(script, "fire_before_turn_40");
}

TEST(EventsSession, TheTorchBurnsFortyTurnsAndTheCaveGoesDark) {
  std::string script = R"(< 
< east
< north
< get matches
< west
< south
< west
< west
< south
< up
< climb cliff
< get torch
< north
< east
= You are in total darkness.
@ turn 14
@ carried 3
< light torch
= It's lit.
@ torchFuel 39
)" + waitTurns(38, "! The torch cannot burn\n") +
                       R"(@ turn 53
@ torchFuel 1
@ torchLit 1
# Lit by the command of turn 14, it lights the display of turn 54 and
# then goes out.
< north
| You see: Some rope. 
| Obvious exits are: South  West  
| ________________________________________________________________________________
| The torch cannot burn anymore.
|
| What now?  
@ torchLit 0
@ torchFuel 0
@ location 28 0
@ carried 2
< south
= You are in total darkness.
! You see
< light torch
= You don't have it.
@ matches 19
< get torch
= What?
< extinguish torch
= You don't have the torch.
)";
  expectSessionPasses(script, "torch_burns_out");
}

}  // namespace
