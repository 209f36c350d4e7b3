#include "frontends/terminal/terminal_console.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "console/console.hpp"
#include "console/keys.hpp"
#include "frontends/screen/screen.hpp"
#include "frontends/streams/line_reader.hpp"
#include "frontends/streams/standard_streams.hpp"
#include "frontends/terminal/line_editor.hpp"

namespace {

// The player's settings, taken once before the game changes anything. Every
// way out puts back this whole record, never a repaired copy of it.
termios snapshot;
volatile sig_atomic_t haveSnapshot = 0;
// Set while a key is being read: the terminal is then without echo and hands
// over every byte at once. Raised before the settings change and lowered
// before they change back, so a stop and fg in between find it right.
volatile sig_atomic_t inKeyMode = 0;
// A resize, and a return from a stop: the screen is drawn again at the next
// wait for the player. Both signals are held back while the game is busy and
// taken only while it waits, so that a wait can answer them.
volatile sig_atomic_t sizeChanged = 0;
volatile sig_atomic_t continued = 0;
// Ctrl-L, typed in a line read with the terminal's own editing.
bool redrawAsked = false;
sigset_t heldSignals;
sigset_t waitMask;
volatile sig_atomic_t screenSignalsHeld = 0;
// Set while a single key is read with the screen watched: the cursor then
// stands where the key hint may be.
volatile sig_atomic_t atKeyHint = 0;
// What the present wait shows on the screen, drawn again after a resize or
// fg; none when the screen is no terminal.
void (*repaint)() = nullptr;
// Keys of an unfinished line taken over from the terminal's own editing on a
// redraw, to be read as typed.
char carried[256];
std::size_t carriedLength = 0;
// While a line is read with the terminal's own editing: its part handed over
// to the game's reading so far (after a Ctrl-L, or taken over on a redraw),
// shown again after the prompt on every redraw.
bool readingLine = false;
char lineSoFar[256];
std::size_t lineSoFarLength = 0;
// The line editor is to be started when the first line is read.
bool editorWanted = false;
LineReader keyboard;
int pendingSecondCode = -1;

// How long the bytes of one special key, or of one UTF-8 character, may
// straggle behind its first byte.
constexpr int STRAGGLER_WAIT_MS = 40;

constexpr int ESCAPE = 27;
constexpr char CTRL_L = 0x0c;

// The longest prompt line and typed-ahead run handed to the line editor.
constexpr std::size_t PROMPT_CAPACITY = 256;

// Faults that end the program: the terminal is put back before whoever
// handled them before (the default action, or a memory checker) takes over.
constexpr int FATAL_SIGNALS[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int FATAL_COUNT = sizeof FATAL_SIGNALS / sizeof FATAL_SIGNALS[0];
struct sigaction previousFatal[FATAL_COUNT];

// Every other signal that ends a program unless it is caught (the real-time
// ones too): the terminal is put back first, then the program ends the way
// the signal ends it.
constexpr int ENDING_SIGNALS[] = {
    SIGINT,    SIGTERM, SIGHUP,  SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM,
    SIGVTALRM, SIGPROF, SIGXCPU, SIGXFSZ, SIGTRAP, SIGSYS,
#ifdef SIGIO
    SIGIO,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
};

void readTerminalSize() {
  winsize size{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0) setScreenSize(size.ws_col, size.ws_row);
}

// A resize or fg held back while the game was busy is taken at once, even
// when keys are already there to be read: a wait that finds input ready
// returns without taking a signal, and the redraw would then come at some
// later wait, in the middle of what was typed after it.
void takeHeldSignals() {
  if (screenSignalsHeld == 0) return;
  sigset_t pending;
  if (::sigpending(&pending) != 0) return;
  if (sigismember(&pending, SIGWINCH) == 1 || sigismember(&pending, SIGCONT) == 1) {
    sigset_t busy;
    ::sigprocmask(SIG_SETMASK, &waitMask, &busy);
    ::sigprocmask(SIG_SETMASK, &busy, nullptr);
  }
}

// Waits until a key can be read (or the terminal is gone), drawing the
// screen again after a resize or a stop.
void waitForInput() {
  for (;;) {
    if (sizeChanged != 0 || continued != 0 || redrawAsked) {
      if (sizeChanged != 0) readTerminalSize();
      sizeChanged = 0;
      continued = 0;
      redrawAsked = false;
      if (repaint != nullptr) repaint();
    }
    if (carriedLength > 0) return;  // keys taken over from the terminal
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready =
        screenSignalsHeld != 0 ? ::ppoll(&input, 1, nullptr, &waitMask) : ::poll(&input, 1, -1);
    if (ready < 0 && errno == EINTR) continue;
    // A terminal that has gone away is not drawn on: the read finds its end.
    if (ready < 0 || (input.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return;
    takeHeldSignals();
    if (sizeChanged == 0 && continued == 0) return;
  }
}

// Bytes of a line read with the terminal's own editing: each Ctrl-L is taken
// out and asks for a redraw (it ends the terminal's line, so that the game
// sees it at once), and the rest is kept to be shown again.
std::size_t takeLineBytes(char* buffer, std::size_t length) {
  if (!readingLine) return length;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (buffer[i] == CTRL_L && repaint != nullptr) {
      redrawAsked = true;
      continue;
    }
    buffer[kept++] = buffer[i];
    if (buffer[kept - 1] == '\n') {
      lineSoFarLength = 0;
    } else if (lineSoFarLength < sizeof lineSoFar) {
      lineSoFar[lineSoFarLength++] = buffer[kept - 1];
    }
  }
  return kept;
}

std::size_t readTerminal(char* buffer, std::size_t capacity) {
  for (;;) {
    if (carriedLength == 0) waitForInput();
    if (carriedLength > 0) {
      const std::size_t length = carriedLength < capacity ? carriedLength : capacity;
      std::memcpy(buffer, carried, length);
      carriedLength = 0;
      const std::size_t kept = takeLineBytes(buffer, length);
      if (kept > 0) return kept;
      continue;
    }
    ssize_t got = ::read(STDIN_FILENO, buffer, capacity);
    if (got > 0) {
      const std::size_t kept = takeLineBytes(buffer, static_cast<std::size_t>(got));
      if (kept > 0) return kept;
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      waitForInput();  // someone left the terminal non-blocking
      continue;
    }
    return 0;  // end of input, or a terminal that has gone away
  }
}

void applyKeyMode() {
  termios raw = snapshot;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  ::tcsetattr(STDIN_FILENO, TCSANOW, &raw);
}

void restoreSnapshot() {
  if (haveSnapshot != 0) ::tcsetattr(STDIN_FILENO, TCSANOW, &snapshot);
}

// While a line is read with the terminal's own editing: the player's
// settings, with Ctrl-L (where the screen can be drawn again) also ending the
// terminal's line, on whichever of its two extra line ends the player left
// unused.
void applyLineMode() {
  termios line = snapshot;
  if (repaint != nullptr) {
    const cc_t unused = _POSIX_VDISABLE;
    if (line.c_cc[VEOL] == unused) {
      line.c_cc[VEOL] = CTRL_L;
    } else if (line.c_cc[VEOL2] == unused) {
      line.c_cc[VEOL2] = CTRL_L;
    }
  }
  ::tcsetattr(STDIN_FILENO, TCSANOW, &line);
}

// While the game is busy: the player's settings without echo, so that a key
// typed then never shows unless the game reads it into a line.
void applyQuietMode() {
  termios quiet = snapshot;
  quiet.c_lflag &= static_cast<tcflag_t>(~(ECHO | ECHONL));
  ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
}

void enterKeyMode() {
  inKeyMode = 1;
  applyKeyMode();
}

void leaveKeyMode() {
  inKeyMode = 0;
  applyQuietMode();
}

void onSizeChange(int /*signal*/) { sizeChanged = 1; }
void onContinue(int /*signal*/) { continued = 1; }

// The screen of a key wait.
void repaintKeyWait() {
  redrawScreen(0);
  showKeyHint();
}

// Takes over the keys the terminal holds for a line not yet read (its own
// editing already done): they are read before anything typed later. A
// Ctrl-L among them asked for the redraw that is under way, or for none yet.
void takeOverTypedKeys() {
  termios now{};
  if (::tcgetattr(STDIN_FILENO, &now) != 0) return;
  termios take = now;
  take.c_lflag &= static_cast<tcflag_t>(~ICANON);
  take.c_cc[VMIN] = 0;
  take.c_cc[VTIME] = 0;
  ::tcsetattr(STDIN_FILENO, TCSANOW, &take);
  while (carriedLength < sizeof carried) {
    const ssize_t got =
        ::read(STDIN_FILENO, carried + carriedLength, sizeof carried - carriedLength);
    if (got <= 0) break;
    char* from = carried + carriedLength;
    carriedLength = static_cast<std::size_t>(std::remove(from, from + got, CTRL_L) - carried);
  }
  ::tcsetattr(STDIN_FILENO, TCSANOW, &now);
}

// The screen of a line typed with the terminal's own editing: the part of
// the line typed so far is taken over from the terminal and shown after the
// prompt again.
void repaintTypedLine() {
  takeOverTypedKeys();
  redrawScreen(0);
  writeStandardOutput(lineSoFar, lineSoFarLength);
  writeStandardOutput(carried, carriedLength);
}

void install(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  // A read under way goes on after a stop and fg, as if nothing happened.
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  ::sigaction(signal, &action, nullptr);
}

// A signal the game was started to ignore (nohup, a background job) stays
// ignored.
void installUnlessIgnored(int signal, void (*handler)(int)) {
  struct sigaction current {};
  if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) return;
  install(signal, handler);
}

// Ctrl-C, kill, a closed terminal window: put the terminal back and go.
void onEndingSignal(int signal) {
  restoreSnapshot();
  if (signal == SIGINT) {
    // At a key wait the cursor stands on the key hint: it goes first.
    if (atKeyHint != 0) (void)!::write(STDOUT_FILENO, "\x1b[K", 3);
    (void)!::write(STDOUT_FILENO, "\n", 1);
    ::_exit(130);
  }
  // End the way the signal ends a program, so that whoever started the game
  // sees what stopped it. It arrives as soon as this handler returns.
  install(signal, SIG_DFL);
  ::raise(signal);
}

// SIGPIPE: the one the kernel sends for a write to a pipe nobody reads is
// passed over, so that the write fails with EPIPE and the game stops as for
// any lost output; Linux sends that one as from the game's own process. One
// sent by another process (kill -PIPE) ends the game like any ending signal.
void onPipeSignal(int signal, siginfo_t* info, void* /*context*/) {
  if (info != nullptr && info->si_code == SI_USER && info->si_pid == ::getpid()) return;
  onEndingSignal(signal);
}

void installPipeHandler() {
  struct sigaction action {};
  action.sa_sigaction = onPipeSignal;
  action.sa_flags = SA_SIGINFO | SA_RESTART;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGPIPE, &action, nullptr);
}

// Ctrl-Z: the terminal is the player's while the game is stopped; after fg
// the game takes it back the way it had it and goes on waiting.
void onStopSignal(int /*signal*/) {
  int savedErrno = errno;
  // The settings of the moment: a key being read, or a line being edited.
  termios atStop;
  const bool haveAtStop = ::tcgetattr(STDIN_FILENO, &atStop) == 0;
  restoreSnapshot();
  install(SIGTSTP, SIG_DFL);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTSTP);
  ::sigprocmask(SIG_UNBLOCK, &stop, nullptr);
  ::raise(SIGTSTP);
  // Here again after fg.
  install(SIGTSTP, onStopSignal);
  // Put back the settings of the moment; the shell may have left its own.
  if (haveAtStop) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &atStop);
  } else if (inKeyMode != 0) {
    applyKeyMode();
  } else {
    restoreSnapshot();
  }
  errno = savedErrno;
}

