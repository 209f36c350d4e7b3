// GET, DROP, PUT and INVENTORY, one handler call at a time, against game
// states arranged by hand: every noun's answer, the limit of five, the
// anchor and the pill, the mushrooms, and the bottle in every room.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "actions/actions.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "parser/parser.hpp"
#include "tests/game_fixture.hpp"
#include "tests/scene.hpp"

namespace {

using fixture::command;
using fixture::freshGame;
using fixture::RULE;

const std::string TAKE_THAT = "You can't take that!\n";
const std::string WHAT = "What?\n";
const std::string TOO_HEAVY = "It's too heavy.\n";
const std::string DONT_HAVE = "You don't have that!\n";
const std::string SHATTERS = "It shatters!\nYou may have needed that bottle...";
const std::string FLOATS_OFF = "It falls in the water and floats out to sea...\nHey, look!\n";
const std::string QUESTION = "Tell me in one word, in or on what?  ";

bool isWaterRoom(int room) { return (room >= 1 && room <= 6) || room == 10 || room == 37; }

// The whole state a refusal must leave alone.
struct Snapshot {
  std::int8_t locations[OBJECT_COUNT];
  int carried;
  int redraw;
  std::string bottleName;
};

Snapshot snapshot() {
  Snapshot s{};
  std::memcpy(s.locations, game.objectLocation, sizeof s.locations);
  s.carried = game.carriedCount;
  s.redraw = game.redrawPending;
  s.bottleName = game.objectName[BOTTLE];
  return s;
}

void expectUnchanged(const Snapshot& before, const std::string& context) {
  for (int object = 0; object < OBJECT_COUNT; ++object) {
    EXPECT_EQ(game.objectLocation[object], before.locations[object])
        << context << ": object " << object << " moved";
  }
  EXPECT_EQ(game.carriedCount, before.carried) << context;
  EXPECT_EQ(game.redrawPending, before.redraw) << context;
  EXPECT_EQ(std::string(game.objectName[BOTTLE]), before.bottleName) << context;
}

TEST(CarryingTake, LimitIsTestedBeforeAnythingElse) {
  for (int room = 1; room <= ROOM_COUNT; ++room) {
    for (int noun = 0; noun <= NOUN_COUNT; ++noun) {
      freshGame();
      game.currentRoom = room;
      game.carriedCount = 5;
      int object = objectNamedBy(noun);
      if (object != 0) placeObject(object, room);  // even what would be taken
      placeObject(PILL, NOWHERE);                  // even the anchor, pill eaten
      Snapshot before = snapshot();
      command(VERB_GET, noun);
      std::string context = "room " + std::to_string(room) + ", noun " + std::to_string(noun);
      EXPECT_EQ(fixture::printed(), "You can't carry any more.\n") << context;
      expectUnchanged(before, context);
    }
  }
  // More than five (a damaged count) is refused too.
  freshGame();
  game.carriedCount = 6;
  command(VERB_TAKE, 0);
  EXPECT_EQ(fixture::printed(), "You can't carry any more.\n");
}

TEST(CarryingTake, FourMoreFitBesideTheLifePreserver) {
  freshGame();
  const int things[] = {MATCHBOOK, TORCH, ROPE, AXE, KEY};
  for (int thing : things) placeObject(thing, SHORE);
  for (int i = 0; i < 4; ++i) {
    command(i % 2 == 0 ? VERB_GET : VERB_TAKE, things[i]);
    EXPECT_EQ(fixture::printed(), "");
    EXPECT_EQ(locationOf(things[i]), CARRIED);
    EXPECT_EQ(game.carriedCount, 2 + i);
  }
  command(VERB_GET, KEY);
  EXPECT_EQ(fixture::printed(), "You can't carry any more.\n");
  EXPECT_EQ(locationOf(KEY), SHORE);
}

// GET on the hill (room 15), where none of the special rooms' rules apply,
// with the named thing lying here or far away: the answer each kind of noun
// gets, in the order the rules try them.
TEST(CarryingTake, EachKindOfNounGetsItsOwnAnswer) {
  struct Case {
    int noun;
    bool here;
    const char* answer;  // "" when the thing is taken
  };
  const Case cases[] = {
      {TORCH, true, ""},                              // portable, and here
      {NOUN_MUSHROOMS, true, ""},                     // named by a noun of their own
      {TORCH, false, "What?\n"},                      // portable, but not here
      {CHEST, true, "It's too heavy.\n"},             // fixed, and here
      {HUT, true, "It's too heavy.\n"},               //
      {CHEST, false, "What?\n"},                      // fixed, but not here
      {SHARK, false, "It won't let you.\n"},          // a creature, wherever it is
      {GNOME, true, "It won't let you.\n"},           //
      {WRECKAGE, true, "What?\n"},                    // useless only on its reef
      {SACKS, true, "What?\n"},                       // falling apart only in the hut
      {GOBLET, true, "What?\n"},                      // attached only on the altar
      {0, false, "You can't take that!\n"},           // no noun
      {NORTH, false, "You can't take that!\n"},       // a direction
      {NOUN_WINE, false, "You can't take that!\n"},   // the wine is no thing
      {NOUN_CLIFF, false, "You can't take that!\n"},  // a feature of a room
      {NOUN_MUSHROOMS, false, "You can't take that!\n"},
  };
  for (const Case& c : cases) {
    const std::string context =
        "noun " + std::to_string(c.noun) + (c.here ? " here" : " elsewhere");
    freshGame();
    game.currentRoom = 15;
    const int object = objectNamedBy(c.noun);
    if (object != 0) placeObject(object, c.here ? 15 : 40);
    Snapshot before = snapshot();
    command(VERB_GET, c.noun);
    EXPECT_EQ(fixture::printed(), c.answer) << context;
    if (std::string(c.answer).empty()) {
      EXPECT_EQ(locationOf(object), CARRIED) << context;
      EXPECT_EQ(game.carriedCount, before.carried + 1) << context;
      EXPECT_EQ(game.redrawPending, 1) << context;
    } else {
      expectUnchanged(before, context);
    }
  }
}

TEST(CarryingTake, PortableThingsOnlyFromTheCurrentRoom) {
  freshGame();
  game.currentRoom = 20;  // the robe lies here
  placeObject(ROBE, WORN);
  command(VERB_GET, ROBE);
  EXPECT_EQ(fixture::printed(), WHAT) << "a worn robe is not taken again";
  EXPECT_EQ(locationOf(ROBE), WORN);
  placeObject(TORCH, CARRIED);
  game.carriedCount = 2;
  command(VERB_GET, TORCH);
  EXPECT_EQ(fixture::printed(), WHAT) << "the torch already in hand";
  EXPECT_EQ(game.carriedCount, 2);
  command(VERB_GET, SCUBA_GEAR);
  EXPECT_EQ(fixture::printed(), WHAT) << "the gear is not yet in play";
}

TEST(CarryingTake, RoomsWithTheirOwnRefusals) {
  struct Case {
    int room;
    int noun;
    std::string answer;
  };
  const Case cases[] = {
      {WRECK_REEF, WRECKAGE, "It's useless.\n"},
      {SHORE, WRECKAGE, WHAT},
      {INSIDE_HUT, SACKS, "They fall apart at touch.\n"},
      {OUTSIDE_HUT, SACKS, WHAT},
      {PRAYER_ROOM, GOBLET, "It's attached to the altar.\n"},
      {PREPARATION_CHAMBER, GOBLET, WHAT},
      {ALCOVE, CHEST, TOO_HEAVY},
      {BEACH, RED_STONE, TOO_HEAVY},
      {OUTSIDE_HUT, HUT, TOO_HEAVY},
      {PRAYER_ROOM, STATUE, TOO_HEAVY},
      {ENTRANCE_CHAMBER, STATUE, WHAT},  // its likeness, not the statue object
      {UNDERWATER_CAVE, SKELETON, WHAT},
      {LOCKSMITH, CLOSET, WHAT},
  };
  for (const Case& c : cases) {
    freshGame();
    game.currentRoom = c.room;
    Snapshot before = snapshot();
    command(VERB_TAKE, c.noun);
    std::string context = "room " + std::to_string(c.room) + ", noun " + std::to_string(c.noun);
    EXPECT_EQ(fixture::printed(), c.answer) << context;
    expectUnchanged(before, context);
  }
  // The ship, once in, is too heavy on the shore; the burning fire is no
  // thing to pick up.
  freshGame();
  placeObject(SHIP, SHORE);
  command(VERB_GET, SHIP);
  EXPECT_EQ(fixture::printed(), TOO_HEAVY);
  game.currentRoom = CLIFF_TOP;
  placeObject(SIGNAL_FIRE, CLIFF_TOP);
  command(VERB_GET, SIGNAL_FIRE);
  EXPECT_EQ(fixture::printed(), WHAT);
}

TEST(CarryingTake, CreaturesRefuseEverywhere) {
  const int creatures[] = {SHARK, GNOME, SAILOR};
  for (int room = 1; room <= ROOM_COUNT; ++room) {
    for (int creature : creatures) {
      for (int where : {0, 1, room}) {  // not in play, on the shore, right here
        freshGame();
        game.currentRoom = room;
        placeObject(creature, where);
        Snapshot before = snapshot();
        command(VERB_GET, creature);
        std::string context = "room " + std::to_string(room) + ", creature " +
                              std::to_string(creature) + " at " + std::to_string(where);
        EXPECT_EQ(fixture::printed(), "It won't let you.\n") << context;
        expectUnchanged(before, context);
      }
    }
  }
}

TEST(CarryingTake, AnchorNeedsThePillEaten) {
  freshGame();
  game.currentRoom = CLIFF_FOOT;
  command(VERB_GET, ANCHOR);
  EXPECT_EQ(fixture::printed(), TOO_HEAVY) << "the pill still lies in room 34";
  placeObject(PILL, CARRIED);
  game.carriedCount = 2;
  command(VERB_GET, ANCHOR);
  EXPECT_EQ(fixture::printed(), TOO_HEAVY) << "carrying the pill is not eating it";
  EXPECT_EQ(locationOf(ANCHOR), CLIFF_FOOT);
  EXPECT_EQ(game.carriedCount, 2);
  EXPECT_EQ(game.redrawPending, 0);

  placeObject(PILL, NOWHERE);
  game.carriedCount = 1;
  command(VERB_GET, ANCHOR);
  EXPECT_EQ(fixture::printed(), "");
  EXPECT_EQ(locationOf(ANCHOR), CARRIED);
  EXPECT_EQ(game.carriedCount, 2);
  EXPECT_EQ(game.redrawPending, 1);

  // Wherever else the anchor is, it is not here: in hand, tied to the rope,
  // across the chasm, or simply in another room.
  for (int where : {CARRIED, NOWHERE, static_cast<int>(CHASM_NORTH), static_cast<int>(SHORE)}) {
    freshGame();
    game.currentRoom = CLIFF_FOOT;
    placeObject(PILL, NOWHERE);
    placeObject(ANCHOR, where);
    command(VERB_GET, ANCHOR);
    EXPECT_EQ(fixture::printed(), "It's not here.\n") << "anchor at " << where;
    EXPECT_EQ(locationOf(ANCHOR), where);
  }
  // Not here is said before too heavy.
  freshGame();
  command(VERB_GET, ANCHOR);
  EXPECT_EQ(fixture::printed(), "It's not here.\n");
}

TEST(CarryingTake, MushroomsAreNamedByTheirOwnNoun) {
  freshGame();
  game.currentRoom = CHASM_NORTH;
  command(VERB_GET, NOUN_WINE);  // noun 37 is the wine, not object 37
  EXPECT_EQ(fixture::printed(), TAKE_THAT);
  EXPECT_EQ(locationOf(MUSHROOMS), CHASM_NORTH);

  command(VERB_GET, NOUN_MUSHROOMS);
  EXPECT_EQ(fixture::printed(), "");
  EXPECT_EQ(locationOf(MUSHROOMS), CARRIED);
  EXPECT_EQ(game.carriedCount, 2);
  EXPECT_EQ(game.redrawPending, 1);

  game.redrawPending = 0;
  command(VERB_GET, NOUN_MUSHROOMS);
  EXPECT_EQ(fixture::printed(), TAKE_THAT) << "already in hand";

  command(VERB_DROP, NOUN_WINE);
  EXPECT_EQ(fixture::printed(), DONT_HAVE) << "DROP WINE is not DROP MUSHROOMS";
  EXPECT_EQ(locationOf(MUSHROOMS), CARRIED);

  game.currentRoom = LAGOON;
  command(VERB_LEAVE, NOUN_MUSHROOMS);
  EXPECT_EQ(fixture::printed(), "");
  EXPECT_EQ(locationOf(MUSHROOMS), LAGOON);
  EXPECT_EQ(game.carriedCount, 1);
  EXPECT_EQ(game.redrawPending, 1);

  game.redrawPending = 0;
  command(VERB_TAKE, NOUN_MUSHROOMS);
  EXPECT_EQ(fixture::printed(), "") << "taken wherever they were dropped";
  EXPECT_EQ(locationOf(MUSHROOMS), CARRIED);

  game.currentRoom = SHORE;
  placeObject(MUSHROOMS, CHASM_NORTH);
  game.carriedCount = 1;
  command(VERB_GET, NOUN_MUSHROOMS);
  EXPECT_EQ(fixture::printed(), TAKE_THAT) << "not here";
}

TEST(CarryingDrop, EveryCarriedThingGoesDownWhereThePlayerStands) {
  const int verbs[] = {VERB_DROP, VERB_LEAVE, VERB_PUT};
  for (int object = FIRST_OBJECT; object <= LAST_OBJECT; ++object) {
    if (object == BOTTLE) continue;  // never simply set down
    for (int verb : verbs) {
      freshGame();
      game.currentRoom = 30;  // dark: it makes no difference
      if (!isCarried(object)) {
        placeObject(object, CARRIED);
        game.carriedCount += 1;
      }
      int noun = object == MUSHROOMS ? NOUN_MUSHROOMS : object;
      int before = game.carriedCount;
      command(verb, noun);
      std::string context = "verb " + std::to_string(verb) + ", object " + std::to_string(object);
      EXPECT_EQ(fixture::printed(), "") << context;
      EXPECT_EQ(locationOf(object), 30) << context;
      EXPECT_EQ(game.carriedCount, before - 1) << context;
      EXPECT_EQ(game.redrawPending, 1) << context;
    }
  }
}

TEST(CarryingDrop, OnlyWhatIsInHandCanBeDropped) {
  freshGame();
  game.currentRoom = PREPARATION_CHAMBER;
  placeObject(ROBE, WORN);
  Snapshot before = snapshot();
  command(VERB_DROP, ROBE);
  EXPECT_EQ(fixture::printed(), DONT_HAVE) << "worn";
  command(VERB_DROP, TORCH);
  EXPECT_EQ(fixture::printed(), DONT_HAVE) << "lying in another room";
  command(VERB_DROP, SCUBA_GEAR);
  EXPECT_EQ(fixture::printed(), DONT_HAVE) << "not in play";
  command(VERB_PUT, 0);
  EXPECT_EQ(fixture::printed(), DONT_HAVE) << "no noun";
  for (int noun = 37; noun <= 45; ++noun) {
    command(VERB_LEAVE, noun);
    EXPECT_EQ(fixture::printed(), DONT_HAVE) << "noun " << noun;
  }
  game.currentRoom = INSIDE_HUT;
  command(VERB_DROP, BOTTLE);
  EXPECT_EQ(fixture::printed(), DONT_HAVE) << "the bottle lying in the hut";
  expectUnchanged(before, "refusals");
}

// A carried bottle, dropped in each of the forty rooms, with the message in.
TEST(CarryingDrop, TheMessageFloatsOffOnlyByTheWater) {
  const int verbs[] = {VERB_DROP, VERB_LEAVE, VERB_PUT};
  for (int room = 1; room <= ROOM_COUNT; ++room) {
    freshGame();
    game.currentRoom = room;
    placeObject(BOTTLE, CARRIED);
    placeObject(PAPER, NOWHERE);
    renameObject(BOTTLE, "Message in a bottle");
    game.carriedCount = 2;
    command(verbs[room % 3], BOTTLE);
    std::string printed = fixture::printed();
    std::string context = "room " + std::to_string(room);
    EXPECT_EQ(locationOf(BOTTLE), NOWHERE) << context;
    EXPECT_EQ(game.carriedCount, 1) << context;
    EXPECT_EQ(game.redrawPending, 0) << context;
    if (isWaterRoom(room)) {
      EXPECT_EQ(locationOf(SCUBA_GEAR), room) << context;
      // The room shown at once, with the gear in it, then the two lines.
      std::string tail = RULE + "\n" + FLOATS_OFF;
      ASSERT_GE(printed.size(), tail.size()) << context;
      EXPECT_EQ(printed.substr(0, 1), "\f") << context;
      EXPECT_EQ(printed.find('\f', 1), std::string::npos) << context;
      EXPECT_EQ(printed.substr(printed.size() - tail.size()), tail) << context;
      std::size_t seen = printed.find("\nYou see: ");
      std::size_t gear = printed.find("Scuba gear. ");
      std::size_t exits = printed.find("\nObvious exits are: ");
      EXPECT_TRUE(seen < gear && gear < exits) << context << ":\n" << printed;
    } else {
      EXPECT_EQ(printed, SHATTERS) << context;
      EXPECT_EQ(locationOf(SCUBA_GEAR), NOWHERE) << context;
    }
  }
}

TEST(CarryingDrop, FloatingOffShowsTheRoomBeforeItsMessage) {
  freshGame();
  game.currentRoom = COVE;
  placeObject(DRIFTWOOD, NOWHERE);
  placeObject(BOTTLE, CARRIED);
  placeObject(PAPER, NOWHERE);
  renameObject(BOTTLE, "Message in a bottle");
  game.carriedCount = 2;
  command(VERB_DROP, BOTTLE);
  EXPECT_EQ(fixture::printed(),
            fixture::litDisplay(COVE, "Scuba gear. ", "South  East  ") + FLOATS_OFF);
}

TEST(CarryingDrop, NotYetWhileThePaperIsInTheWorld) {
  // Wherever the paper is, the bottle stays in hand by the water; whatever
  // the bottle holds, it breaks on land.
  const int paperPlaces[] = {CARRIED, BEACH_EDGE, SHORE, 40};
  for (int paper : paperPlaces) {
    for (const char* name : {"A bottle of wine", "An empty bottle"}) {
      freshGame();
      placeObject(BOTTLE, CARRIED);
      placeObject(PAPER, paper);
      renameObject(BOTTLE, name);
      game.carriedCount = paper == CARRIED ? 3 : 2;
      Snapshot before = snapshot();
      command(VERB_DROP, BOTTLE);
      EXPECT_EQ(fixture::printed(), "Not yet..\n") << "paper at " << paper << ", " << name;
      expectUnchanged(before, "not yet");

      game.currentRoom = UNDERWATER_CAVE;  // under water, but no sea to float in
      command(VERB_DROP, BOTTLE);
      EXPECT_EQ(fixture::printed(), SHATTERS);
      EXPECT_EQ(locationOf(BOTTLE), NOWHERE);
      EXPECT_EQ(locationOf(PAPER), paper);
      EXPECT_EQ(game.carriedCount, before.carried - 1);
    }
  }
}

TEST(CarryingPut, PaperGoesIntoTheEmptyBottleOnly) {
  struct Case {
    const char* bottle;
    const char* answer;
    bool goesIn;
  };
  const Case cases[] = {
      {"An empty bottle", "BOT", true},
      {"An empty bottle", "bottle", true},
      {"An empty bottle", "Botany", true},
      {"A bottle of wine", "BOTTLE", false},  // still holds its wine
      {"An empty bottle", " BOTTLE", false},  // leading blank
      {"An empty bottle", "BO", false},
      {"An empty bottle", "BOX", false},
      {"An empty bottle", "", false},
      {"An empty bottle", "TREE", false},
  };
  for (const Case& c : cases) {
    freshGame(std::string(c.answer) + "\n");
    game.currentRoom = BEACH_EDGE;
    placeObject(BOTTLE, CARRIED);
    placeObject(PAPER, CARRIED);
    renameObject(BOTTLE, c.bottle);
    game.carriedCount = 3;
    Snapshot before = snapshot();
    command(VERB_PUT, PAPER);
    std::string context = std::string(c.bottle) + " / '" + c.answer + "'";
    if (c.goesIn) {
      EXPECT_EQ(fixture::printed(), QUESTION + "\nO.K.\n") << context;
      EXPECT_EQ(std::string(game.objectName[BOTTLE]), "Message in a bottle") << context;
      EXPECT_EQ(locationOf(PAPER), NOWHERE) << context;
      EXPECT_EQ(locationOf(BOTTLE), CARRIED) << context;
      EXPECT_EQ(game.carriedCount, 2) << context;
      EXPECT_EQ(game.redrawPending, 0) << context;
      EXPECT_FALSE(nameIsEmptyBottle());
      EXPECT_FALSE(nameHoldsWine());
    } else {
      EXPECT_EQ(fixture::printed(), QUESTION + "\nYou can't...yet.\n") << context;
      expectUnchanged(before, context);
    }
  }
}

TEST(CarryingPut, OnlyPutWithBothInHandAsks) {
  // DROP and LEAVE never ask: they set the paper down.
  for (int verb : {VERB_DROP, VERB_LEAVE}) {
    freshGame("BOTTLE\n");
    placeObject(BOTTLE, CARRIED);
    placeObject(PAPER, CARRIED);
    renameObject(BOTTLE, "An empty bottle");
    game.carriedCount = 3;
    command(verb, PAPER);
    EXPECT_EQ(fixture::printed(), "") << "verb " << verb;
    EXPECT_EQ(locationOf(PAPER), SHORE);
    EXPECT_EQ(game.carriedCount, 2);
  }
  // PUT PAPER with the bottle elsewhere sets the paper down.
  freshGame("BOTTLE\n");
  placeObject(PAPER, CARRIED);
  renameObject(BOTTLE, "An empty bottle");
  game.carriedCount = 2;
  command(VERB_PUT, PAPER);
  EXPECT_EQ(fixture::printed(), "");
  EXPECT_EQ(locationOf(PAPER), SHORE);
  EXPECT_EQ(game.redrawPending, 1);
  // PUT PAPER with the paper on the floor is not in hand.
  freshGame("BOTTLE\n");
  placeObject(BOTTLE, CARRIED);
  renameObject(BOTTLE, "An empty bottle");
  game.carriedCount = 2;
  command(VERB_PUT, PAPER);
  EXPECT_EQ(fixture::printed(), DONT_HAVE);
  EXPECT_EQ(locationOf(BOTTLE), CARRIED);
}

TEST(CarryingPut, OnlyTheAnswerLineIsReadAndNothingBeyondIt) {
  std::string longAnswer = "BOTTLE" + std::string(200, 'X');
  freshGame(longAnswer + "\nnext line\n");
  placeObject(BOTTLE, CARRIED);
  placeObject(PAPER, CARRIED);
  renameObject(BOTTLE, "An empty bottle");
  game.carriedCount = 3;
  command(VERB_PUT, PAPER);
  EXPECT_EQ(fixture::printed(), QUESTION + "\nO.K.\n");
  // The rest of the long line is dropped, not kept for the next read.
  ASSERT_TRUE(readAnswer());
  EXPECT_STREQ(answerLine, "NEXT LINE");
}

TEST(CarryingPut, InputEndingAtTheQuestionChangesNothing) {
  freshGame("");
  placeObject(BOTTLE, CARRIED);
  placeObject(PAPER, CARRIED);
  renameObject(BOTTLE, "An empty bottle");
  game.carriedCount = 3;
  Snapshot before = snapshot();
  command(VERB_PUT, PAPER);
  EXPECT_EQ(fixture::printed(), QUESTION);
  expectUnchanged(before, "end of input");
  EXPECT_TRUE(inputEnded());
}

TEST(CarryingInventory, ListsByObjectNumberAndLeavesOutWornThings) {
  freshGame();
  command(VERB_INVENTORY, 0);
  EXPECT_EQ(fixture::printed(), "You are carrying:\nA life preserver\n\n");

  placeObject(LIFE_PRESERVER, SHORE);
  command(VERB_INVENTORY, 0);
  EXPECT_EQ(fixture::printed(), "You are carrying:\n\n") << "nothing in hand";

  placeObject(MUSHROOMS, CARRIED);
  placeObject(KEY, CARRIED);
  placeObject(MATCHBOOK, CARRIED);
  placeObject(ROBE, WORN);
  placeObject(AMULET, WORN);
  renameObject(MATCHBOOK, "An empty matchbook");
  command(VERB_INVENTORY, SHARK);  // the noun is ignored
  EXPECT_EQ(fixture::printed(),
            "You are carrying:\nAn empty matchbook\nA key\nSmall brown mushrooms\n\n");
  EXPECT_EQ(game.redrawPending, 0);
}

}  // namespace
