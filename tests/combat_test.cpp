// KILL and ATTACK: the with-what question and its refusals in their order,
// the shark and the sailor, and the gnome fight played through whole
// sessions with a fixed clock, so that every exchange is known in advance.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
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

const std::string kQuestion = "Tell me in one word, with what? ";

// Stands the player in a room with the command KILL <noun> typed and the
// answer waiting, followed by one more line to see what was consumed.
void attackIn(int room, int noun, const std::string& answer, int verb = VERB_KILL) {
  freshGame(answer + "\nafter\n");
  game.currentRoom = room;
  game.verb = verb;
  game.noun = noun;
}

void carryAxe() {
  placeObject(AXE, CARRIED);
  game.carriedCount += 1;
}

TEST(EndingCombat, NoQuestionOutsideTheThreeRooms) {
  for (int room : {2, 5, 7, 32, 34, 40}) {
    attackIn(room, GNOME, "AXE");
    carryAxe();
    doAttack();
    EXPECT_EQ(printed(), "You can't attack that!\n") << "room " << room;
    EXPECT_EQ(nextLine(), "AXE") << "no answer is read in room " << room;
    EXPECT_EQ(game.gameOver, 0);
  }
}

TEST(EndingCombat, AttackIsKill) {
  attackIn(32, GNOME, "AXE", VERB_ATTACK);
  carryAxe();
  doAttack();
  EXPECT_EQ(printed(), "You can't attack that!\n");
}

TEST(EndingCombat, QuestionAskedInTheThreeRoomsWhateverTheNoun) {
  // KILL TORCH on the shore, answered AXE with the axe in hand.
  for (int room : {SHORE, LAGOON_FLOOR, GNOME_ROOM}) {
    attackIn(room, TORCH, "AXE");
    carryAxe();
    doAttack();
    EXPECT_EQ(printed(), kQuestion + "\nThat's not here!\n") << "room " << room;
    EXPECT_EQ(nextLine(), "after") << "exactly the answer was read in room " << room;
  }
}

TEST(EndingCombat, AnswerMustBeginWithAx) {
  // Upper-cased, not trimmed, only the first two letters count.
  const std::vector<std::pair<std::string, bool>> answers = {
      {"AXE", true},    {"axe", true}, {"AX", true},    {"Axes", true}, {"AXOLOTL", true},
      {"SWORD", false}, {"A", false},  {" AXE", false}, {"", false},    {"XA", false},
  };
  for (const auto& [answer, works] : answers) {
    attackIn(GNOME_ROOM, SHARK, answer);  // no shark here: a working axe says not here
    carryAxe();
    doAttack();
    EXPECT_EQ(printed(),
              kQuestion + "\n" + (works ? "That's not here!\n" : "You can't use that!\n"))
        << "answer '" << answer << "'";
  }
}

TEST(EndingCombat, WrongWeaponIsAnsweredBeforeTheMissingAxe) {
  attackIn(GNOME_ROOM, GNOME, "SWORD");  // axe still in room 26
  doAttack();
  EXPECT_EQ(printed(), kQuestion + "\nYou can't use that!\n");
  EXPECT_EQ(locationOf(GNOME), GNOME_ROOM);
}

TEST(EndingCombat, AxeMustBeCarried) {
  // The axe lying on the floor of the gnome's room is not enough; no fight.
  attackIn(GNOME_ROOM, GNOME, "AXE");
  placeObject(AXE, GNOME_ROOM);
  doAttack();
  EXPECT_EQ(printed(), kQuestion + "\nYou don't have the axe!\n");
  EXPECT_EQ(locationOf(GNOME), GNOME_ROOM);
  EXPECT_EQ(game.exits[GNOME_ROOM][WEST - 1], 0);
  EXPECT_EQ(game.gameOver, 0);
}

TEST(EndingCombat, MissingAxeIsAnsweredBeforeTheShark) {
  attackIn(LAGOON_FLOOR, SHARK, "AXE");
  doAttack();
  EXPECT_EQ(printed(), kQuestion + "\nYou don't have the axe!\n");
  EXPECT_EQ(game.gameOver, 0);
}

TEST(EndingCombat, TheSharkKillsUnderwater) {
  attackIn(LAGOON_FLOOR, SHARK, "axe");
  carryAxe();
  doAttack();
  EXPECT_EQ(printed(), kQuestion + "\nAxes don't work underwater.\nThe shark kills you!\n");
  EXPECT_EQ(game.gameOver, 1);
}

