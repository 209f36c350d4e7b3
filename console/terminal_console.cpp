#include "console/terminal_console.hpp"

#include <cerrno>
#include <csignal>
#include <cstddef>

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "console/console.hpp"
#include "console/line_reader.hpp"

namespace {

termios snapshot;
volatile sig_atomic_t haveSnapshot = 0;
volatile sig_atomic_t inKeyMode = 0;
LineReader keyboard;
int pendingSecondCode = -1;

// How long the bytes of one special key may straggle behind its escape.
constexpr int ESCAPE_WAIT_MS = 40;

// Second codes for special keys, as the game reports them after a 0.
constexpr int KEY_UP = 72;
constexpr int KEY_DOWN = 80;
constexpr int KEY_RIGHT = 77;
constexpr int KEY_LEFT = 75;
constexpr int KEY_HOME = 71;
constexpr int KEY_END = 79;
constexpr int KEY_INSERT = 82;
constexpr int KEY_DELETE = 83;
constexpr int KEY_PAGE_UP = 73;
constexpr int KEY_PAGE_DOWN = 81;
constexpr int KEY_F1 = 59;
constexpr int KEY_UNKNOWN = 1;

std::size_t readTerminal(char* buffer, std::size_t capacity) {
  for (;;) {
    ssize_t got = ::read(STDIN_FILENO, buffer, capacity);
    if (got > 0) return static_cast<std::size_t>(got);
    if (got < 0 && errno == EINTR) continue;
    return 0;
  }
}

void applyKeyMode() {
  termios raw = snapshot;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  ::tcsetattr(STDIN_FILENO, TCSANOW, &raw);
}

void enterKeyMode() {
  applyKeyMode();
  inKeyMode = 1;
}

void leaveKeyMode() {
  inKeyMode = 0;
  ::tcsetattr(STDIN_FILENO, TCSANOW, &snapshot);
}

void restoreSnapshot() {
  if (haveSnapshot != 0) ::tcsetattr(STDIN_FILENO, TCSANOW, &snapshot);
}

void onEndingSignal(int signal) {
  restoreSnapshot();
  if (signal == SIGINT) {
    (void)!::write(STDOUT_FILENO, "\n", 1);
    ::_exit(130);
  }
  std::signal(signal, SIG_DFL);
  ::raise(signal);
}

void onStopSignal(int /*signal*/) {
  int savedErrno = errno;
  restoreSnapshot();
  std::signal(SIGTSTP, SIG_DFL);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTSTP);
  ::sigprocmask(SIG_UNBLOCK, &stop, nullptr);
  ::raise(SIGTSTP);
  // Here again after fg: take the terminal back the way the game had it.
  struct sigaction again {};
  again.sa_handler = onStopSignal;
  sigemptyset(&again.sa_mask);
  ::sigaction(SIGTSTP, &again, nullptr);
  if (inKeyMode != 0) applyKeyMode();
  errno = savedErrno;
}

void install(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  ::sigaction(signal, &action, nullptr);
}

bool moreBytesSoon() {
  if (hasBufferedBytes(keyboard)) return true;
  pollfd input{STDIN_FILENO, POLLIN, 0};
  return ::poll(&input, 1, ESCAPE_WAIT_MS) > 0;
}

int tildeKeyCode(int number) {
  switch (number) {
    case 1:
    case 7: return KEY_HOME;
    case 2: return KEY_INSERT;
    case 3: return KEY_DELETE;
    case 4:
    case 8: return KEY_END;
    case 5: return KEY_PAGE_UP;
    case 6: return KEY_PAGE_DOWN;
    default: break;
  }
  if (number >= 11 && number <= 15) return KEY_F1 + number - 11;      // F1..F5
  if (number >= 17 && number <= 21) return KEY_F1 + 5 + number - 17;  // F6..F10
  if (number == 23 || number == 24) return 133 + number - 23;         // F11, F12
  return KEY_UNKNOWN;
}

int letterKeyCode(int letter) {
  switch (letter) {
    case 'A': return KEY_UP;
    case 'B': return KEY_DOWN;
    case 'C': return KEY_RIGHT;
    case 'D': return KEY_LEFT;
    case 'H': return KEY_HOME;
    case 'F': return KEY_END;
    case 'P':
    case 'Q':
    case 'R':
    case 'S': return KEY_F1 + letter - 'P';
    default: return KEY_UNKNOWN;
  }
}

// After ESC: a lone escape is the Escape key; ESC [ ... or ESC O x is a
// special key, reported as 0 with its second code pending.
int decodeEscape() {
  if (!moreBytesSoon()) return 27;
  int introducer = nextByte(keyboard);
  if (introducer != '[' && introducer != 'O') {
    // Alt with a key, or two escapes: keep the escape, the rest is read next.
    if (introducer >= 0) pendingSecondCode = introducer;
    return 27;
  }
  int number = 0;
  for (;;) {
    if (!moreBytesSoon()) break;
    int byte = nextByte(keyboard);
    if (byte < 0) break;
    if (byte >= '0' && byte <= '9') {
      number = number * 10 + (byte - '0');
      if (number > 1000) number = 1000;
      continue;
    }
    if (byte == ';') {
      number = 0;  // modifiers: the key is what counts
      continue;
    }
    pendingSecondCode = byte == '~' ? tildeKeyCode(number) : letterKeyCode(byte);
    return 0;
  }
  pendingSecondCode = KEY_UNKNOWN;
  return 0;
}

}  // namespace

bool openTerminal() {
  if (::tcgetattr(STDIN_FILENO, &snapshot) != 0) return false;
  haveSnapshot = 1;
  startReader(keyboard, readTerminal);
  install(SIGINT, onEndingSignal);
  install(SIGTERM, onEndingSignal);
  install(SIGHUP, onEndingSignal);
  install(SIGQUIT, onEndingSignal);
  install(SIGTSTP, onStopSignal);
  return true;
}

void closeTerminal() {
  inKeyMode = 0;
  restoreSnapshot();
}

int terminalReadKey() {
  if (pendingSecondCode >= 0) {
    int code = pendingSecondCode;
    pendingSecondCode = -1;
    return code;
  }
  flushOutput();
  enterKeyMode();
  int key = nextByte(keyboard);
  if (key == 27) key = decodeEscape();
  leaveKeyMode();
  return key;
}

bool terminalKeyWaiting() {
  if (pendingSecondCode >= 0 || hasBufferedBytes(keyboard)) return true;
  enterKeyMode();
  pollfd input{STDIN_FILENO, POLLIN, 0};
  bool waiting = ::poll(&input, 1, 0) > 0;
  leaveKeyMode();
  return waiting;
}

bool terminalReadLine(char* buffer, int capacity) {
  flushOutput();
  pendingSecondCode = -1;
  return readLineFrom(keyboard, buffer, capacity);
}

void ansiClear() {
  say("\x1b[H\x1b[2J");
  flushOutput();
}
