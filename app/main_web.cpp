// Tidewrack in a web browser, and the same program under Node for tests and
// scripts. On a page the player types into a terminal emulator and the game
// is kept in the browser's storage; under Node the program is the desktop's
// pipe-mode program: standard input and output, the save file in the working
// folder, a form feed for a cleared screen.
#include <cstddef>

#include <emscripten.h>

#include "app/loop.hpp"
#include "console/console.hpp"
#include "core/state.hpp"
#include "disk/disk_files.hpp"
#include "frontends/pipe/pipe_console.hpp"
#include "frontends/web/web_console.hpp"
#include "persistence/save_format.hpp"

// clang-format off
EM_JS(int, onWebPage, (), {
  return (typeof window === 'object' && typeof document === 'object') ? 1 : 0;
});
// clang-format on

namespace {

// As on the desktop: whatever the game said before a SAVE reaches its
// reader, or is known to be lost, before the save goes to disk.
bool replaceAfterOutput(const char* name, const char* bytes, std::size_t length) {
  writeHeldOutput();
  return replaceDiskFile(name, bytes, length);
}

int playOnPage() {
  openWebScreen();
  FrontEnd frontEnd{};
  frontEnd.clearScreen = webClear;
  frontEnd.readKey = webReadKey;
  frontEnd.keyWaiting = webKeyWaiting;
  frontEnd.readLine = webReadLine;
  frontEnd.write = webWrite;  // the screen's layout, which wraps paragraphs
  frontEnd.laysOutParagraphs = true;
  frontEnd.clock = webClock;
  frontEnd.remember = webRemember;
  frontEnd.readFile = webReadFile;  // in the browser's storage
  frontEnd.replaceFile = webReplaceFile;
  setFrontEnd(frontEnd);
  const int status = runProgram();
  flushOutput();
  webProgramEnded(status);
  return status;
}

int playInPipe() {
  FrontEnd frontEnd{};
  frontEnd.clearScreen = formFeedClear;
  frontEnd.write = holdStandardOutput;
  frontEnd.clock = systemClock;
  frontEnd.readFile = readDiskFile;
  frontEnd.replaceFile = replaceAfterOutput;
  readFromPipe(frontEnd, readStandardInputAfterOutput);
  setFrontEnd(frontEnd);
  const int status = runProgram();
  flushOutput();
  writeHeldOutput();
  return status;
}

}  // namespace

// ---- An uploaded file, held to the game's own loader before the page lets
// it take the saved game's place. The page copies the file (at most the
// capacity's bytes) into the upload text and asks, by its whole length,
// whether LOAD would take it: 0 yes, 1 empty, 2 too large, 3 damaged. The
// check changes nothing and never waits, so the page may call it while the
// game waits for a key.

namespace {

char uploadText[SAVE_TEXT_CAPACITY];
GameState uploadGame;

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE char* tidewrackUploadText() { return uploadText; }

EMSCRIPTEN_KEEPALIVE std::size_t tidewrackUploadCapacity() { return sizeof uploadText; }

EMSCRIPTEN_KEEPALIVE int tidewrackCheckUpload(std::size_t length) {
  if (length == 0) return 1;
  // LOAD refuses a larger file without reading it.
  if (length > sizeof uploadText) return 2;
  // As LOAD does: what a save does not hold is taken from the game.
  uploadGame = game;
  return parseSavedGame(uploadText, length, uploadGame) ? 0 : 3;
}

}  // extern "C"

int main() { return onWebPage() == 1 ? playOnPage() : playInPipe(); }
