// The forty rooms of the island, each written to follow the words "You are ".
// A description may run over several lines; every line fits the 80-column
// screen with room to spare, the first one together with "You are ". Most
// are one paragraph, their lines joined by RUN_ON; the bedroom's lines are
// the things on its walls, one to a line, and stay so.
#include "core/prose.hpp"

// Each printed line on a source line of its own, as at 80 columns.
// clang-format off
const char* const roomDescription[ROOM_COUNT + 1] = {
    // 0: never shown
    " ",

    // 1: the shore where the story starts and, with luck, ends
    "on a tropical shore. The sea stretches away to the east, and to the" RUN_ON
    "north the beach curls round into a small cove.",

    // 2
    "near a coral reef, swimming among brightly coloured fish and plants.",

    // 3
    "at a coral reef strewn with the wreckage of your poor little boat.",

    // 4: the open sea goes round in circles
    "in the open sea beyond the reef, and every wave looks like the last.",

    // 5
    "floating on a calm lagoon. Far below you, a shark glides lazily about.",

    // 6
    "on the floor of the lagoon. A shark circles overhead, eyeing you with" RUN_ON
    "interest. The dark mouth of a cave opens to the south.",

    // 7
    "in a small underwater cave. A message is scrawled in chalk on the" RUN_ON
    "north wall, and a skeleton sits slumped against the south wall.",

    // 8
    "in a small alcove. A large chest stands against the back wall, with" RUN_ON
    "the initials M.V. burned deep into its lid.",

    // 9
    "on a sandy beach. Near the water's edge lies a large red stone with a" RUN_ON
    "message carved into it.",

    // 10
    "in a cove where the waves break against sheer rock walls, leaving" RUN_ON
    "flotsam stranded on the sand.",

    // 11
    "at the edge of the beach. The jungle begins to the west, and a small" RUN_ON
    "hut stands a little way to the north.",

    // 12
    "outside a small hut. The air here is very hot and very still.",

    // 13: no exits; EXIT HUT is the way out
    "inside the dusty hut. Sacks of rotten food sag on the shelves, and the" RUN_ON
    "smell suggests that you should not linger.",

    // 14
    "on a clifftop overlooking the ocean. You can see for miles.",

    // 15
    "on a hill that leads up towards a cliff. Jungle lies to the north.",

    // 16
    "in a dense jungle, loud with the chatter of small animals.",

    // 17: where the bird drops by
    "in a dense jungle. The creatures here are strangely quiet.",

    // 18
    "in a clearing before an ancient temple smothered in vines. Its" RUN_ON
    "entrance lies to the west.",

    // 19
    "in the entrance chamber of the temple. A statue of a bearded man" RUN_ON
    "holding a trident towers over you.",

    // 20
    "in the preparation chamber of the temple. Strange runes are carved" RUN_ON
    "into the south wall.",

    // 21
    "in the prayer room of the temple. Red smoke curls through the air." RUN_ON
    "A green stone altar bears a golden goblet, and behind it stands a" RUN_ON
    "large statue of the bearded man.",

    // 22
    "on a narrow ledge by an opening in the cliff wall. Far below you, the" RUN_ON
    "surf thunders against the rocks.",

    // 23
    "in a cave complex. A small tunnel leads east, and passages wind off" RUN_ON
    "to the north and to the west.",

    // 24
    "in a majestic bedroom, far too grand for a hole in a cliff.\n"
    "A brass plaque on the wall reads 'Quarters of Captain Mordecai Vane'.\n"
    "A large watch has been welded to the wall beside it.\n"
    "A short passage leads north.",

    // 25
    "in a dingy store room. Most of the supplies are long gone.",

    // 26
    "in a small, well-kept room. The counter is painted with the words" RUN_ON
    "'Quarrel & Sons, Fine Hardware'.",

    // 27
    "in a nondescript room. A sign reads 'Edwin Pellow, Map Maker', and" RUN_ON
    "a chart is pinned to the wall.",

    // 28
    "in a hall. Rubble lies around a small hole in the west wall, and" RUN_ON
    "light filters in through an opening to the north.",

    // 29
    "on the south edge of a deep chasm. Far below, a hole at the bottom" RUN_ON
    "opens out onto the beach. Across the gap, on the far ledge, a gnarled" RUN_ON
    "tree grows out of the rock.",

    // 30
    "at the entrance of a natural cave system. A rough tunnel leads south.",

    // 31
    "in a large cavern. Water drips from the stalactites overhead, and an" RUN_ON
    "arched exit leads west.",

    // 32
    "in a small ante room. An awful smell drifts up from a passage to the" RUN_ON
    "south.",

    // 33: the gnome's room
    "in a cylindrical room. Dead things lie strewn about the floor, and a" RUN_ON
    "crumbling portal leads west.",

    // 34
    "in a partly caved-in room. A chute leads down into the dark.",

    // 35
    "near a stairway going down into the gloom.",

    // 36
    "at the bottom of the chasm. Stairs lead up, and daylight spills in" RUN_ON
    "through an opening to the west.",

    // 37
    "at the bottom of the cliff, in a tiny cove where the ocean crashes on" RUN_ON
    "the rocks.",

    // 38
    "on the north edge of a chasm, beside a tree. A tunnel leads north.",

    // 39
    "in a small, clean room. The walls are painted with the words" RUN_ON
    "'Tumbler & Ward, Locksmiths'. To the east is a walk-in closet, and" RUN_ON
    "the label on its door reads 'KEYS'.",

    // 40
    "in a large closet with many pegs on the wall.",
};
// clang-format on
