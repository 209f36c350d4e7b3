// The mushroom visions driven through known draws. Seeded with 1, the dice
// give 130, 10982, 1090, 11656, 7117, 17595, 6415, 22948: for a bound of 3
// that is miss (0), hit, miss, hit, miss, hit, miss, miss (2). Each test
// seeds, skips to the draw it needs, and calls runVisions once.
#include <gtest/gtest.h>

#include <string>

#include "app/loop.hpp"
#include "console/random.hpp"
#include "core/game.hpp"
#include "core/prose.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "tests/game_fixture.hpp"
#include "tests/printed.hpp"
#include "tests/scene.hpp"

namespace {

using fixture::freshGame;
using fixture::printed;

enum class Draw { LowMiss, Hit, HighMiss };

// Leaves the dice so that the next value is the chosen kind of draw.
void nextDrawIs(Draw draw) {
  seedRandom(1);
  if (draw == Draw::Hit) nextRandom();  // 130; next is 10982
  if (draw == Draw::HighMiss) {
    for (int i = 0; i < 7; ++i) nextRandom();  // next is 22948
  }
}

// The value the dice give after the call, which shows that it drew once.
int valueAfter(Draw draw) {
  switch (draw) {
    case Draw::LowMiss: return 10982;
    case Draw::Hit: return 1090;
    case Draw::HighMiss: return -1;  // 22948 is the last value the tests know
  }
  return -1;
}

// One turn's visions in a room at a stage; returns what was printed.
std::string visionsIn(int room, int stage, Draw draw, bool sailorAshore = false) {
  freshGame();
  placeObject(MUSHROOMS, NOWHERE);
  if (sailorAshore) {
    placeObject(SHIP, SHORE);
    placeObject(SAILOR, SHORE);
  }
  game.currentRoom = room;
  game.visionStage = stage;
  nextDrawIs(draw);
  runVisions();
  if (valueAfter(draw) >= 0) {
    EXPECT_EQ(nextRandom(), valueAfter(draw))
        << "one draw in room " << room << " at stage " << stage;
  }
  return printed();
}

std::string sequence(int stage) { return asPrinted(visionSequenceText[stage]) + "\n"; }
std::string scene(int stage) { return asPrinted(beachSceneText[stage - 9]) + "\n"; }
std::string line(const char* text) { return asPrinted(text) + "\n"; }

const int kSpecialRooms[] = {CHASM_NORTH, SHORE, BEACH, COVE, CLIFF_TOP, LEDGE, GNOME_ROOM};

TEST(EndingVisions, HitShowsTheNextSequenceLineAnywhere) {
  for (int stage = 0; stage <= 8; ++stage) {
    EXPECT_EQ(visionsIn(PREPARATION_CHAMBER, stage, Draw::Hit), sequence(stage)) << stage;
    EXPECT_EQ(game.visionStage, stage + 1);
  }
}

TEST(EndingVisions, SequenceLineShutsOutEveryRoomLine) {
  for (int room : kSpecialRooms) {
    EXPECT_EQ(visionsIn(room, 4, Draw::Hit, true), sequence(4)) << "room " << room;
    EXPECT_EQ(game.visionStage, 5);
  }
}

TEST(EndingVisions, MissBeforeStageNineShowsOnlyTheRoomLines) {
  for (Draw miss : {Draw::LowMiss, Draw::HighMiss}) {
    EXPECT_EQ(visionsIn(CHASM_NORTH, 3, miss), line(treeVisionText));
    EXPECT_EQ(visionsIn(CLIFF_TOP, 3, miss), line(oceanVisionText));
    EXPECT_EQ(visionsIn(LEDGE, 3, miss), line(cliffVisionText));
    EXPECT_EQ(visionsIn(GNOME_ROOM, 3, miss), line(deadThingsVisionText));
    // The beach rooms have nothing of their own yet, sailor or not.
    EXPECT_EQ(visionsIn(SHORE, 3, miss, true), "\n");
    EXPECT_EQ(visionsIn(BEACH, 8, miss), "\n");
    EXPECT_EQ(visionsIn(COVE, 0, miss), "\n");
    EXPECT_EQ(visionsIn(PREPARATION_CHAMBER, 3, miss), "\n");
    EXPECT_EQ(game.visionStage, 3);
  }
}

TEST(EndingVisions, TheTreeLineEndsInAnEmptyLine) {
  // Its own empty line, then the line break that ends every call.
  const std::string shown = visionsIn(CHASM_NORTH, 0, Draw::LowMiss);
  ASSERT_GE(shown.size(), 4u);
  EXPECT_NE(shown[shown.size() - 4], '\n');
  EXPECT_EQ(shown.substr(shown.size() - 3), "\n\n\n");
}

TEST(EndingVisions, FromStageNineTheRoomLinesComeOnEveryTurn) {
  for (int stage : {9, 11, 12}) {
    for (Draw draw : {Draw::Hit, Draw::LowMiss, Draw::HighMiss}) {
      EXPECT_EQ(visionsIn(CHASM_NORTH, stage, draw), line(treeVisionText));
      EXPECT_EQ(visionsIn(CLIFF_TOP, stage, draw), line(oceanVisionText));
      EXPECT_EQ(visionsIn(LEDGE, stage, draw), line(cliffVisionText));
      EXPECT_EQ(visionsIn(GNOME_ROOM, stage, draw), line(deadThingsVisionText));
      EXPECT_EQ(visionsIn(PREPARATION_CHAMBER, stage, draw), "\n");
      EXPECT_EQ(game.visionStage, stage) << "only the beach moves the stage on";
    }
  }
}

TEST(EndingVisions, TheSailorLineNeedsAHitTheShoreAndTheSailor) {
  for (int stage : {9, 10, 11, 12}) {
    EXPECT_EQ(visionsIn(SHORE, stage, Draw::Hit, true), line(sailorVisionText)) << stage;
    EXPECT_EQ(game.visionStage, stage);
    EXPECT_EQ(visionsIn(SHORE, stage, Draw::Hit, false), "\n") << stage;
    EXPECT_EQ(visionsIn(BEACH, stage, Draw::Hit, true), "\n") << stage;
    EXPECT_EQ(visionsIn(COVE, stage, Draw::Hit, true), "\n") << stage;
  }
}

TEST(EndingVisions, BeachScenesOnMissesInTheThreeBeachRooms) {
  for (int room : {SHORE, BEACH, COVE}) {
    for (Draw miss : {Draw::LowMiss, Draw::HighMiss}) {
      for (int stage = 9; stage <= 11; ++stage) {
        // On the shore with the sailor there: a miss never shows his line.
        EXPECT_EQ(visionsIn(room, stage, miss, true), scene(stage)) << room << " " << stage;
        EXPECT_EQ(game.visionStage, stage + 1);
      }
      EXPECT_EQ(visionsIn(room, 12, miss, true), "\n");
      EXPECT_EQ(game.visionStage, 12);
    }
  }
}

TEST(EndingVisions, StagesZeroToTwelveOnTheShore) {
  // Nine hits bring the nine sensations in order, three misses the three
  // scenes; after that only the sailor is left, on hits.
  // Each call starts a fresh game at the stage the previous call left, so the
  // walk starts from stage 0 whatever an earlier test left behind.
  std::string expected;
  std::string shown;
  int reached = 0;
  auto turn = [&](Draw draw) {
    shown += visionsIn(SHORE, reached, draw, true);
    reached = game.visionStage;
  };
  for (int stage = 0; stage <= 8; ++stage) {
    // A miss before each hit changes nothing before stage 9.
    turn(Draw::LowMiss);
    expected += "\n";
    turn(Draw::Hit);
    expected += sequence(stage);
  }
  ASSERT_EQ(reached, 9);
  for (int stage = 9; stage <= 11; ++stage) {
    turn(Draw::Hit);
    expected += line(sailorVisionText);
    turn(Draw::HighMiss);
    expected += scene(stage);
  }
  ASSERT_EQ(reached, 12);
  turn(Draw::LowMiss);
  expected += "\n";
  turn(Draw::Hit);
  expected += line(sailorVisionText);
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(game.visionStage, 12);
}

TEST(EndingVisions, SeedOneGivesMissHitMissHit) {
  // Straight from the seed, in a room of no account: the first eight calls.
  freshGame();
  placeObject(MUSHROOMS, NOWHERE);
  game.currentRoom = PREPARATION_CHAMBER;
  seedRandom(1);
  std::string expected;
  for (int call = 0; call < 8; ++call) {
    runVisions();
    const bool hit = call == 1 || call == 3 || call == 5;
    expected += hit ? sequence((call - 1) / 2) : "\n";
  }
  EXPECT_EQ(printed(), expected);
  EXPECT_EQ(game.visionStage, 3);
}

TEST(EndingVisions, TheStageSurvivesANewGame) {
  freshGame("y\n");
  placeObject(MUSHROOMS, NOWHERE);
  game.visionStage = 5;
  game.gameOver = 1;
  askPlayAgain();
  EXPECT_EQ(game.gameOver, 0);
  EXPECT_EQ(game.quitRequested, 0);
  EXPECT_EQ(game.visionStage, 5);
  startGame();
  EXPECT_EQ(locationOf(MUSHROOMS), CHASM_NORTH);
  // Eaten again in the new game, the next hit shows sensation 5.
  placeObject(MUSHROOMS, NOWHERE);
  game.currentRoom = PREPARATION_CHAMBER;
  printed();
  nextDrawIs(Draw::Hit);
  runVisions();
  EXPECT_EQ(printed(), sequence(5));
  EXPECT_EQ(game.visionStage, 6);
}

TEST(EndingVisions, AfterStageTwelveANewGameHasOnlyRoomLines) {
  for (Draw draw : {Draw::Hit, Draw::LowMiss}) {
    EXPECT_EQ(visionsIn(PREPARATION_CHAMBER, 12, draw), "\n");
    EXPECT_EQ(visionsIn(BEACH, 12, draw), "\n");
    EXPECT_EQ(visionsIn(CHASM_NORTH, 12, draw), line(treeVisionText));
    EXPECT_EQ(game.visionStage, 12);
  }
}

}  // namespace
