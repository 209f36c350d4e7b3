// The front end for a player in a web browser: a terminal emulator on the
// page shows the game and takes its keys, and the browser's own storage
// keeps the saved game. The page's script (web/page.js) owns the terminal,
// the queue of typed keys and the editing of a command line; the game waits
// on it without blocking the page, and the page goes on while it waits.
#pragma once
#include <cstddef>
#include <cstdint>

// Mounts the browser's storage on the working folder and waits until the
// files kept there (the saved game) are read in. False when the browser
// keeps no storage for the page: the game is then played without saves
// that outlive the page.
bool openWebStorage();

void webClear();
int webReadKey();
bool webKeyWaiting();
bool webReadLine(char* buffer, int capacity);
void webWrite(const char* text, std::size_t length);
std::uint32_t webClock();
void webRemember(const char* line);

// The saved game in the browser's storage: read like a file of the working
// folder, and replaced the way the desktop replaces it (a new file written
// beside the old one, flushed and renamed over it), then made to last by
// writing the folder back to the browser's storage. When that last step
// fails the old save is put back, here and there, and the answer is false.
long webReadFile(const char* name, char* buffer, std::size_t capacity);
bool webReplaceFile(const char* name, const char* bytes, std::size_t length);

// Tells the page that the program has ended, with its status.
void webProgramEnded(int status);