void onFatalSignal(int signal, siginfo_t* info, void* /*context*/) {
  restoreSnapshot();
  for (int i = 0; i < FATAL_COUNT; ++i) {
    if (FATAL_SIGNALS[i] == signal) ::sigaction(signal, &previousFatal[i], nullptr);
  }
  // A fault of the program's own happens again when this handler returns;
  // a signal sent from outside has to be sent again.
  if (info == nullptr || info->si_code <= 0) ::raise(signal);
}

void installFatalHandlers() {
  for (int i = 0; i < FATAL_COUNT; ++i) {
    struct sigaction action {};
    action.sa_sigaction = onFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    ::sigaction(FATAL_SIGNALS[i], &action, &previousFatal[i]);
  }
}

// True when another byte is already here or arrives within a moment.
bool moreBytesSoon() {
  if (hasBufferedBytes(keyboard)) return true;
  pollfd input{STDIN_FILENO, POLLIN, 0};
  return ::poll(&input, 1, STRAGGLER_WAIT_MS) > 0;
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
  if (number == 23 || number == 24) return KEY_F11 + number - 23;     // F11, F12
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
    case 'S': return KEY_F1 + letter - 'P';  // F1..F4
    default: return KEY_UNKNOWN;
  }
}

// After ESC. A lone escape is the Escape key, and so is an escape followed
// by anything but '[' or 'O' (Alt with a key): that key is then read as a
// key of its own. ESC [ ... and ESC O x are one special key, reported as 0
// with its second code pending. ESC [ [ A..E are F1..F5 on the Linux console.
int decodeEscape() {
  if (!moreBytesSoon()) return ESCAPE;
  int introducer = peekByte(keyboard);
  if (introducer != '[' && introducer != 'O') return ESCAPE;
  nextByte(keyboard);
  int number = 0;
  bool numberDone = false;  // after ';' come modifiers: the key is what counts
  bool consoleFunctionKey = false;
  bool first = true;
  pendingSecondCode = KEY_UNKNOWN;
  while (moreBytesSoon()) {
    int byte = peekByte(keyboard);
    if (byte < 0x20 || byte > 0x7e) break;  // not part of a key: leave it
    nextByte(keyboard);
    if (first && introducer == '[' && byte == '[') {
      consoleFunctionKey = true;
      first = false;
      continue;
    }
    first = false;
    if (consoleFunctionKey) {
      if (byte >= 'A' && byte <= 'E') pendingSecondCode = KEY_F1 + byte - 'A';
      break;
    }
    if (byte >= '0' && byte <= '9') {
      if (!numberDone && number < 1000) number = number * 10 + (byte - '0');
      continue;
    }
    if (byte < 0x40) {  // ';' and the other parameter and intermediate bytes
      if (byte == ';') numberDone = true;
      continue;
    }
    pendingSecondCode = byte == '~' ? tildeKeyCode(number) : letterKeyCode(byte);
    break;
  }
  return 0;
}

