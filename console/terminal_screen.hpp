// The game's output on a terminal's screen. Lines are wrapped at the
// terminal's width between words (a word is cut only when it is longer than a
// whole row), a rule of underscores is drawn one row wide, and everything
// shown since the screen was last cleared is kept, so that the screen can be
// drawn again as it was: on Ctrl-L, after fg, after a resize. A line that fits
// the width is written exactly as the game said it. Nothing here allocates.
#pragma once
#include <cstddef>

// Starts drawing on standard output, which is a terminal, at its size.
void openScreen();
bool screenIsOpen();
// Reads the terminal's size again (after a resize).
void readScreenSize();
int screenColumns();

// The front end's write and clear.
void screenWrite(const char* text, std::size_t length);
// Moves what is on the screen into the terminal's scrollback, then clears it
// and homes the cursor, so that scrolling back shows every earlier screen.
void screenClear();
// Puts on the screen what screenWrite still holds (the last word of an
// unfinished line, and its spaces). Called before every wait for the player.
void showHeldOutput();

// A line the player typed and ended with Enter, as the line editor showed it
// after its prompt.
void noteTypedLine(const char* prompt, const char* line);
// A line the player typed after the text already on the cursor's row (the
// terminal's own line editing echoed it).
void noteAnsweredLine(const char* line);
// Forgets the text on the cursor's row: the line editor draws it again.
void forgetCursorLine();

// Draws the kept screen again from the top at the present width, showing its
// latest rows, with rowsBelow rows left free below the cursor's row.
void redrawScreen(int rowsBelow);

// A short hint beside the cursor that the game waits for one key, and its
// erasing once the key has come.
void showKeyHint();
void eraseKeyHint();
