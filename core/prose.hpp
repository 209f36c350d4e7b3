// The game's longer texts: the room descriptions, the title screen and the
// narrations of the endings, the fight and the visions. Short replies stay
// next to the rules that print them; everything that reads as a story is here.
#pragma once

#include "console/console.hpp"
#include "core/world.hpp"

// Ends a printed line inside a paragraph: the next line goes on with it.
// Spliced into a text where its line runs out ("...on a" RUN_ON "holiday..."),
// it keeps the text reading line for line as it is shown at 80 columns, while
// a narrower screen joins the lines and wraps the paragraph at its own width.
// A line end written as \n stays where it is at every width.
#define RUN_ON "\x1f"
static_assert(RUN_ON[0] == SOFT_LINE_END);

// One fragment per room, 1..40, continuing the words "You are ". Entry 0 is a
// single space and is never shown.
extern const char* const roomDescription[ROOM_COUNT + 1];

// The whole title screen; its last line has no line break, so the cursor
// waits at its end for a key.
extern const char* const titleScreen;

// Printed at the end of the turn on which the ship sails past (two lines).
extern const char* const missedShipText;

// EXAMINE CHART in the bare room (two lines).
extern const char* const chartText;

// The temple: a wrong name spoken in the shrine, the accepted offering, and
// touching the statue.
extern const char* const shrineDeathText;
extern const char* const offeringText;
extern const char* const statueDeathText;

// One narration per outcome of an exchange in the gnome fight, 0..10.
// Outcomes 9 and 10 share one text.
extern const char* const gnomeExchangeText[EXCHANGE_OUTCOMES];

// The winning ending: the sunset passage (only after the mushrooms) and the
// cloud passage that always follows.
extern const char* const sunsetPassage;
extern const char* const cloudPassage;

// The mushroom visions. visionSequenceText[s] is shown at stage s (0..8);
// beachSceneText[s - 9] at stage s (9..11).
extern const char* const visionSequenceText[DREAM_STAGES];
extern const char* const beachSceneText[BEACH_STAGES];
extern const char* const sailorVisionText;      // the shore, with the sailor there
extern const char* const treeVisionText;        // room 38, ends with an empty line
extern const char* const oceanVisionText;       // room 14
extern const char* const cliffVisionText;       // room 22
extern const char* const deadThingsVisionText;  // room 33
