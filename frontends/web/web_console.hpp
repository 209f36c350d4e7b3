// The front end for a player in a web browser: a terminal emulator on the
// page shows the game and takes its keys, and the browser's own storage
// keeps the saved game. The page's script (frontends/web/page.js) owns the terminal,
// the queue of typed keys and the editing of a command line; the game waits
// on it without blocking the page, and the page goes on while it waits.
#pragma once
#include <cstddef>
#include <cstdint>

// Starts the screen's layout at the size of the terminal on the page: lines
// are wrapped between words at its width, as at a real terminal, and a clear
// moves the screen into the terminal's scrollback.
void openWebScreen();

void webClear();
int webReadKey();
bool webKeyWaiting();
bool webReadLine(char* buffer, int capacity);
void webWrite(const char* text, std::size_t length);
std::uint32_t webClock();
void webRemember(const char* line);

// The player's files (the saved game) in the browser's storage, which every
// tab of the page shares. A read finds the newest save of any tab; a save
// is kept by the browser whole or not at all, and true only once it is.
// When the browser will not keep it (its storage full, blocked, missing or
// cleared meanwhile), the page keeps it for the rest of the visit, offers it
// for download and says why; a read then finds it while it is the newest.
long webReadFile(const char* name, char* buffer, std::size_t capacity);
bool webReplaceFile(const char* name, const char* bytes, std::size_t length);

// Tells the page that the program has ended, with its status.
void webProgramEnded(int status);
