// The game core: the room display, the world's own clock and the mushroom
// visions. The loop that runs games and turns is in app/loop.hpp.
#pragma once

// Clears the screen and shows the current room (or its darkness).
void describeRoom();
bool roomIsLit();

// The ship, the bird, and the match, torch and tanks burning down.
void runTimedEvents();

// What the player sees after eating the mushrooms; one draw of the dice.
void runVisions();
