// The scuba tanks, the axe, the rope and anchor, the pill and the mushrooms,
// and how every follow-up answer is judged.
#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "tests/game_fixture.hpp"
#include "tests/scene.hpp"

namespace {

using fixture::act;
using fixture::CLEARED;
using fixture::freshGame;
using fixture::giveToPlayer;
using fixture::nextLine;

const char* const ON_OR_OFF = "On or off? ";
const char* const AT_WHAT = "Tell me in one word, at what? ";
const char* const TO_WHAT = "Tell me in one word, to what? ";
const char* const IN_OR_ON = "Tell me in one word, in or on what?  ";
const char* const CANT_DO = "You can't do that.\n";
const char* const WEIGHT = "You need something on the end for weight.\n";
const char* const NOT_THAT = "I don't think you should tie it to that.\n";

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string name(int object) { return game.objectName[object]; }

// The room is shown afresh and the message printed under it.
void expectDisplayThen(const std::string& said, const std::string& message) {
  EXPECT_NE(said.find(CLEARED), std::string::npos) << said;
  EXPECT_TRUE(endsWith(said, "________\n" + message)) << said;
}

// A burning torch in hand, so that dark rooms show what lies in them.
void lightTheWay() {
  giveToPlayer(TORCH);
  game.torchLit = 1;
}

// ---------------------------------------------------------------------------
// TURN
// ---------------------------------------------------------------------------

void withTheTanks(int on) {
  freshGame();
  giveToPlayer(SCUBA_GEAR);
  game.scubaOn = on;
}

TEST(PuzzleTurn, OnlyTheScubaTanks) {
  withTheTanks(0);
  EXPECT_EQ(act(VERB_TURN, TORCH, "on\n"), "You can't turn that!\n");
  EXPECT_EQ(act(VERB_TURN, 0, "on\n"), "You can't turn that!\n");
  EXPECT_EQ(nextLine(), "on") << "no question was asked";
  EXPECT_EQ(game.scubaOn, 0);
}

TEST(PuzzleTurn, TanksMustBeInHand) {
  freshGame();
  placeObject(SCUBA_GEAR, SHORE);  // lying here
  EXPECT_EQ(act(VERB_TURN, SCUBA_GEAR, "on\n"), "You don't have the scuba tanks.\n");
  EXPECT_EQ(nextLine(), "on");
  placeObject(SCUBA_GEAR, NOWHERE);  // not yet washed up, or used up
  EXPECT_EQ(act(VERB_TURN, SCUBA_GEAR, "on\n"), "You don't have the scuba tanks.\n");
  EXPECT_EQ(game.scubaOn, 0);
}

struct TurnCase {
  const char* answer;
  int before;
  const char* reply;  // printed after the question and its line break
  int after;
};

TEST(PuzzleTurn, DecidedByTheSecondCharacter) {
  const TurnCase cases[] = {
      {"ON", 0, "", 1},
      {"on", 0, "", 1},
      {"On", 0, "", 1},
      {"ON", 1, "The tanks are already on!\n", 1},
      {"IN", 0, "", 1},  // the second letter is N
      {"in", 0, "", 1},
      {"ONWARDS", 0, "", 1},
      {" n", 0, "", 1},  // a leading blank moves N into second place
      {"OFF", 1, "", 0},
      {"off", 1, "", 0},
      {"OF", 1, "", 0},
      {"if", 1, "", 0},
      {"OFF", 0, "The tanks are already turned off!\n", 0},
      {"of", 0, "The tanks are already turned off!\n", 0},
      {"O", 0, "What?", 0},  // one letter has no second character
      {"N", 0, "What?", 0},
      {"n", 1, "What?", 1},
      {"F", 1, "What?", 1},
      {"", 0, "What?", 0},
      {"", 1, "What?", 1},
      {" on", 0, "What?", 0},  // a leading blank is not skipped
      {" off", 1, "What?", 1},
      {"YES", 0, "What?", 0},
      {"O N", 0, "What?", 0},
      {"ONN", 1, "The tanks are already on!\n", 1},
  };
  for (const TurnCase& c : cases) {
    SCOPED_TRACE(std::string("'") + c.answer + "' with the tanks " + (c.before ? "on" : "off"));
    withTheTanks(c.before);
    EXPECT_EQ(act(VERB_TURN, SCUBA_GEAR, std::string(c.answer) + "\n"),
              std::string(ON_OR_OFF) + "\n" + c.reply);
    EXPECT_EQ(game.scubaOn, c.after);
    EXPECT_EQ(game.scubaAir, 35) << "turning uses no air";
    EXPECT_EQ(locationOf(SCUBA_GEAR), CARRIED);
    EXPECT_EQ(game.redrawPending, 0);
  }
}

TEST(PuzzleTurn, InputEndingAtTheQuestionChangesNothing) {
  withTheTanks(0);
  EXPECT_EQ(act(VERB_TURN, SCUBA_GEAR, ""), ON_OR_OFF);
  EXPECT_TRUE(inputEnded());
  EXPECT_EQ(game.scubaOn, 0);
}

// ---------------------------------------------------------------------------
// THROW AXE
// ---------------------------------------------------------------------------

void inTheGnomeRoomWithTheAxe() {
  freshGame();
  game.currentRoom = GNOME_ROOM;
  lightTheWay();
  giveToPlayer(AXE);
}

TEST(PuzzleThrowAxe, NeedsTheAxeInHand) {
  freshGame();
  game.currentRoom = GNOME_ROOM;
  placeObject(AXE, GNOME_ROOM);
  EXPECT_EQ(act(VERB_THROW, AXE, "gnome\n"), "You don't have the axe.\n");
  EXPECT_EQ(nextLine(), "gnome") << "no question was asked";
  EXPECT_EQ(locationOf(AXE), GNOME_ROOM);
  EXPECT_EQ(locationOf(GNOME), GNOME_ROOM);
}

TEST(PuzzleThrowAxe, TheGnomeDucks) {
  for (const char* answer : {"gnome", "GNO", "Gnomes", "gnome with the sword"}) {
    SCOPED_TRACE(answer);
    inTheGnomeRoomWithTheAxe();
    const int carried = game.carriedCount;
    const std::string said = act(VERB_THROW, AXE, std::string(answer) + "\n");
    EXPECT_EQ(said.rfind(std::string(AT_WHAT) + "\n", 0), 0u) << said;
    expectDisplayThen(said, "The gnome ducked and your axe missed him!\n");
    EXPECT_NE(said.find("\nYou see: An axe. A gnome. \n"), std::string::npos) << said;
    EXPECT_EQ(locationOf(AXE), GNOME_ROOM) << "it lands in the room";
    EXPECT_EQ(locationOf(GNOME), GNOME_ROOM);
    EXPECT_EQ(game.carriedCount, carried - 1);
    EXPECT_EQ(game.exits[GNOME_ROOM][WEST - 1], 0);
  }
}

TEST(PuzzleThrowAxe, MissesWhatIsNotThere) {
  // Answers that name nothing here, in the gnome's room.
  for (const char* answer : {" gnome", "GN", "g", "", "closet", "sailor", "door"}) {
    SCOPED_TRACE(answer);
    inTheGnomeRoomWithTheAxe();
    const int carried = game.carriedCount;
    EXPECT_EQ(act(VERB_THROW, AXE, std::string(answer) + "\n"),
              std::string(AT_WHAT) + "\n" + CANT_DO);
    EXPECT_EQ(locationOf(AXE), CARRIED);
    EXPECT_EQ(game.carriedCount, carried);
  }
}

TEST(PuzzleThrowAxe, NoGnomeOutsideItsRoom) {
  freshGame();
  giveToPlayer(AXE);
  game.currentRoom = 32;
  EXPECT_EQ(act(VERB_THROW, AXE, "gnome\n"), std::string(AT_WHAT) + "\n" + CANT_DO);
  game.currentRoom = LOCKSMITH;
  EXPECT_EQ(act(VERB_THROW, AXE, "gnome\n"), std::string(AT_WHAT) + "\n" + CANT_DO);
  EXPECT_EQ(locationOf(AXE), CARRIED);
  // A killed gnome is nowhere, not in his room.
  game.currentRoom = GNOME_ROOM;
  placeObject(GNOME, NOWHERE);
  EXPECT_EQ(act(VERB_THROW, AXE, "gnome\n"), std::string(AT_WHAT) + "\n" + CANT_DO);
  EXPECT_EQ(locationOf(AXE), CARRIED);
  EXPECT_EQ(game.carriedCount, 2);
}

TEST(PuzzleThrowAxe, ShattersTheClosetDoor) {
  for (const char* answer : {"closet", "CLO", "Closet door"}) {
    SCOPED_TRACE(answer);
    freshGame();
    game.currentRoom = LOCKSMITH;
    lightTheWay();
    giveToPlayer(AXE);
    const int carried = game.carriedCount;
    const std::string said = act(VERB_THROW, AXE, std::string(answer) + "\n");
    EXPECT_EQ(said.rfind(std::string(AT_WHAT) + "\n", 0), 0u) << said;
    expectDisplayThen(said, "It shatters the door, but you can't find the axe again.\n");
    EXPECT_NE(said.find("\nYou see: A closet. \nObvious exits are: South  East  \n"),
              std::string::npos)
        << said;
    EXPECT_EQ(locationOf(AXE), NOWHERE);
    EXPECT_EQ(game.exits[LOCKSMITH][EAST - 1], CLOSET_INSIDE);
    EXPECT_EQ(game.carriedCount, carried - 1);
    EXPECT_EQ(locationOf(CLOSET), LOCKSMITH);
    // Gone for good.
    EXPECT_EQ(act(VERB_THROW, AXE, "closet\n"), "You don't have the axe.\n");
    EXPECT_EQ(nextLine(), "closet");
  }
}

TEST(PuzzleThrowAxe, ClosetOnlyFromTheLocksmiths) {
  freshGame();
  giveToPlayer(AXE);
  for (int room : std::initializer_list<int>{CHASM_NORTH, CLOSET_INSIDE, GNOME_ROOM}) {
    SCOPED_TRACE(room);
    game.currentRoom = room;
    EXPECT_EQ(act(VERB_THROW, AXE, "closet\n"), std::string(AT_WHAT) + "\n" + CANT_DO);
  }
  game.currentRoom = LOCKSMITH;
  for (const char* answer : {" closet", "CL", "c", "", "door", "gnome"}) {
    SCOPED_TRACE(answer);
    EXPECT_EQ(act(VERB_THROW, AXE, std::string(answer) + "\n"),
              std::string(AT_WHAT) + "\n" + CANT_DO);
  }
  EXPECT_EQ(locationOf(AXE), CARRIED);
  EXPECT_EQ(game.exits[LOCKSMITH][EAST - 1], 0);
}

TEST(PuzzleThrowAxe, OnlyTheAxeRopeAndAnchorFly) {
  freshGame();
  giveToPlayer(TORCH);
  for (int noun : std::initializer_list<int>{TORCH, 0, LIFE_PRESERVER, GNOME, KEY}) {
    SCOPED_TRACE(noun);
    EXPECT_EQ(act(VERB_THROW, noun, "gnome\n"), "You can't throw that.\n");
  }
  EXPECT_EQ(locationOf(TORCH), CARRIED);
}

// ---------------------------------------------------------------------------
// TIE
// ---------------------------------------------------------------------------

void withRopeAndAnchor() {
  freshGame();
  game.currentRoom = CLIFF_FOOT;
  giveToPlayer(ROPE);
  giveToPlayer(ANCHOR);
}

TEST(PuzzleTie, OnlyTheRope) {
  withRopeAndAnchor();
  EXPECT_EQ(act(VERB_TIE, ANCHOR, "rope\n"), "You can't tie that to anything.\n");
  EXPECT_EQ(act(VERB_TIE, 0, "rope\n"), "You can't tie that to anything.\n");
  EXPECT_EQ(nextLine(), "rope");
  EXPECT_EQ(locationOf(ANCHOR), CARRIED);
}

TEST(PuzzleTie, NeedsTheRopeInHand) {
  freshGame();
  game.currentRoom = 25;  // where the rope lies
  giveToPlayer(ANCHOR);
  EXPECT_EQ(act(VERB_TIE, ROPE, "anchor\n"), "You don't have the rope.\n");
  EXPECT_EQ(nextLine(), "anchor");
  EXPECT_EQ(name(ROPE), "Some rope");
}

TEST(PuzzleTie, ToTheAnchorOnly) {
  // The answer is judged before the anchor is looked for.
  for (const char* answer : {"tree", " anchor", "AN", "a", "", "rope", "ACHNOR"}) {
    SCOPED_TRACE(answer);
    withRopeAndAnchor();
    EXPECT_EQ(act(VERB_TIE, ROPE, std::string(answer) + "\n"),
              std::string(TO_WHAT) + "\n" + NOT_THAT);
    EXPECT_EQ(locationOf(ANCHOR), CARRIED);
    EXPECT_EQ(name(ROPE), "Some rope");
    EXPECT_EQ(game.carriedCount, 3);
  }
  freshGame();
  giveToPlayer(ROPE);
  EXPECT_EQ(act(VERB_TIE, ROPE, "tree\n"), std::string(TO_WHAT) + "\n" + NOT_THAT);
}

TEST(PuzzleTie, NeedsTheAnchorInHand) {
  freshGame();
  game.currentRoom = CLIFF_FOOT;
  giveToPlayer(ROPE);
  EXPECT_EQ(act(VERB_TIE, ROPE, "anchor\n"),
            std::string(TO_WHAT) + "\n" + "You don't have the anchor.\n")
      << "lying on the floor";
  EXPECT_EQ(locationOf(ANCHOR), CLIFF_FOOT);
  EXPECT_EQ(name(ROPE), "Some rope");
}

TEST(PuzzleTie, TiesTheAnchorOn) {
  for (const char* answer : {"anchor", "ANC", "Anchors", "anc"}) {
    SCOPED_TRACE(answer);
    withRopeAndAnchor();
    EXPECT_EQ(act(VERB_TIE, ROPE, std::string(answer) + "\n"), std::string(TO_WHAT) + "\nO.K.\n");
    EXPECT_EQ(locationOf(ANCHOR), NOWHERE);
    EXPECT_EQ(name(ANCHOR), "An anchor");
    EXPECT_EQ(locationOf(ROPE), CARRIED);
    EXPECT_EQ(name(ROPE), "A rope tied to an anchor");
    EXPECT_EQ(game.carriedCount, 2);
    EXPECT_EQ(game.redrawPending, 0);
    // Tied once, there is no anchor in hand to tie again.
    EXPECT_EQ(act(VERB_TIE, ROPE, "anchor\n"),
              std::string(TO_WHAT) + "\nYou don't have the anchor.\n");
    EXPECT_EQ(game.carriedCount, 2);
  }
}

// ---------------------------------------------------------------------------
// THROW ROPE and THROW ANCHOR
// ---------------------------------------------------------------------------

void withTheTiedRope(int room) {
  freshGame();
  game.currentRoom = room;
  lightTheWay();
  giveToPlayer(ROPE);
  renameObject(ROPE, "A rope tied to an anchor");
  placeObject(ANCHOR, NOWHERE);
}

TEST(PuzzleThrowRope, NeedsTheRopeInHand) {
  for (int noun : std::initializer_list<int>{ROPE, ANCHOR}) {
    SCOPED_TRACE(noun);
    freshGame();
    game.currentRoom = CHASM_SOUTH;
    giveToPlayer(ANCHOR);
    EXPECT_EQ(act(VERB_THROW, noun), "You don't have the rope.\n");
    // Tied and then set down.
    withTheTiedRope(CHASM_SOUTH);
    placeObject(ROPE, CHASM_SOUTH);
    game.carriedCount -= 1;
    EXPECT_EQ(act(VERB_THROW, noun), "You don't have the rope.\n");
    EXPECT_EQ(game.exits[CHASM_SOUTH][NORTH - 1], 0);
  }
}

TEST(PuzzleThrowRope, NeedsTheAnchorTiedOn) {
  for (int noun : std::initializer_list<int>{ROPE, ANCHOR}) {
    for (int room : std::initializer_list<int>{CHASM_SOUTH, 25}) {  // before the room is looked at
      SCOPED_TRACE(noun * 100 + room);
      freshGame();
      game.currentRoom = room;
      giveToPlayer(ROPE);
      EXPECT_EQ(act(VERB_THROW, noun), WEIGHT) << "anchor at the foot of the cliff";
      giveToPlayer(ANCHOR);
      EXPECT_EQ(act(VERB_THROW, noun), WEIGHT) << "anchor carried but not tied";
      placeObject(ANCHOR, CHASM_NORTH);
      game.carriedCount -= 1;
      EXPECT_EQ(act(VERB_THROW, noun), WEIGHT) << "anchor across the chasm";
      EXPECT_EQ(locationOf(ROPE), CARRIED);
      EXPECT_EQ(game.exits[CHASM_SOUTH][NORTH - 1], 0);
    }
  }
}

TEST(PuzzleThrowRope, OnlyAtTheChasm) {
  for (int room : std::initializer_list<int>{28, CHASM_NORTH, CLIFF_FOOT}) {
    SCOPED_TRACE(room);
    withTheTiedRope(room);
    EXPECT_EQ(act(VERB_THROW, ROPE), "Not here.\n");
    EXPECT_EQ(act(VERB_THROW, ANCHOR), "Not here.\n");
    EXPECT_EQ(locationOf(ROPE), CARRIED);
    EXPECT_EQ(locationOf(ANCHOR), NOWHERE);
    EXPECT_EQ(name(ROPE), "A rope tied to an anchor");
    EXPECT_EQ(name(ANCHOR), "An anchor");
    EXPECT_EQ(std::memcmp(game.exits, initialExits, sizeof game.exits), 0);
  }
}

TEST(PuzzleThrowRope, BridgesTheChasmByEitherName) {
  for (int noun : std::initializer_list<int>{ROPE, ANCHOR}) {
    SCOPED_TRACE(noun);
    withTheTiedRope(CHASM_SOUTH);
    const int carried = game.carriedCount;
    const std::string said = act(VERB_THROW, noun);
    expectDisplayThen(said, "It hooks on the tree across the chasm.\n");
    EXPECT_NE(said.find("\nYou see: A rope going across a chasm. \n"
                        "Obvious exits are: North  South  \n"),
              std::string::npos)
        << said;
    EXPECT_EQ(game.exits[CHASM_SOUTH][NORTH - 1], CHASM_NORTH);
    EXPECT_EQ(game.exits[CHASM_NORTH][SOUTH - 1], CHASM_SOUTH);
    EXPECT_EQ(locationOf(ROPE), CHASM_SOUTH);
    EXPECT_EQ(name(ROPE), "A rope going across a chasm");
    EXPECT_EQ(locationOf(ANCHOR), CHASM_NORTH);
    EXPECT_EQ(name(ANCHOR), "A rope going from a tree across a chasm");
    EXPECT_EQ(game.carriedCount, carried - 1);
    EXPECT_EQ(game.currentRoom, CHASM_SOUTH);

    // The far side shows the other end of the rope.
    game.currentRoom = CHASM_NORTH;
    fixture::type("");
    describeRoom();
    const std::string shown = scripted::take();
    EXPECT_NE(shown.find("\nYou see: A rope going from a tree across a chasm. "
                         "Small brown mushrooms. \nObvious exits are: North  South  \n"),
              std::string::npos)
        << shown;
  }
}

TEST(PuzzleThrowRope, OnceAcrossItStaysAcross) {
  withTheTiedRope(CHASM_SOUTH);
  act(VERB_THROW, ROPE);
  giveToPlayer(ROPE);  // picked up again from this side
  EXPECT_EQ(act(VERB_THROW, ROPE), WEIGHT);
  EXPECT_EQ(act(VERB_THROW, ANCHOR), WEIGHT);
  EXPECT_EQ(game.exits[CHASM_SOUTH][NORTH - 1], CHASM_NORTH);
  EXPECT_EQ(game.exits[CHASM_NORTH][SOUTH - 1], CHASM_SOUTH);
  EXPECT_EQ(locationOf(ANCHOR), CHASM_NORTH);
  EXPECT_EQ(name(ROPE), "A rope going across a chasm");
}

// ---------------------------------------------------------------------------
// EAT
// ---------------------------------------------------------------------------

const char* const STRONGER = "O.K....you feel stronger!\n";
const char* const FUNNY = "Finally something to eat!  You feel funny though...\n";

TEST(PuzzleEat, TheMushroomsInHand) {
  freshGame();
  game.currentRoom = CHASM_NORTH;
  lightTheWay();
  giveToPlayer(MUSHROOMS);
  giveToPlayer(PILL);  // the mushrooms come first
  const int carried = game.carriedCount;
  const std::string said = act(VERB_EAT, NOUN_MUSHROOMS);
  expectDisplayThen(said, FUNNY);
  EXPECT_NE(said.find("A small sign reads 'For Tamsel, from Virro'.\n"), std::string::npos)
      << "the room is shown after they are gone";
  EXPECT_EQ(locationOf(MUSHROOMS), NOWHERE);
  EXPECT_EQ(locationOf(PILL), CARRIED);
  EXPECT_EQ(game.carriedCount, carried - 1);
}

TEST(PuzzleEat, AnyOtherEatSwallowsACarriedPill) {
  for (int noun : std::initializer_list<int>{PILL, AXE, 0, NOUN_MUSHROOMS, NOUN_WINE}) {
    SCOPED_TRACE(noun);
    freshGame();
    game.currentRoom = CHASM_NORTH;  // the mushrooms grow here, not in hand
    giveToPlayer(PILL);
    EXPECT_EQ(act(VERB_EAT, noun), STRONGER);
    EXPECT_EQ(locationOf(PILL), NOWHERE);
    EXPECT_EQ(locationOf(MUSHROOMS), CHASM_NORTH);
    EXPECT_EQ(game.carriedCount, 1);
    EXPECT_EQ(game.redrawPending, 0);
  }
}

TEST(PuzzleEat, PillBeforeMushroomsEatenByAnotherName) {
  freshGame();
  giveToPlayer(MUSHROOMS);
  giveToPlayer(PILL);
  EXPECT_EQ(act(VERB_EAT, AXE), STRONGER);
  EXPECT_EQ(locationOf(MUSHROOMS), CARRIED);
  EXPECT_EQ(locationOf(PILL), NOWHERE);
  EXPECT_EQ(act(VERB_EAT, PILL), "You can't eat that!\n") << "only the mushrooms' own name";
  EXPECT_EQ(locationOf(MUSHROOMS), CARRIED);
}

TEST(PuzzleEat, NothingToEat) {
  freshGame();
  game.currentRoom = PILL_ROOM;  // the pill lies here
  EXPECT_EQ(act(VERB_EAT, PILL), "You can't eat that!\n");
  game.currentRoom = CHASM_NORTH;
  EXPECT_EQ(act(VERB_EAT, NOUN_MUSHROOMS), "You can't eat that!\n");
  EXPECT_EQ(locationOf(PILL), PILL_ROOM);
  EXPECT_EQ(locationOf(MUSHROOMS), CHASM_NORTH);
  EXPECT_EQ(game.carriedCount, 1);
}

// ---------------------------------------------------------------------------
// PUT PAPER's answer
// ---------------------------------------------------------------------------

TEST(PuzzleAnswers, PutPaperIntoTheEmptyBottle) {
  for (const char* answer : {"bottle", "BOT", "Bottles", "bot"}) {
    SCOPED_TRACE(answer);
    freshGame();
    giveToPlayer(PAPER);
    giveToPlayer(BOTTLE);
    renameObject(BOTTLE, "An empty bottle");
    EXPECT_EQ(act(VERB_PUT, PAPER, std::string(answer) + "\n"), std::string(IN_OR_ON) + "\nO.K.\n");
    EXPECT_EQ(name(BOTTLE), "Message in a bottle");
    EXPECT_EQ(locationOf(PAPER), NOWHERE);
    EXPECT_EQ(game.carriedCount, 2);
  }
}

TEST(PuzzleAnswers, PutPaperElsewhere) {
  for (const char* answer : {" bottle", "BO", "b", "", "goblet", "BTO"}) {
    SCOPED_TRACE(answer);
    freshGame();
    giveToPlayer(PAPER);
    giveToPlayer(BOTTLE);
    renameObject(BOTTLE, "An empty bottle");
    EXPECT_EQ(act(VERB_PUT, PAPER, std::string(answer) + "\n"),
              std::string(IN_OR_ON) + "\nYou can't...yet.\n");
    EXPECT_EQ(name(BOTTLE), "An empty bottle");
    EXPECT_EQ(locationOf(PAPER), CARRIED);
    EXPECT_EQ(game.carriedCount, 3);
  }
}

}  // namespace
