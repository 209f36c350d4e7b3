// The wine offering: pouring, drinking, summoning the god, wearing the robe
// and the amulet, and the statue that must not be touched.
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/prose.hpp"
#include "tests/game_fixture.hpp"
#include "tests/harness.hpp"
#include "tests/printed.hpp"
#include "tests/scene.hpp"

namespace {

using fixture::act;
using fixture::CLEARED;
using fixture::freshGame;
using fixture::giveToPlayer;
using fixture::nextLine;

const char* const POUR_QUESTION = "Tell me, in what word, in or on what?  ";
const char* const SPILLED =
    "It spills everywhere.  What a waste of wine!  You may have needed that...\n";
const char* const DRUNK =
    "That was good!\nYou're drunk!\nYo ho ho and a bottle of rum!\n"
    "\nYou wake-up later, somewhere else.\nYou may have needed that wine for something...\n";

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string name(int object) { return game.objectName[object]; }

// In the prayer room with the full bottle in hand.
void atTheAltarWithTheWine() {
  freshGame();
  game.currentRoom = PRAYER_ROOM;
  giveToPlayer(BOTTLE);
}

// ---------------------------------------------------------------------------
// POUR
// ---------------------------------------------------------------------------

TEST(PuzzlePour, OnlyTheWine) {
  atTheAltarWithTheWine();
  EXPECT_EQ(act(VERB_POUR, BOTTLE, "goblet\n"), "You can't pour that!\n");
  EXPECT_EQ(act(VERB_POUR, 0, "goblet\n"), "You can't pour that!\n");
  EXPECT_EQ(nextLine(), "goblet") << "no question was asked";
  EXPECT_EQ(name(BOTTLE), "A bottle of wine");
}

TEST(PuzzlePour, NeedsTheBottleInHand) {
  freshGame();
  game.currentRoom = INSIDE_HUT;  // the bottle lies here
  EXPECT_EQ(act(VERB_POUR, NOUN_WINE), "You don't have the bottle.\n");
  game.currentRoom = PRAYER_ROOM;
  placeObject(BOTTLE, PRAYER_ROOM);
  EXPECT_EQ(act(VERB_POUR, NOUN_WINE, "goblet\n"), "You don't have the bottle.\n");
  EXPECT_EQ(name(GOBLET), "A goblet");
  // Checked before the wine: an empty bottle on the floor is still not in hand.
  renameObject(BOTTLE, "An empty bottle");
  EXPECT_EQ(act(VERB_POUR, NOUN_WINE), "You don't have the bottle.\n");
}

TEST(PuzzlePour, NoWineInAnEmptyBottleOrTheMessage) {
  atTheAltarWithTheWine();
  renameObject(BOTTLE, "An empty bottle");
  EXPECT_EQ(act(VERB_POUR, NOUN_WINE, "goblet\n"), "You have no wine.\n");
  EXPECT_EQ(nextLine(), "goblet");
  renameObject(BOTTLE, "Message in a bottle");
  EXPECT_EQ(act(VERB_POUR, NOUN_WINE, "goblet\n"), "You have no wine.\n");
  EXPECT_EQ(name(BOTTLE), "Message in a bottle");
  EXPECT_EQ(name(GOBLET), "A goblet");
}

TEST(PuzzlePour, SpillsOutsideThePrayerRoom) {
  for (int room :
       std::initializer_list<int>{INSIDE_HUT, PREPARATION_CHAMBER, ENTRANCE_CHAMBER, SHORE}) {
    SCOPED_TRACE(room);
    freshGame();
    game.currentRoom = room;
    giveToPlayer(BOTTLE);
    EXPECT_EQ(act(VERB_POUR, NOUN_WINE, "goblet\n"), SPILLED);
    EXPECT_EQ(nextLine(), "goblet") << "no question outside the prayer room";
    EXPECT_EQ(name(BOTTLE), "An empty bottle");
    EXPECT_EQ(locationOf(BOTTLE), CARRIED);
    EXPECT_EQ(game.carriedCount, 2);
    EXPECT_EQ(name(GOBLET), "A goblet");
    EXPECT_EQ(game.redrawPending, 0);
    // Nothing left to pour or drink.
    EXPECT_EQ(act(VERB_POUR, NOUN_WINE), "You have no wine.\n");
    EXPECT_EQ(act(VERB_DRINK, NOUN_WINE), "You can't do that.\n");
  }
}

TEST(PuzzlePour, IntoTheGobletAsksAndFillsIt) {
  atTheAltarWithTheWine();
  const std::string said = act(VERB_POUR, NOUN_WINE, "GOBLET\n");
  EXPECT_EQ(said, std::string(POUR_QUESTION) + "\n") << "nothing is printed after the answer";
  EXPECT_EQ(name(GOBLET), "A goblet full of wine");
  EXPECT_TRUE(gobletIsFull());
  EXPECT_EQ(name(BOTTLE), "An empty bottle");
  EXPECT_EQ(locationOf(BOTTLE), CARRIED);
  EXPECT_EQ(locationOf(GOBLET), PRAYER_ROOM);
  EXPECT_EQ(game.carriedCount, 2);
  EXPECT_EQ(game.redrawPending, 1) << "the full goblet shows at the next turn";
  EXPECT_EQ(act(VERB_POUR, NOUN_WINE, "goblet\n"), "You have no wine.\n");
}

TEST(PuzzlePour, AnswersThatFillTheGoblet) {
  for (const char* answer : {"goblet", "GOB", "gob", "Gobbledygook", "gOb the cup", "GOB   "}) {
    SCOPED_TRACE(answer);
    atTheAltarWithTheWine();
    EXPECT_EQ(act(VERB_POUR, NOUN_WINE, std::string(answer) + "\n"),
              std::string(POUR_QUESTION) + "\n");
    EXPECT_EQ(name(GOBLET), "A goblet full of wine");
    EXPECT_EQ(name(BOTTLE), "An empty bottle");
  }
}

TEST(PuzzlePour, AnswersThatDoNot) {
  // A leading blank is not skipped, and a shorter answer is not a match.
  for (const char* answer : {" goblet", "  GOB", "\tgoblet", "GO", "G", "g", "", "bottle",
                             "ON THE GOBLET", "altar", "GLOB", "cup"}) {
    SCOPED_TRACE(answer);
    atTheAltarWithTheWine();
    EXPECT_EQ(act(VERB_POUR, NOUN_WINE, std::string(answer) + "\n"),
              std::string(POUR_QUESTION) + "\nNot in that!\n");
    EXPECT_EQ(name(BOTTLE), "A bottle of wine") << "the bottle keeps its wine";
    EXPECT_EQ(name(GOBLET), "A goblet");
    EXPECT_EQ(game.redrawPending, 0);
  }
}

TEST(PuzzlePour, InputEndingAtTheQuestionChangesNothing) {
  atTheAltarWithTheWine();
  const std::string said = act(VERB_POUR, NOUN_WINE, "");
  EXPECT_EQ(said.rfind(POUR_QUESTION, 0), 0u);
  EXPECT_TRUE(inputEnded());
  EXPECT_EQ(name(BOTTLE), "A bottle of wine");
  EXPECT_EQ(name(GOBLET), "A goblet");
}

TEST(PuzzlePour, OverlongAnswerIsJudgedByItsStart) {
  atTheAltarWithTheWine();
  const std::string answer = "goblet" + std::string(200, 'x') + "\n";
  act(VERB_POUR, NOUN_WINE, answer + "next\n");
  EXPECT_EQ(name(GOBLET), "A goblet full of wine");
  EXPECT_EQ(nextLine(), "next") << "the rest of the long answer is dropped, not read again";
}

// ---------------------------------------------------------------------------
// DRINK
// ---------------------------------------------------------------------------

TEST(PuzzleDrink, OnlyTheWine) {
  freshGame();
  giveToPlayer(BOTTLE);
  EXPECT_EQ(act(VERB_DRINK, BOTTLE), "You can't drink that!\n");
  EXPECT_EQ(act(VERB_DRINK, 0), "You can't drink that!\n");
  EXPECT_EQ(game.currentRoom, SHORE);
  EXPECT_EQ(name(BOTTLE), "A bottle of wine");
}

TEST(PuzzleDrink, NeedsWineInHand) {
  freshGame();
  game.currentRoom = INSIDE_HUT;
  EXPECT_EQ(act(VERB_DRINK, NOUN_WINE), "You can't do that.\n") << "lying on the shelf";
  giveToPlayer(BOTTLE);
  renameObject(BOTTLE, "An empty bottle");
  EXPECT_EQ(act(VERB_DRINK, NOUN_WINE), "You can't do that.\n");
  renameObject(BOTTLE, "Message in a bottle");
  EXPECT_EQ(act(VERB_DRINK, NOUN_WINE), "You can't do that.\n");
  EXPECT_EQ(game.currentRoom, INSIDE_HUT);
  EXPECT_EQ(game.turn, 1);
}

TEST(PuzzleDrink, WakesInThePrayerRoomUnderTheMessages) {
  freshGame();
  game.currentRoom = INSIDE_HUT;
  giveToPlayer(BOTTLE);
  game.turn = 50;
  const std::string said = act(VERB_DRINK, NOUN_WINE);
  EXPECT_EQ(game.currentRoom, PRAYER_ROOM);
  EXPECT_EQ(game.turn, 94);
  EXPECT_EQ(name(BOTTLE), "An empty bottle");
  EXPECT_EQ(locationOf(BOTTLE), CARRIED);
  EXPECT_EQ(game.carriedCount, 2);
  EXPECT_EQ(game.redrawPending, 0) << "the messages stay on screen";
  ASSERT_FALSE(said.empty());
  EXPECT_EQ(said[0], CLEARED) << "the prayer room is shown first";
  EXPECT_NE(said.find("\nYou see: A goblet. A statue. \nObvious exits are: East  \n"),
            std::string::npos)
      << said;
  EXPECT_TRUE(endsWith(said, std::string("________\n") + DRUNK)) << said;
}

TEST(PuzzleDrink, TurnJumpsTo94OrThirtyOnFrom98) {
  const std::vector<std::pair<int, int>> turns = {{1, 94},   {50, 94},   {93, 94},  {94, 94},
                                                  {95, 94},  {96, 94},   {97, 94},  {98, 128},
                                                  {99, 129}, {128, 158}, {500, 530}};
  for (const auto& [before, after] : turns) {
    SCOPED_TRACE(before);
    freshGame();
    giveToPlayer(BOTTLE);
    game.turn = before;
    act(VERB_DRINK, NOUN_WINE);
    EXPECT_EQ(game.turn, after);
  }
}

TEST(PuzzleDrink, FromThePrayerRoomItself) {
  atTheAltarWithTheWine();
  game.turn = 12;
  const std::string said = act(VERB_DRINK, NOUN_WINE);
  EXPECT_EQ(game.currentRoom, PRAYER_ROOM);
  EXPECT_EQ(game.turn, 94);
  EXPECT_TRUE(endsWith(said, DRUNK));
}

// The loop adds the turn of the drink itself: a drink before turn 98 leaves
// the next command on turn 95 and four commands before the ship sails; a
// drink on turn 98 jumps past the sailing, which then never comes.
TEST(PuzzleDrink, OnTurn98ThePassingShipIsNeverMissed) {
  std::string script =
      "<\n"
      "< west\n"
      "< north\n"
      "< enter hut\n"
      "< get bottle\n"
      "@ turn 5\n";
  for (int turn = 5; turn < 98; ++turn) script += "< inventory\n";
  script +=
      "@ turn 98\n"
      "< drink wine\n"
      "clear\n"
      "= That was good!\n"
      "= You may have needed that wine for something...\n"
      "@ room 21\n"
      "@ turn 129\n"
      "@ gameOver 0\n"
      "< examine bottle\n"
      "noclear\n"
      "= The bottle is empty.\n"
      "@ turn 130\n"
      "@ gameOver 0\n"
      "! The game is over\n";
  const auto failures = runPlayScriptText(script, "drink_on_98");
  for (const auto& failure : failures) ADD_FAILURE() << failure;
}

// ---------------------------------------------------------------------------
// SUMMON
// ---------------------------------------------------------------------------

void readyForTheOffering(int room) {
  freshGame();
  game.currentRoom = room;
  placeObject(ROBE, WORN);
  renameObject(GOBLET, "A goblet full of wine");
}

TEST(PuzzleSummon, NothingHappensOutsideTheShrine) {
  for (int room : std::initializer_list<int>{TEMPLE_CLEARING, SHORE, LEDGE, QUIET_JUNGLE}) {
    SCOPED_TRACE(room);
    readyForTheOffering(room);
    EXPECT_EQ(act(VERB_SUMMON, NOUN_NEPTUNE), "Nothing happens.\n");
    EXPECT_EQ(act(VERB_SUMMON, 0), "Nothing happens.\n");
    EXPECT_EQ(act(VERB_SUMMON, STATUE), "Nothing happens.\n");
    EXPECT_EQ(game.gameOver, 0);
    EXPECT_EQ(locationOf(AMULET), NOWHERE);
    EXPECT_EQ(locationOf(ROBE), WORN);
  }
}

TEST(PuzzleSummon, AnyOtherNameInTheShrineKills) {
  for (int room : std::initializer_list<int>{ENTRANCE_CHAMBER, PREPARATION_CHAMBER, PRAYER_ROOM}) {
    for (int noun : std::initializer_list<int>{0, STATUE, GOBLET, NOUN_WINE, SAILOR}) {
      SCOPED_TRACE(room * 100 + noun);
      readyForTheOffering(room);  // even with everything ready
      EXPECT_EQ(act(VERB_SUMMON, noun), asPrinted(shrineDeathText));
      EXPECT_EQ(game.gameOver, 1);
      EXPECT_EQ(locationOf(AMULET), NOWHERE);
      EXPECT_EQ(locationOf(ROBE), WORN);
      EXPECT_EQ(name(GOBLET), "A goblet full of wine");
    }
  }
}

TEST(PuzzleSummon, NotYetWithoutTheRobeWornAndTheGobletFull) {
  freshGame();
  game.currentRoom = PRAYER_ROOM;
  EXPECT_EQ(act(VERB_SUMMON, NOUN_NEPTUNE), "You can't...yet.\n");
  renameObject(GOBLET, "A goblet full of wine");
  giveToPlayer(ROBE);
  EXPECT_EQ(act(VERB_SUMMON, NOUN_NEPTUNE), "You can't...yet.\n") << "carried, not worn";
  placeObject(ROBE, PRAYER_ROOM);
  EXPECT_EQ(act(VERB_SUMMON, NOUN_NEPTUNE), "You can't...yet.\n") << "on the floor";
  placeObject(ROBE, WORN);
  renameObject(GOBLET, "A goblet");
  EXPECT_EQ(act(VERB_SUMMON, NOUN_NEPTUNE), "You can't...yet.\n") << "goblet empty";
  EXPECT_EQ(locationOf(AMULET), NOWHERE);
  EXPECT_EQ(locationOf(ROBE), WORN);
  EXPECT_EQ(game.gameOver, 0);
}

TEST(PuzzleSummon, TheOfferingLeavesTheAmuletInThePrayerRoom) {
  for (int room : std::initializer_list<int>{ENTRANCE_CHAMBER, PREPARATION_CHAMBER, PRAYER_ROOM}) {
    SCOPED_TRACE(room);
    readyForTheOffering(room);
    const std::string said = act(VERB_SUMMON, NOUN_NEPTUNE);
    EXPECT_EQ(name(GOBLET), "A goblet");
    EXPECT_EQ(locationOf(ROBE), NOWHERE);
    EXPECT_EQ(locationOf(AMULET), PRAYER_ROOM);
    EXPECT_EQ(game.currentRoom, room);
    EXPECT_EQ(game.carriedCount, 1);
    EXPECT_EQ(game.gameOver, 0);
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said[0], CLEARED) << "the room is shown again first";
    EXPECT_TRUE(endsWith(said, std::string("________\n") + asPrinted(offeringText))) << said;
    if (room == PRAYER_ROOM) {
      EXPECT_NE(said.find("\nYou see: A goblet. A statue. An ivory amulet. \n"), std::string::npos)
          << said;
    } else {
      EXPECT_EQ(said.find("amulet"), std::string::npos) << said;
    }
    // The robe is gone: no second offering.
    EXPECT_EQ(act(VERB_SUMMON, NOUN_NEPTUNE), "You can't...yet.\n");
    EXPECT_EQ(locationOf(AMULET), PRAYER_ROOM);
  }
}

