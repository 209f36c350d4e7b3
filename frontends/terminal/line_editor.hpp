// Line editing at a terminal: the cursor keys, the Emacs keys and a history
// of this run's commands, for the player typing a command or an answer. The
// game's own words are untouched; only the typing of a line gets better.
// The history lives in memory only and is gone when the program ends.
#pragma once

// Where the editor's keys come from: the next byte typed, -1 at the end of
// input. A wait for it draws the screen again with repaintScreen after a
// resize or fg.
using TypedByteSource = int (*)(void (*repaintScreen)());

// Starts the editor on standard input and output, with its keys from typed,
// loading its library the first time. False when it cannot run there, with
// why set to the reason, in a few words (none in a build without it); the
// terminal's own line editing is used instead.
bool openLineEditor(TypedByteSource typed, const char*& why);
void closeLineEditor();
bool lineEditorOpen();

// Reads one line with editing. prompt is the text already said on the line
// the cursor stands on (not yet written: the editor shows it, so that it can
// redraw the line and wrap a long one). The line never holds more than
// capacity - 1 bytes: a key that would type past them is refused with one
// beep, and so is the rest of a paste, up to the next key that is no
// character (Enter, Backspace, an arrow). False at the end of input (Ctrl-D
// on an empty line), buffer untouched.
bool editLine(const char* prompt, char* buffer, int capacity);

// Adds a command to the history that Up and Down walk through. Empty lines
// and a repeat of the latest command are not added.
void rememberLine(const char* line);
