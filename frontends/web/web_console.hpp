// The front end for a player in a web browser: a terminal emulator on the
// page shows the game and takes its keys, and the browser's own storage
// keeps the saved game. The page's script (frontends/web/page.js) owns the terminal,
// the queue of typed keys and the editing of a command line; the game waits
// on it without blocking the page, and the page goes on while it waits.
#pragma once
#include <cstddef>
#include <cstdint>

// Mounts the browser's storage on the working folder and waits until the
// files kept there (the saved game) are read in. False when the browser
// keeps no storage for the page: SAVE then says that the game could not be
// saved, and LOAD finds no saved game.
bool openWebStorage();

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

// The saved game in the browser's storage. The working folder is the one
// the browser keeps, so files are read there as on the desktop
// (readDiskFile); a save replaces its file the way the desktop does (written
// beside the old one, flushed, renamed over it), and then the folder is
// written back to the browser's storage. When that last step fails the old
// save is put back, and the answer is false. Without the browser's storage
// nothing is saved.
bool webReplaceFile(const char* name, const char* bytes, std::size_t length);

// LOAD's read of a file in the kept folder: the browser's storage is read
// afresh first, so that a save made in another tab of the page is found.
long webReadFile(const char* name, char* buffer, std::size_t capacity);

// Tells the page that the program has ended, with its status.
void webProgramEnded(int status);