// ---------------------------------------------------------------------------
// WEAR
// ---------------------------------------------------------------------------

TEST(PuzzleWear, OnlyTheRobeAndTheAmulet) {
  freshGame();
  EXPECT_EQ(act(VERB_WEAR, LIFE_PRESERVER), "You can't wear that!\n");
  EXPECT_EQ(act(VERB_WEAR, 0), "You can't wear that!\n");
  EXPECT_EQ(locationOf(LIFE_PRESERVER), CARRIED);
  EXPECT_EQ(game.carriedCount, 1);
}

TEST(PuzzleWear, RobeFromTheFloorKeepsTheCount) {
  freshGame();
  game.currentRoom = PREPARATION_CHAMBER;
  const std::string said = act(VERB_WEAR, ROBE);
  EXPECT_EQ(locationOf(ROBE), WORN);
  EXPECT_EQ(game.carriedCount, 1);
  ASSERT_FALSE(said.empty());
  EXPECT_EQ(said[0], CLEARED);
  EXPECT_TRUE(endsWith(said, "________\nO.K.\n")) << said;
  EXPECT_NE(said.find("\nYou see: Nothing.\n"), std::string::npos) << "a worn robe is not listed";
  EXPECT_EQ(std::memcmp(game.exits, initialExits, sizeof game.exits), 0) << "no exit for a robe";
  EXPECT_EQ(act(VERB_WEAR, ROBE), "You're already wearing it!\n");
}