TEST(EndingCombat, NoSharkOnTheShore) {
  attackIn(SHORE, SHARK, "AXE");
  carryAxe();
  doAttack();
  EXPECT_EQ(printed(), kQuestion + "\nThat's not here!\n");
  EXPECT_EQ(game.gameOver, 0);
}

TEST(EndingCombat, NoSailorBeforeTheShip) {
  attackIn(SHORE, SAILOR, "AXE");
  carryAxe();
  doAttack();
  EXPECT_EQ(printed(), kQuestion + "\nThat's not here!\n");
  EXPECT_EQ(game.gameOver, 0);
}

TEST(EndingCombat, TheSailorCutsYouInHalf) {
  attackIn(SHORE, SAILOR, "AXE", VERB_ATTACK);
  carryAxe();
  placeObject(SHIP, SHORE);
  placeObject(SAILOR, SHORE);
  doAttack();
  EXPECT_EQ(printed(),
            kQuestion +
                "\nThe sailor is quick.  Your blow misses him.  He cuts you in half with "
                "his sabre.\n");
  EXPECT_EQ(game.gameOver, 1);
}

TEST(EndingCombat, TheSailorOnlyOnTheShore) {
  // Sailor at the shore, player under the lagoon: not here.
  attackIn(LAGOON_FLOOR, SAILOR, "AXE");
  carryAxe();
  placeObject(SAILOR, SHORE);
  doAttack();
  EXPECT_EQ(printed(), kQuestion + "\nThat's not here!\n");
  EXPECT_EQ(game.gameOver, 0);
}

TEST(EndingCombat, TheGnomeOnlyInItsRoom) {
  attackIn(SHORE, GNOME, "AXE");
  carryAxe();
  doAttack();
  EXPECT_EQ(printed(), kQuestion + "\nThat's not here!\n");
  EXPECT_EQ(locationOf(GNOME), GNOME_ROOM);
}

TEST(EndingCombat, ADeadGnomeIsNotHere) {
  attackIn(GNOME_ROOM, GNOME, "AXE");
  carryAxe();
  placeObject(GNOME, NOWHERE);
  doAttack();
  EXPECT_EQ(printed(), kQuestion + "\nThat's not here!\n");
  EXPECT_EQ(game.gameOver, 0);
}

TEST(EndingCombat, InputEndingAtTheQuestion) {
  freshGame("");
  game.currentRoom = GNOME_ROOM;
  game.noun = GNOME;
  carryAxe();
  doAttack();
  EXPECT_EQ(printed(), kQuestion);
  EXPECT_EQ(locationOf(GNOME), GNOME_ROOM);
  EXPECT_EQ(game.gameOver, 0);
}

// ---- The fight, one handler call at a time: where the keys are waited for.

// KILL GNOME in room 33 with the axe, answered AXE, the clock fixed; one key
// line per exchange is typed, then one more line that must be left unread.
void fightWithClock(std::uint32_t clock, int exchanges) {
  std::string typed = "AXE\n";
  for (int i = 0; i < exchanges; ++i) typed += "k\n";
  freshGame(typed + "after\n");
  fixture::clockValue = clock;
  game.currentRoom = GNOME_ROOM;
  game.verb = VERB_KILL;
  game.noun = GNOME;
  carryAxe();
  doAttack();
}

// The fight's output must be the question, its line break, one cleared
// screen, then each exchange's narration and line break, with a key waited
// for right after each of them: the player reads every blow, the last one
// included, before anything goes on.
void expectKeyAfterEveryExchange(const std::vector<int>& outcomes) {
  const std::vector<std::size_t> waits = fixture::keyWaits;
  const std::string shown = printed();
  std::string expected = kQuestion + "\n\f";
  std::vector<std::size_t> expectedWaits;
  for (int outcome : outcomes) {
    expected += asPrinted(gnomeExchangeText[outcome]) + "\n";
    expectedWaits.push_back(expected.size());
  }
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(waits, expectedWaits);
  EXPECT_EQ(fixture::count(shown, "\f"), 1u) << "the screen is cleared once, at the start";
  EXPECT_EQ(nextLine(), "after") << "one key per exchange, no more";
}

TEST(EndingFight, AWonFightWaitsForAKeyAfterEveryExchange) {
  fightWithClock(1342, 10);
  expectKeyAfterEveryExchange({1, 4, 2, 8, 5, 3, 7, 3, 6, 10});
  EXPECT_EQ(locationOf(GNOME), NOWHERE);
  EXPECT_EQ(game.exits[GNOME_ROOM][WEST - 1], PILL_ROOM);
  EXPECT_EQ(game.redrawPending, 1);
  EXPECT_EQ(game.gameOver, 0);
  // Nothing else of the world moves: the axe stays in hand, the turn is the
  // loop's to count.
  EXPECT_TRUE(isCarried(AXE));
  EXPECT_EQ(game.carriedCount, 2);
  EXPECT_EQ(game.turn, 1);
}

