// The game's output on a screen that takes a terminal's escape codes: a real
// terminal, or the terminal emulator of the web page. Lines are wrapped at the
// terminal's width between words (a word is cut only when it is longer than a
// whole row), a rule of underscores is drawn one row wide, and everything
// shown since the screen was last cleared is kept, so that the screen can be
// drawn again as it was: on Ctrl-L, after fg, after a resize. At 80 columns
// or more every line is written exactly as the game said it; narrower, the
// lines of a paragraph (joined by SOFT_LINE_END) are wrapped as one. Nothing
// here allocates.
#pragma once
#include <cstddef>

// Where the screen's bytes go: the terminal's output, or the page.
using ScreenSink = void (*)(const char* bytes, std::size_t length);

// Starts drawing through the sink on a screen of this size.
void openScreen(ScreenSink sink, int columns, int rows);
bool screenIsOpen();
// The screen holds nothing yet (a terminal just made on the page, not one a
// shell has written on): the first clear then moves no blank rows into the
// scrollback. Called right after openScreen.
void markScreenBlank();
// The screen's new size, after a resize; it is drawn again by redrawScreen.
void setScreenSize(int columns, int rows);
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

// A short hint beside the cursor that the game waits for one key (at the
// start of the next row when the cursor's row has no room for it), and its
// erasing once the key has come. A redraw while it shows shows it again.
void showKeyHint();
void eraseKeyHint();
