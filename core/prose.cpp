// The game's longer texts. Each printed line is written on a source line of
// its own, so what you see here is what the player sees on an 80-column
// screen. A line ending in RUN_ON goes on with the next as one paragraph,
// which a narrower screen wraps at its own width: a line end inside a
// sentence always does, and one between two sentences when the next
// sentence's first two words would not have fitted on the line. Where the
// line had room and the text still starts a new one (the statue's shock, the
// gnome's second sword), or a colon sets speech on a line of its own, the
// line end stays at every width, as do blank lines, indented starts, rules
// and centred lines.
#include "core/prose.hpp"

// ---------------------------------------------------------------------------
// Title screen
// ---------------------------------------------------------------------------

const char* const titleScreen =
    "                                   Tidewrack\n"
    "                                   ^^^^^^^^^\n"
    "                              by Tobias Wrenfield\n"
    "                               (Castaway Edition)\n"
    "________________________________________________________________________________\n"
    "\n"
    "     You were sailing your small boat across the warm southern seas, on a" RUN_ON
    "holiday you had more than earned, when a storm came up out of nowhere and" RUN_ON
    "drove you onto a reef.  The boat went down in minutes.  Some time later you" RUN_ON
    "woke up on a shore that appears on no chart you have ever seen.  Your only" RUN_ON
    "hope of getting home is to escape from this place, and to do that you must" RUN_ON
    "tell the game what to do, in commands of one or two words.\n"
    "\n"
    "     Type commands such as GO WEST, GET TORCH, LIGHT TORCH, THROW AXE or" RUN_ON
    "TURN SCUBA (ON).  Any word may be cut to its first three letters, so" RUN_ON
    "LIG TOR and THR AXE will do, and a single word is often enough, above all" RUN_ON
    "for directions: NOR, EAS.  INVENTORY shows what you are carrying, SAVE GAME" RUN_ON
    "saves your game and LOAD GAME picks it up again where you left off.\n"
    "\n"
    "________________________________________________________________________________\n"
    "\n"
    "          Good luck, castaway.  You are going to need it.";

// ---------------------------------------------------------------------------
// The ship that got away
// ---------------------------------------------------------------------------

const char* const missedShipText =
    "The ship sails right past the island.  You should have found some way to" RUN_ON
    "signal it.  Now there is no way off this rock, ever.\n";

// ---------------------------------------------------------------------------
// The chart in the map maker's room
// ---------------------------------------------------------------------------

const char* const chartText =
    "It is a map of the land around you; it shows an underwater cave in the lagoon." RUN_ON
    "Beside the temple an inscription reads: 'Obey the SUMMONS of Neptune'.\n";

// ---------------------------------------------------------------------------
// The temple
// ---------------------------------------------------------------------------

const char* const shrineDeathText =
    "A voice booms through the temple:\n"
    "\"Foolish mortal!  No name but Neptune's may be spoken in this holy shrine!\"\n"
    "\n"
    "A bolt of lightning strikes you dead where you stand.\n";

const char* const offeringText =
    "\"I thank you, mortal.  Your kindness shall not go unrewarded.\"\n"
    "\n"
    "Suddenly there is a blinding flash of light...\n";

const char* const statueDeathText =
    "It is most unwise to lay hands on sacred works of art.\n"
    "An electric current surges through your body.  You are dead!\n";

// ---------------------------------------------------------------------------
// The gnome fight, one narration per exchange
// ---------------------------------------------------------------------------

namespace {

// The lucky blow; two of the eleven outcomes end the fight this way.
const char gnomeBeheaded[] =
    "A quick swing catches the gnome off guard, and your axe takes his head off." RUN_ON
    "The gnome vanishes in a cloud of dark smoke.\n"
    "\n"
    "Suddenly your wounds are healed!\n";

}  // namespace