TEST(EndingFight, ALostFightWaitsForAKeyAfterTheKillingBlow) {
  fightWithClock(109, 6);
  expectKeyAfterEveryExchange({3, 1, 4, 1, 2, 0});
  EXPECT_EQ(game.gameOver, 1);
  EXPECT_EQ(locationOf(GNOME), GNOME_ROOM);
  EXPECT_EQ(game.exits[GNOME_ROOM][WEST - 1], 0);
  EXPECT_EQ(game.redrawPending, 0);
}

TEST(EndingFight, OneBlowFightsWaitForOneKey) {
  fightWithClock(2, 1);  // draws 10
  expectKeyAfterEveryExchange({10});
  EXPECT_EQ(locationOf(GNOME), NOWHERE);
  fightWithClock(16, 1);  // draws 9
  expectKeyAfterEveryExchange({9});
  EXPECT_EQ(locationOf(GNOME), NOWHERE);
  fightWithClock(1, 1);  // draws 0
  expectKeyAfterEveryExchange({0});
  EXPECT_EQ(game.gameOver, 1);
  EXPECT_EQ(locationOf(GNOME), GNOME_ROOM);
}

TEST(EndingFight, NoKeyIsWaitedForWithoutAFight) {
  // In the gnome's room, a wrong weapon, an axe on the floor and a dead gnome
  // each read the answer and nothing more: no cleared screen, no key.
  for (int refusal = 0; refusal < 3; ++refusal) {
    attackIn(GNOME_ROOM, GNOME, refusal == 0 ? "SWORD" : "AXE");
    if (refusal != 1) carryAxe();
    if (refusal == 2) placeObject(GNOME, NOWHERE);
    doAttack();
    EXPECT_TRUE(fixture::keyWaits.empty()) << "refusal " << refusal;
    EXPECT_EQ(fixture::count(printed(), "\f"), 0u) << "refusal " << refusal;
    EXPECT_EQ(nextLine(), "after") << "refusal " << refusal;
  }
}

// ---- The fight, in whole sessions.

// From the title to the gnome's room with the axe, in the dark: the fight
// needs no light. The player stands in room 33 when this input is used up.
const std::string kToTheGnome =
    "\n"
    "west\nwest\nsouth\nup\nclimb cliff\n"  // shore, beach edge, jungle, hill, cliff top, ledge
    "north\nnorth\nget axe\nsouth\n"        // cave complex, the shop with the axe, back
    "west\nnorth\nwest\nsouth\nwest\nsouth\n";

// One line per key wait.
std::string keys(int n) {
  std::string typed;
  for (int i = 0; i < n; ++i) typed += "k\n";
  return typed;
}

// What the fight prints after the answer: one cleared screen, then each
// exchange's narration and its line break.
std::string fightText(const std::vector<int>& outcomes) {
  std::string text = "\n\f";
  for (int outcome : outcomes) text += asPrinted(gnomeExchangeText[outcome]) + "\n";
  return text;
}

std::string afterQuestion(const std::string& output) {
  auto at = output.find(kQuestion);
  return at == std::string::npos ? "" : output.substr(at + kQuestion.size());
}

bool startsWith(const std::string& text, const std::string& head) {
  return text.compare(0, head.size(), head) == 0;
}

// A won fight: the loop's blank line, then room 33 shown afresh.
void expectWonFight(std::uint32_t clock, const std::vector<int>& outcomes) {
  const int exchanges = static_cast<int>(outcomes.size());
  Session session = playSession(
      kToTheGnome + "kill gnome\naxe\n" + keys(exchanges) + "inventory\nkill gnome\naxe\nwest\n",
      clock);
  const std::string fight = afterQuestion(session.output);
  EXPECT_TRUE(startsWith(fight, fightText(outcomes) + "\n\f")) << fight;
  // Exactly one key per exchange: no key line was read as a command, and the
  // command after them was not eaten as a key.
  EXPECT_EQ(fixture::count(session.output, "You don't know those words"), 0u);
  EXPECT_NE(session.output.find("You are carrying:\nA life preserver\nAn axe\n\n"),
            std::string::npos);
  // The gnome is gone for good, and West leads on.
  EXPECT_NE(session.output.find(kQuestion + "\nThat's not here!\n"), std::string::npos);
  EXPECT_EQ(session.output.find("The gnome won't let you!"), std::string::npos);
  EXPECT_EQ(locationOf(GNOME), NOWHERE);
  EXPECT_EQ(game.exits[GNOME_ROOM][WEST - 1], PILL_ROOM);
  EXPECT_EQ(game.currentRoom, PILL_ROOM);
  EXPECT_EQ(game.gameOver, 0);
  EXPECT_TRUE(isCarried(AXE));
  // The whole fight was one turn: 15 moves and takes, the fight, INVENTORY,
  // KILL again and WEST make 19 commands.
  EXPECT_EQ(game.turn, 20);
}