// A key that types a character of several bytes is one key press: the
// bytes after the first are taken with it.
void takeRestOfCharacter(int lead) {
  int more = lead >= 0xf0 ? 3 : lead >= 0xe0 ? 2 : lead >= 0xc0 ? 1 : 0;
  while (more > 0 && moreBytesSoon()) {
    int byte = peekByte(keyboard);
    if (byte < 0x80 || byte > 0xbf) break;
    nextByte(keyboard);
    --more;
  }
}

// True when standard error shows on the same terminal as the screen.
bool errorsOnTheScreen() {
  struct stat screen {};
  struct stat errors {};
  return ::fstat(STDOUT_FILENO, &screen) == 0 && ::fstat(STDERR_FILENO, &errors) == 0 &&
         S_ISCHR(screen.st_mode) && S_ISCHR(errors.st_mode) && screen.st_rdev == errors.st_rdev;
}

// At the first line read. Where the editor cannot start, the reason is said
// in one line of its own between what the game has said and the line's
// prompt; on the screen it is kept with the rest, so that a redraw keeps it.
void startLineEditor() {
  const char* why = nullptr;
  if (openLineEditor(nextTypedByte, why) || why == nullptr) return;
  char prompt[PROMPT_CAPACITY];
  std::size_t shown = 0;
  const std::size_t length = takeCursorLine(prompt, sizeof prompt, shown);
  char line[320];
  const int made = std::snprintf(
      line, sizeof line, "tidewrack: no line editing, the terminal's own is used: %s\n", why);
  const std::size_t lineLength = made < 0 ? 0
                                 : static_cast<std::size_t>(made) < sizeof line
                                     ? static_cast<std::size_t>(made)
                                     : sizeof line - 1;
  if (screenIsOpen() && shown == 0 && errorsOnTheScreen()) {
    showHeldOutput();
    screenWrite(line, lineLength);
  } else {
    (void)!::write(STDERR_FILENO, line, lineLength);
  }
  sayBytes(prompt + shown, length - shown);
}

}  // namespace