TEST(PuzzleWear, RobeFromTheHandsLowersTheCount) {
  freshGame();
  giveToPlayer(ROBE);
  ASSERT_EQ(game.carriedCount, 2);
  EXPECT_TRUE(endsWith(act(VERB_WEAR, ROBE), "O.K.\n"));
  EXPECT_EQ(locationOf(ROBE), WORN);
  EXPECT_EQ(game.carriedCount, 1);
}

TEST(PuzzleWear, RobeNotHere) {
  freshGame();
  game.currentRoom = PRAYER_ROOM;  // the robe lies next door
  EXPECT_EQ(act(VERB_WEAR, ROBE), "It's not here.\n");
  placeObject(ROBE, NOWHERE);  // given to the god
  EXPECT_EQ(act(VERB_WEAR, ROBE), "It's not here.\n");
  EXPECT_EQ(locationOf(ROBE), NOWHERE);
}

TEST(PuzzleWear, AmuletOpensTheWayPastTheShark) {
  freshGame();
  game.currentRoom = PRAYER_ROOM;
  placeObject(AMULET, PRAYER_ROOM);
  ASSERT_EQ(game.exits[LAGOON_FLOOR][SOUTH - 1], 0);
  const std::string said = act(VERB_WEAR, AMULET);
  EXPECT_EQ(locationOf(AMULET), WORN);
  EXPECT_EQ(game.carriedCount, 1);
  EXPECT_EQ(game.exits[LAGOON_FLOOR][SOUTH - 1], UNDERWATER_CAVE);
  ASSERT_FALSE(said.empty());
  EXPECT_EQ(said[0], CLEARED);
  EXPECT_NE(said.find("\nYou see: A goblet. A statue. \n"), std::string::npos) << said;
  EXPECT_TRUE(endsWith(said, "________\nO.K.\n")) << said;
  EXPECT_EQ(act(VERB_WEAR, AMULET), "You're already wearing it!\n");
  EXPECT_EQ(game.exits[LAGOON_FLOOR][SOUTH - 1], UNDERWATER_CAVE);
}

