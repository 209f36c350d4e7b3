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
#include "tests/action_fixture.hpp"
#include "tests/scene.hpp"

namespace {

using handlerTest::command;
using handlerTest::newGame;
using handlerTest::output;
using handlerTest::RULE;

const std::string TAKE_THAT = "You can't take that!\n";
const std::string WHAT = "What?\n";
const std::string TOO_HEAVY = "It's too heavy.\n";
const std::string DONT_HAVE = "You don't have that!\n";
const std::string SHATTERS = "It shatters!\nYou may have needed that bottle...";
const std::string FLOATS_OFF = "It falls in the water and floats out to sea...\nHey, look!\n";
const std::string QUESTION = "Tell me in one word, in or on what?  ";

bool isWaterRoom(int room) { return (room >= 1 && room <= 6) || room == 10 || room == 37; }

bool isPortable(int object) {
  switch (object) {
    case 8:
    case 11:
    case 13:
    case 15:
    case 16:
    case 18:
    case 21:
    case 24:
    case 25:
    case 27:
    case 28:
    case 29:
    case 30:
    case 32:
    case 35:
    case 37: return true;
    default: return false;
  }
}

bool isFixed(int object) {
  return object == 12 || object == 14 || object == 17 || object == 20 || object == 23;
}

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
      newGame();
      game.currentRoom = room;
      game.carriedCount = 5;
      int object = objectNamedBy(noun);
      if (object != 0) placeObject(object, room);  // even what would be taken
      placeObject(PILL, NOWHERE);                  // even the anchor, pill eaten
      Snapshot before = snapshot();
      command(VERB_GET, noun);
      std::string context = "room " + std::to_string(room) + ", noun " + std::to_string(noun);
      EXPECT_EQ(output(), "You can't carry any more.\n") << context;
      expectUnchanged(before, context);
    }
  }
  // More than five (a damaged count) is refused too.
  newGame();
  game.carriedCount = 6;
  command(VERB_TAKE, 0);
  EXPECT_EQ(output(), "You can't carry any more.\n");
}

TEST(CarryingTake, FourMoreFitBesideTheLifePreserver) {
  newGame();
  const int things[] = {MATCHBOOK, TORCH, ROPE, AXE, KEY};
  for (int thing : things) placeObject(thing, SHORE);
  for (int i = 0; i < 4; ++i) {
    command(i % 2 == 0 ? VERB_GET : VERB_TAKE, things[i]);
    EXPECT_EQ(output(), "");
    EXPECT_EQ(locationOf(things[i]), CARRIED);
    EXPECT_EQ(game.carriedCount, 2 + i);
  }
  command(VERB_GET, KEY);
  EXPECT_EQ(output(), "You can't carry any more.\n");
  EXPECT_EQ(locationOf(KEY), SHORE);
}

// Every noun, with its object lying in the current room and lying elsewhere,
// against the answers by noun.
TEST(CarryingTake, EachNounGetsItsOwnAnswer) {
  for (int noun = 0; noun <= NOUN_COUNT; ++noun) {
    if (noun == ANCHOR) continue;  // its own test below
    for (int here = 0; here <= 1; ++here) {
      newGame();
      // Directions never reach GET through the parser, but are no objects.
      // Stand somewhere none of the special rooms' rules apply, then move
      // the named object here or far away.
      game.currentRoom = 15;
      int object = objectNamedBy(noun);
      if (object != 0) {
        if (isCarried(object)) game.carriedCount -= 1;
        placeObject(object, here == 1 ? 15 : 40);
      }
      Snapshot before = snapshot();
      command(VERB_GET, noun);
      std::string context = "noun " + std::to_string(noun) + (here ? " here" : " elsewhere");
      std::string printed = output();
      if (object != 0 && here == 1 && isPortable(object)) {
        EXPECT_EQ(printed, "") << context;
        EXPECT_EQ(locationOf(object), CARRIED) << context;
        EXPECT_EQ(game.carriedCount, before.carried + 1) << context;
        EXPECT_EQ(game.redrawPending, 1) << context;
        continue;
      }
      if (noun < 7 || (noun >= 37 && noun <= 45) || noun == NOUN_MUSHROOMS) {
        EXPECT_EQ(printed, TAKE_THAT) << context;
      } else if (noun == SHARK || noun == GNOME || noun == SAILOR) {
        EXPECT_EQ(printed, "It won't let you.\n") << context;
      } else if (isFixed(object) && here == 1) {
        EXPECT_EQ(printed, TOO_HEAVY) << context;
      } else {
        EXPECT_EQ(printed, WHAT) << context;
      }
      expectUnchanged(before, context);
    }
  }
}

