// The game core: the loop of games and turns, the room display, the world's
// own clock and the mushroom visions.
#pragma once

// Runs games until the player declines another one, or the input ends.
// Starts from a fresh program's state and returns the exit status.
int runProgram();

// One turn: display, visions, timed events, one command and the endings.
void playTurn();

void showTitle();
void dispatchCommand();
void checkEndOfTurn();
void askPlayAgain();

// Clears the screen and shows the current room (or its darkness).
void describeRoom();
bool roomIsLit();

// The ship, the bird, and the match, torch and tanks burning down.
void runTimedEvents();

// What the player sees after eating the mushrooms; one draw of the dice.
void runVisions();