TEST(PuzzleWear, AmuletFromTheHandsAnywhere) {
  freshGame();
  game.currentRoom = CLIFF_TOP;
  giveToPlayer(AMULET);
  EXPECT_TRUE(endsWith(act(VERB_WEAR, AMULET), "O.K.\n"));
  EXPECT_EQ(game.carriedCount, 1);
  EXPECT_EQ(game.exits[LAGOON_FLOOR][SOUTH - 1], UNDERWATER_CAVE);
}

TEST(PuzzleWear, AmuletNotHere) {
  freshGame();
  game.currentRoom = PRAYER_ROOM;
  EXPECT_EQ(act(VERB_WEAR, AMULET), "It's not here.\n") << "not yet given";
  placeObject(AMULET, PRAYER_ROOM);
  game.currentRoom = PREPARATION_CHAMBER;
  EXPECT_EQ(act(VERB_WEAR, AMULET), "It's not here.\n") << "in the next room";
  EXPECT_EQ(game.exits[LAGOON_FLOOR][SOUTH - 1], 0);
}

// ---------------------------------------------------------------------------
// RUB and SHINE
// ---------------------------------------------------------------------------

TEST(PuzzleRub, TouchingTheStatueKills) {
  for (int verb : std::initializer_list<int>{VERB_RUB, VERB_SHINE}) {
    for (int room : std::initializer_list<int>{ENTRANCE_CHAMBER, PRAYER_ROOM}) {
      SCOPED_TRACE(verb * 100 + room);
      freshGame();
      game.currentRoom = room;
      EXPECT_EQ(act(verb, STATUE), asPrinted(statueDeathText));
      EXPECT_EQ(game.gameOver, 1);
    }
  }
}

