// The loop of games and turns, and the dispatch of each command to the
// handler of its verb. It sits above everything it calls: the room display
// and the world's clock, the parser, the verbs and the saved game.
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
