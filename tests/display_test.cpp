// The room display, byte for byte: the rules, the "You are" line, the sign
// by the chasm, what is seen and the exits, or the darkness.
#include <gtest/gtest.h>

#include <string>

#include "core/game.hpp"
#include "core/prose.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "tests/printed.hpp"
#include "tests/scene.hpp"
#include "tests/scripted_console.hpp"

namespace {

const std::string kRule(80, '_');

void freshGame(int room) {
  resetProgramState();
  startGame();
  game.currentRoom = room;
  scripted::start("");
}

std::string show() {
  scripted::take();
  describeRoom();
  return scripted::take();
}

// A lit room as it must look, from its parts.
std::string litRoom(int room, const std::string& sign, const std::string& seen,
                    const std::string& exits) {
  return "\f" + kRule + "\n" + "\nYou are " + asPrinted(roomDescription[room]) + "\n" + sign +
         "\nYou see: " + seen + "\nObvious exits are: " + exits + "\n" + kRule + "\n";
}

const std::string kDarkness = "\f" + kRule + "\n\nYou are in total darkness.\n\n" + kRule + "\n";

TEST(DisplayRoom, TheShoreAtTheStart) {
  freshGame(1);
  EXPECT_EQ(show(), litRoom(1, "", "Nothing.", "North  South  East  West  "));
}

TEST(DisplayRoom, ObjectsInObjectNumberOrderWhateverTheDropOrder) {
  freshGame(15);
  // Put down last to first; worn and carried things are never listed.
  placeObject(TORCH, 15);
  placeObject(ROPE, 15);
  placeObject(MATCHBOOK, 15);
  placeObject(AMULET, WORN);
  placeObject(AXE, CARRIED);
  EXPECT_EQ(show(),
            litRoom(15, "", "A book of waterproof matches. A torch. Some rope. ", "North  Up  "));
}

TEST(DisplayRoom, ShipBeforeSailorOnTheShore) {
  freshGame(1);
  placeObject(SAILOR, 1);
  placeObject(SHIP, 1);
  EXPECT_EQ(show(), litRoom(1, "", "A ship. A sailor. ", "North  South  East  West  "));
}

TEST(DisplayRoom, ObjectsShowTheirCurrentNames) {
  freshGame(21);
  renameObject(GOBLET, "A goblet full of wine");
  EXPECT_EQ(show(), litRoom(21, "", "A goblet full of wine. A statue. ", "East  "));
}

TEST(DisplayRoom, TheHutHasNoExits) {
  freshGame(13);
  EXPECT_EQ(show(), litRoom(13, "", "A bottle of wine. Sacks. ", ""));
}

TEST(DisplayRoom, ExitsInDirectionOrder) {
  freshGame(35);
  game.torchLit = 1;
  placeObject(TORCH, CARRIED);
  EXPECT_EQ(show(), litRoom(35, "", "Nothing.", "Up  Down  "));
  for (int d = 0; d < DIRECTION_COUNT; ++d) game.exits[35][d] = 34;
  EXPECT_EQ(show(), litRoom(35, "", "Nothing.", "North  South  East  West  Up  Down  "));
}

TEST(DisplayRoom, TheOpenSeaLeadsEveryWay) {
  freshGame(4);
  EXPECT_EQ(show(), litRoom(4, "", "Nothing.", "North  South  East  West  "));
}

TEST(DisplayDarkness, ADarkRoomShowsNothingElse) {
  freshGame(25);  // the rope lies here, and there are exits
  EXPECT_EQ(show(), kDarkness);
}

TEST(DisplayDarkness, WhichRoomsAreLitWithoutALight) {
  freshGame(1);
  for (int room = 1; room <= ROOM_COUNT; ++room) {
    game.currentRoom = room;
    bool expected = room <= 23 || room == 36 || room == 37;
    EXPECT_EQ(roomIsLit(), expected) << "room " << room;
  }
}

TEST(DisplayDarkness, ABurningMatchLightsAnyRoom) {
  freshGame(24);
  game.matchLit = 1;
  placeObject(MATCHBOOK, 3);  // the matchbook need not be at hand
  EXPECT_TRUE(roomIsLit());
  EXPECT_EQ(show(), litRoom(24, "", "Nothing.", "North  West  "));
}

TEST(DisplayDarkness, TheLitTorchLightsWhereItIs) {
  freshGame(26);
  game.torchLit = 1;
  placeObject(TORCH, CARRIED);
  EXPECT_EQ(show(), litRoom(26, "", "An axe. ", "South  East  "));
  placeObject(TORCH, 26);  // dropped here, still burning
  EXPECT_EQ(show(), litRoom(26, "", "A torch. An axe. ", "South  East  "));
  placeObject(TORCH, 25);  // burning, but in the next room
  EXPECT_EQ(show(), kDarkness);
  placeObject(TORCH, CARRIED);
  game.torchLit = 0;  // carried, but out
  EXPECT_EQ(show(), kDarkness);
  placeObject(TORCH, NOWHERE);  // burnt out
  game.torchLit = 1;
  EXPECT_FALSE(roomIsLit());
}

TEST(DisplayRoom, DescribingTheRoomLeavesTheRedrawFlagAlone) {
  freshGame(1);
  game.redrawPending = 1;
  show();
  EXPECT_EQ(game.redrawPending, 1);
  game.redrawPending = 0;
  show();
  EXPECT_EQ(game.redrawPending, 0);
}

// ---- The sign on the north edge of the chasm.

const std::string kSignGrowing = "A small sign in a mushroom patch reads 'For Tamsel'.\n";
const std::string kSignPicked = "A small sign reads 'For Tamsel'.\n";
const std::string kSignEaten = "A small sign reads 'For Tamsel, from Virro'.\n";

void lightTheChasm() {
  freshGame(38);
  game.matchLit = 1;
}

TEST(DisplaySign, MushroomsStillGrowing) {
  lightTheChasm();
  EXPECT_EQ(show(), litRoom(38, kSignGrowing, "Small brown mushrooms. ", "North  "));
}

TEST(DisplaySign, MushroomsPicked) {
  lightTheChasm();
  placeObject(MUSHROOMS, CARRIED);
  EXPECT_EQ(show(), litRoom(38, kSignPicked, "Nothing.", "North  "));
  placeObject(MUSHROOMS, 1);  // dropped far away
  EXPECT_EQ(show(), litRoom(38, kSignPicked, "Nothing.", "North  "));
}

TEST(DisplaySign, MushroomsEaten) {
  lightTheChasm();
  placeObject(MUSHROOMS, NOWHERE);
  EXPECT_EQ(show(), litRoom(38, kSignEaten, "Nothing.", "North  "));
}

TEST(DisplaySign, OnlyOnTheChasmEdgeAndOnlyInTheLight) {
  freshGame(38);
  EXPECT_EQ(show(), kDarkness);
  freshGame(29);
  game.matchLit = 1;
  std::string display = show();
  EXPECT_EQ(display.find("sign"), std::string::npos);
}

TEST(DisplaySign, TheBridgedChasmFromBothSides) {
  lightTheChasm();
  renameObject(ROPE, "A rope going across a chasm");
  renameObject(ANCHOR, "A rope going from a tree across a chasm");
  placeObject(ROPE, 29);
  placeObject(ANCHOR, 38);
  game.exits[29][0] = 38;
  game.exits[38][1] = 29;
  EXPECT_EQ(show(), litRoom(38, kSignGrowing,
                            "A rope going from a tree across a chasm. Small brown mushrooms. ",
                            "North  South  "));
  game.currentRoom = 29;
  EXPECT_EQ(show(), litRoom(29, "", "A rope going across a chasm. ", "North  South  "));
}

// ---- A new game starts from the tables again.

TEST(DisplayRoom, ANewGameForgetsTheLastOnesChanges) {
  freshGame(1);
  game.exits[6][1] = 7;
  game.exits[39][2] = 40;
  game.exits[33][3] = 34;
  renameObject(BOTTLE, "An empty bottle");
  placeObject(TORCH, CARRIED);
  startGame();
  EXPECT_EQ(game.exits[6][1], 0);
  EXPECT_EQ(game.exits[39][2], 0);
  EXPECT_EQ(game.exits[33][3], 0);
  EXPECT_STREQ(game.objectName[BOTTLE], "A bottle of wine");
  EXPECT_EQ(locationOf(TORCH), 22);
  EXPECT_EQ(locationOf(LIFE_PRESERVER), CARRIED);
}

}  // namespace
