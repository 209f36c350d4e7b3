// The island as fixed data: exits, objects and their starting places, the
// words the parser knows, and what each room is like. Every game starts from
// these tables; play changes only the copies in the game state.
#pragma once
#include <cstdint>

// The size of the world.
inline constexpr int ROOM_COUNT = 40;  // rooms 1..40; row 0 of the grids is unused
inline constexpr int DIRECTION_COUNT = 6;
inline constexpr int OBJECT_COUNT = 38;  // numbers 0..37; objects proper are 7..37

// Where an object can be besides a room number.
inline constexpr int NOWHERE = 0;   // not in the world (not yet, or no longer)
inline constexpr int CARRIED = -1;  // in the player's hands
inline constexpr int WORN = -2;     // worn: neither listed nor counted as carried

// Rooms that the rules name.
enum Room : int {
  SHORE = 1,
  CORAL_REEF = 2,
  WRECK_REEF = 3,
  OPEN_SEA = 4,
  LAGOON = 5,
  LAGOON_FLOOR = 6,
  UNDERWATER_CAVE = 7,
  ALCOVE = 8,
  BEACH = 9,
  COVE = 10,
  BEACH_EDGE = 11,
  OUTSIDE_HUT = 12,
  INSIDE_HUT = 13,
  CLIFF_TOP = 14,
  QUIET_JUNGLE = 17,
  TEMPLE_CLEARING = 18,
  ENTRANCE_CHAMBER = 19,
  PREPARATION_CHAMBER = 20,
  PRAYER_ROOM = 21,
  LEDGE = 22,
  BEDROOM = 24,
  CHART_ROOM = 27,
  CHASM_SOUTH = 29,
  GNOME_ROOM = 33,
  PILL_ROOM = 34,
  CHASM_BOTTOM = 36,
  CLIFF_FOOT = 37,
  CHASM_NORTH = 38,
  LOCKSMITH = 39,
  CLOSET_INSIDE = 40,
};

// Directions, numbered as the nouns that name them; column = direction - 1.
enum Direction : int { NORTH = 1, SOUTH = 2, EAST = 3, WEST = 4, UP = 5, DOWN = 6 };

// Objects 7..37. The number is also the noun that names it, except the
// mushrooms, which are named by NOUN_MUSHROOMS.
enum Object : int {
  WRECKAGE = 7,
  MATCHBOOK = 8,
  SHARK = 9,
  SKELETON = 10,
  BUSINESS_CARD = 11,
  CHEST = 12,
  GOLD = 13,
  RED_STONE = 14,
  DRIFTWOOD = 15,
  PAPER = 16,
  HUT = 17,
  BOTTLE = 18,
  SACKS = 19,
  SHIP = 20,
  ROBE = 21,
  GOBLET = 22,
  STATUE = 23,
  SCUBA_GEAR = 24,
  AMULET = 25,
  SIGNAL_FIRE = 26,
  LIFE_PRESERVER = 27,
  TORCH = 28,
  ROPE = 29,
  AXE = 30,
  GNOME = 31,
  PILL = 32,
  ANCHOR = 33,
  CLOSET = 34,
  KEY = 35,
  SAILOR = 36,
  MUSHROOMS = 37,
};
inline constexpr int FIRST_OBJECT = 7;
inline constexpr int LAST_OBJECT = 37;

// Nouns that name no object: the wine and the features of rooms.
enum FeatureNoun : int {
  NOUN_WINE = 37,
  NOUN_CLIFF = 38,
  NOUN_RUNES = 39,
  NOUN_BIRD = 40,
  NOUN_VINES = 41,
  NOUN_MESSAGE = 42,
  NOUN_WATCH = 43,
  NOUN_CHART = 44,
  NOUN_NEPTUNE = 45,
  NOUN_MUSHROOMS = 46,
};
inline constexpr int NOUN_COUNT = 46;
inline constexpr int VERB_COUNT = 35;

