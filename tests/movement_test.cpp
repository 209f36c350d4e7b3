// Movement from states that take long to reach on foot: each case sets up
// the game, types one command and plays one whole turn.
#include <gtest/gtest.h>

#include <string>

#include "app/loop.hpp"
#include "core/game.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "tests/scene.hpp"
#include "tests/scripted_console.hpp"

namespace {

const std::string kPrompt = "What now?  \n";
const std::string kFall = "You have fallen to your death!\n";
const std::string kCantGo = "You can't go that way!\n";
const std::string kWhat = "What?\n";

// A new game standing in this room, the room already shown.
void standIn(int room) {
  resetProgramState();
  startGame();
  game.currentRoom = room;
  game.redrawPending = 0;
}

// Plays one turn on this command and returns what it printed.
std::string type(const std::string& command) {
  scripted::start(command + "\n");
  playTurn();
  return scripted::take();
}

// The command moved the player there, silently.
void expectMove(int from, const std::string& command, int to) {
  SCOPED_TRACE("'" + command + "' in room " + std::to_string(from));
  game.currentRoom = from;
  game.redrawPending = 0;
  EXPECT_EQ(type(command), kPrompt + "\n");
  EXPECT_EQ(game.currentRoom, to);
  EXPECT_EQ(game.redrawPending, 1);
  EXPECT_EQ(game.gameOver, 0);
}

// The command was refused with this message, and nothing changed.
void expectRefusal(int room, const std::string& command, const std::string& message) {
  SCOPED_TRACE("'" + command + "' in room " + std::to_string(room));
  game.currentRoom = room;
  game.redrawPending = 0;
  EXPECT_EQ(type(command), kPrompt + message + "\n");
  EXPECT_EQ(game.currentRoom, room);
  EXPECT_EQ(game.redrawPending, 0);
  EXPECT_EQ(game.gameOver, 0);
}

// The command killed the player with this message; call on a game in play.
void expectDeath(int room, const std::string& command, const std::string& message) {
  SCOPED_TRACE("'" + command + "' in room " + std::to_string(room));
  game.currentRoom = room;
  int turn = game.turn;
  EXPECT_EQ(type(command), kPrompt + message + "\n");
  EXPECT_EQ(game.gameOver, 1);
  EXPECT_EQ(game.currentRoom, room);
  EXPECT_EQ(game.turn, turn + 1);
}

TEST(MovementGo, FallsBeatTheGrid) {
  for (int room : {CLIFF_TOP, LEDGE}) {
    for (const char* way : {"south", "east", "west", "go west", "get east"}) {
      standIn(room);
      // Even where a way leads on, the cliff and the ledge drop away.
      for (int d = SOUTH; d <= WEST; ++d) game.exits[room][d - 1] = 15;
      expectDeath(room, way, kFall);
    }
  }
}

TEST(MovementGo, NorthUpAndDownDoNotFall) {
  standIn(CLIFF_TOP);
  expectRefusal(CLIFF_TOP, "north", kCantGo);
  expectRefusal(CLIFF_TOP, "up", kCantGo);
  expectMove(CLIFF_TOP, "down", 15);
  expectMove(15, "up", CLIFF_TOP);
  expectMove(LEDGE, "north", 23);
  expectRefusal(LEDGE, "down", kCantGo);
}

TEST(MovementGo, TheGnomeBarsTheWayWestWhileHeLives) {
  standIn(GNOME_ROOM);
  expectRefusal(GNOME_ROOM, "west", "The gnome won't let you!\n");
  game.exits[GNOME_ROOM][WEST - 1] = PILL_ROOM;  // even with a way open
  expectRefusal(GNOME_ROOM, "go west", "The gnome won't let you!\n");
  placeObject(GNOME, 5);  // anywhere but nowhere
  expectRefusal(GNOME_ROOM, "west", "The gnome won't let you!\n");
  placeObject(GNOME, NOWHERE);
  expectMove(GNOME_ROOM, "west", PILL_ROOM);
  game.exits[GNOME_ROOM][WEST - 1] = 0;
  expectRefusal(GNOME_ROOM, "west", kCantGo);
  expectMove(GNOME_ROOM, "north", 32);
}

TEST(MovementGo, TheSharkBarsTheWaySouthUnlessTheAmuletIsWorn) {
  standIn(LAGOON_FLOOR);
  game.scubaOn = 1;
  placeObject(SCUBA_GEAR, CARRIED);
  expectRefusal(LAGOON_FLOOR, "south", "The shark won't let you!\n");
  placeObject(AMULET, CARRIED);
  game.exits[LAGOON_FLOOR][SOUTH - 1] = UNDERWATER_CAVE;
  expectRefusal(LAGOON_FLOOR, "south", "The shark won't let you!\n");
  placeObject(AMULET, WORN);
  expectMove(LAGOON_FLOOR, "south", UNDERWATER_CAVE);
  expectMove(UNDERWATER_CAVE, "north", LAGOON_FLOOR);
  expectMove(LAGOON_FLOOR, "up", LAGOON);
}

TEST(MovementGo, TheHutOnlyFromOutside) {
  standIn(OUTSIDE_HUT);
  expectMove(OUTSIDE_HUT, "go hut", INSIDE_HUT);
  expectRefusal(BEACH_EDGE, "go hut", kCantGo);
  expectRefusal(INSIDE_HUT, "go hut", kCantGo);
  expectRefusal(OUTSIDE_HUT, "north", kCantGo);
}

TEST(MovementGo, IntoTheSignalFire) {
  standIn(CLIFF_TOP);
  expectRefusal(CLIFF_TOP, "go fire", kCantGo);  // not lit yet
  placeObject(SIGNAL_FIRE, CLIFF_TOP);
  expectDeath(CLIFF_TOP, "go fire", "Oh no, you have burnt yourself to death.\n");
  standIn(15);
  placeObject(SIGNAL_FIRE, CLIFF_TOP);
  expectRefusal(15, "go fire", kCantGo);
}

TEST(MovementGo, NounsThatAreNoWay) {
  standIn(1);
  expectRefusal(1, "go torch", kCantGo);
  expectRefusal(1, "go nowhere", kCantGo);
  expectRefusal(1, "go hut", kCantGo);
  expectRefusal(1, "up", kCantGo);
  expectMove(1, "get north", 10);
  expectMove(OPEN_SEA, "north", OPEN_SEA);
}

TEST(MovementGo, FollowsExitsOpenedDuringPlay) {
  standIn(LOCKSMITH);
  expectRefusal(LOCKSMITH, "east", kCantGo);
  game.exits[LOCKSMITH][EAST - 1] = CLOSET_INSIDE;
  expectMove(LOCKSMITH, "east", CLOSET_INSIDE);
  expectMove(CLOSET_INSIDE, "west", LOCKSMITH);
  expectRefusal(CHASM_SOUTH, "north", kCantGo);
  game.exits[CHASM_SOUTH][NORTH - 1] = CHASM_NORTH;
  game.exits[CHASM_NORTH][SOUTH - 1] = CHASM_SOUTH;
  expectMove(CHASM_SOUTH, "north", CHASM_NORTH);
  expectMove(CHASM_NORTH, "south", CHASM_SOUTH);
}

TEST(MovementEnterExit, TheCloset) {
  standIn(CLOSET_INSIDE);
  expectMove(CLOSET_INSIDE, "enter closet", LOCKSMITH);
  expectMove(CLOSET_INSIDE, "exit closet", LOCKSMITH);
  expectRefusal(LOCKSMITH, "enter closet", kWhat);
  expectRefusal(LOCKSMITH, "exit closet", kWhat);
  expectRefusal(CLOSET_INSIDE, "exit", kWhat);
}

TEST(MovementEnterExit, TheHut) {
  standIn(OUTSIDE_HUT);
  expectMove(OUTSIDE_HUT, "enter hut", INSIDE_HUT);
  expectMove(INSIDE_HUT, "exit hut", OUTSIDE_HUT);
  expectRefusal(BEACH_EDGE, "enter hut", kWhat);
  expectRefusal(OUTSIDE_HUT, "exit hut", kWhat);
  expectRefusal(INSIDE_HUT, "enter hut", kWhat);
  expectRefusal(INSIDE_HUT, "enter", kWhat);
  expectRefusal(INSIDE_HUT, "exit", kWhat);
  expectRefusal(INSIDE_HUT, "exit torch", kWhat);
}

TEST(MovementJump, DeadlyOnlyAtTheFourDrops) {
  for (int room : {CLIFF_TOP, LEDGE, CHASM_SOUTH, CHASM_NORTH}) {
    standIn(room);
    expectDeath(room, "jump", kFall);
  }
  standIn(CHASM_SOUTH);
  expectDeath(CHASM_SOUTH, "jump torch", kFall);  // any noun is ignored
  standIn(CHASM_BOTTOM);
  expectRefusal(CHASM_BOTTOM, "jump", "You can't jump here!\n");
  expectRefusal(1, "jump", "You can't jump here!\n");
  // A direction makes it GO, and north is no drop.
  expectRefusal(CLIFF_TOP, "jump north", kCantGo);
}

TEST(MovementDive, OnlyFromTheLagoonWithTheTanksRunning) {
  standIn(LAGOON);
  expectRefusal(LAGOON, "dive", "You can't dive here...yet.\n");
  placeObject(SCUBA_GEAR, CARRIED);
  expectRefusal(LAGOON, "dive", "You can't dive here...yet.\n");
  game.scubaOn = 1;
  expectRefusal(1, "dive", "You can't dive here.\n");
  expectRefusal(LAGOON_FLOOR, "dive", "You can't dive here.\n");
  placeObject(SCUBA_GEAR, LAGOON);  // running, but not in hand
  expectRefusal(LAGOON, "dive", "You can't dive here...yet.\n");
  placeObject(SCUBA_GEAR, CARRIED);
  expectMove(LAGOON, "dive", LAGOON_FLOOR);
  expectMove(LAGOON, "dive deep", LAGOON_FLOOR);  // any noun is ignored
}

TEST(MovementClimb, TheCliffTheVinesAndTheRest) {
  standIn(CLIFF_TOP);
  expectMove(CLIFF_TOP, "climb cliff", LEDGE);
  expectMove(LEDGE, "climb cliff", CLIFF_TOP);
  expectRefusal(15, "climb cliff", "");  // no cliff here: nothing at all
  expectRefusal(TEMPLE_CLEARING, "climb cliff", "");
  expectRefusal(CLIFF_TOP, "climb vines", "Vines?  Where?\n");
  expectRefusal(TEMPLE_CLEARING, "climb torch", "You can't climb that!\n");
  expectRefusal(TEMPLE_CLEARING, "climb tree", "You can't climb that!\n");
  expectMove(15, "climb up", CLIFF_TOP);
  standIn(TEMPLE_CLEARING);
  expectDeath(TEMPLE_CLEARING, "climb vines", "The vines break and you fall to your death!\n");
}

TEST(MovementGo, AnEndedGameGetsNoEndOfTurnDeath) {
  // A fall on the turn the ship sails past ends the game with the fall only.
  standIn(CLIFF_TOP);
  game.turn = 98;
  EXPECT_EQ(type("jump"), "A ship can be seen on the horizon.\n\n" + kPrompt + kFall + "\n");
  EXPECT_EQ(game.turn, 99);
  EXPECT_EQ(game.gameOver, 1);
}

}  // namespace
