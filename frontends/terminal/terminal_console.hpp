// The front end for a player at a real terminal: keys are read one at a time
// without echo, lines with the line editor (or the terminal's own echo and
// editing), and nothing typed is echoed while the game is busy. The terminal's settings are put
// back exactly as they were on every way out.
#pragma once

// Takes the one snapshot of the terminal's settings and installs the signal
// handlers that restore it. False when standard input is no terminal.
bool openTerminal();
// Puts the snapshot back.
void closeTerminal();
// With the screen a terminal too: output wrapped to the terminal's width, on
// a screen that can be drawn again (see frontends/screen/screen.hpp).
void openTerminalScreen();
// With the screen a terminal too: draws the screen again after a resize and
// after fg, whenever the game waits for the player.
void watchScreen();
// With the screen a terminal too: lines are typed with the line editor,
// started (its library loaded) when the first line is read, so that a game
// loads it only once a player types. Where it cannot start, one line before
// the prompt says why, and the terminal's own editing is used.
void editLinesWhenTyped();
// Waits until a key can be read; after a resize or fg meanwhile, calls
// repaintScreen to draw what the wait shows.
void waitForKeyboard(void (*repaintScreen)());
// The next byte typed, taken from the keyboard's buffer, which is filled in
// big reads; a wait for it draws the screen again with repaintScreen after a
// resize or fg. Bytes left in the buffer count as keys typed ahead. -1 at
// the end of input.
int nextTypedByte(void (*repaintScreen)());

int terminalReadKey();
bool terminalKeyWaiting();
bool terminalReadLine(char* buffer, int capacity);
void ansiClear();
