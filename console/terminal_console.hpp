// The front end for a player at a real terminal: keys are read one at a time
// without echo, lines with the terminal's own echo and editing, and the
// screen is cleared with escape sequences. The terminal's settings are put
// back exactly as they were on every way out.
#pragma once

// Takes the one snapshot of the terminal's settings and installs the signal
// handlers that restore it. False when standard input is no terminal.
bool openTerminal();
// Puts the snapshot back.
void closeTerminal();

int terminalReadKey();
bool terminalKeyWaiting();
bool terminalReadLine(char* buffer, int capacity);
void ansiClear();