TEST(CarryingTake, PortableThingsOnlyFromTheCurrentRoom) {
  newGame();
  game.currentRoom = 20;  // the robe lies here
  placeObject(ROBE, WORN);
  command(VERB_GET, ROBE);
  EXPECT_EQ(output(), WHAT) << "a worn robe is not taken again";
  EXPECT_EQ(locationOf(ROBE), WORN);
  placeObject(TORCH, CARRIED);
  game.carriedCount = 2;
  command(VERB_GET, TORCH);
  EXPECT_EQ(output(), WHAT) << "the torch already in hand";
  EXPECT_EQ(game.carriedCount, 2);
  command(VERB_GET, SCUBA_GEAR);
  EXPECT_EQ(output(), WHAT) << "the gear is not yet in play";
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
    newGame();
    game.currentRoom = c.room;
    Snapshot before = snapshot();
    command(VERB_TAKE, c.noun);
    std::string context = "room " + std::to_string(c.room) + ", noun " + std::to_string(c.noun);
    EXPECT_EQ(output(), c.answer) << context;
    expectUnchanged(before, context);
  }
  // The ship, once in, is too heavy on the shore; the burning fire is no
  // thing to pick up.
  newGame();
  placeObject(SHIP, SHORE);
  command(VERB_GET, SHIP);
  EXPECT_EQ(output(), TOO_HEAVY);
  game.currentRoom = CLIFF_TOP;
  placeObject(SIGNAL_FIRE, CLIFF_TOP);
  command(VERB_GET, SIGNAL_FIRE);
  EXPECT_EQ(output(), WHAT);
}

TEST(CarryingTake, CreaturesRefuseEverywhere) {
  const int creatures[] = {SHARK, GNOME, SAILOR};
  for (int room = 1; room <= ROOM_COUNT; ++room) {
    for (int creature : creatures) {
      for (int where : {0, 1, room}) {  // not in play, on the shore, right here
        newGame();
        game.currentRoom = room;
        placeObject(creature, where);
        Snapshot before = snapshot();
        command(VERB_GET, creature);
        std::string context = "room " + std::to_string(room) + ", creature " +
                              std::to_string(creature) + " at " + std::to_string(where);
        EXPECT_EQ(output(), "It won't let you.\n") << context;
        expectUnchanged(before, context);
      }
    }
  }
}

TEST(CarryingTake, AnchorNeedsThePillEaten) {
  newGame();
  game.currentRoom = CLIFF_FOOT;
  command(VERB_GET, ANCHOR);
  EXPECT_EQ(output(), TOO_HEAVY) << "the pill still lies in room 34";
  placeObject(PILL, CARRIED);
  game.carriedCount = 2;
  command(VERB_GET, ANCHOR);
  EXPECT_EQ(output(), TOO_HEAVY) << "carrying the pill is not eating it";
  EXPECT_EQ(locationOf(ANCHOR), CLIFF_FOOT);
  EXPECT_EQ(game.carriedCount, 2);
  EXPECT_EQ(game.redrawPending, 0);

  placeObject(PILL, NOWHERE);
  game.carriedCount = 1;
  command(VERB_GET, ANCHOR);
  EXPECT_EQ(output(), "");
  EXPECT_EQ(locationOf(ANCHOR), CARRIED);
  EXPECT_EQ(game.carriedCount, 2);
  EXPECT_EQ(game.redrawPending, 1);

  // Wherever else the anchor is, it is not here: in hand, tied to the rope,
  // across the chasm, or simply in another room.
  for (int where : {CARRIED, NOWHERE, static_cast<int>(CHASM_NORTH), static_cast<int>(SHORE)}) {
    newGame();
    game.currentRoom = CLIFF_FOOT;
    placeObject(PILL, NOWHERE);
    placeObject(ANCHOR, where);
    command(VERB_GET, ANCHOR);
    EXPECT_EQ(output(), "It's not here.\n") << "anchor at " << where;
    EXPECT_EQ(locationOf(ANCHOR), where);
  }
  // Not here is said before too heavy.
  newGame();
  command(VERB_GET, ANCHOR);
  EXPECT_EQ(output(), "It's not here.\n");
}

