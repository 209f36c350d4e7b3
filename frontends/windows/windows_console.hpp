// The front end for a player at a Windows console: keys are read one at a
// time from the console's input events, lines with the console's own echo
// and editing, and the screen is cleared by filling the screen buffer. The
// console's input mode is put back as it was on every way out, Ctrl-C too.
#pragma once
#include <cstddef>

// True when standard input (or output) is a console rather than a pipe or a
// file.
bool keyboardIsConsole();
bool screenIsConsole();

// Takes the one snapshot of the console's input mode and installs the Ctrl-C
// handler that restores it. False when standard input is no console.
bool openConsole();
// Puts the snapshot back.
void closeConsole();

// Handles Ctrl-C and the console's close button even when neither end is a
// console (a pipe session): the program ends with status 130 after Ctrl-C.
void catchConsoleBreak();

int consoleReadKey();
bool consoleKeyWaiting();
bool consoleReadLine(char* buffer, int capacity);
void consoleClear();

// Standard input and output without the C library's text translation on the
// way in: the line reader sees the bytes as they come (CR LF included).
void useBinaryInput();

// The second code a special key reports after its 0, from its Windows
// virtual-key code; -1 for keys that neither give a character nor are known
// (Shift, Ctrl, Alt, Caps Lock alone and the like), which are ignored.
int specialKeyCode(int virtualKey);