enum Verb : int {
  VERB_GET = 1,
  VERB_TAKE = 2,
  VERB_GO = 3,
  VERB_ENTER = 4,
  VERB_EXIT = 5,
  VERB_JUMP = 6,
  VERB_DIVE = 7,
  VERB_DROP = 8,
  VERB_LEAVE = 9,
  VERB_PUT = 10,
  VERB_LIGHT = 11,
  VERB_EXAMINE = 12,
  VERB_INVENTORY = 13,
  VERB_KILL = 14,
  VERB_ATTACK = 15,
  VERB_READ = 16,
  VERB_UNLOCK = 17,
  VERB_LOCK = 18,
  VERB_OPEN = 19,
  VERB_CLOSE = 20,
  VERB_POUR = 21,
  VERB_DRINK = 22,
  VERB_SUMMON = 23,
  VERB_WEAR = 24,
  VERB_RUB = 25,
  VERB_SHINE = 26,
  VERB_CLIMB = 27,
  VERB_TURN = 28,
  VERB_THROW = 29,
  VERB_GIVE = 30,
  VERB_EXTINGUISH = 31,
  VERB_TIE = 32,
  VERB_EAT = 33,
  VERB_SAVE = 34,
  VERB_LOAD = 35,
};

extern const std::uint8_t initialExits[ROOM_COUNT + 1][DIRECTION_COUNT];
extern const std::int8_t initialObjectLocation[OBJECT_COUNT];
extern const char* const initialObjectName[OBJECT_COUNT];
extern const char* const nounWords[NOUN_COUNT + 1];
extern const char* const verbWords[VERB_COUNT + 1];

// What kind of place each room is.
struct RoomTraits {
  bool lit;           // seen without a light
  bool sea;           // drowns a player without the life preserver
  bool underwater;    // suffocates a player whose tanks are off
  bool bottleFloats;  // a dropped bottle floats instead of shattering
};
extern const RoomTraits roomTraits[ROOM_COUNT + 1];

// How GET treats an object that lies in the current room.
enum class Heft : std::uint8_t { NONE, PORTABLE, FIXED };
extern const Heft objectHeft[OBJECT_COUNT];

// The object a noun names, or 0 when it names none.
int objectNamedBy(int noun);

// The days of the ship: seen from the cliff top and called by the fire on
// turns SHIP_FIRST_TURN..SHIP_LAST_TURN; it sails past on SHIP_DEPARTURE_TURN.
inline constexpr int SHIP_FIRST_TURN = 40;
inline constexpr int SHIP_LAST_TURN = 98;
inline constexpr int SHIP_DEPARTURE_TURN = 99;
inline constexpr int MATCH_BURN_TURNS = 5;
inline constexpr int CARRY_LIMIT = 5;

// What a new game starts with: a full matchbook, full scuba tanks and a new
// torch. Nothing in play ever adds to them.
inline constexpr int MATCHBOOK_MATCHES = 20;
inline constexpr int FULL_TANK_AIR = 35;
inline constexpr int NEW_TORCH_FUEL = 40;

// The names objects take on in play, each given as it happens. Three puzzle
// states are read back from these words (see nameIsEmptyBottle and friends).
inline constexpr const char* NAME_EMPTY_BOTTLE = "An empty bottle";
inline constexpr const char* NAME_MESSAGE_IN_BOTTLE = "Message in a bottle";
inline constexpr const char* NAME_FULL_GOBLET = "A goblet full of wine";
inline constexpr const char* NAME_EMPTY_GOBLET = "A goblet";
inline constexpr const char* NAME_EMPTY_MATCHBOOK = "An empty matchbook";
inline constexpr const char* NAME_ROPE_ON_ANCHOR = "A rope tied to an anchor";
inline constexpr const char* NAME_ROPE_ACROSS_CHASM = "A rope going across a chasm";
inline constexpr const char* NAME_ANCHOR_ACROSS_CHASM = "A rope going from a tree across a chasm";

// The gnome fight: each exchange draws one of these outcomes.
inline constexpr int EXCHANGE_OUTCOMES = 11;

// The mushroom visions go through stages 0..8 of a waking dream, then 9..11
// of a scene on the beach, and are over at 12.
inline constexpr int DREAM_STAGES = 9;
inline constexpr int FIRST_BEACH_STAGE = DREAM_STAGES;
inline constexpr int BEACH_STAGES = 3;
inline constexpr int VISIONS_DONE = FIRST_BEACH_STAGE + BEACH_STAGES;
