// Tidewrack: shipwrecked on a small tropical isle, find a way home.
// The program entry for Windows: a console when there is one, and the same
// pipe behaviour as everywhere else when input or output is redirected.
#include "app/loop.hpp"
#include "console/console.hpp"
#include "core/game.hpp"
#include "disk/disk_files.hpp"
#include "frontends/pipe/pipe_console.hpp"
#include "frontends/streams/standard_streams.hpp"
#include "frontends/windows/windows_console.hpp"

int main() {
  useBinaryInput();
  const bool screenIsTerminal = screenIsConsole();

  FrontEnd frontEnd{};
  frontEnd.clearScreen = screenIsTerminal ? consoleClear : formFeedClear;
  frontEnd.write = writeStandardOutput;
  frontEnd.clock = systemClock;
  frontEnd.readFile = readDiskFile;
  frontEnd.replaceFile = replaceDiskFile;
  whenOutputLost(closeConsole);
  if (keyboardIsConsole() && openConsole()) {
    frontEnd.readKey = consoleReadKey;
    frontEnd.keyWaiting = consoleKeyWaiting;
    frontEnd.readLine = consoleReadLine;
  } else {
    catchConsoleBreak();
    readFromPipe(frontEnd, readStandardInput);
  }
  setFrontEnd(frontEnd);

  const int status = runProgram();
  flushOutput();
  closeConsole();
  return status;
}
