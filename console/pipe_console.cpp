#include "console/pipe_console.hpp"

#include <cerrno>
#include <ctime>

#include <unistd.h>

namespace {
LineReader pipeInput;
}

void connectPipeInput(ByteSource source) { startReader(pipeInput, source); }

int pipeReadKey() {
  char line[2];
  if (!readLineFrom(pipeInput, line, sizeof line)) return -1;
  return line[0] == '\0' ? '\n' : static_cast<unsigned char>(line[0]);
}

bool pipeKeyWaiting() { return false; }

bool pipeReadLine(char* buffer, int capacity) { return readLineFrom(pipeInput, buffer, capacity); }

std::size_t readStandardInput(char* buffer, std::size_t capacity) {
  for (;;) {
    ssize_t got = ::read(STDIN_FILENO, buffer, capacity);
    if (got > 0) return static_cast<std::size_t>(got);
    if (got < 0 && errno == EINTR) continue;
    return 0;  // end of input, or input that can no longer be read
  }
}

void writeStandardOutput(const char* text, std::size_t length) {
  while (length > 0) {
    ssize_t wrote = ::write(STDOUT_FILENO, text, length);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return;  // nobody is reading: nothing to be done
    text += wrote;
    length -= static_cast<std::size_t>(wrote);
  }
}

void formFeedClear() { say("\f"); }

std::uint32_t systemClock() { return static_cast<std::uint32_t>(std::time(nullptr)); }