TEST(CarryingTake, MushroomsAreNamedByTheirOwnNoun) {
  newGame();
  game.currentRoom = CHASM_NORTH;
  command(VERB_GET, NOUN_WINE);  // noun 37 is the wine, not object 37
  EXPECT_EQ(output(), TAKE_THAT);
  EXPECT_EQ(locationOf(MUSHROOMS), CHASM_NORTH);

  command(VERB_GET, NOUN_MUSHROOMS);
  EXPECT_EQ(output(), "");
  EXPECT_EQ(locationOf(MUSHROOMS), CARRIED);
  EXPECT_EQ(game.carriedCount, 2);
  EXPECT_EQ(game.redrawPending, 1);

  game.redrawPending = 0;
  command(VERB_GET, NOUN_MUSHROOMS);
  EXPECT_EQ(output(), TAKE_THAT) << "already in hand";

  command(VERB_DROP, NOUN_WINE);
  EXPECT_EQ(output(), DONT_HAVE) << "DROP WINE is not DROP MUSHROOMS";
  EXPECT_EQ(locationOf(MUSHROOMS), CARRIED);

  game.currentRoom = LAGOON;
  command(VERB_LEAVE, NOUN_MUSHROOMS);
  EXPECT_EQ(output(), "");
  EXPECT_EQ(locationOf(MUSHROOMS), LAGOON);
  EXPECT_EQ(game.carriedCount, 1);
  EXPECT_EQ(game.redrawPending, 1);

  game.redrawPending = 0;
  command(VERB_TAKE, NOUN_MUSHROOMS);
  EXPECT_EQ(output(), "") << "taken wherever they were dropped";
  EXPECT_EQ(locationOf(MUSHROOMS), CARRIED);

  game.currentRoom = SHORE;
  placeObject(MUSHROOMS, CHASM_NORTH);
  game.carriedCount = 1;
  command(VERB_GET, NOUN_MUSHROOMS);
  EXPECT_EQ(output(), TAKE_THAT) << "not here";
}

TEST(CarryingDrop, EveryCarriedThingGoesDownWhereThePlayerStands) {
  const int verbs[] = {VERB_DROP, VERB_LEAVE, VERB_PUT};
  for (int object = FIRST_OBJECT; object <= LAST_OBJECT; ++object) {
    if (object == BOTTLE) continue;  // never simply set down
    for (int verb : verbs) {
      newGame();
      game.currentRoom = 30;  // dark: it makes no difference
      if (!isCarried(object)) {
        placeObject(object, CARRIED);
        game.carriedCount += 1;
      }
      int noun = object == MUSHROOMS ? NOUN_MUSHROOMS : object;
      int before = game.carriedCount;
      command(verb, noun);
      std::string context = "verb " + std::to_string(verb) + ", object " + std::to_string(object);
      EXPECT_EQ(output(), "") << context;
      EXPECT_EQ(locationOf(object), 30) << context;
      EXPECT_EQ(game.carriedCount, before - 1) << context;
      EXPECT_EQ(game.redrawPending, 1) << context;
    }
  }
}