TEST(EndingFight, FirstDrawTenKillsTheGnome) {
  // Clock 2: the first exchange draws 10.
  expectWonFight(2, {10});
}

TEST(EndingFight, FirstDrawNineKillsTheGnome) {
  // Clock 16: the first exchange draws 9.
  expectWonFight(16, {9});
}

TEST(EndingFight, LongFightWon) {
  // Clock 1342: exchanges draw 1 4 2 8 5 3 7 3 6, then 10; every harmless
  // outcome once or more before the gnome loses his head.
  expectWonFight(1342, {1, 4, 2, 8, 5, 3, 7, 3, 6, 10});
}

// A lost fight: the loop's blank line, the end of the game, and a new game
// taken with "y" after exactly the right number of keys.
void expectLostFight(std::uint32_t clock, const std::vector<int>& outcomes) {
  const int exchanges = static_cast<int>(outcomes.size());
  Session session =
      playSession(kToTheGnome + "kill gnome\naxe\n" + keys(exchanges) + "y\n\ninventory\n", clock);
  const std::string fight = afterQuestion(session.output);
  EXPECT_TRUE(startsWith(fight, fightText(outcomes) + "\n" +
                                    "\nThe game is over\n\n\nWould you like to play again?\n" +
                                    "\f" + asPrinted(titleScreen) + "\f"))
      << fight;
  // Outcome 0's two lines end in an empty line of its own; the exchange's
  // break, the loop's blank line and the break before the closing words
  // follow it.
  const auto over = fight.find("The game is over");
  ASSERT_GT(over, 6u);
  EXPECT_NE(fight[over - 6], '\n');
  EXPECT_EQ(fight.substr(over - 5, 5), "\n\n\n\n\n");
  EXPECT_NE(fight.find("You are carrying:\nA life preserver\n\n"), std::string::npos);
  EXPECT_EQ(fixture::count(session.output, "You don't know those words"), 0u);
  // The new game has the gnome back and the portal closed.
  EXPECT_EQ(locationOf(GNOME), GNOME_ROOM);
  EXPECT_EQ(game.exits[GNOME_ROOM][WEST - 1], 0);
  EXPECT_EQ(game.currentRoom, SHORE);
  EXPECT_EQ(game.turn, 2);
}

TEST(EndingFight, FirstDrawZeroKillsThePlayer) {
  // Clock 1: the first exchange draws 0.
  expectLostFight(1, {0});
}

TEST(EndingFight, LongFightLost) {
  // Clock 109: exchanges draw 3 1 4 1 2, then 0.
  expectLostFight(109, {3, 1, 4, 1, 2, 0});
}

TEST(EndingFight, EachFightSeedsFromTheClock) {
  // Two fights in one run with the same clock draw the same exchanges: the
  // second fight does not go on from the first one's draws. Clock 109 loses
  // after six exchanges both times.
  Session session = playSession(kToTheGnome + "kill gnome\naxe\n" + keys(6) + "y\n" + kToTheGnome +
                                    "kill gnome\naxe\n" + keys(6) + "n\n",
                                109);
  const std::string once = fightText({3, 1, 4, 1, 2, 0});
  EXPECT_EQ(fixture::count(session.output, kQuestion + once + "\n\nThe game is over"), 2u);
  EXPECT_EQ(game.quitRequested, 1);
}

TEST(EndingFight, InputEndingDuringTheFight) {
  // Clock 1342 fights on for ten exchanges; the input ends at the first key
  // wait, and the program stops there instead of fighting on unseen.
  Session session = playSession(kToTheGnome + "kill gnome\naxe\n", 1342);
  EXPECT_EQ(afterQuestion(session.output), fightText({1}));
  EXPECT_EQ(session.status, 0);
  EXPECT_EQ(locationOf(GNOME), GNOME_ROOM);
}

}  // namespace
