// The forty rooms of the island, each written to follow the words "You are ".
// A description may run over several lines; every line fits the 80-column
// screen with room to spare, the first one together with "You are ".
#include "core/prose.hpp"

const char* const roomDescription[ROOM_COUNT + 1] = {
    // 0: never shown
    " ",

    // 1: the shore where the story starts and, with luck, ends
    "on a tropical shore. The sea stretches away to the east, and to the\n"
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
    "on the floor of the lagoon. A shark circles overhead, eyeing you with\n"
    "interest. The dark mouth of a cave opens to the south.",

    // 7
    "in a small underwater cave. A message is scrawled in chalk on the\n"
    "north wall, and a skeleton sits slumped against the south wall.",

    // 8
    "in a small alcove. A large chest stands against the back wall, with\n"
    "the initials M.V. burned deep into its lid.",

    // 9
    "on a sandy beach. Near the water's edge lies a large red stone with a\n"
    "message carved into it.",

    // 10
    "in a cove where the waves break against sheer rock walls, leaving\n"
    "flotsam stranded on the sand.",

    // 11
    "at the edge of the beach. The jungle begins to the west, and a small\n"
    "hut stands a little way to the north.",

    // 12
    "outside a small hut. The air here is very hot and very still.",

    // 13: no exits; EXIT HUT is the way out
    "inside the dusty hut. Sacks of rotten food sag on the shelves, and the\n"
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
    "in a clearing before an ancient temple smothered in vines. Its\n"
    "entrance lies to the west.",

    // 19
    "in the entrance chamber of the temple. A statue of a bearded man\n"
    "holding a trident towers over you.",

    // 20
    "in the preparation chamber of the temple. Strange runes are carved\n"
    "into the south wall.",

    // 21
    "in the prayer room of the temple. Red smoke curls through the air.\n"
    "A green stone altar bears a golden goblet, and behind it stands a\n"
    "large statue of the bearded man.",

    // 22
    "on a narrow ledge by an opening in the cliff wall. Far below you, the\n"
    "surf thunders against the rocks.",

    // 23
    "in a cave complex. A small tunnel leads east, and passages wind off\n"
    "to the north and to the west.",

    // 24
    "in a majestic bedroom, far too grand for a hole in a cliff.\n"
    "A brass plaque on the wall reads 'Quarters of Captain Mordecai Vane'.\n"
    "A large watch has been welded to the wall beside it.\n"
    "A short passage leads north.",

    // 25
    "in a dingy store room. Most of the supplies are long gone.",

    // 26
    "in a small, well-kept room. The counter is painted with the words\n"
    "'Quarrel & Sons, Fine Hardware'.",

    // 27
    "in a nondescript room. A sign reads 'Edwin Pellow, Map Maker', and\n"
    "a chart is pinned to the wall.",

    // 28
    "in a hall. Rubble lies around a small hole in the west wall, and\n"
    "light filters in through an opening to the north.",

    // 29
    "on the south edge of a deep chasm. Far below, a hole at the bottom\n"
    "opens out onto the beach. Across the gap, on the far ledge, a gnarled\n"
    "tree grows out of the rock.",

    // 30
    "at the entrance of a natural cave system. A rough tunnel leads south.",

    // 31
    "in a large cavern. Water drips from the stalactites overhead, and an\n"
    "arched exit leads west.",

    // 32
    "in a small ante room. An awful smell drifts up from a passage to the\n"
    "south.",

    // 33: the gnome's room
    "in a cylindrical room. Dead things lie strewn about the floor, and a\n"
    "crumbling portal leads west.",

    // 34
    "in a partly caved-in room. A chute leads down into the dark.",

    // 35
    "near a stairway going down into the gloom.",

    // 36
    "at the bottom of the chasm. Stairs lead up, and daylight spills in\n"
    "through an opening to the west.",

    // 37
    "at the bottom of the cliff, in a tiny cove where the ocean crashes on\n"
    "the rocks.",

    // 38
    "on the north edge of a chasm, beside a tree. A tunnel leads north.",

    // 39
    "in a small, clean room. The walls are painted with the words\n"
    "'Tumbler & Ward, Locksmiths'. To the east is a walk-in closet, and\n"
    "the label on its door reads 'KEYS'.",

    // 40
    "in a large closet with many pegs on the wall.",
};
