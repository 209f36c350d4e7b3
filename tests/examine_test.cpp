// EXAMINE and READ, and the chest: every answer in its turn, the one thing
// examining changes (the skeleton's card), and the chest's three states.
#include <string>

#include <gtest/gtest.h>

#include "core/prose.hpp"
#include "tests/game_fixture.hpp"
#include "tests/printed.hpp"
#include "tests/scene.hpp"

namespace {

using fixture::act;
using fixture::CLEARED;
using fixture::freshGame;
using fixture::giveToPlayer;

std::string examine(int noun) { return act(VERB_EXAMINE, noun); }
std::string read(int noun) { return act(VERB_READ, noun); }

const char* const NOTHING_SPECIAL = "You see nothing special.\n";
const char* const CANT_READ = "You can't read that!\n";
const char* const CARD = "It says 'Orlath, Starving Artist'.\n";
const char* const HELP = "It says 'HELP' in red ink.\n";
const char* const LABEL =
    "The label reads:\n"
    "\n"
    "'NECTAR OF THE GODS'\n"
    "      CHABLIS\n"
    "      A.D. 57\n"
    "\n";

// ---------------------------------------------------------------------------
// EXAMINE
// ---------------------------------------------------------------------------

TEST(PuzzleExamine, BirdOnlyInTheQuietJungle) {
  freshGame();
  game.currentRoom = QUIET_JUNGLE;
  EXPECT_EQ(examine(NOUN_BIRD), "The small bird is not here.\n");
  game.birdSeen = 1;  // whether or not it has come and gone
  EXPECT_EQ(examine(NOUN_BIRD), "The small bird is not here.\n");
  game.currentRoom = TEMPLE_CLEARING;
  EXPECT_EQ(examine(NOUN_BIRD), NOTHING_SPECIAL);
}

TEST(PuzzleExamine, ClosetIsBoltedUntilTheDoorIsBroken) {
  freshGame();
  game.currentRoom = LOCKSMITH;
  const std::string bolted = "It seems to be locked and bolted. You may have to break in.\n";
  EXPECT_EQ(examine(CLOSET), bolted);
  EXPECT_EQ(read(CLOSET), CANT_READ);
  game.currentRoom = CHASM_NORTH;
  EXPECT_EQ(examine(CLOSET), NOTHING_SPECIAL);
  // The door counts as broken exactly when the way east leads into the closet.
  game.currentRoom = LOCKSMITH;
  game.exits[LOCKSMITH][EAST - 1] = CLOSET_INSIDE;
  EXPECT_EQ(examine(CLOSET), NOTHING_SPECIAL);
}

TEST(PuzzleExamine, ChartOnlyInItsRoomAndNeverRead) {
  freshGame();
  game.currentRoom = CHART_ROOM;
  EXPECT_EQ(examine(NOUN_CHART), asPrinted(chartText));
  EXPECT_EQ(read(NOUN_CHART), CANT_READ);
  game.currentRoom = 28;
  EXPECT_EQ(examine(NOUN_CHART), NOTHING_SPECIAL);
}

// Each line of the chart holds one clue: the first the map and the cave under
// the lagoon, the second the god's summons written by the temple.
TEST(PuzzleExamine, ChartIsTwoLinesOneClueEach) {
  const std::string chart = asPrinted(chartText);
  const auto firstBreak = chart.find('\n');
  ASSERT_NE(firstBreak, std::string::npos);
  const std::string first = chart.substr(0, firstBreak);
  const std::string second = chart.substr(firstBreak + 1);
  EXPECT_EQ(second.find('\n'), second.size() - 1) << "two lines, each with its line break";
  for (const char* words : {"map", "underwater cave", "lagoon"}) {
    EXPECT_NE(first.find(words), std::string::npos) << words << " in: " << first;
  }
  for (const char* words : {"temple", "SUMMONS", "Neptune"}) {
    EXPECT_NE(second.find(words), std::string::npos) << words << " in: " << second;
  }
  EXPECT_LE(first.size(), 79u);
  EXPECT_LE(second.size(), 80u);  // with its line break
}

TEST(PuzzleExamine, StoneShowsItsMessageOnlyOnTheBeach) {
  freshGame();
  game.currentRoom = BEACH;
  EXPECT_EQ(examine(RED_STONE), "There is a message carved into the stone.\n");
  EXPECT_EQ(examine(NOUN_MESSAGE), NOTHING_SPECIAL);
  game.currentRoom = SHORE;
  EXPECT_EQ(examine(RED_STONE), NOTHING_SPECIAL);
}

TEST(PuzzleExamine, SkeletonGivesUpTheCardOnce) {
  freshGame();
  game.currentRoom = UNDERWATER_CAVE;
  const std::string first = examine(SKELETON);
  EXPECT_EQ(first, "He is holding a business card.\n");
  EXPECT_EQ(first.find(CLEARED), std::string::npos) << "the card shows from the next display";
  EXPECT_EQ(game.redrawPending, 0);
  EXPECT_EQ(locationOf(BUSINESS_CARD), UNDERWATER_CAVE);
  EXPECT_EQ(examine(SKELETON), NOTHING_SPECIAL);
  EXPECT_EQ(locationOf(BUSINESS_CARD), UNDERWATER_CAVE);

  // Once in play, wherever the card has gone, the skeleton has nothing more.
  giveToPlayer(BUSINESS_CARD);
  EXPECT_EQ(examine(SKELETON), NOTHING_SPECIAL);
  EXPECT_EQ(locationOf(BUSINESS_CARD), CARRIED);
}

TEST(PuzzleExamine, SkeletonOnlyInTheCave) {
  freshGame();
  game.currentRoom = ALCOVE;
  EXPECT_EQ(examine(SKELETON), NOTHING_SPECIAL);
  EXPECT_EQ(locationOf(BUSINESS_CARD), NOWHERE);
}

TEST(PuzzleExamine, CardWhenAtHand) {
  freshGame();
  game.currentRoom = UNDERWATER_CAVE;
  EXPECT_EQ(examine(BUSINESS_CARD), NOTHING_SPECIAL) << "not yet in play";
  EXPECT_EQ(read(BUSINESS_CARD), CANT_READ);
  placeObject(BUSINESS_CARD, UNDERWATER_CAVE);
  EXPECT_EQ(examine(BUSINESS_CARD), CARD);
  game.currentRoom = ALCOVE;
  EXPECT_EQ(examine(BUSINESS_CARD), NOTHING_SPECIAL) << "left in the cave";
  giveToPlayer(BUSINESS_CARD);
  game.currentRoom = SHORE;
  EXPECT_EQ(examine(BUSINESS_CARD), CARD);
  EXPECT_EQ(read(BUSINESS_CARD), CARD);
}

TEST(PuzzleExamine, ChestTellsItsStateOnlyInTheAlcove) {
  freshGame();
  game.currentRoom = ALCOVE;
  EXPECT_EQ(examine(CHEST), "It's locked and closed.\n");
  game.chestLocked = 0;
  EXPECT_EQ(examine(CHEST), "It's unlocked and closed.\n");
  game.chestClosed = 0;
  EXPECT_EQ(examine(CHEST), "It's unlocked and open.\n");
  game.currentRoom = UNDERWATER_CAVE;
  EXPECT_EQ(examine(CHEST), NOTHING_SPECIAL);
}

TEST(PuzzleExamine, CliffFromTheTopOnly) {
  freshGame();
  game.currentRoom = CLIFF_TOP;
  EXPECT_EQ(examine(NOUN_CLIFF), "It is very uneven and has many small ledges and crevices.\n");
  game.currentRoom = LEDGE;
  EXPECT_EQ(examine(NOUN_CLIFF), NOTHING_SPECIAL);
}

TEST(PuzzleExamine, PaperOnlyWhenCarried) {
  freshGame();
  game.currentRoom = BEACH_EDGE;  // where it lies
  EXPECT_EQ(examine(PAPER), NOTHING_SPECIAL);
  EXPECT_EQ(read(PAPER), CANT_READ);
  giveToPlayer(PAPER);
  EXPECT_EQ(examine(PAPER), HELP);
  EXPECT_EQ(read(PAPER), HELP);
}

TEST(PuzzleExamine, BottleLabelThenWhatItHolds) {
  freshGame();
  game.currentRoom = INSIDE_HUT;
  EXPECT_EQ(examine(BOTTLE), NOTHING_SPECIAL) << "lying on the shelf";
  giveToPlayer(BOTTLE);
  EXPECT_EQ(examine(BOTTLE), std::string(LABEL) + "It contains wine.\n");
  EXPECT_EQ(read(BOTTLE), CANT_READ);
  renameObject(BOTTLE, "An empty bottle");
  EXPECT_EQ(examine(BOTTLE), std::string(LABEL) + "The bottle is empty.\n");
  // The message does not count as wine.
  renameObject(BOTTLE, "Message in a bottle");
  EXPECT_EQ(examine(BOTTLE), std::string(LABEL) + "The bottle is empty.\n");
}

TEST(PuzzleExamine, StatueInTheTwoRoomsThatShowIt) {
  freshGame();
  const std::string statue = "It is a statue of the greek god of the sea, Neptune.\n";
  game.currentRoom = PRAYER_ROOM;
  EXPECT_EQ(examine(STATUE), statue);
  game.currentRoom = ENTRANCE_CHAMBER;
  EXPECT_EQ(examine(STATUE), statue);
  game.currentRoom = PREPARATION_CHAMBER;
  EXPECT_EQ(examine(STATUE), NOTHING_SPECIAL);
}

TEST(PuzzleExamine, RobeAtHandButNotWorn) {
  freshGame();
  const std::string robe = "It looks like a ceremonial robe.\n";
  game.currentRoom = PREPARATION_CHAMBER;
  EXPECT_EQ(examine(ROBE), robe);
  game.currentRoom = PRAYER_ROOM;
  EXPECT_EQ(examine(ROBE), NOTHING_SPECIAL);
  giveToPlayer(ROBE);
  EXPECT_EQ(examine(ROBE), robe);
  placeObject(ROBE, WORN);
  EXPECT_EQ(examine(ROBE), NOTHING_SPECIAL);
}

TEST(PuzzleExamine, WatchShowsTheTurnEvenInTheDark) {
  freshGame();
  game.currentRoom = BEDROOM;
  ASSERT_FALSE(roomIsLit());
  EXPECT_EQ(examine(NOUN_WATCH), "Turn 1.\n");
  game.turn = 57;
  EXPECT_EQ(examine(NOUN_WATCH), "Turn 57.\n");
  game.turn = 128;
  EXPECT_EQ(examine(NOUN_WATCH), "Turn 128.\n");
  game.currentRoom = 25;
  EXPECT_EQ(examine(NOUN_WATCH), NOTHING_SPECIAL);
}

TEST(PuzzleExamine, PillOnlyWhenCarried) {
  freshGame();
  game.currentRoom = PILL_ROOM;
  EXPECT_EQ(examine(PILL), NOTHING_SPECIAL);
  giveToPlayer(PILL);
  EXPECT_EQ(examine(PILL), "The writing on the pill says: 'SPINACH TABLETS'.\n");
}

TEST(PuzzleExamine, AnchorAtHand) {
  freshGame();
  game.currentRoom = CLIFF_FOOT;
  EXPECT_EQ(examine(ANCHOR), "It looks heavy.\n");
  game.currentRoom = CHASM_BOTTOM;
  EXPECT_EQ(examine(ANCHOR), NOTHING_SPECIAL);
  giveToPlayer(ANCHOR);
  EXPECT_EQ(examine(ANCHOR), "It looks heavy.\n");
  // Tied to the rope it is nowhere, and not at hand.
  game.carriedCount -= 1;
  placeObject(ANCHOR, NOWHERE);
  EXPECT_EQ(examine(ANCHOR), NOTHING_SPECIAL);
}

TEST(PuzzleExamine, AmuletAtHandButNotWorn) {
  freshGame();
  const std::string amulet = "It is carved in the form of a shark. \n";
  game.currentRoom = PRAYER_ROOM;
  EXPECT_EQ(examine(AMULET), NOTHING_SPECIAL) << "not yet given";
  placeObject(AMULET, PRAYER_ROOM);
  EXPECT_EQ(examine(AMULET), amulet);
  giveToPlayer(AMULET);
  game.currentRoom = SHORE;
  EXPECT_EQ(examine(AMULET), amulet);
  placeObject(AMULET, WORN);
  EXPECT_EQ(examine(AMULET), NOTHING_SPECIAL);
}

TEST(PuzzleExamine, EverythingElseIsNothingSpecial) {
  freshGame();
  EXPECT_EQ(examine(LIFE_PRESERVER), NOTHING_SPECIAL) << "carried, but has no row";
  EXPECT_EQ(examine(0), NOTHING_SPECIAL) << "a word that is no noun";
  EXPECT_EQ(examine(NOUN_WINE), NOTHING_SPECIAL);
  game.currentRoom = OUTSIDE_HUT;
  EXPECT_EQ(examine(HUT), NOTHING_SPECIAL);
}

TEST(PuzzleExamine, ChangesNothingButTheCard) {
  freshGame();
  game.currentRoom = ALCOVE;
  giveToPlayer(BOTTLE);
  GameState before = game;
  for (int noun = 0; noun <= NOUN_COUNT; ++noun) {
    if (noun == SKELETON) continue;
    examine(noun);
    read(noun);
  }
  EXPECT_EQ(std::memcmp(&before.exits, &game.exits, sizeof game.exits), 0);
  EXPECT_EQ(std::memcmp(&before.objectLocation, &game.objectLocation, sizeof game.objectLocation),
            0);
  EXPECT_EQ(game.carriedCount, before.carriedCount);
  EXPECT_EQ(game.chestLocked, 1);
  EXPECT_EQ(game.chestClosed, 1);
  EXPECT_EQ(game.turn, before.turn);
  EXPECT_EQ(game.gameOver, 0);
}

// ---------------------------------------------------------------------------
// READ
// ---------------------------------------------------------------------------

TEST(PuzzleRead, StoneAndItsMessageOnTheBeach) {
  freshGame();
  game.currentRoom = BEACH;
  EXPECT_EQ(read(RED_STONE), "It says 'THE GODS ARE THIRSTY'.\n");
  EXPECT_EQ(read(NOUN_MESSAGE), "It says 'THE GODS ARE THIRSTY'.\n");
}

TEST(PuzzleRead, ChalkMessageInTheCave) {
  freshGame();
  game.currentRoom = UNDERWATER_CAVE;
  EXPECT_EQ(read(NOUN_MESSAGE), "It says: 'Ship passes on the hundredth turn'.\n");
  EXPECT_EQ(read(RED_STONE), CANT_READ);
  game.currentRoom = SHORE;
  EXPECT_EQ(read(NOUN_MESSAGE), CANT_READ);
}

TEST(PuzzleRead, PaperBeforeCardWhenBothCarried) {
  freshGame();
  game.currentRoom = BEACH;
  giveToPlayer(PAPER);
  giveToPlayer(BUSINESS_CARD);
  EXPECT_EQ(read(PAPER), HELP) << "the stone's row is only for the stone and message";
  EXPECT_EQ(read(BUSINESS_CARD), CARD);
}

TEST(PuzzleRead, CardAtHandInTheRoom) {
  freshGame();
  game.currentRoom = UNDERWATER_CAVE;
  placeObject(BUSINESS_CARD, UNDERWATER_CAVE);
  EXPECT_EQ(read(BUSINESS_CARD), CARD);
}

TEST(PuzzleRead, RunesInThePreparationChamber) {
  freshGame();
  game.currentRoom = PREPARATION_CHAMBER;
  EXPECT_EQ(read(NOUN_RUNES), "May all creatures of Neptune's domain be your companions.\n");
  EXPECT_EQ(examine(NOUN_RUNES), NOTHING_SPECIAL);
  game.currentRoom = PRAYER_ROOM;
  EXPECT_EQ(read(NOUN_RUNES), CANT_READ);
}

TEST(PuzzleRead, EverythingElseCannotBeRead) {
  freshGame();
  EXPECT_EQ(read(0), CANT_READ);
  EXPECT_EQ(read(LIFE_PRESERVER), CANT_READ);
  game.currentRoom = BEDROOM;
  EXPECT_EQ(read(NOUN_WATCH), CANT_READ);
  game.currentRoom = ENTRANCE_CHAMBER;
  EXPECT_EQ(read(STATUE), CANT_READ);
}

// ---------------------------------------------------------------------------
// The chest
// ---------------------------------------------------------------------------

std::string unlockChest(int noun = CHEST) { return act(VERB_UNLOCK, noun); }
std::string lockChest(int noun = CHEST) { return act(VERB_LOCK, noun); }
std::string openChest(int noun = CHEST) { return act(VERB_OPEN, noun); }
std::string closeChest(int noun = CHEST) { return act(VERB_CLOSE, noun); }

const char* const NO_KEY = "You don't have the key!\n";

void atTheChestWithTheKey() {
  freshGame();
  game.currentRoom = ALCOVE;
  giveToPlayer(KEY);
}

void expectChest(int locked, int closed) {
  EXPECT_EQ(game.chestLocked, locked);
  EXPECT_EQ(game.chestClosed, closed);
}

// The refusal for a chest that is already closed.
void expectAlreadyClosed(const std::string& said) {
  EXPECT_EQ(said.rfind("You can't", 0), 0u) << said;
  EXPECT_NE(said.find("already closed"), std::string::npos) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
}

TEST(PuzzleChest, KeyComesBeforeEverythingForUnlockAndLock) {
  freshGame();
  game.currentRoom = ALCOVE;
  EXPECT_EQ(unlockChest(), NO_KEY);
  EXPECT_EQ(lockChest(), NO_KEY);
  game.currentRoom = OUTSIDE_HUT;
  EXPECT_EQ(unlockChest(HUT), NO_KEY);
  EXPECT_EQ(lockChest(HUT), NO_KEY);
  // The key lying in the alcove is not the key in the hand.
  game.currentRoom = ALCOVE;
  placeObject(KEY, ALCOVE);
  EXPECT_EQ(unlockChest(), NO_KEY);
  // Nor in any state of the chest.
  game.chestLocked = 0;
  game.chestClosed = 0;
  EXPECT_EQ(unlockChest(), NO_KEY);
  EXPECT_EQ(lockChest(), NO_KEY);
  expectChest(0, 0);
}

TEST(PuzzleChest, OnlyTheChestInTheAlcove) {
  freshGame();
  giveToPlayer(KEY);
  game.currentRoom = OUTSIDE_HUT;
  EXPECT_EQ(unlockChest(HUT), "You can't unlock that.\n");
  EXPECT_EQ(lockChest(HUT), "You can't lock that.\n");
  EXPECT_EQ(openChest(HUT), "You can't open that!\n");
  EXPECT_EQ(closeChest(HUT), "You can't close that.\n");
  game.currentRoom = UNDERWATER_CAVE;
  EXPECT_EQ(unlockChest(), "You can't unlock that.\n");
  EXPECT_EQ(openChest(), "You can't open that!\n");
  game.currentRoom = ALCOVE;
  EXPECT_EQ(unlockChest(0), "You can't unlock that.\n");
  EXPECT_EQ(lockChest(GOLD), "You can't lock that.\n");
  EXPECT_EQ(openChest(0), "You can't open that!\n");
  EXPECT_EQ(closeChest(KEY), "You can't close that.\n");
  expectChest(1, 1);
  EXPECT_EQ(locationOf(GOLD), NOWHERE);
}

TEST(PuzzleChest, LockedAndClosed) {
  atTheChestWithTheKey();
  EXPECT_EQ(lockChest(), "It's already locked.\n");
  EXPECT_EQ(openChest(), "You can't, it's locked.\n");
  expectAlreadyClosed(closeChest());
  expectChest(1, 1);
  EXPECT_EQ(locationOf(GOLD), NOWHERE);
  EXPECT_EQ(unlockChest(), "It's unlocked.\n");
  expectChest(0, 1);
}

TEST(PuzzleChest, UnlockedAndClosed) {
  atTheChestWithTheKey();
  game.chestLocked = 0;
  EXPECT_EQ(unlockChest(), "It's already unlocked.\n");
  expectAlreadyClosed(closeChest());
  expectChest(0, 1);
  EXPECT_EQ(lockChest(), "It's locked.\n");
  expectChest(1, 1);
}

TEST(PuzzleChest, UnlockedAndOpen) {
  atTheChestWithTheKey();
  game.chestLocked = 0;
  game.chestClosed = 0;
  placeObject(GOLD, ALCOVE);
  EXPECT_EQ(unlockChest(), "It's already unlocked.\n");
  EXPECT_EQ(lockChest(), "You have to close it first.\n");
  EXPECT_EQ(openChest(), "It's already open.\n");
  expectChest(0, 0);
  EXPECT_EQ(closeChest(), "It's closed.\n");
  expectChest(0, 1);
}

TEST(PuzzleChest, OpenAndCloseNeedNoKey) {
  freshGame();
  game.currentRoom = ALCOVE;
  game.chestLocked = 0;
  EXPECT_EQ(openChest().rfind("It's opened.\n", 0), 0u);
  expectChest(0, 0);
  EXPECT_EQ(openChest(), "It's already open.\n");
  EXPECT_EQ(closeChest(), "It's closed.\n");
  expectChest(0, 1);
  EXPECT_EQ(lockChest(), NO_KEY);
}

TEST(PuzzleChest, FirstOpeningSpillsTheGoldUnderAFreshDisplay) {
  atTheChestWithTheKey();
  game.chestLocked = 0;
  const std::string said = openChest();
  expectChest(0, 0);
  EXPECT_EQ(locationOf(GOLD), ALCOVE);
  EXPECT_EQ(game.carriedCount, 2) << "the life preserver and the key";
  // "It's opened." goes first, and the cleared screen hides it.
  EXPECT_EQ(said.rfind("It's opened.\n", 0), 0u) << said;
  const auto cleared = said.find(CLEARED);
  ASSERT_NE(cleared, std::string::npos) << said;
  EXPECT_EQ(cleared, std::string("It's opened.\n").size());
  const std::string display = said.substr(cleared);
  EXPECT_NE(display.find("\nYou see: A chest. Gold pieces. \n"), std::string::npos) << display;
  EXPECT_NE(display.find("\nObvious exits are: East  \n"), std::string::npos) << display;
  const std::string tail = "________\nGold spills out!\n";
  ASSERT_GE(said.size(), tail.size());
  EXPECT_EQ(said.substr(said.size() - tail.size()), tail) << said;
  EXPECT_EQ(game.redrawPending, 0);
}

TEST(PuzzleChest, GoldComesOutOnlyOnce) {
  atTheChestWithTheKey();
  game.chestLocked = 0;
  openChest();
  EXPECT_EQ(closeChest(), "It's closed.\n");
  EXPECT_EQ(openChest(), "It's opened.\n");
  EXPECT_EQ(locationOf(GOLD), ALCOVE);
  // Carried away, the gold still does not come back.
  closeChest();
  giveToPlayer(GOLD);
  EXPECT_EQ(openChest(), "It's opened.\n");
  EXPECT_EQ(locationOf(GOLD), CARRIED);
  // Nor when it has gone elsewhere in the world.
  closeChest();
  placeObject(GOLD, SHORE);
  EXPECT_EQ(openChest(), "It's opened.\n");
  EXPECT_EQ(locationOf(GOLD), SHORE);
}

TEST(PuzzleChest, LockAgainAfterClosing) {
  atTheChestWithTheKey();
  unlockChest();
  openChest();
  EXPECT_EQ(lockChest(), "You have to close it first.\n");
  closeChest();
  EXPECT_EQ(lockChest(), "It's locked.\n");
  expectChest(1, 1);
  EXPECT_EQ(openChest(), "You can't, it's locked.\n");
  EXPECT_EQ(examine(CHEST), "It's locked and closed.\n");
}

}  // namespace
