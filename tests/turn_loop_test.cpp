// The turn loop's endings, the offer of another game, and the end of input
// at each of the program's waits.
#include <gtest/gtest.h>

#include <string>

#include "app/loop.hpp"
#include "core/game.hpp"
#include "core/prose.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "tests/harness.hpp"
#include "tests/printed.hpp"
#include "tests/scene.hpp"
#include "tests/scripted_console.hpp"

namespace {

const std::string kPrompt = "What now?  \n";
const std::string kUnknown = "You don't know those words\n";
const std::string kDrowned = "You can't swim!  You drowned!\n";
const std::string kSuffocated =
    "You're underwater without any air!  You can't breathe!  You're dead!\n";
const std::string kGameOver = "\nThe game is over\n\n\nWould you like to play again?\n";
const std::string kTitle = "\f" + asPrinted(titleScreen);

void standIn(int room) {
  resetProgramState();
  startGame();
  game.currentRoom = room;
  game.redrawPending = 0;
  game.birdSeen = 1;  // no bird in the quiet jungle: only the endings speak
}

std::string type(const std::string& command) {
  scripted::start(command + "\n");
  playTurn();
  return scripted::take();
}

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// ---- The endings tested after every command, refused ones included.

TEST(TurnEndings, LagoonFloorWithoutThePreserverDrownsEvenWithAir) {
  standIn(LAGOON_FLOOR);
  placeObject(LIFE_PRESERVER, LAGOON_FLOOR);
  game.carriedCount = 0;
  game.scubaOn = 1;
  EXPECT_EQ(type("foo"), kPrompt + kUnknown + "\n" + kDrowned);
  EXPECT_EQ(game.gameOver, 1);
}

TEST(TurnEndings, LagoonFloorWithNeitherDrownsOnly) {
  standIn(LAGOON_FLOOR);
  placeObject(LIFE_PRESERVER, NOWHERE);
  game.carriedCount = 0;
  EXPECT_EQ(type("foo"), kPrompt + kUnknown + "\n" + kDrowned);
}

TEST(TurnEndings, LagoonFloorWithThePreserverButNoAirSuffocates) {
  standIn(LAGOON_FLOOR);
  placeObject(SCUBA_GEAR, CARRIED);
  EXPECT_EQ(type("foo"), kPrompt + kUnknown + "\n" + kSuffocated);
  EXPECT_EQ(game.gameOver, 1);
}

TEST(TurnEndings, LagoonFloorWithBothIsSafe) {
  standIn(LAGOON_FLOOR);
  game.scubaOn = 1;
  EXPECT_EQ(type("foo"), kPrompt + kUnknown + "\n");
  EXPECT_EQ(game.gameOver, 0);
}

TEST(TurnEndings, OnlyRoomsTwoToSixDrown) {
  for (int room = 1; room <= ROOM_COUNT; ++room) {
    standIn(room);
    placeObject(LIFE_PRESERVER, NOWHERE);
    game.carriedCount = 0;
    game.scubaOn = 1;  // no suffocating anywhere
    std::string printed = type("foo");
    bool drowns = room >= 2 && room <= 6;
    EXPECT_EQ(printed, kPrompt + kUnknown + "\n" + (drowns ? kDrowned : "")) << "room " << room;
    EXPECT_EQ(game.gameOver, drowns ? 1 : 0) << "room " << room;
  }
}

TEST(TurnEndings, OnlyRoomsSixToEightSuffocate) {
  for (int room = 1; room <= ROOM_COUNT; ++room) {
    standIn(room);  // the preserver in hand, the tanks off
    std::string printed = type("foo");
    bool suffocates = room >= 6 && room <= 8;
    EXPECT_EQ(printed, kPrompt + kUnknown + "\n" + (suffocates ? kSuffocated : ""))
        << "room " << room;
  }
}

TEST(TurnEndings, OnlyTheTanksBeingOnCountsNotWhereTheyAre) {
  standIn(UNDERWATER_CAVE);
  game.scubaOn = 1;
  placeObject(SCUBA_GEAR, UNDERWATER_CAVE);  // set down, still running
  EXPECT_EQ(type("foo"), kPrompt + kUnknown + "\n");
  EXPECT_EQ(game.gameOver, 0);
}

TEST(TurnEndings, TheShipSailsPastWhenTheTurnBecomes99) {
  standIn(9);
  game.turn = 97;
  EXPECT_EQ(type("foo"), kPrompt + kUnknown + "\n");
  EXPECT_EQ(game.turn, 98);
  EXPECT_EQ(game.gameOver, 0);
  EXPECT_EQ(type("foo"), kPrompt + kUnknown + "\n" + asPrinted(missedShipText));
  EXPECT_EQ(game.turn, 99);
  EXPECT_EQ(game.gameOver, 1);
}

TEST(TurnEndings, TheMissedShipComesFirstEvenOnTheLagoonFloor) {
  standIn(LAGOON_FLOOR);
  placeObject(LIFE_PRESERVER, NOWHERE);
  game.carriedCount = 0;
  game.turn = 98;
  EXPECT_EQ(type("foo"), kPrompt + kUnknown + "\n" + asPrinted(missedShipText));
}

TEST(TurnEndings, NoMissedShipOnceItHasCome) {
  standIn(9);
  game.turn = 98;
  placeObject(SHIP, SHORE);
  placeObject(SAILOR, SHORE);
  EXPECT_EQ(type("foo"), kPrompt + kUnknown + "\n");
  EXPECT_EQ(game.gameOver, 0);
}

TEST(TurnEndings, TheMissedShipNeedsTurn99Exactly) {
  standIn(9);
  game.turn = 128;  // jumped past it
  EXPECT_EQ(type("foo"), kPrompt + kUnknown + "\n");
  EXPECT_EQ(game.gameOver, 0);
  EXPECT_EQ(game.turn, 129);
}

// ---- Whole runs: the title, turns, the offer of another game.

TEST(TurnSession, NinetyEightCommandsAndTheShipIsGone) {
  std::string input = "\n";
  for (int i = 0; i < 97; ++i) input += "jump\n";
  Session before = playSession(input);
  EXPECT_EQ(before.output.find(asPrinted(missedShipText)), std::string::npos);
  EXPECT_EQ(before.output.find("The game is over"), std::string::npos);

  Session run = playSession(input + "jump\nn\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(count(run.output, "What now?  "), 98U);
  std::string ending =
      "What now?  \nYou can't jump here!\n\n" + asPrinted(missedShipText) + kGameOver;
  ASSERT_GE(run.output.size(), ending.size());
  EXPECT_EQ(run.output.substr(run.output.size() - ending.size()), ending);
}

// Dropping the life preserver and swimming out is the quickest death.
const std::string kDrown = "\ndrop preserver\neast\n";

TEST(TurnSession, LowerAndUpperYPlayAgainFromTheTitle) {
  for (const char* yes : {"y", "Y", "yes"}) {
    SCOPED_TRACE(yes);
    Session run = playSession(kDrown + yes + "\n" + "\ninventory\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(count(run.output, kTitle), 2U);
    EXPECT_EQ(count(run.output, kGameOver), 1U);
    // The second game starts on the shore with the preserver in hand.
    std::string second = run.output.substr(run.output.rfind(kTitle) + kTitle.size());
    EXPECT_EQ(second.find("\f"), 0U);
    EXPECT_NE(second.find("\nYou see: Nothing.\nObvious exits are: North  South  East  West  \n"),
              std::string::npos);
    EXPECT_NE(second.find("A life preserver"), std::string::npos);
  }
}

TEST(TurnSession, ANewGameStartsFromTheStartValues) {
  // Play a little, die, start again and look at the state when the input ends.
  playSession("\nwest\nwest\nsouth\nup\njump\ny\n\n");
  EXPECT_EQ(game.currentRoom, 1);
  EXPECT_EQ(game.turn, 1);
  EXPECT_EQ(game.gameOver, 0);
  EXPECT_EQ(game.carriedCount, 1);
  EXPECT_EQ(game.quitRequested, 0);
}

TEST(TurnSession, AnyOtherKeyEndsTheProgram) {
  for (const char* no : {"n", "N", "", " y", "x", "\x1b[A"}) {
    SCOPED_TRACE(std::string("answer '") + no + "'");
    Session run = playSession(kDrown + no + "\n\nnorth\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(count(run.output, kTitle), 1U);
    ASSERT_GE(run.output.size(), kGameOver.size());
    EXPECT_EQ(run.output.substr(run.output.size() - kGameOver.size()), kGameOver);
    EXPECT_EQ(game.quitRequested, 1);
  }
}

TEST(TurnSession, EndOfInputAtTheTitle) {
  Session run = playSession("");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output.rfind(kTitle, 0), 0U);
  EXPECT_EQ(run.output.find("What now?"), std::string::npos);
  EXPECT_EQ(run.output.find("You see:"), std::string::npos);
  EXPECT_EQ(count(run.output, "\f"), 1U);
}

TEST(TurnSession, EndOfInputAtTheCommandPrompt) {
  Session run = playSession("\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(count(run.output, "What now?  "), 1U);
  EXPECT_EQ(run.output.find("What?"), std::string::npos);
  EXPECT_EQ(run.output.find("The game is over"), std::string::npos);
  EXPECT_EQ(game.turn, 1);  // no command, no turn

  // After some commands the last one is not taken again.
  run = playSession("\nnorth\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(count(run.output, "What now?  "), 2U);
  EXPECT_EQ(game.currentRoom, 10);
}

TEST(TurnSession, EndOfInputAtThePlayAgainPrompt) {
  Session run = playSession(kDrown);
  EXPECT_EQ(run.status, 0);
  ASSERT_GE(run.output.size(), kGameOver.size());
  EXPECT_EQ(run.output.substr(run.output.size() - kGameOver.size()), kGameOver);
  EXPECT_EQ(count(run.output, kTitle), 1U);
}

TEST(TurnSession, EndOfInputInTheMiddleOfALine) {
  Session run = playSession("\nnorth");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(game.currentRoom, 10);
}

TEST(TurnSession, AKeyIsAWholeLineHoweverLong) {
  // The rest of a long line at the title is not the first command.
  Session run = playSession(std::string(100, 'x') + "\nnorth\n");
  EXPECT_EQ(count(run.output, "What now?  "), 2U);
  EXPECT_EQ(game.currentRoom, 10);
  EXPECT_EQ(game.turn, 2);
  run = playSession(kDrown + "y" + std::string(99, 'x') + "\n\n");
  EXPECT_EQ(count(run.output, kTitle), 2U);
  EXPECT_EQ(game.turn, 1);
}

TEST(TurnSession, LinesEndedByCarriageReturnAndLineFeed) {
  Session run = playSession("\r\nwest\r\nnorth\r\n\r\n");
  EXPECT_EQ(game.currentRoom, 12);
  EXPECT_EQ(game.turn, 4);
  EXPECT_EQ(count(run.output, "What?\n"), 1U);  // the last line alone is empty
}

TEST(TurnSession, TheFirstCommandIsTurnOneAndEveryCommandCounts) {
  playSession("\n\nfoo\ntorch\nget\n   \ngo nowhere\nnorth\n");
  EXPECT_EQ(game.turn, 8);
  EXPECT_EQ(game.currentRoom, 10);
}

}  // namespace
