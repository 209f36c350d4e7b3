// LIGHT and EXTINGUISH against arranged states: the order of LIGHT's tests,
// the matches that run out, the driftwood that becomes the signal fire, and
// the torch lit and put out in a dark room.
#include <gtest/gtest.h>

#include <string>

#include "actions/actions.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "tests/game_fixture.hpp"
#include "tests/scene.hpp"

namespace {

using fixture::command;
using fixture::darkDisplay;
using fixture::freshGame;
using fixture::litDisplay;

const std::string NO_MORE = "You have no more matches.\n";
const std::string NO_MATCHES = "You don't have matches!\n";
const std::string CANT_LIGHT = "You can't light that!\n";
const std::string CANT_EXTINGUISH = "You can't extinguish that.\n";

// A new game with the matchbook in hand.
void newGameWithMatches() {
  freshGame();
  placeObject(MATCHBOOK, CARRIED);
  game.carriedCount = 2;
}

std::string matchbookName() { return game.objectName[MATCHBOOK]; }

TEST(LightOrder, NoMatchesLeftComesFirstAndRenamesTheMatchbook) {
  const int nouns[] = {MATCHBOOK, TORCH, DRIFTWOOD, ROPE, SIGNAL_FIRE, NOUN_WINE, 0};
  // Wherever the matchbook is: in hand, on the reef, or lost.
  for (int where : {CARRIED, static_cast<int>(WRECK_REEF), NOWHERE}) {
    for (int noun : nouns) {
      freshGame();
      game.currentRoom = CLIFF_TOP;
      placeObject(MATCHBOOK, where);
      placeObject(DRIFTWOOD, CLIFF_TOP);
      placeObject(TORCH, CARRIED);
      game.matchesLeft = 0;
      EXPECT_EQ(matchbookName(), "A book of waterproof matches") << "not renamed before";
      command(VERB_LIGHT, noun);
      EXPECT_EQ(fixture::printed(), NO_MORE) << "noun " << noun << ", matchbook at " << where;
      EXPECT_EQ(matchbookName(), "An empty matchbook");
      EXPECT_EQ(game.matchesLeft, 0);
      EXPECT_EQ(game.matchLit, 0);
      EXPECT_EQ(game.torchLit, 0);
      EXPECT_EQ(locationOf(SIGNAL_FIRE), NOWHERE);
      EXPECT_EQ(locationOf(DRIFTWOOD), CLIFF_TOP);
      EXPECT_EQ(locationOf(MATCHBOOK), where);
    }
  }
}

TEST(LightOrder, NoMatchbookInHandComesBeforeTheNoun) {
  const int nouns[] = {MATCHBOOK, TORCH, DRIFTWOOD, ROPE, SIGNAL_FIRE, 0};
  for (int where : {static_cast<int>(CLIFF_TOP), static_cast<int>(WRECK_REEF), NOWHERE}) {
    for (int noun : nouns) {
      freshGame();
      game.currentRoom = CLIFF_TOP;
      placeObject(MATCHBOOK, where);
      placeObject(DRIFTWOOD, CLIFF_TOP);
      placeObject(TORCH, CARRIED);
      command(VERB_LIGHT, noun);
      EXPECT_EQ(fixture::printed(), NO_MATCHES) << "noun " << noun << ", matchbook at " << where;
      EXPECT_EQ(game.matchesLeft, 20);
      EXPECT_EQ(locationOf(SIGNAL_FIRE), NOWHERE);
      EXPECT_EQ(game.torchLit, 0);
      EXPECT_EQ(game.matchLit, 0);
    }
  }
}

TEST(LightMatch, LightsTheRoomThenFlaresUp) {
  newGameWithMatches();
  game.currentRoom = BEDROOM;
  command(VERB_LIGHT, MATCHBOOK);
  EXPECT_EQ(fixture::printed(),
            litDisplay(BEDROOM, "Nothing.", "North  West  ") + "The match flares up.\n");
  EXPECT_EQ(game.matchesLeft, 19);
  EXPECT_EQ(game.matchLit, 1);
  EXPECT_EQ(game.matchTurns, 0);
  EXPECT_EQ(game.redrawPending, 0);

  // A second match while the first burns does not start the count again.
  game.matchTurns = 3;
  command(VERB_LIGHT, MATCHBOOK);
  EXPECT_EQ(fixture::printed(),
            litDisplay(BEDROOM, "Nothing.", "North  West  ") + "The match flares up.\n");
  EXPECT_EQ(game.matchesLeft, 18);
  EXPECT_EQ(game.matchTurns, 3);
}

TEST(LightMatch, AMatchbookOnThePlayerCountsWhateverItsCode) {
  // Only a code that is not negative means the matchbook is not on the
  // player; it is never worn in play, but worn would do.
  freshGame();
  placeObject(MATCHBOOK, WORN);
  command(VERB_LIGHT, MATCHBOOK);
  EXPECT_EQ(fixture::printed(),
            litDisplay(SHORE, "Nothing.", "North  South  East  West  ") + "The match flares up.\n");
  EXPECT_EQ(game.matchesLeft, 19);
}

TEST(LightMatch, TwentyMatchesThenAnEmptyMatchbook) {
  newGameWithMatches();
  for (int i = 0; i < 20; ++i) {
    command(VERB_LIGHT, MATCHBOOK);
    fixture::printed();
  }
  EXPECT_EQ(game.matchesLeft, 0);
  EXPECT_EQ(matchbookName(), "A book of waterproof matches");
  command(VERB_LIGHT, MATCHBOOK);
  EXPECT_EQ(fixture::printed(), NO_MORE);
  EXPECT_EQ(game.matchesLeft, 0);
  command(VERB_INVENTORY, 0);
  EXPECT_EQ(fixture::printed(), "You are carrying:\nAn empty matchbook\nA life preserver\n\n");
}

TEST(LightMatch, TheLastMatchLightsTheTorch) {
  newGameWithMatches();
  placeObject(TORCH, CARRIED);
  game.carriedCount = 3;
  game.matchesLeft = 1;
  command(VERB_LIGHT, TORCH);
  EXPECT_EQ(game.torchLit, 1);
  EXPECT_EQ(game.matchesLeft, 0);
  fixture::printed();
  command(VERB_LIGHT, MATCHBOOK);
  EXPECT_EQ(fixture::printed(), NO_MORE);
}

TEST(LightDriftwood, EachTestInTurn) {
  // Not on the cliff top: even with the wood at hand.
  newGameWithMatches();
  game.currentRoom = COVE;
  command(VERB_LIGHT, DRIFTWOOD);
  EXPECT_EQ(fixture::printed(), "Not here!\n");
  EXPECT_EQ(locationOf(DRIFTWOOD), COVE);

  // On the cliff top with the wood still in the cove.
  game.currentRoom = CLIFF_TOP;
  command(VERB_LIGHT, DRIFTWOOD);
  EXPECT_EQ(fixture::printed(), "You don't have the wood here.\n");

  // With the wood in hand.
  placeObject(DRIFTWOOD, CARRIED);
  game.carriedCount = 3;
  command(VERB_LIGHT, DRIFTWOOD);
  EXPECT_EQ(fixture::printed(), "Put the wood down before you light it!\n");
  EXPECT_EQ(locationOf(DRIFTWOOD), CARRIED);
  EXPECT_EQ(locationOf(SIGNAL_FIRE), NOWHERE);

  // Set down: the fire, no match used, none needed burning.
  placeObject(DRIFTWOOD, CLIFF_TOP);
  game.carriedCount = 2;
  command(VERB_LIGHT, DRIFTWOOD);
  EXPECT_EQ(fixture::printed(),
            litDisplay(CLIFF_TOP, "A burning signal fire. ", "Down  ") + "The fire is lit.\n");
  EXPECT_EQ(locationOf(SIGNAL_FIRE), CLIFF_TOP);
  EXPECT_EQ(locationOf(DRIFTWOOD), NOWHERE);
  EXPECT_EQ(game.matchesLeft, 20);
  EXPECT_EQ(game.matchLit, 0);
  EXPECT_EQ(game.carriedCount, 2);
  EXPECT_EQ(game.redrawPending, 0);

  // Burning already, wherever the wood might be.
  command(VERB_LIGHT, DRIFTWOOD);
  EXPECT_EQ(fixture::printed(), "You can't light a fire that is already burning!\n");
  placeObject(DRIFTWOOD, CARRIED);
  command(VERB_LIGHT, DRIFTWOOD);
  EXPECT_EQ(fixture::printed(), "You can't light a fire that is already burning!\n");

  // The fire is not named by its own noun.
  command(VERB_LIGHT, SIGNAL_FIRE);
  EXPECT_EQ(fixture::printed(), CANT_LIGHT);
}

TEST(LightTorch, EachTestInTurn) {
  // Burning in another room: already lit, though not at hand.
  newGameWithMatches();
  game.currentRoom = BEDROOM;
  placeObject(TORCH, LEDGE);
  game.torchLit = 1;
  command(VERB_LIGHT, TORCH);
  EXPECT_EQ(fixture::printed(), "It's already lit!\n");
  EXPECT_EQ(game.matchesLeft, 20);

  // Unlit and not in hand, even lying right here.
  game.torchLit = 0;
  placeObject(TORCH, BEDROOM);
  command(VERB_LIGHT, TORCH);
  EXPECT_EQ(fixture::printed(), "You don't have it.\n");
  EXPECT_EQ(game.torchLit, 0);

  // In hand: uses a match, keeps its fuel, shows the room lit.
  placeObject(TORCH, CARRIED);
  game.torchFuel = 17;
  command(VERB_LIGHT, TORCH);
  EXPECT_EQ(fixture::printed(), litDisplay(BEDROOM, "Nothing.", "North  West  ") + "It's lit.\n");
  EXPECT_EQ(game.torchLit, 1);
  EXPECT_EQ(game.matchesLeft, 19);
  EXPECT_EQ(game.torchFuel, 17);
  EXPECT_EQ(game.matchLit, 0);
  EXPECT_EQ(game.redrawPending, 0);
}

TEST(LightOther, AnythingElseCannotBeLit) {
  const int nouns[] = {ROPE, SIGNAL_FIRE, LIFE_PRESERVER, NOUN_WINE, NOUN_CLIFF, 0};
  for (int noun : nouns) {
    newGameWithMatches();
    game.currentRoom = CLIFF_TOP;
    placeObject(SIGNAL_FIRE, CLIFF_TOP);
    command(VERB_LIGHT, noun);
    EXPECT_EQ(fixture::printed(), CANT_LIGHT) << "noun " << noun;
    EXPECT_EQ(game.matchesLeft, 20);
  }
}

TEST(Extinguish, EachTestInTurn) {
  // Only the torch can be put out, whatever burns.
  const int nouns[] = {MATCHBOOK, SIGNAL_FIRE, DRIFTWOOD, 0};
  for (int noun : nouns) {
    freshGame();
    placeObject(TORCH, CARRIED);
    game.torchLit = 1;
    game.matchLit = 1;
    command(VERB_EXTINGUISH, noun);
    EXPECT_EQ(fixture::printed(), CANT_EXTINGUISH) << "noun " << noun;
    EXPECT_EQ(game.torchLit, 1);
    EXPECT_EQ(game.matchLit, 1);
  }

  // A burning torch lying in the room must be picked up first.
  freshGame();
  game.currentRoom = BEDROOM;
  placeObject(TORCH, BEDROOM);
  game.torchLit = 1;
  command(VERB_EXTINGUISH, TORCH);
  EXPECT_EQ(fixture::printed(), "You don't have the torch.\n");
  EXPECT_EQ(game.torchLit, 1);

  // In hand, in the dark: the room goes dark, then the message.
  placeObject(TORCH, CARRIED);
  game.torchFuel = 12;
  command(VERB_EXTINGUISH, TORCH);
  EXPECT_EQ(fixture::printed(), darkDisplay() + "The torch is extinguished.\n");
  EXPECT_EQ(game.torchLit, 0);
  EXPECT_EQ(game.torchFuel, 12);
  EXPECT_EQ(locationOf(TORCH), CARRIED);
  EXPECT_EQ(game.redrawPending, 0);

  command(VERB_EXTINGUISH, TORCH);
  EXPECT_EQ(fixture::printed(), "It's already extinguished.\n");

  // With a match burning the room stays lit.
  game.torchLit = 1;
  game.matchLit = 1;
  command(VERB_EXTINGUISH, TORCH);
  EXPECT_EQ(fixture::printed(),
            litDisplay(BEDROOM, "Nothing.", "North  West  ") + "The torch is extinguished.\n");
  EXPECT_EQ(game.matchLit, 1);
}

}  // namespace