const char* const gnomeExchangeText[EXCHANGE_OUTCOMES] = {
    // 0: the gnome wins
    "The gnome lunges with a mighty thrust, and his sword pierces your heart." RUN_ON
    "He snickers as you crumple to the floor and die.\n"
    "\n",

    // 1
    "Your axe nicks the gnome's leg, and he drives his sword into your "
    "shoulder.\n",

    // 2
    "Your swing bites deep into the gnome's arm.  He strikes back, but his" RUN_ON
    "sword only glances off the wall behind you.\n",

    // 3
    "You miss completely, and the gnome slips around you to slash your back.\n",

    // 4
    "A mighty swing cuts off most of the gnome's arm.  Enraged, he slashes" RUN_ON
    "back at you, but misses.\n",

    // 5
    "The axe slips from your hand in mid swing, and while you scramble to" RUN_ON
    "recover it, the gnome stabs you in the abdomen.\n",

    // 6
    "Your axe and the gnome's sword clash with a mighty ring.\n",

    // 7
    "Your swing breaks the gnome's sword, but another forms in his hand.\n"
    "While you stare at this, he swings at you and misses.\n",

    // 8
    "The gnome gets through your guard and cuts your face.  You are too" RUN_ON
    "worried about your looks to fight back for the moment.\n",

    // 9 and 10: the gnome loses
    gnomeBeheaded,
    gnomeBeheaded,
};

// ---------------------------------------------------------------------------
// The way home. The sunset is only seen by those who ate the mushrooms; the
// cloud always follows, picking up on the sunset's last line when there is
// one, so that line is kept short.
// ---------------------------------------------------------------------------

const char* const sunsetPassage =
    "\n"
    "You and the small girl stand hand in hand at the ship's railing as the sun" RUN_ON
    "sets on the western horizon.  You have never seen anything so beautiful," RUN_ON
    "and you know everything is going to be fine now.";

const char* const cloudPassage =
    "  The little girl points to a" RUN_ON
    "curious cloud formation and calls out \"Uncle Osric!\"  Looking up at it," RUN_ON
    "you think it might just look a little like you.";

// ---------------------------------------------------------------------------
// The mushroom visions
// ---------------------------------------------------------------------------

const char* const visionSequenceText[DREAM_STAGES] = {
    // 0
    "You are starting to feel a little nervous.\n",

    // 1
    "Your body seems to be vibrating, and your stomach is tense.\n",

    // 2
    "You hear a faint buzzing, or is it a humming?  It may be inside your "
    "head.\n",

    // 3
    "You wonder what is happening to you.  The silence around you is "
    "immense.\n",

    // 4
    "The outlines of everything around you seem to shimmer.\n",

    // 5
    "You catch yourself staring at a tiny pebble on the ground, and wonder" RUN_ON
    "how long you have been standing here.\n",

    // 6
    "You stop, fascinated by the traces your hands leave in the air.\n",

    // 7
    "Your heart swells with a sudden insight: love answers every problem.\n",

    // 8
    "You sense that whoever made this game is watching you, and wishes you "
    "well.\n",
};

const char* const beachSceneText[BEACH_STAGES] = {
    // 9
    "For a moment the tiny plants along the shore tower over you like a huge" RUN_ON
    "rainforest.\n",

    // 10
    "Someone has been building sandcastles here.\n",

    // 11
    "A small girl is playing in the sand.  As you walk towards her, she looks" RUN_ON
    "up with a big smile and says \"Hewwo dere!\"\n",
};

const char* const sailorVisionText =
    "The sailor's face keeps shifting, from a menacing grimace to a blissful" RUN_ON
    "smile and back again.\n";

const char* const treeVisionText =
    "The tree casts strange, crawling shadows on the wall.  Is that a man's "
    "face?\n"
    "\n";

const char* const oceanVisionText = "The immensity of the ocean makes you feel very, very small.\n";

const char* const cliffVisionText =
    "The cracks and crevices of the cliff wall look like an ancient mountain "
    "city.\n";

const char* const deadThingsVisionText =
    "The dead things on the floor seem to writhe, as if maggots crawled under" RUN_ON
    "their skin, and they are inching their way towards you.\n";
