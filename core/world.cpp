#include "core/world.hpp"

// Destination room per direction N, S, E, W, U, D; 0 is no exit.
const std::uint8_t initialExits[ROOM_COUNT + 1][DIRECTION_COUNT] = {
    {0, 0, 0, 0, 0, 0},      // 0 (unused)
    {10, 9, 2, 11, 0, 0},    // 1 shore
    {3, 5, 4, 1, 0, 0},      // 2 coral reef
    {4, 2, 4, 10, 0, 0},     // 3 reef with wreckage
    {4, 4, 4, 2, 0, 0},      // 4 open sea: every way but west leads back here
    {2, 0, 0, 9, 0, 0},      // 5 lagoon surface
    {0, 0, 0, 0, 5, 0},      // 6 lagoon floor
    {6, 0, 0, 8, 0, 0},      // 7 underwater cave
    {0, 0, 7, 0, 0, 0},      // 8 alcove with the chest
    {1, 0, 5, 0, 0, 0},      // 9 beach with the red stone
    {0, 1, 3, 0, 0, 0},      // 10 cove
    {12, 0, 1, 16, 0, 0},    // 11 edge of the beach
    {0, 11, 0, 17, 0, 0},    // 12 outside the hut
    {0, 0, 0, 0, 0, 0},      // 13 inside the hut: left by EXIT HUT only
    {0, 0, 0, 0, 0, 15},     // 14 cliff top
    {16, 0, 0, 0, 14, 0},    // 15 hill
    {17, 15, 11, 0, 0, 0},   // 16 noisy jungle
    {0, 16, 12, 18, 0, 0},   // 17 quiet jungle
    {0, 0, 17, 19, 0, 0},    // 18 temple clearing
    {0, 20, 18, 0, 0, 0},    // 19 entrance chamber
    {19, 0, 0, 21, 0, 0},    // 20 preparation chamber
    {0, 0, 20, 0, 0, 0},     // 21 prayer room
    {23, 0, 0, 0, 0, 0},     // 22 ledge
    {26, 22, 24, 27, 0, 0},  // 23 cave complex
    {25, 0, 0, 23, 0, 0},    // 24 bedroom
    {0, 24, 0, 26, 0, 0},    // 25 store room
    {0, 23, 25, 0, 0, 0},    // 26 shop
    {28, 0, 23, 0, 0, 0},    // 27 room with the chart
    {29, 27, 0, 30, 0, 0},   // 28 hall
    {0, 28, 0, 0, 0, 0},     // 29 south edge of the chasm
    {0, 31, 28, 0, 0, 0},    // 30 cave entrance
    {30, 0, 0, 32, 0, 0},    // 31 cavern
    {0, 33, 31, 0, 0, 0},    // 32 ante room
    {32, 0, 0, 0, 0, 0},     // 33 the gnome's room
    {0, 0, 33, 0, 0, 35},    // 34 caved-in room
    {0, 0, 0, 0, 34, 36},    // 35 stairway
    {0, 0, 0, 37, 35, 0},    // 36 bottom of the chasm
    {0, 0, 36, 0, 0, 0},     // 37 foot of the cliff
    {39, 0, 0, 0, 0, 0},     // 38 north edge of the chasm
    {0, 38, 0, 0, 0, 0},     // 39 locksmith's shop
    {0, 0, 0, 39, 0, 0},     // 40 inside the closet
};

const std::int8_t initialObjectLocation[OBJECT_COUNT] = {
    0,       0, 0, 0, 0, 0, 0,  // filler and the six directions
    3,                          // 7 wreckage
    3,                          // 8 matchbook
    6,                          // 9 shark
    7,                          // 10 skeleton
    0,                          // 11 business card: revealed by the skeleton
    8,                          // 12 chest
    0,                          // 13 gold: inside the chest
    9,                          // 14 red stone
    10,                         // 15 driftwood
    11,                         // 16 paper
    12,                         // 17 hut
    13,                         // 18 bottle
    13,                         // 19 sacks
    0,                          // 20 ship: comes to the signal fire
    20,                         // 21 robe
    21,                         // 22 goblet
    21,                         // 23 statue
    0,                          // 24 scuba gear: washed up by the bottle
    0,                          // 25 amulet: the god's gift
    0,                          // 26 signal fire: not yet lit
    CARRIED,                    // 27 life preserver
    22,                         // 28 torch
    25,                         // 29 rope
    26,                         // 30 axe
    33,                         // 31 gnome
    34,                         // 32 pill
    37,                         // 33 anchor
    39,                         // 34 closet
    40,                         // 35 key
    0,                          // 36 sailor: comes with the ship
    38,                         // 37 mushrooms
};

