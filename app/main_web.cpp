// Tidewrack in a web browser, and the same program under Node for tests and
// scripts. On a page the player types into a terminal emulator and the game
// is kept in the browser's storage; under Node the program is the desktop's
// pipe-mode program: standard input and output, the save file in the working
// folder, a form feed for a cleared screen.
#include <cstddef>

#include <emscripten.h>

#include "app/loop.hpp"
#include "console/console.hpp"
#include "disk/disk_files.hpp"
#include "frontends/pipe/pipe_console.hpp"
#include "frontends/web/web_console.hpp"

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
  openWebStorage();
  openWebScreen();
  FrontEnd frontEnd{};
  frontEnd.clearScreen = webClear;
  frontEnd.readKey = webReadKey;
  frontEnd.keyWaiting = webKeyWaiting;
  frontEnd.readLine = webReadLine;
  frontEnd.write = webWrite;
  frontEnd.clock = webClock;
  frontEnd.remember = webRemember;
  frontEnd.readFile = readDiskFile;  // in the folder the browser keeps
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

int main() { return onWebPage() == 1 ? playOnPage() : playInPipe(); }