TEST(PuzzleRub, NoStatueElsewhere) {
  for (int verb : std::initializer_list<int>{VERB_RUB, VERB_SHINE}) {
    for (int room : std::initializer_list<int>{PREPARATION_CHAMBER, TEMPLE_CLEARING, SHORE}) {
      SCOPED_TRACE(verb * 100 + room);
      freshGame();
      game.currentRoom = room;
      EXPECT_EQ(act(verb, STATUE), "There is no statue here.\n");
      EXPECT_EQ(game.gameOver, 0);
    }
  }
}

TEST(PuzzleRub, AnythingElseComesUpClean) {
  freshGame();
  game.currentRoom = PRAYER_ROOM;
  for (int noun : std::initializer_list<int>{AMULET, GOBLET, 0, NOUN_WINE, SHARK}) {
    SCOPED_TRACE(noun);
    EXPECT_EQ(act(VERB_RUB, noun), "It's very clean now.\n");
    EXPECT_EQ(act(VERB_SHINE, noun), "It's very clean now.\n");
  }
  EXPECT_EQ(game.gameOver, 0);
  EXPECT_EQ(locationOf(AMULET), NOWHERE);
}

// ---------------------------------------------------------------------------
// The deaths through the whole turn
// ---------------------------------------------------------------------------

// A death ends the game at the end of its own turn, before any end-of-turn
// ending is looked at, and the next game starts as new.
TEST(PuzzleTemple, DeathsEndTheGame) {
  const auto failures = runPlayScriptText(
      "<\n"
      "< west\n"
      "< north\n"
      "< west\n"
      "< west\n"
      "< west\n"
      "@ room 19\n"
      "< summon gods\n"
      "@ gameOver 1\n"
      "= The game is over\n"
      "= Would you like to play again?\n"
      "< y\n"
      "<\n"
      "@ room 1\n"
      "@ turn 1\n"
      "< west\n"
      "< north\n"
      "< west\n"
      "< west\n"
      "< west\n"
      "< shine statue\n"
      "@ gameOver 1\n"
      "= The game is over\n"
      "< n\n",
      "temple_deaths");
  for (const auto& failure : failures) ADD_FAILURE() << failure;
}

}  // namespace
