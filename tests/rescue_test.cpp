// GIVE: the refusals in their order, and the way home as it reaches the
// screen: one cleared screen, the welcome, the sunset only for a player who
// ate the mushrooms, the cloud, the congratulation, and one key.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "actions/actions.hpp"
#include "core/game.hpp"
#include "core/prose.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "tests/game_fixture.hpp"
#include "tests/harness.hpp"
#include "tests/printed.hpp"
#include "tests/scene.hpp"

namespace {

using fixture::freshGame;
using fixture::nextLine;
using fixture::printed;

const std::string kWelcome =
    "The sailor chuckles and says \"Welcome aboard mate!\"\n"
    "You board the ship and set sail for home!\n";
const std::string kCongratulation = "\n\nCONGRATULATIONS, YOU HAVE SOLVED THE ADVENTURE!\n";
const std::string kNotYet = "You can't give the gold...yet.\n";

// The shore with the ship in and the gold in hand: everything a win needs.
// One key line is typed, then a line that must be left unread.
void readyToSail(int noun = GOLD) {
  freshGame("k\nafter\n");
  game.currentRoom = SHORE;
  game.verb = VERB_GIVE;
  game.noun = noun;
  game.turn = 77;
  placeObject(SHIP, SHORE);
  placeObject(SAILOR, SHORE);
  placeObject(GOLD, CARRIED);
  game.carriedCount = 2;
}

// A refusal: its one line, nothing read, nothing cleared, nothing changed.
void expectRefusal(const std::string& message) {
  const bool waited = !fixture::keyWaits.empty();
  EXPECT_EQ(printed(), message);
  EXPECT_FALSE(waited);
  EXPECT_EQ(nextLine(), "k");
  EXPECT_EQ(game.gameOver, 0);
}

TEST(EndingGive, OnlyTheGoldIsGiven) {
  // The noun is looked at first: with every other condition of a win met,
  // any other noun, or a word that is no noun, is refused outright.
  for (int noun : {int{AXE}, int{SAILOR}, int{SHIP}, 0, int{NOUN_WINE}, int{NOUN_MUSHROOMS}}) {
    readyToSail(noun);
    doGive();
    expectRefusal("You can't give that!\n");
  }
}

TEST(EndingGive, TheGoldNotYet) {
  // Before the ship has come.
  readyToSail();
  placeObject(SHIP, NOWHERE);
  placeObject(SAILOR, NOWHERE);
  doGive();
  expectRefusal(kNotYet);
  // The ship in, the gold on the sand at the player's feet.
  readyToSail();
  placeObject(GOLD, SHORE);
  game.carriedCount = 1;
  doGive();
  expectRefusal(kNotYet);
  // The gold still in the chest.
  readyToSail();
  placeObject(GOLD, NOWHERE);
  doGive();
  expectRefusal(kNotYet);
  // The gold in hand, the ship in, but the player on the beach of room 9.
  readyToSail();
  game.currentRoom = BEACH;
  doGive();
  expectRefusal(kNotYet);
  EXPECT_TRUE(isCarried(GOLD));
}

// A win: the whole ending at once, then exactly one key, waited for only
// after all of it has been handed to the screen.
void expectWin(const std::string& passages) {
  const std::vector<std::size_t> waits = fixture::keyWaits;
  const std::string shown = printed();
  EXPECT_EQ(shown, "\f" + kWelcome + passages + kCongratulation);
  EXPECT_EQ(waits, std::vector<std::size_t>{shown.size()});
  EXPECT_EQ(nextLine(), "after");
  EXPECT_EQ(game.gameOver, 1);
  // Nothing else changes: the gold stays in hand, the turn is the loop's.
  EXPECT_TRUE(isCarried(GOLD));
  EXPECT_EQ(game.carriedCount, 2);
  EXPECT_EQ(game.turn, 77);
  EXPECT_EQ(game.currentRoom, SHORE);
}

TEST(EndingGive, HomeWithoutTheMushrooms) {
  // Uneaten, wherever they are: growing by the tree, carried, or dropped.
  for (int place : {int{CHASM_NORTH}, int{CARRIED}, int{SHORE}}) {
    readyToSail();
    placeObject(MUSHROOMS, place);
    doGive();
    expectWin(asPrinted(cloudPassage));
  }
}

TEST(EndingGive, HomeAfterTheMushrooms) {
  readyToSail();
  placeObject(MUSHROOMS, NOWHERE);
  doGive();
  expectWin(asPrinted(std::string(sunsetPassage) + cloudPassage));
}

TEST(EndingGive, TheSailorIsNotAsked) {
  // Only the ship is tested; the sailor comes with it in play anyway.
  readyToSail();
  placeObject(SAILOR, NOWHERE);
  doGive();
  expectWin(asPrinted(cloudPassage));
}

TEST(EndingGive, InputEndingAtTheLastKey) {
  freshGame("");
  game.currentRoom = SHORE;
  game.noun = GOLD;
  placeObject(SHIP, SHORE);
  placeObject(GOLD, CARRIED);
  doGive();
  EXPECT_EQ(printed(), "\f" + kWelcome + asPrinted(cloudPassage) + kCongratulation);
  EXPECT_EQ(game.gameOver, 1);
}

// ---- The two winning games, played whole from their scripts: after the
// last cleared screen comes the ending exactly, then, after the key, the
// loop's blank line and the play-again question.

std::string endingOf(const std::string& script) {
  const Session session =
      playScriptInput(std::string(TIDEWRACK_SOURCE_DIR) + "/tests/scripts/" + script);
  const std::string congratulation = "CONGRATULATIONS, YOU HAVE SOLVED THE ADVENTURE!\n";
  const auto won = session.output.find(congratulation);
  if (won == std::string::npos) return "";
  const auto cleared = session.output.rfind('\f', won);
  const auto end = won + congratulation.size();
  return session.output.substr(cleared, end - cleared) +
         session.output.substr(end, std::string("\n\nThe game is over\n").size());
}

TEST(EndingGive, ThePlainGameEndsWithTheCloud) {
  EXPECT_EQ(endingOf("win_plain.play"),
            "\f" + kWelcome + asPrinted(cloudPassage) + kCongratulation + "\n\nThe game is over\n");
}

TEST(EndingGive, TheMushroomGameEndsWithTheSunsetAndTheCloud) {
  EXPECT_EQ(endingOf("win_mushrooms.play"), "\f" + kWelcome + asPrinted(sunsetPassage) +
                                                asPrinted(cloudPassage) + kCongratulation +
                                                "\n\nThe game is over\n");
}

}  // namespace