bool openTerminal() {
  if (::tcgetattr(STDIN_FILENO, &snapshot) != 0) return false;
  haveSnapshot = 1;
  startReader(keyboard, readTerminal);
  for (int signal : ENDING_SIGNALS) installUnlessIgnored(signal, onEndingSignal);
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
    installUnlessIgnored(signal, onEndingSignal);
  }
  installUnlessIgnored(SIGTSTP, onStopSignal);
  installPipeHandler();
  installFatalHandlers();
  applyQuietMode();
  return true;
}

void openTerminalScreen() {
  winsize size{};
  const bool known = ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0;
  openScreen(writeStandardOutput, known ? size.ws_col : 80, known ? size.ws_row : 24);
}

void watchScreen() {
  sigemptyset(&heldSignals);
  sigaddset(&heldSignals, SIGWINCH);
  sigaddset(&heldSignals, SIGCONT);
  ::sigprocmask(SIG_BLOCK, &heldSignals, &waitMask);
  sigdelset(&waitMask, SIGWINCH);
  sigdelset(&waitMask, SIGCONT);
  screenSignalsHeld = 1;
  struct sigaction action {};
  action.sa_handler = onSizeChange;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGWINCH, &action, nullptr);
  action.sa_handler = onContinue;
  ::sigaction(SIGCONT, &action, nullptr);
}

