// Tidewrack: shipwrecked on a small tropical isle, find a way home.
#include <csignal>
#include <cstddef>

#include <unistd.h>

#include "app/loop.hpp"
#include "console/console.hpp"
#include "core/game.hpp"
#include "disk/disk_files.hpp"
#include "frontends/pipe/pipe_console.hpp"
#include "frontends/screen/screen.hpp"
#include "frontends/streams/standard_streams.hpp"
#include "frontends/terminal/line_editor.hpp"
#include "frontends/terminal/terminal_console.hpp"

namespace {

// Whatever the game said before a SAVE reaches its reader, or is known to be
// lost (which stops the program), before the save goes to disk.
bool replaceAfterOutput(const char* name, const char* bytes, std::size_t length) {
  writeHeldOutput();
  return replaceDiskFile(name, bytes, length);
}

}  // namespace

int main() {
  // A closed screen is an output that failed (see writeStandardOutput), and
  // a file-size limit is a save that failed: neither kills the game.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  const bool keyboardIsTerminal = ::isatty(STDIN_FILENO) == 1;
  const bool screenIsTerminal = ::isatty(STDOUT_FILENO) == 1;

  FrontEnd frontEnd{};
  frontEnd.clearScreen = screenIsTerminal ? ansiClear : formFeedClear;
  frontEnd.write = writeStandardOutput;
  frontEnd.clock = systemClock;
  frontEnd.readFile = readDiskFile;
  frontEnd.replaceFile = replaceAfterOutput;
  whenOutputLost(closeTerminal);
  if (keyboardIsTerminal && openTerminal()) {
    // Output wrapped to the terminal's width, a screen that can be drawn
    // again, and line editing with a history of commands, when the player
    // both types and sees the line on the terminal.
    if (screenIsTerminal) {
      editLinesWhenTyped();
      frontEnd.remember = rememberLine;
      openTerminalScreen();
      watchScreen();
      frontEnd.write = screenWrite;
      frontEnd.clearScreen = screenClear;
      frontEnd.laysOutParagraphs = true;
    }
    frontEnd.readKey = terminalReadKey;
    frontEnd.keyWaiting = terminalKeyWaiting;
    frontEnd.readLine = terminalReadLine;
  } else {
    frontEnd.write = holdStandardOutput;
    readFromPipe(frontEnd, readStandardInputAfterOutput);
  }
  setFrontEnd(frontEnd);

  const int status = runProgram();
  flushOutput();
  if (screenIsOpen()) showHeldOutput();
  writeHeldOutput();
  closeTerminal();
  return status;
}