const char* const initialObjectName[OBJECT_COUNT] = {
    "ccccc",
    "North ",
    "South ",
    "East ",
    "West ",
    "Up ",
    "Down ",
    "Wreckage",
    "A book of waterproof matches",
    "A shark",
    "A skeleton",
    "A business card",
    "A chest",
    "Gold pieces",
    "A red stone",
    "Driftwood",
    "A small piece of paper",
    "A hut",
    "A bottle of wine",
    "Sacks",
    "A ship",
    "A robe",
    "A goblet",
    "A statue",
    "Scuba gear",
    "An ivory amulet",
    "A burning signal fire",
    "A life preserver",
    "A torch",
    "Some rope",
    "An axe",
    "A gnome",
    "A pill",
    "An anchor",
    "A closet",
    "A key",
    "A sailor",
    "Small brown mushrooms",
};

const char* const nounWords[NOUN_COUNT + 1] = {
    " ",   "NOR", "SOU", "EAS", "WES", "UP",  "DOW", "WRE", "MAT", "SHA", "SKE", "CAR",
    "CHE", "GOL", "STO", "DRI", "PAP", "HUT", "BOT", "SAC", "SHI", "ROB", "GOB", "STA",
    "SCU", "AMU", "FIR", "PRE", "TOR", "ROP", "AXE", "GNO", "PIL", "ANC", "CLO", "KEY",
    "SAI", "WIN", "CLI", "RUN", "BIR", "VIN", "MES", "WAT", "CHA", "NEP", "MUS",
};

const char* const verbWords[VERB_COUNT + 1] = {
    " ",   "GET", "TAK", "GO",  "ENT", "EXI", "JUM", "DIV", "DRO", "LEA", "PUT", "LIG",
    "EXA", "INV", "KIL", "ATT", "REA", "UNL", "LOC", "OPE", "CLO", "POU", "DRI", "SUM",
    "WEA", "RUB", "SHI", "CLI", "TUR", "THR", "GIV", "EXT", "TIE", "EAT", "SAV", "LOA",
};

namespace {
constexpr RoomTraits LAND{true, false, false, false};
constexpr RoomTraits DARK{false, false, false, false};
constexpr RoomTraits SHORELINE{true, false, false, true};  // lit, the bottle floats
constexpr RoomTraits SEA{true, true, false, true};
constexpr RoomTraits SEA_FLOOR{true, true, true, true};
constexpr RoomTraits UNDERWATER{true, false, true, false};
}  // namespace

const RoomTraits roomTraits[ROOM_COUNT + 1] = {
    DARK,                                                             // 0
    SHORELINE,  SEA,        SEA,  SEA,  SEA,  SEA_FLOOR,              // 1..6
    UNDERWATER, UNDERWATER,                                           // 7, 8
    LAND,       SHORELINE,                                            // 9, 10
    LAND,       LAND,       LAND, LAND, LAND, LAND,      LAND, LAND,  // 11..18
    LAND,       LAND,       LAND, LAND, LAND,                         // 19..23
    DARK,       DARK,       DARK, DARK, DARK, DARK,      DARK, DARK,  // 24..31
    DARK,       DARK,       DARK, DARK,                               // 32..35
    LAND,       SHORELINE,                                            // 36, 37
    DARK,       DARK,       DARK,                                     // 38..40
};

namespace {
constexpr Heft P = Heft::PORTABLE;
constexpr Heft F = Heft::FIXED;
constexpr Heft N = Heft::NONE;
}  // namespace

// The anchor is neither: it can be lifted only once the pill is eaten.
const Heft objectHeft[OBJECT_COUNT] = {
    N, N, N, N, N, N, N,  // filler, directions
    N,                    // 7 wreckage
    P,                    // 8 matchbook
    N, N,                 // 9 shark, 10 skeleton
    P,                    // 11 business card
    F,                    // 12 chest
    P,                    // 13 gold
    F,                    // 14 red stone
    P, P,                 // 15 driftwood, 16 paper
    F,                    // 17 hut
    P,                    // 18 bottle
    N,                    // 19 sacks
    F,                    // 20 ship
    P,                    // 21 robe
    N,                    // 22 goblet
    F,                    // 23 statue
    P, P,                 // 24 scuba gear, 25 amulet
    N,                    // 26 signal fire
    P, P, P, P,           // 27 life preserver, 28 torch, 29 rope, 30 axe
    N,                    // 31 gnome
    P,                    // 32 pill
    N, N,                 // 33 anchor, 34 closet
    P,                    // 35 key
    N,                    // 36 sailor
    P,                    // 37 mushrooms
};

int objectNamedBy(int noun) {
  if (noun >= FIRST_OBJECT && noun <= 36) return noun;
  if (noun == NOUN_MUSHROOMS) return MUSHROOMS;
  return 0;
}