void editLinesWhenTyped() { editorWanted = true; }

void waitForKeyboard(void (*repaintScreen)()) {
  void (*before)() = repaint;
  if (screenIsOpen()) repaint = repaintScreen;
  waitForInput();
  repaint = before;
}

int nextTypedByte(void (*repaintScreen)()) {
  void (*before)() = repaint;
  if (screenIsOpen()) repaint = repaintScreen;
  const int byte = nextByte(keyboard);
  repaint = before;
  return byte;
}

void closeTerminal() {
  closeLineEditor();
  inKeyMode = 0;
  restoreSnapshot();
}

int terminalReadKey() {
  flushOutput();
  if (pendingSecondCode >= 0) {
    int code = pendingSecondCode;
    pendingSecondCode = -1;
    return code;
  }
  enterKeyMode();
  if (screenIsOpen()) {
    showHeldOutput();
    // Only when the key is not here already: keys typed ahead and thrown
    // away flash no hint.
    pollfd input{STDIN_FILENO, POLLIN, 0};
    atKeyHint = 1;
    if (!hasBufferedBytes(keyboard) && ::poll(&input, 1, 0) == 0) showKeyHint();
    repaint = repaintKeyWait;
  }
  int key = nextByte(keyboard);
  if (key == ESCAPE) {
    key = decodeEscape();
  } else if (key >= 0xc0) {
    takeRestOfCharacter(key);
  }
  repaint = nullptr;
  if (key >= 0) eraseKeyHint();  // not on a terminal that has gone away
  atKeyHint = 0;
  leaveKeyMode();
  return key;
}

bool terminalKeyWaiting() {
  if (pendingSecondCode >= 0 || hasBufferedBytes(keyboard)) return true;
  if (keyboard.ended) return false;  // a terminal that has gone away holds no keys
  // Without canonical mode the terminal also hands over a line not yet
  // ended with Enter.
  enterKeyMode();
  pollfd input{STDIN_FILENO, POLLIN, 0};
  bool waiting = ::poll(&input, 1, 0) > 0;
  leaveKeyMode();
  return waiting;
}

bool terminalReadLine(char* buffer, int capacity) {
  pendingSecondCode = -1;
  if (editorWanted) {
    editorWanted = false;
    startLineEditor();
  }
  if (!lineEditorOpen()) {
    // The terminal's own line editing: echo, backspace, Ctrl-U, with echo
    // on only while the line is read, from before the prompt shows. Keys
    // typed for it earlier, without echo, are shown after the prompt.
    if (screenIsOpen()) repaint = repaintTypedLine;
    applyLineMode();
    if (screenIsOpen()) takeOverTypedKeys();
    flushOutput();
    if (screenIsOpen()) {
      showHeldOutput();
      writeStandardOutput(carried, carriedLength);
    }
    readingLine = true;
    lineSoFarLength = 0;
    const bool got = readLineFrom(keyboard, buffer, capacity);
    readingLine = false;
    applyQuietMode();
    repaint = nullptr;
    carriedLength = 0;
    if (got && screenIsOpen()) noteAnsweredLine(buffer);
    return got;
  }
  // The editor shows the prompt line itself, so that it can redraw it. A
  // part of it already on the screen is written over.
  char prompt[PROMPT_CAPACITY];
  std::size_t shown = 0;
  takeCursorLine(prompt, sizeof prompt, shown);
  if (screenIsOpen()) {
    showHeldOutput();
    if (shown > 0) forgetCursorLine();
  }
  if (shown > 0) writeStandardOutput("\r", 1);
  // Keys read with an earlier key but not used yet are still in the
  // keyboard's buffer, and the editor reads them first.
  // Without echo from before the prompt is shown: a key typed the moment
  // it appears is the editor's to show, not echoed by the terminal too.
  enterKeyMode();
  const bool got = editLine(prompt, buffer, capacity);
  leaveKeyMode();
  return got;
}

void ansiClear() {
  say("\x1b[H\x1b[2J");
  flushOutput();
}