TEST(CarryingDrop, OnlyWhatIsInHandCanBeDropped) {
  newGame();
  game.currentRoom = PREPARATION_CHAMBER;
  placeObject(ROBE, WORN);
  Snapshot before = snapshot();
  command(VERB_DROP, ROBE);
  EXPECT_EQ(output(), DONT_HAVE) << "worn";
  command(VERB_DROP, TORCH);
  EXPECT_EQ(output(), DONT_HAVE) << "lying in another room";
  command(VERB_DROP, SCUBA_GEAR);
  EXPECT_EQ(output(), DONT_HAVE) << "not in play";
  command(VERB_PUT, 0);
  EXPECT_EQ(output(), DONT_HAVE) << "no noun";
  for (int noun = 37; noun <= 45; ++noun) {
    command(VERB_LEAVE, noun);
    EXPECT_EQ(output(), DONT_HAVE) << "noun " << noun;
  }
  game.currentRoom = INSIDE_HUT;
  command(VERB_DROP, BOTTLE);
  EXPECT_EQ(output(), DONT_HAVE) << "the bottle lying in the hut";
  expectUnchanged(before, "refusals");
}

// A carried bottle, dropped in each of the forty rooms, with the message in.
TEST(CarryingDrop, TheMessageFloatsOffOnlyByTheWater) {
  const int verbs[] = {VERB_DROP, VERB_LEAVE, VERB_PUT};
  for (int room = 1; room <= ROOM_COUNT; ++room) {
    newGame();
    game.currentRoom = room;
    placeObject(BOTTLE, CARRIED);
    placeObject(PAPER, NOWHERE);
    renameObject(BOTTLE, "Message in a bottle");
    game.carriedCount = 2;
    command(verbs[room % 3], BOTTLE);
    std::string printed = output();
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
  newGame();
  game.currentRoom = COVE;
  placeObject(DRIFTWOOD, NOWHERE);
  placeObject(BOTTLE, CARRIED);
  placeObject(PAPER, NOWHERE);
  renameObject(BOTTLE, "Message in a bottle");
  game.carriedCount = 2;
  command(VERB_DROP, BOTTLE);
  EXPECT_EQ(output(), handlerTest::litDisplay(COVE, "Scuba gear. ", "South  East  ") + FLOATS_OFF);
}

TEST(CarryingDrop, NotYetWhileThePaperIsInTheWorld) {
  // Wherever the paper is, the bottle stays in hand by the water; whatever
  // the bottle holds, it breaks on land.
  const int paperPlaces[] = {CARRIED, BEACH_EDGE, SHORE, 40};
  for (int paper : paperPlaces) {
    for (const char* name : {"A bottle of wine", "An empty bottle"}) {
      newGame();
      placeObject(BOTTLE, CARRIED);
      placeObject(PAPER, paper);
      renameObject(BOTTLE, name);
      game.carriedCount = paper == CARRIED ? 3 : 2;
      Snapshot before = snapshot();
      command(VERB_DROP, BOTTLE);
      EXPECT_EQ(output(), "Not yet..\n") << "paper at " << paper << ", " << name;
      expectUnchanged(before, "not yet");

      game.currentRoom = UNDERWATER_CAVE;  // under water, but no sea to float in
      command(VERB_DROP, BOTTLE);
      EXPECT_EQ(output(), SHATTERS);
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
    newGame(std::string(c.answer) + "\n");
    game.currentRoom = BEACH_EDGE;
    placeObject(BOTTLE, CARRIED);
    placeObject(PAPER, CARRIED);
    renameObject(BOTTLE, c.bottle);
    game.carriedCount = 3;
    Snapshot before = snapshot();
    command(VERB_PUT, PAPER);
    std::string context = std::string(c.bottle) + " / '" + c.answer + "'";
    if (c.goesIn) {
      EXPECT_EQ(output(), QUESTION + "\nO.K.\n") << context;
      EXPECT_EQ(std::string(game.objectName[BOTTLE]), "Message in a bottle") << context;
      EXPECT_EQ(locationOf(PAPER), NOWHERE) << context;
      EXPECT_EQ(locationOf(BOTTLE), CARRIED) << context;
      EXPECT_EQ(game.carriedCount, 2) << context;
      EXPECT_EQ(game.redrawPending, 0) << context;
      EXPECT_FALSE(nameIsEmptyBottle());
      EXPECT_FALSE(nameHoldsWine());
    } else {
      EXPECT_EQ(output(), QUESTION + "\nYou can't...yet.\n") << context;
      expectUnchanged(before, context);
    }
  }
}

TEST(CarryingPut, OnlyPutWithBothInHandAsks) {
  // DROP and LEAVE never ask: they set the paper down.
  for (int verb : {VERB_DROP, VERB_LEAVE}) {
    newGame("BOTTLE\n");
    placeObject(BOTTLE, CARRIED);
    placeObject(PAPER, CARRIED);
    renameObject(BOTTLE, "An empty bottle");
    game.carriedCount = 3;
    command(verb, PAPER);
    EXPECT_EQ(output(), "") << "verb " << verb;
    EXPECT_EQ(locationOf(PAPER), SHORE);
    EXPECT_EQ(game.carriedCount, 2);
  }
  // PUT PAPER with the bottle elsewhere sets the paper down.
  newGame("BOTTLE\n");
  placeObject(PAPER, CARRIED);
  renameObject(BOTTLE, "An empty bottle");
  game.carriedCount = 2;
  command(VERB_PUT, PAPER);
  EXPECT_EQ(output(), "");
  EXPECT_EQ(locationOf(PAPER), SHORE);
  EXPECT_EQ(game.redrawPending, 1);
  // PUT PAPER with the paper on the floor is not in hand.
  newGame("BOTTLE\n");
  placeObject(BOTTLE, CARRIED);
  renameObject(BOTTLE, "An empty bottle");
  game.carriedCount = 2;
  command(VERB_PUT, PAPER);
  EXPECT_EQ(output(), DONT_HAVE);
  EXPECT_EQ(locationOf(BOTTLE), CARRIED);
}

TEST(CarryingPut, OnlyTheAnswerLineIsReadAndNothingBeyondIt) {
  std::string longAnswer = "BOTTLE" + std::string(200, 'X');
  newGame(longAnswer + "\nnext line\n");
  placeObject(BOTTLE, CARRIED);
  placeObject(PAPER, CARRIED);
  renameObject(BOTTLE, "An empty bottle");
  game.carriedCount = 3;
  command(VERB_PUT, PAPER);
  EXPECT_EQ(output(), QUESTION + "\nO.K.\n");
  // The rest of the long line is dropped, not kept for the next read.
  ASSERT_TRUE(readAnswer());
  EXPECT_STREQ(answerLine, "NEXT LINE");
}

TEST(CarryingPut, InputEndingAtTheQuestionChangesNothing) {
  newGame("");
  placeObject(BOTTLE, CARRIED);
  placeObject(PAPER, CARRIED);
  renameObject(BOTTLE, "An empty bottle");
  game.carriedCount = 3;
  Snapshot before = snapshot();
  command(VERB_PUT, PAPER);
  EXPECT_EQ(output(), QUESTION);
  expectUnchanged(before, "end of input");
  EXPECT_TRUE(inputEnded());
}

TEST(CarryingInventory, ListsByObjectNumberAndLeavesOutWornThings) {
  newGame();
  command(VERB_INVENTORY, 0);
  EXPECT_EQ(output(), "You are carrying:\nA life preserver\n\n");

  placeObject(LIFE_PRESERVER, SHORE);
  command(VERB_INVENTORY, 0);
  EXPECT_EQ(output(), "You are carrying:\n\n") << "nothing in hand";

  placeObject(MUSHROOMS, CARRIED);
  placeObject(KEY, CARRIED);
  placeObject(MATCHBOOK, CARRIED);
  placeObject(ROBE, WORN);
  placeObject(AMULET, WORN);
  renameObject(MATCHBOOK, "An empty matchbook");
  command(VERB_INVENTORY, SHARK);  // the noun is ignored
  EXPECT_EQ(output(), "You are carrying:\nAn empty matchbook\nA key\nSmall brown mushrooms\n\n");
  EXPECT_EQ(game.redrawPending, 0);
}

}  // namespace
