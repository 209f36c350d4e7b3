// A player at a keyboard: the real program run under a pseudo-terminal, and
// the terminal front end itself fed real key presses. Every wait here has a
// deadline, and every process started is killed and reaped at the end.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "console/console.hpp"
#include "frontends/terminal/line_editor.hpp"
#include "frontends/terminal/terminal_console.hpp"

namespace {

using SteadyClock = std::chrono::steady_clock;

// Built with the line editor, or with the terminal's own line editing.
constexpr bool LINE_EDITOR = TIDEWRACK_LINE_EDITING != 0;

#define SKIP_WITHOUT_LINE_EDITOR()                                     \
  do {                                                                 \
    if (!LINE_EDITOR) GTEST_SKIP() << "built without the line editor"; \
  } while (0)

// Long enough for a sanitizer build on a busy machine. A passing test waits
// far less; a failing one gives up here instead of hanging.
constexpr int WAIT_MS = 8000;

// A cleared screen: the rows in use are scrolled up from the bottom row into
// the terminal's scrollback, then the cursor goes home and the rest is erased.
// The first clear scrolls the whole screen: what the shell left there is not
// known.
const std::string CLEAR = "\x1b[H\x1b[J";
std::string scrolledUp(int rows, int count) {
  std::string scroll = "\x1b[" + std::to_string(rows) + ";1H";
  for (int i = 0; i < count; ++i) scroll += "\r\n";
  return scroll + CLEAR;
}
// Where the game waits for one key, the hint beside the cursor.
const std::string KEY_HINT = "\x1b[2m[press a key]\x1b[22m";
const std::string RULE(80, '_');
// The shore as the game shows it on a screen 80 columns wide or wider: every
// line fits, so it is exactly what the game wrote.
const std::string SHORE =
    RULE +
    "\r\n\r\nYou are on a tropical shore. The sea stretches away to the east, and to the\r\n"
    "north the beach curls round into a small cove.\r\n\r\nYou see: Nothing.\r\n"
    "Obvious exits are: North  South  East  West  \r\n" +
    RULE + "\r\n";

// A screen drawn again, without the erasing of each row before it is written.
std::string withoutErasing(std::string drawn) {
  for (const char* erase : {"\x1b[K", "\x1b[J"}) {
    for (std::size_t at = drawn.find(erase); at != std::string::npos; at = drawn.find(erase, at)) {
      drawn.erase(at, 3);
    }
  }
  return drawn;
}
const std::string PROMPT = "What now?  ";
const std::string WITH_WHAT = "Tell me in one word, with what? ";
const std::string GAME_OVER = "\r\nThe game is over\r\n\r\n\r\nWould you like to play again?\r\n";
// INVENTORY at the start of a game, as the terminal shows it after the
// typed command: the terminal's echo of Enter, the game's line break after
// the command, the list, its closing empty line, and the turn's empty line.
const std::string START_INVENTORY =
    "\r\n\r\nYou are carrying:\r\nA life preserver\r\n\r\n\r\n" + PROMPT;
// The key the tests press at the title: it appears nowhere in the game's
// own text, so an echo of it would show.
const std::string ANY_KEY = "`";

// The player's terminal before the game starts: an ordinary line-editing
// terminal, with a speed and VMIN/VTIME values that no program would pick,
// so that a terminal "repaired" to some default instead of restored shows.
termios playerSettings(int fd) {
  termios t{};
  ::tcgetattr(fd, &t);
  t.c_iflag = BRKINT | ICRNL | IXON | IUTF8;
  t.c_oflag = OPOST | ONLCR;
  t.c_cflag = (t.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | CS8 | CREAD;
  t.c_lflag = ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHOCTL | ECHOKE | IEXTEN;
  t.c_cc[VINTR] = 0x03;
  t.c_cc[VQUIT] = 0x1c;
  t.c_cc[VERASE] = 0x7f;
  t.c_cc[VKILL] = 0x15;
  t.c_cc[VEOF] = 0x04;
  t.c_cc[VSUSP] = 0x1a;
  t.c_cc[VMIN] = 3;
  t.c_cc[VTIME] = 7;
  ::cfsetispeed(&t, B9600);
  ::cfsetospeed(&t, B9600);
  return t;
}

::testing::AssertionResult sameSettings(const termios& before, const termios& after) {
  auto differ = [](const char* what, unsigned long a, unsigned long b) {
    return ::testing::AssertionFailure() << what << " was 0x" << std::hex << a << ", is 0x" << b;
  };
  if (before.c_iflag != after.c_iflag) return differ("input flags", before.c_iflag, after.c_iflag);
  if (before.c_oflag != after.c_oflag) return differ("output flags", before.c_oflag, after.c_oflag);
  if (before.c_cflag != after.c_cflag)
    return differ("control flags", before.c_cflag, after.c_cflag);
  if (before.c_lflag != after.c_lflag) return differ("local flags", before.c_lflag, after.c_lflag);
  for (int i = 0; i < NCCS; ++i) {
    if (before.c_cc[i] != after.c_cc[i]) {
      return differ(("control character " + std::to_string(i)).c_str(), before.c_cc[i],
                    after.c_cc[i]);
    }
  }
  if (::cfgetispeed(&before) != ::cfgetispeed(&after)) return differ("input speed", 0, 1);
  if (::cfgetospeed(&before) != ::cfgetospeed(&after)) return differ("output speed", 0, 1);
  return ::testing::AssertionSuccess();
}

int millisecondsLeft(SteadyClock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

SteadyClock::time_point deadlineFromNow() {
  return SteadyClock::now() + std::chrono::milliseconds(WAIT_MS);
}

// Reads exactly length bytes from a descriptor before the deadline.
bool readFully(int fd, void* data, std::size_t length, SteadyClock::time_point deadline) {
  char* at = static_cast<char*>(data);
  while (length > 0) {
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, millisecondsLeft(deadline)) <= 0) return false;
    ssize_t got = ::read(fd, at, length);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    at += got;
    length -= static_cast<std::size_t>(got);
  }
  return true;
}

void writeFully(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return;
    done += static_cast<std::size_t>(wrote);
  }
}

// Every signal back to what it does by default and none blocked, whatever
// the test program was started with (a job started with `&` in a script
// ignores Ctrl-C and Ctrl-\): the game must meet a terminal as a shell at
// the keyboard gives it.
void defaultSignals() {
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  for (int signal = 1; signal < NSIG; ++signal) {
    if (signal != SIGKILL && signal != SIGSTOP) ::sigaction(signal, &byDefault, nullptr);
  }
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
}

struct Options {
  unsigned short columns = 80;
  unsigned short rows = 24;
  // Run the game as a shell with job control would: in a process group of
  // its own in the foreground, under a parent that reports its stops.
  // Without it the game leads its own session, where Ctrl-Z cannot stop it.
  bool jobControl = false;
  bool ignoreHangup = false;
  bool nonBlockingInput = false;
  // Keys in the terminal before the game starts.
  std::string typedFirst;
  // A folder searched first for the line-editing library (one that is
  // broken, or cannot start): the game then types with the terminal's own
  // editing.
  std::string libraryFolder;
  // The player's locale (LC_ALL), and where to look for it (LOCPATH).
  std::string locale;
  std::string localeFolder;
};

// What the child does between fork and exec: nothing but calls that are
// safe there.
void becomeGame(const Options& options) {
  // As a program before the game may leave the terminal.
  if (options.nonBlockingInput) {
    ::fcntl(STDIN_FILENO, F_SETFL, ::fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
  }
  rlimit noCore{0, 0};
  ::setrlimit(RLIMIT_CORE, &noCore);  // a Ctrl-\ test leaves no core file
  defaultSignals();
  if (options.ignoreHangup) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGHUP, &ignore, nullptr);
  }
  // A terminal type every Debian system describes, so that the line
  // editor draws the same way wherever the tests run.
  ::setenv("TERM", "xterm", 1);
  if (!options.libraryFolder.empty()) ::setenv("LD_LIBRARY_PATH", options.libraryFolder.c_str(), 1);
  if (!options.locale.empty()) ::setenv("LC_ALL", options.locale.c_str(), 1);
  if (!options.localeFolder.empty()) ::setenv("LOCPATH", options.localeFolder.c_str(), 1);
  ::execl(TIDEWRACK_BINARY, "tidewrack", static_cast<char*>(nullptr));
  ::_exit(127);
}

// The game on a terminal of its own, and what the player sees of it.
class PlayedGame {
 public:
  PlayedGame() = default;
  PlayedGame(const PlayedGame&) = delete;
  PlayedGame& operator=(const PlayedGame&) = delete;

  ~PlayedGame() {
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      if (shell_ < 0) ::waitpid(pid_, nullptr, 0);
    }
    if (shell_ > 0) {
      ::kill(shell_, SIGKILL);
      ::waitpid(shell_, nullptr, 0);
    }
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    if (events_ >= 0) ::close(events_);
  }

  // False (and the test is skipped) when this machine has no pseudo-terminals.
  bool start(Options options = {}) {
    winsize size{options.rows, options.columns, 0, 0};
    if (::openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) return false;
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    lineEditor_ = LINE_EDITOR && options.libraryFolder.empty();
    before_ = playerSettings(slave_);
    ::tcsetattr(slave_, TCSANOW, &before_);
    ::tcgetattr(slave_, &before_);  // as the terminal keeps it
    writeFully(master_, options.typedFirst);
    if (!options.jobControl) {
      pid_ = ::fork();
      if (pid_ == 0) {
        if (::login_tty(::dup(slave_)) != 0) ::_exit(126);
        becomeGame(options);
      }
      return pid_ > 0;
    }
    int link[2];
    if (::pipe2(link, O_CLOEXEC) != 0) return false;
    shell_ = ::fork();
    if (shell_ == 0) runShell(link[1], options);
    ::close(link[1]);
    events_ = link[0];
    return shell_ > 0 && readFully(events_, &pid_, sizeof pid_, deadlineFromNow());
  }

  pid_t pid() const { return pid_; }
  // The libraries the game has loaded by now.
  std::string loaded() const {
    std::string maps;
    if (FILE* file = std::fopen(("/proc/" + std::to_string(pid_) + "/maps").c_str(), "r")) {
      char chunk[4096];
      for (std::size_t got = 0; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
        maps.append(chunk, got);
      }
      std::fclose(file);
    }
    return maps;
  }
  const termios& before() const { return before_; }
  termios settings() const {
    termios now{};
    ::tcgetattr(slave_, &now);
    return now;
  }

  void type(const std::string& keys) { writeFully(master_, keys); }

  // The window takes a new size, as when the player drags its corner.
  void resize(unsigned short columns, unsigned short rows) {
    winsize size{rows, columns, 0, 0};
    ::ioctl(master_, TIOCSWINSZ, &size);
  }

  // Types keys as a paste comes, in pieces no bigger than the terminal
  // takes at once, reading what the game shows meanwhile. False when they
  // are not all taken by the deadline.
  bool typeBefore(const std::string& keys, SteadyClock::time_point deadline) {
    constexpr std::size_t PIECE = 256;
    std::size_t done = 0;
    while (done < keys.size()) {
      if (millisecondsLeft(deadline) == 0) return false;
      pollfd ready{master_, POLLOUT, 0};
      if (::poll(&ready, 1, std::min(20, millisecondsLeft(deadline))) > 0) {
        const ssize_t wrote =
            ::write(master_, keys.data() + done, std::min(PIECE, keys.size() - done));
        if (wrote > 0) done += static_cast<std::size_t>(wrote);
        if (wrote < 0 && errno != EINTR && errno != EAGAIN) return false;
      }
      pump(0);
    }
    return true;
  }

  // Waits until text has been shown after everything seen so far, and moves
  // past it.
  ::testing::AssertionResult see(const std::string& text) { return see(text, deadlineFromNow()); }
  ::testing::AssertionResult see(const std::string& text, SteadyClock::time_point deadline) {
    for (;;) {
      std::size_t found = screen_.find(text, seen_);
      if (found != std::string::npos) {
        seen_ = found + text.size();
        return ::testing::AssertionSuccess();
      }
      if (millisecondsLeft(deadline) == 0) {
        return ::testing::AssertionFailure()
               << "never saw \"" << printable(text) << "\"; the screen ends with \""
               << printable(screen_.substr(seen_)) << "\"";
      }
      pump(20);
    }
  }

  // Takes everything shown so far as seen.
  void skipShown() {
    pump(0);
    seen_ = screen_.size();
  }

  // Waits until what has been shown meets the test's condition.
  bool until(const std::function<bool(const std::string&)>& shown) {
    const auto deadline = deadlineFromNow();
    for (;;) {
      if (shown(screen_)) return true;
      if (millisecondsLeft(deadline) == 0) return false;
      pump(20);
    }
  }

  // Waits until text is shown and returns what came before it since the
  // last thing seen.
  std::string shownUntil(const std::string& text) { return shownUntil(text, deadlineFromNow()); }
  std::string shownUntil(const std::string& text, SteadyClock::time_point deadline) {
    std::size_t from = seen_;
    if (!see(text, deadline)) return "(never saw \"" + printable(text) + "\")";
    return screen_.substr(from, seen_ - text.size() - from);
  }

  // Waits until the game waits for a single key: the terminal is then out of
  // canonical mode. The output before the wait is on the screen by then.
  ::testing::AssertionResult keyWait() {
    auto deadline = deadlineFromNow();
    for (;;) {
      if ((settings().c_lflag & ICANON) == 0) {
        pump(0);
        return ::testing::AssertionSuccess();
      }
      if (millisecondsLeft(deadline) == 0) {
        return ::testing::AssertionFailure()
               << "the game never waited for a key; the screen ends "
               << "with \"" << printable(screen_.substr(seen_)) << "\"";
      }
      pump(2);
    }
  }

  // Waits until the game reads a line: the line editor takes the terminal
  // out of canonical mode; the terminal's own line editing turns echo on,
  // which is off while the game is busy.
  ::testing::AssertionResult lineWait() {
    auto deadline = deadlineFromNow();
    for (;;) {
      const tcflag_t flags = settings().c_lflag;
      if (lineEditor_ ? (flags & ICANON) == 0 : (flags & ECHO) != 0) {
        pump(0);
        return ::testing::AssertionSuccess();
      }
      if (millisecondsLeft(deadline) == 0) {
        return ::testing::AssertionFailure()
               << "the game never read a line; the screen ends "
               << "with \"" << printable(screen_.substr(seen_)) << "\"";
      }
      pump(2);
    }
  }

  // Waits for the game to end; false on the deadline.
  bool waitEnd(int& status) {
    auto deadline = deadlineFromNow();
    while (!ended_) {
      if (shell_ > 0) {
        char event = 0;
        if (!nextEvent(event, deadline)) return false;
        if (event == 'X') {
          ended_ = readFully(events_, &status_, sizeof status_, deadline);
          if (!ended_) return false;
        }
        continue;
      }
      pid_t done = ::waitpid(pid_, &status_, WNOHANG);
      if (done == pid_) {
        ended_ = true;
        break;
      }
      if (millisecondsLeft(deadline) == 0) return false;
      pump(5);
    }
    pump(0);
    status = status_;
    return true;
  }

  // With job control: the next stop ('S'), continue ('C') or end ('X').
  bool nextEvent(char& event, SteadyClock::time_point deadline) {
    for (;;) {
      pump(0);
      pollfd ready{events_, POLLIN, 0};
      int got = ::poll(&ready, 1, std::min(20, millisecondsLeft(deadline)));
      if (got > 0) return readFully(events_, &event, 1, deadline);
      if (millisecondsLeft(deadline) == 0) return false;
    }
  }

  ::testing::AssertionResult expectEvent(char wanted) {
    char event = 0;
    if (!nextEvent(event, deadlineFromNow())) {
      return ::testing::AssertionFailure() << "no news of the game; wanted " << wanted;
    }
    if (event != wanted)
      return ::testing::AssertionFailure() << "got " << event << ", wanted " << wanted;
    return ::testing::AssertionSuccess();
  }

  // Hangs up the terminal, as closing a terminal window does.
  void hangUp() {
    ::close(master_);
    master_ = -1;
  }

  const std::string& screen() const { return screen_; }
  // Everything shown after the last thing seen.
  std::string rest() {
    pump(0);
    return screen_.substr(seen_);
  }

  static std::string printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
      if (c == '\n') {
        out += "\\n";
      } else if (c == '\r') {
        out += "\\r";
      } else if (c < 32 || c == 127) {
        char code[8];
        std::snprintf(code, sizeof code, "\\x%02x", c);
        out += code;
      } else {
        out += static_cast<char>(c);
      }
    }
    return out.size() > 600 ? "..." + out.substr(out.size() - 600) : out;
  }

 private:
  // Reads whatever the game has shown, waiting at most this long for it.
  void pump(int milliseconds) {
    if (master_ < 0) return;
    for (;;) {
      pollfd ready{master_, POLLIN, 0};
      if (::poll(&ready, 1, milliseconds) <= 0 || (ready.revents & POLLIN) == 0) return;
      char buffer[4096];
      ssize_t got = ::read(master_, buffer, sizeof buffer);
      if (got <= 0) return;
      screen_.append(buffer, static_cast<std::size_t>(got));
      milliseconds = 0;
    }
  }

  // The child that stands in for a shell: it gives the game the terminal's
  // foreground and reports what becomes of it.
  [[noreturn]] void runShell(int report, const Options& options) {
    if (::login_tty(::dup(slave_)) != 0) ::_exit(126);
    pid_t game = ::fork();
    if (game == 0) {
      ::setpgid(0, 0);
      sigset_t ttou;
      sigemptyset(&ttou);
      sigaddset(&ttou, SIGTTOU);
      ::sigprocmask(SIG_BLOCK, &ttou, nullptr);
      ::tcsetpgrp(STDIN_FILENO, ::getpid());
      becomeGame(options);
    }
    ::setpgid(game, game);
    (void)!::write(report, &game, sizeof game);
    for (;;) {
      int status = 0;
      pid_t done = ::waitpid(game, &status, WUNTRACED | WCONTINUED);
      if (done < 0) {
        if (errno == EINTR) continue;
        ::_exit(1);
      }
      char event = WIFSTOPPED(status) ? 'S' : WIFCONTINUED(status) ? 'C' : 'X';
      (void)!::write(report, &event, 1);
      if (event == 'X') {
        (void)!::write(report, &status, sizeof status);
        ::_exit(0);
      }
    }
  }

  int master_ = -1;
  int slave_ = -1;  // kept open: the terminal's settings can be read at any time
  bool lineEditor_ = LINE_EDITOR;
  pid_t pid_ = -1;
  pid_t shell_ = -1;
  int events_ = -1;
  bool ended_ = false;
  int status_ = 0;
  termios before_{};
  std::string screen_;
  std::size_t seen_ = 0;
};

#define START_OR_SKIP(game, ...)                                               \
  do {                                                                         \
    if (!(game).start(__VA_ARGS__)) GTEST_SKIP() << "no pseudo-terminal here"; \
  } while (0)

// From the title to the first "What now?  " of a game.
::testing::AssertionResult pastTitle(PlayedGame& game) {
  if (auto waiting = game.keyWait(); !waiting) return waiting;
  game.type(ANY_KEY);
  return game.see(PROMPT);
}

::testing::AssertionResult command(PlayedGame& game, const std::string& line,
                                   const std::string& answer = PROMPT) {
  game.type(line + "\r");
  return game.see(answer);
}

// Ctrl-D at "What now?  ": the game ends with status 0 and the terminal as
// the player had it.
::testing::AssertionResult endsOnCtrlD(PlayedGame& game) {
  game.type("\x04");
  int status = 0;
  if (!game.waitEnd(status)) return ::testing::AssertionFailure() << "the game did not end";
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return ::testing::AssertionFailure() << "the game ended with status " << status;
  }
  return sameSettings(game.before(), game.settings());
}

// Ends a game quickly: without the life preserver the sea east of the
// shore drowns the player at the end of the turn.
::testing::AssertionResult drown(PlayedGame& game) {
  if (auto done = command(game, "drop preserver"); !done) return done;
  game.type("east\r");
  if (auto shown = game.see("You can't swim!  You drowned!\r\n" + GAME_OVER); !shown) return shown;
  return game.keyWait();
}

// From the shore to the gnome with the axe: the matches from the wreck,
// up the cliff, the torch lit on the ledge, the axe from the shop, and
// through the caves. Leaves the game at the first key wait of the fight.
::testing::AssertionResult walkIntoGnomeFight(PlayedGame& game) {
  const char* const walk[] = {
      "east", "north",       "get matches", "south",       "west",  "west",  "west",    "south",
      "up",   "climb cliff", "get torch",   "light torch", "north", "north", "get axe", "south",
      "west", "north",       "west",        "south",       "west",  "south"};
  for (const char* step : walk) {
    if (auto done = command(game, step); !done) return done << " after " << step;
  }
  if (auto asked = command(game, "kill gnome", WITH_WHAT); !asked) return asked;
  game.type("axe\r");
  if (auto cleared = game.see(CLEAR); !cleared) return cleared;
  return game.keyWait();
}

// ---------------------------------------------------------------------------
// Single keys
// ---------------------------------------------------------------------------

TEST(TerminalKeys, TitleTakesOneKeyWithoutEnterOrEchoAndClearsWithEscapes) {
  PlayedGame game;
  START_OR_SKIP(game);
  ASSERT_TRUE(game.keyWait());
  // Only canonical mode and echo are off for the key; everything else, and
  // Ctrl-C above all, is as the player had it.
  termios keyMode = game.settings();
  EXPECT_EQ(keyMode.c_lflag & ECHO, 0U);
  termios expected = game.before();
  expected.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  expected.c_cc[VMIN] = keyMode.c_cc[VMIN];
  expected.c_cc[VTIME] = keyMode.c_cc[VTIME];
  EXPECT_TRUE(sameSettings(expected, keyMode));
  EXPECT_EQ(keyMode.c_cc[VMIN], 1);
  EXPECT_EQ(keyMode.c_cc[VTIME], 0);

  ASSERT_TRUE(game.see(scrolledUp(24, 24)));
  ASSERT_TRUE(game.see("Tidewrack\r\n"));
  // The hint stands two cells after the title's last words, the cursor
  // stays where the game left it, and the hint is erased when the key comes.
  ASSERT_TRUE(game.see("You are going to need it." + std::string("  ") + KEY_HINT + "\r\x1b[57C"));
  game.type(ANY_KEY);  // no Enter
  // The title's 22 rows go up into the scrollback; nothing else does.
  ASSERT_TRUE(game.see("\x1b[K" + scrolledUp(24, 22) + RULE + "\r\n\r\nYou are "));
  ASSERT_TRUE(
      game.see("\r\n\r\nYou see: Nothing.\r\nObvious exits are: North  South  East  West  "
               "\r\n_____________________________________________________________________"
               "___________\r\n" +
               PROMPT));
  EXPECT_EQ(game.screen().rfind(scrolledUp(24, 24), 0), 0U)
      << "the first thing shown is a cleared screen";
  EXPECT_EQ(game.screen().find('\f'), std::string::npos) << "no form feeds on a terminal";
  EXPECT_EQ(game.screen().find(ANY_KEY), std::string::npos) << "the key was echoed";
  // Ctrl-D at the prompt ends the game with the terminal as the player had it.
  EXPECT_TRUE(endsOnCtrlD(game));
}

TEST(TerminalKeys, ArrowAtTitleLeavesNothingForTheFirstCommand) {
  PlayedGame game;
  START_OR_SKIP(game);
  ASSERT_TRUE(game.keyWait());
  game.type("\x1b[A");
  ASSERT_TRUE(game.see(PROMPT));
  // The arrow's second code, or any byte of its escape sequence, would have
  // been refused as a command of its own or spoilt this one.
  game.type("inventory\r");
  EXPECT_EQ(game.shownUntil(START_INVENTORY), "inventory");
}

TEST(TerminalKeys, EscapeAloneAndAltKeyAtTitleAreKeys) {
  for (const char* keys : {"\x1b", "\x1bx", "\x1bOP", "\x1b[[A", "\xc3\xa9", "\x1b[15;5~"}) {
    SCOPED_TRACE(PlayedGame::printable(keys));
    PlayedGame game;
    START_OR_SKIP(game);
    ASSERT_TRUE(game.keyWait());
    game.type(keys);
    ASSERT_TRUE(game.see(PROMPT));
    game.type("inventory\r");
    EXPECT_EQ(game.shownUntil(START_INVENTORY), "inventory");
  }
}

// "y" restarts with the title; "n", Enter, an arrow or Escape ends the
// program at once with status 0 and the player's terminal as it was.
TEST(TerminalKeys, PlayAgainTakesOneKey) {
  struct Case {
    const char* keys;
    bool again;
  };
  for (Case key : {Case{"y", true}, Case{"Y", true}, Case{"n", false}, Case{"\r", false},
                   Case{"\x1b[B", false}, Case{"N", false}, Case{"\x0c", false}}) {
    SCOPED_TRACE(PlayedGame::printable(key.keys));
    PlayedGame game;
    START_OR_SKIP(game);
    ASSERT_TRUE(pastTitle(game));
    ASSERT_TRUE(drown(game));
    // The key goes in once the question's hint shows: a key already there
    // when the game comes to wait for it flashes no hint.
    ASSERT_TRUE(game.see(KEY_HINT));
    game.type(key.keys);
    if (key.again) {
      ASSERT_TRUE(game.see(CLEAR));
      ASSERT_TRUE(game.see("Tidewrack\r\n"));
      ASSERT_TRUE(pastTitle(game));
      game.type("inventory\r");  // the life preserver is back in hand
      ASSERT_TRUE(game.see(START_INVENTORY));
      game.type("\x04");
    }
    int status = 0;
    ASSERT_TRUE(game.waitEnd(status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    if (!key.again) {
      // The question's hint at the start of the empty row, erased when the
      // key came; the key is not echoed, and nothing follows.
      EXPECT_EQ(game.rest(), "\r\x1b[K");
    }
    EXPECT_TRUE(sameSettings(game.before(), game.settings()));
  }
}

// ---------------------------------------------------------------------------
// Lines
// ---------------------------------------------------------------------------

// The line is typed with the line editor: what the game reads is the line
// as edited, whatever the editor drew on the way.
TEST(TerminalLines, CommandIsEditedBeforeEnter) {
  SKIP_WITHOUT_LINE_EDITOR();
  PlayedGame game;
  START_OR_SKIP(game);
  ASSERT_TRUE(pastTitle(game));
  // Backspace rubs out the x; the game reads "inv".
  game.type("inx\x7fv\r");
  EXPECT_TRUE(game.see(START_INVENTORY));
  // Ctrl-U rubs out the whole line typed so far: "north" never goes north.
  game.type("north\x15inv\r");
  EXPECT_TRUE(game.see(START_INVENTORY));
  // Ctrl-W rubs out the word before the cursor: DROP alone needs a noun.
  game.type("drop preserver\x17\r");
  EXPECT_TRUE(game.see("\r\n\r\nYou need a noun.\r\n\r\n" + PROMPT));
  // Left, then typing, inserts; Ctrl-A goes to the start of the line.
  game.type("invntory\x1b[D\x1b[D\x1b[D\x1b[D\x1b[De\r");
  EXPECT_TRUE(game.see(START_INVENTORY));
  game.type("ventory\x01in\r");
  EXPECT_TRUE(game.see(START_INVENTORY));
  // An empty line is "What?".
  game.type("\r");
  EXPECT_TRUE(game.see("\r\n\r\nWhat?\r\n\r\n" + PROMPT));
  ASSERT_TRUE(endsOnCtrlD(game));  // on an empty line: end of input
  EXPECT_EQ(game.screen().find(CLEAR, game.screen().find(PROMPT)), std::string::npos)
      << "the room was never shown again: no command moved the player";
}

// Up calls back the commands of this run, latest first; Down goes forward
// again.
TEST(TerminalLines, UpCallsBackEarlierCommands) {
  SKIP_WITHOUT_LINE_EDITOR();
  PlayedGame game;
  START_OR_SKIP(game);
  ASSERT_TRUE(pastTitle(game));
  ASSERT_TRUE(command(game, "inventory"));
  ASSERT_TRUE(command(game, "drop preserver"));
  // Up, Up, Down: drop preserver again, which is no longer carried.
  game.type("\x1b[A\x1b[A\x1b[B\r");
  EXPECT_TRUE(game.see("You don't have that!\r\n\r\n" + PROMPT));
  // The repeat was not kept twice: Up, Up is the inventory.
  game.type("\x1b[A\x1b[A\r");
  EXPECT_TRUE(game.see("You are carrying:\r\n\r\n\r\n" + PROMPT));
  EXPECT_TRUE(endsOnCtrlD(game));
}

// A paste of a million letters at "What now?  ", then Enter: the game reads
// the first 79 and answers within seconds (it once took half a minute, one
// redraw per byte). The line editor shows only those 79 and beeps once at
// the rest; the terminal's own editing shows what the terminal keeps. The
// rest of the line is never read as a command: the next one is played next.
TEST(TerminalLines, AHugePasteIsAnsweredAtOnce) {
  PlayedGame game;
  START_OR_SKIP(game);
  ASSERT_TRUE(pastTitle(game));
  ASSERT_TRUE(game.lineWait());
  const auto deadline = SteadyClock::now() + std::chrono::seconds(10);
  ASSERT_TRUE(game.typeBefore(std::string(1000000, 'n') + "\r", deadline))
      << "the paste was not taken within 10 seconds";
  const std::string shown =
      game.shownUntil("\r\n\r\nYou don't know those words\r\n\r\n" + PROMPT, deadline);
  if (LINE_EDITOR) {
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 'n'), 79) << PlayedGame::printable(shown);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\a'), 1) << PlayedGame::printable(shown);
  }
  ASSERT_TRUE(game.lineWait());
  game.type("inventory\r");
  EXPECT_EQ(game.shownUntil(START_INVENTORY), "inventory");
  EXPECT_TRUE(endsOnCtrlD(game));
}

// Where the tests make a locale of their own: Latin-1, where every byte is
// a letter; empty when this machine cannot make it (no locale sources).
std::string latin1LocaleFolder() {
  static const std::string folder = [] {
    char here[4096];
    if (::getcwd(here, sizeof here) == nullptr) return std::string();
    const std::string made = std::string(here) + "/locales";
    const std::string command =
        "localedef -i en_US -f ISO-8859-1 '" + made + "/en_US.ISO-8859-1' >/dev/null 2>&1";
    ::mkdir(made.c_str(), 0755);
    return std::system(command.c_str()) == 0 ? made : std::string();
  }();
  return folder;
}

// Bytes above 127 are part of the line as typed, as in a pipe, in any
// locale: UTF-8 (the tests' own), C (where the line editor reads UTF-8) and
// Latin-1 (where each byte is a letter, echoed as typed). "é north" matches
// no word and never moves the player; a byte that starts no UTF-8 character
// is kept, not dropped.
TEST(TerminalLines, BytesAbove127AreKeptAsInAPipe) {
  std::vector<Options> locales(2);
  locales[1].locale = "C";
  if (!latin1LocaleFolder().empty()) {
    locales.emplace_back();
    locales.back().locale = "en_US.ISO-8859-1";
    locales.back().localeFolder = latin1LocaleFolder();
  } else {
    ADD_FAILURE() << "no Latin-1 locale could be made here (Debian's locales brings its sources)";
  }
  for (const Options& options : locales) {
    SCOPED_TRACE("LC_ALL=" + options.locale);
    PlayedGame game;
    START_OR_SKIP(game, options);
    ASSERT_TRUE(pastTitle(game));
    const std::string unknown = "\r\n\r\nYou don't know those words\r\n\r\n" + PROMPT;
    game.type("\xc3\xa9 north\r");
    EXPECT_TRUE(game.see(unknown));
    game.type("get \xe9t\xe9\r");
    const std::string shown = game.shownUntil("\r\n\r\nYou can't take that!\r\n\r\n" + PROMPT);
    if (!options.localeFolder.empty()) {
      EXPECT_EQ(shown, "get \xe9t\xe9");
    }
    game.type("\xe9\r");  // not an empty line ("What?")
    EXPECT_TRUE(game.see(unknown));
    EXPECT_EQ(game.screen().find(CLEAR, game.screen().find(PROMPT)), std::string::npos)
        << "the player moved";
    EXPECT_TRUE(endsOnCtrlD(game));
  }
}

// An empty Enter is not kept, and does not lose the command before it.
TEST(TerminalLines, UpAfterAnEmptyLineStillCallsBackTheLastCommand) {
  SKIP_WITHOUT_LINE_EDITOR();
  PlayedGame game;
  START_OR_SKIP(game);
  ASSERT_TRUE(pastTitle(game));
  ASSERT_TRUE(command(game, "inventory"));
  ASSERT_TRUE(command(game, "", "\r\n\r\nWhat?\r\n\r\n" + PROMPT));
  game.type("\x1b[A\r");
  EXPECT_TRUE(game.see(START_INVENTORY));
  EXPECT_TRUE(endsOnCtrlD(game));
}

// A folder whose libedit.so.2 is no library at all.
std::string brokenLibraryFolder() {
  char here[4096];
  if (::getcwd(here, sizeof here) == nullptr) return "broken-libedit";
  const std::string folder = std::string(here) + "/broken-libedit";
  ::mkdir(folder.c_str(), 0755);
  if (FILE* empty = std::fopen((folder + "/libedit.so.2").c_str(), "w")) std::fclose(empty);
  return folder;
}

// With the terminal's own editing, echo is on only while a line is read:
// here a turn is held up in the middle, as it clears the screen for the
// room it moved to, by the output stopped with Ctrl-S; the terminal echoes
// nothing then.
TEST(TerminalLines, WithTheTerminalsOwnEditingEchoIsOffWhileATurnRuns) {
  PlayedGame game;
  Options options;
  options.libraryFolder = brokenLibraryFolder();
  START_OR_SKIP(game, options);
  ASSERT_TRUE(pastTitle(game));
  ASSERT_TRUE(game.lineWait());
  game.type("east\r\x13");
  EXPECT_TRUE(game.until([&](const std::string&) { return (game.settings().c_lflag & ECHO) == 0; }))
      << "echo stayed on while the turn ran";
  game.type("\x11");  // Ctrl-Q: the turn goes on
  EXPECT_TRUE(game.see("You are near a coral reef"));
  EXPECT_TRUE(game.see(PROMPT));
  EXPECT_TRUE(endsOnCtrlD(game));
}

// Keys typed while the game was busy (here: before it came to read them)
// are dropped before "What now?  " and never become a command.
TEST(TerminalLines, KeysTypedAheadAreDiscardedBeforeThePrompt) {
  PlayedGame game;
  START_OR_SKIP(game);
  ASSERT_TRUE(game.keyWait());
  // A key for the title and a whole command after it, typed while the
  // terminal was waiting for one key: the command is never echoed either.
  game.type(ANY_KEY + "north\r");
  ASSERT_TRUE(game.see(PROMPT));
  game.type("inventory\r");
  EXPECT_EQ(game.shownUntil(START_INVENTORY), "inventory");
  // Two commands on one go: the first is played, the second was typed ahead
  // of the prompt that follows and is dropped, never shown. (The terminal's
  // own line editing echoes all it gets while it reads a line.)
  game.type("inventory\rnorth\r");
  EXPECT_EQ(game.shownUntil(START_INVENTORY), LINE_EDITOR ? "inventory" : "inventory\r\nnorth");
  game.type("inventory\r");
  EXPECT_EQ(game.shownUntil(START_INVENTORY), "inventory");
  ASSERT_TRUE(endsOnCtrlD(game));
  // One clear for the title and one for the shore: north was never walked.
  std::size_t clears = 0;
  for (std::size_t at = game.screen().find(CLEAR); at != std::string::npos;
       at = game.screen().find(CLEAR, at + 1)) {
    ++clears;
  }
  EXPECT_EQ(clears, 2U);
}

// ---------------------------------------------------------------------------
// The line-editing library: loaded when the first line is read, and where it
// cannot be, one line says so and the terminal's own editing is used.
// ---------------------------------------------------------------------------

TEST(TerminalLibrary, LoadedWhenTheFirstLineIsReadNotBeforeTheTitle) {
  SKIP_WITHOUT_LINE_EDITOR();
  PlayedGame game;
  START_OR_SKIP(game);
  ASSERT_TRUE(game.keyWait());
  EXPECT_EQ(game.loaded().find("libedit"), std::string::npos) << "loaded before the title";
  game.type(ANY_KEY);
  ASSERT_TRUE(game.see(PROMPT));
  ASSERT_TRUE(game.lineWait());
  EXPECT_NE(game.loaded().find("/libedit.so.2"), std::string::npos);
  EXPECT_TRUE(endsOnCtrlD(game));
}

// A library that is not there to load or cannot start: the one line before
// the first prompt, and the terminal's own editing. Ctrl-L still draws the
// screen again (it once typed "^L" into the line, and Enter cost a turn on
// "You don't know those words"): the part of the line typed before it is
// shown again and kept, and the line goes on.
TEST(TerminalLibrary, WithoutItOneLineSaysSoAndCtrlLStillRedraws) {
  const std::string NO_EDITING = "tidewrack: no line editing, the terminal's own is used: ";
  for (const std::string& folder : {brokenLibraryFolder(), std::string(FAILING_LIBEDIT_FOLDER)}) {
    SCOPED_TRACE(folder);
    PlayedGame game;
    Options options;
    options.libraryFolder = folder;
    START_OR_SKIP(game, options);
    ASSERT_TRUE(game.keyWait());
    game.type(ANY_KEY);
    const std::string room = game.shownUntil(PROMPT);
    std::string said;
    if (LINE_EDITOR) {
      const std::size_t at = room.find("tidewrack: no line editing");
      ASSERT_NE(at, std::string::npos) << PlayedGame::printable(room);
      // One line, just before the prompt (wrapped between words at the
      // window's width, as the game's own lines are).
      said = room.substr(at);
      std::string unwrapped = said.substr(0, said.size() - 2);
      for (std::size_t end = unwrapped.find("\r\n"); end != std::string::npos;
           end = unwrapped.find("\r\n", end)) {
        unwrapped.replace(end, 2, " ");
      }
      EXPECT_EQ(said.substr(said.size() - 2), "\r\n");
      const std::string reason = folder == FAILING_LIBEDIT_FOLDER
                                     ? "libedit.so.2 could not start on this terminal"
                                     : folder + "/libedit.so.2: file too short";
      EXPECT_EQ(unwrapped, NO_EDITING + reason);
    }
    ASSERT_TRUE(game.lineWait());
    game.type("inv");
    ASSERT_TRUE(game.see("inv"));
    game.type("\x0c");
    EXPECT_EQ(withoutErasing(game.shownUntil(PROMPT + "inv")), "^L\x1b[H" + SHORE + said);
    game.type("entory\r");
    EXPECT_EQ(game.shownUntil(START_INVENTORY), "entory");
    // On an empty line, and twice in one line (a redraw ends on the
    // prompt's row, erased below).
    game.type("\x0c");
    ASSERT_TRUE(game.see("\x1b[J" + PROMPT));
    game.type("in\x0c");
    ASSERT_TRUE(game.see("\x1b[J" + PROMPT + "in"));
    game.type("vent\x0c");
    ASSERT_TRUE(game.see("\x1b[J" + PROMPT + "invent"));
    game.type("ory\r");
    EXPECT_EQ(game.shownUntil(START_INVENTORY), "ory");
    EXPECT_TRUE(endsOnCtrlD(game));
  }
}

// ---------------------------------------------------------------------------
// Every way out, from every kind of wait, leaves the player's terminal as it
// was.
// ---------------------------------------------------------------------------

enum class Wait { Title, Command, Answer, Fight, PlayAgain };
enum class WayOut { CtrlC, CtrlD, CtrlBackslash, Terminate, HangUpSignal };

struct Exit {
  Wait wait;
  WayOut way;
};

const char* waitName(Wait wait) {
  switch (wait) {
    case Wait::Title: return "Title";
    case Wait::Command: return "Command";
    case Wait::Answer: return "Answer";
    case Wait::Fight: return "Fight";
    case Wait::PlayAgain: return "PlayAgain";
  }
  return "?";
}

const char* wayName(WayOut way) {
  switch (way) {
    case WayOut::CtrlC: return "CtrlC";
    case WayOut::CtrlD: return "CtrlD";
    case WayOut::CtrlBackslash: return "CtrlBackslash";
    case WayOut::Terminate: return "Sigterm";
    case WayOut::HangUpSignal: return "Sighup";
  }
  return "?";
}

class TerminalWayOut : public ::testing::TestWithParam<Exit> {};

TEST_P(TerminalWayOut, LeavesTheTerminalAsItWas) {
  const Exit out = GetParam();
  PlayedGame game;
  START_OR_SKIP(game);
  switch (out.wait) {
    case Wait::Title: ASSERT_TRUE(game.keyWait()); break;
    case Wait::Command: ASSERT_TRUE(pastTitle(game)); break;
    case Wait::Answer:
      ASSERT_TRUE(pastTitle(game));
      ASSERT_TRUE(command(game, "kill sailor", WITH_WHAT));
      break;
    case Wait::Fight:
      ASSERT_TRUE(pastTitle(game));
      ASSERT_TRUE(walkIntoGnomeFight(game));
      break;
    case Wait::PlayAgain:
      ASSERT_TRUE(pastTitle(game));
      ASSERT_TRUE(drown(game));
      break;
  }
  const bool atKey = out.wait != Wait::Command && out.wait != Wait::Answer;
  switch (out.way) {
    case WayOut::CtrlC:
      // At a single-key wait, once its hint shows; at a line, with some of
      // it typed.
      if (atKey) {
        ASSERT_TRUE(game.see(KEY_HINT));
      } else {
        ASSERT_TRUE(game.lineWait());
        game.type("inv");
        ASSERT_TRUE(game.see("inv"));
      }
      game.type("\x03");
      break;
    case WayOut::CtrlD: game.type("\x04"); break;
    case WayOut::CtrlBackslash: game.type("\x1c"); break;
    case WayOut::Terminate: ::kill(game.pid(), SIGTERM); break;
    case WayOut::HangUpSignal: ::kill(game.pid(), SIGHUP); break;
  }
  int status = 0;
  ASSERT_TRUE(game.waitEnd(status)) << "the game did not end";
  switch (out.way) {
    case WayOut::CtrlC: {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130) << status;
      // Where the game waited for a key, its hint is erased before the line
      // end; nothing of it stays on the player's screen. A line being typed
      // stays as it was (the terminal's own editing echoes the Ctrl-C).
      const std::string end = atKey ? "\x1b[K\r\n" : LINE_EDITOR ? "inv\r\n" : "inv^C\r\n";
      const std::string& screen = game.screen();
      EXPECT_TRUE(screen.size() >= end.size() &&
                  screen.compare(screen.size() - end.size(), end.size(), end) == 0)
          << PlayedGame::printable(screen);
      break;
    }
    case WayOut::CtrlD: EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status; break;
    case WayOut::CtrlBackslash:
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGQUIT) << status;
      break;
    case WayOut::Terminate:
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
      break;
    case WayOut::HangUpSignal:
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGHUP) << status;
      break;
  }
  EXPECT_TRUE(sameSettings(game.before(), game.settings()));
}

// Ctrl-D is a key like any other where the game waits for one key, so it
// ends the game only where a line is read.
INSTANTIATE_TEST_SUITE_P(
    Terminal, TerminalWayOut,
    ::testing::Values(
        Exit{Wait::Title, WayOut::CtrlC}, Exit{Wait::Title, WayOut::Terminate},
        Exit{Wait::Title, WayOut::HangUpSignal}, Exit{Wait::Command, WayOut::CtrlC},
        Exit{Wait::Command, WayOut::CtrlD}, Exit{Wait::Command, WayOut::CtrlBackslash},
        Exit{Wait::Command, WayOut::Terminate}, Exit{Wait::Command, WayOut::HangUpSignal},
        Exit{Wait::Answer, WayOut::CtrlC}, Exit{Wait::Answer, WayOut::CtrlD},
        Exit{Wait::Answer, WayOut::Terminate}, Exit{Wait::Answer, WayOut::HangUpSignal},
        Exit{Wait::Fight, WayOut::CtrlC}, Exit{Wait::Fight, WayOut::Terminate},
        Exit{Wait::Fight, WayOut::HangUpSignal}, Exit{Wait::PlayAgain, WayOut::CtrlC},
        Exit{Wait::PlayAgain, WayOut::Terminate}, Exit{Wait::PlayAgain, WayOut::HangUpSignal}),
    [](const ::testing::TestParamInfo<Exit>& info) {
      return std::string(waitName(info.param.wait)) + wayName(info.param.way);
    });

// Closing the terminal window: the game ends at once, whether the hangup
// signal kills it or, ignored (nohup), the terminal reads as ended.
TEST(TerminalHangUp, ClosedTerminalEndsTheGame) {
  for (bool ignored : {false, true}) {
    for (bool atKey : {false, true}) {
      SCOPED_TRACE(std::string(ignored ? "hangup ignored" : "hangup signal") +
                   (atKey ? ", at the title" : ", at the prompt"));
      PlayedGame game;
      Options options;
      options.ignoreHangup = ignored;
      START_OR_SKIP(game, options);
      if (atKey) {
        ASSERT_TRUE(game.keyWait());
      } else {
        ASSERT_TRUE(pastTitle(game));
      }
      game.hangUp();
      int status = 0;
      ASSERT_TRUE(game.waitEnd(status)) << "the game went on without its terminal";
      if (ignored && atKey) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
      } else if (ignored) {
        // The line end that follows the prompt when the input ends can no
        // longer be shown: output lost.
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
      } else {
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGHUP) << status;
      }
    }
  }
}

// Any other signal that ends a program, sent while the line editor has the
// terminal: the game is run here without a shell, so nothing but the game
// itself can put the terminal back before the signal ends it.
TEST(TerminalWayOut, EveryEndingSignalLeavesTheTerminalAsItWas) {
  for (int signal : {SIGPIPE, SIGUSR1, SIGUSR2, SIGALRM, SIGXCPU, SIGPROF, SIGVTALRM, SIGSYS,
                     SIGTRAP, SIGPWR, SIGIO, SIGSTKFLT, SIGRTMIN, SIGRTMAX}) {
    SCOPED_TRACE(signal);
    PlayedGame game;
    START_OR_SKIP(game);
    ASSERT_TRUE(pastTitle(game));
    ::kill(game.pid(), signal);
    int status = 0;
    ASSERT_TRUE(game.waitEnd(status)) << "the game did not end";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_TRUE(sameSettings(game.before(), game.settings()));
  }
}

// A terminal left non-blocking by the program before the game: every wait,
// the line editor's included, waits for the player's keys.
TEST(TerminalLines, NonBlockingTerminalStillWaitsForTheLine) {
  PlayedGame game;
  Options options;
  options.nonBlockingInput = true;
  START_OR_SKIP(game, options);
  ASSERT_TRUE(pastTitle(game));
  ::usleep(200 * 1000);  // the editor waits with nothing typed yet
  game.type("inv");
  ::usleep(100 * 1000);  // and between keys
  game.type("entory\r");
  EXPECT_EQ(game.shownUntil(START_INVENTORY), "inventory");
  EXPECT_TRUE(endsOnCtrlD(game));
}

// Ctrl-Z under a shell with job control: the game stops with the player's
// terminal settings back, and after fg (SIGCONT) goes on waiting where it was.
TEST(TerminalSuspend, CtrlZStopsWithTheTerminalRestoredAndFgResumes) {
  PlayedGame game;
  Options options;
  options.jobControl = true;
  START_OR_SKIP(game, options);

  // At the title, waiting for a key.
  ASSERT_TRUE(game.keyWait());
  game.type("\x1a");
  ASSERT_TRUE(game.expectEvent('S'));
  EXPECT_TRUE(sameSettings(game.before(), game.settings()));
  ::kill(game.pid(), SIGCONT);
  ASSERT_TRUE(game.expectEvent('C'));
  ASSERT_TRUE(game.keyWait()) << "back in the wait for a key";
  game.type(ANY_KEY);
  ASSERT_TRUE(game.see(PROMPT));

  // At "What now?  ", half-way through a line.
  ASSERT_TRUE(game.lineWait());
  game.type("inv");
  ASSERT_TRUE(game.see("inv"));
  game.type("\x1a");
  ASSERT_TRUE(game.expectEvent('S'));
  EXPECT_TRUE(sameSettings(game.before(), game.settings()));
  ::kill(game.pid(), SIGCONT);
  ASSERT_TRUE(game.expectEvent('C'));
  // After fg the screen is drawn again as it was, the prompt and the line
  // being typed too, and the line goes on. The terminal's own line editing
  // echoes the Ctrl-Z and drops the unfinished line, as it does for a shell.
  const std::string kept = LINE_EDITOR ? "inv" : "";
  EXPECT_EQ(withoutErasing(game.shownUntil(PROMPT + kept)),
            (LINE_EDITOR ? "" : "^Z") + std::string("\x1b[H") + SHORE);
  ASSERT_TRUE(game.lineWait()) << "back in the line read";
  game.type(LINE_EDITOR ? "entory\r" : "inventory\r");
  EXPECT_EQ(game.shownUntil(START_INVENTORY), LINE_EDITOR ? "entory" : "inventory");

  EXPECT_TRUE(endsOnCtrlD(game));
}

// fg with a key already typed: the screen is drawn again before the key is
// taken. Here the game is stopped while it is busy, in the middle of writing
// the title (its output held up by Ctrl-S), and the key is typed while it is
// stopped. The redraw once waited for a later wait with no key at hand, and
// came in the middle of the next line (the test above failed now and then on
// a loaded machine, its Ctrl-Z arriving while the game was still busy).
TEST(TerminalSuspend, FgDrawsTheScreenBeforeTakingAKeyAlreadyTyped) {
  PlayedGame game;
  Options options;
  options.jobControl = true;
  options.typedFirst = "\x13";
  START_OR_SKIP(game, options);
  // Once the game has the terminal (its echo off), it can be stopped.
  ASSERT_TRUE(
      game.until([&](const std::string&) { return (game.settings().c_lflag & ECHO) == 0; }));
  game.type("\x1a");
  ASSERT_TRUE(game.expectEvent('S'));
  game.type(ANY_KEY + "\x11");  // and Ctrl-Q: the output goes on
  ::kill(game.pid(), SIGCONT);
  ASSERT_TRUE(game.expectEvent('C'));
  const std::string shown = game.shownUntil(PROMPT);
  const std::size_t redrawn = shown.find("\x1b[H\x1b[K");
  const std::size_t cleared = shown.rfind(CLEAR);
  EXPECT_NE(redrawn, std::string::npos) << PlayedGame::printable(shown);
  EXPECT_LT(redrawn, cleared) << PlayedGame::printable(shown);
  EXPECT_NE(shown.find("You are going to need it.", redrawn), std::string::npos);
  // No redraw left for later.
  game.type("inventory\r");
  EXPECT_EQ(game.shownUntil(START_INVENTORY), "inventory");
  EXPECT_TRUE(endsOnCtrlD(game));
}

// ---------------------------------------------------------------------------
// The screen: wrapped at the window's width, drawn again on Ctrl-L and after a
// resize.
// ---------------------------------------------------------------------------

// The coral reef with its wreck: a "You see" line that does not fit 40
// columns, as the game shows it where every line fits.
const std::string REEF =
    RULE +
    "\r\n\r\nYou are at a coral reef strewn with the wreckage of your poor little boat.\r\n"
    "\r\nYou see: Wreckage. A book of waterproof matches. \r\n"
    "Obvious exits are: North  South  East  West  \r\n" +
    RULE + "\r\n";

TEST(TerminalScreen, WrapsAtWordsFollowsResizesAndRedrawsOnCtrlL) {
  PlayedGame game;
  Options options;
  options.columns = 40;
  options.rows = 10;
  START_OR_SKIP(game, options);
  const std::string rule(40, '_');
  // 40 columns: rules are one row, lines go on at word boundaries, and the
  // key hint follows the title's last words.
  ASSERT_TRUE(game.see(scrolledUp(10, 10)));
  ASSERT_TRUE(game.see(
      "\r\n" + rule +
      "\r\n\r\n     You were sailing your small boat\r\n"
      "across the warm southern seas, on a\r\nholiday you had more than earned, when a\r\n"));
  ASSERT_TRUE(game.see("          Good luck, castaway.  You are\r\ngoing to need it.  " + KEY_HINT +
                       "\r\x1b[17C"));
  ASSERT_TRUE(game.keyWait());
  game.type(ANY_KEY);
  EXPECT_EQ(game.shownUntil(PROMPT),
            "\x1b[K" + scrolledUp(10, 10) + rule +
                "\r\n\r\nYou are on a tropical shore. The sea\r\n"
                "stretches away to the east, and to the\r\n"
                "north the beach curls round into a small\r\ncove.\r\n\r\nYou see: Nothing.\r\n"
                "Obvious exits are: North  South  East\r\nWest  \r\n" +
                rule + "\r\n");
  ASSERT_TRUE(command(game, "east"));
  game.type("north\r");
  ASSERT_TRUE(
      game.see("You are at a coral reef strewn with the\r\nwreckage of your poor little boat.\r\n"
               "\r\nYou see: Wreckage. A book of waterproof\r\nmatches. \r\n"));
  ASSERT_TRUE(game.see(PROMPT));

  // Wider in the middle of a line: the screen is drawn again at the new
  // width, every line fitting as the game wrote it and the rule 80 wide, then
  // the prompt and the line, which goes on.
  ASSERT_TRUE(game.lineWait());
  game.type("inv");
  ASSERT_TRUE(game.see("inv"));
  game.resize(120, 40);
  EXPECT_EQ(withoutErasing(game.shownUntil(PROMPT + "inv")), "\x1b[H" + REEF);
  game.type("entory\r");
  EXPECT_EQ(game.shownUntil(START_INVENTORY), "entory");

  // Ctrl-L (the line editor's key): the room and everything since, then the
  // prompt and the line.
  if (LINE_EDITOR) {
    ASSERT_TRUE(game.lineWait());
    game.type("xyz");
    ASSERT_TRUE(game.see("xyz"));
    game.type("\x0c");
    EXPECT_EQ(withoutErasing(game.shownUntil(PROMPT + "xyz")),
              "\x1b[H" + REEF + PROMPT + "inventory" +
                  START_INVENTORY.substr(0, START_INVENTORY.size() - PROMPT.size()));
    game.type("\x15inventory\r");
    ASSERT_TRUE(game.see(START_INVENTORY));
  }
  EXPECT_TRUE(endsOnCtrlD(game));
}

// 64 columns: each paragraph is wrapped as one, every row as full as whole
// words allow. The title fills the 24 rows, and its last row has no room
// for the key hint, which goes on the row below it, moving the screen up
// one row. Drawn again at 59 columns, the title leaves that row free for
// the hint; the key rubs it out, and the clear moves the title's 23 rows
// into the scrollback, and not the empty row below them.
TEST(TerminalScreen, ParagraphsFlowBelowEightyColumnsAndTheHintTakesTheNextRow) {
  PlayedGame game;
  Options options;
  options.columns = 64;
  START_OR_SKIP(game, options);
  ASSERT_TRUE(game.see(scrolledUp(24, 24)));
  ASSERT_TRUE(
      game.see("\r\n\r\n     You were sailing your small boat across the warm southern\r\n"
               "seas, on a holiday you had more than earned, when a storm came\r\n"
               "up out of nowhere and drove you onto a reef.  The boat went down\r\n"
               "in minutes.  Some time later you woke up on a shore that appears\r\n"
               "on no chart you have ever seen.  Your only hope of getting home\r\n"
               "is to escape from this place, and to do that you must tell the\r\n"
               "game what to do, in commands of one or two words.\r\n\r\n"));
  ASSERT_TRUE(game.see("          Good luck, castaway.  You are going to need it.\r\n" + KEY_HINT +
                       "\x1b[A\r\x1b[57C"));
  ASSERT_TRUE(game.keyWait());
  // 26 rows at 59 columns: the first three are left above the screen.
  game.resize(59, 24);
  ASSERT_TRUE(game.see("\x1b[H\x1b[K" + std::string(31, ' ') + "(Castaway Edition)\r\n"));
  ASSERT_TRUE(game.see("\x1b[J          Good luck, castaway.  You are going to need it.\r\n" +
                       KEY_HINT + "\x1b[A\r\x1b[57C"));
  game.type(ANY_KEY);
  const std::string rule(59, '_');
  EXPECT_EQ(game.shownUntil(PROMPT),
            "\x1b[B\x1b[2K\x1b[A" + scrolledUp(24, 23) + rule +
                "\r\n\r\nYou are on a tropical shore. The sea stretches away to the\r\n"
                "east, and to the north the beach curls round into a small\r\ncove.\r\n\r\n"
                "You see: Nothing.\r\nObvious exits are: North  South  East  West  \r\n" +
                rule + "\r\n");
  EXPECT_TRUE(endsOnCtrlD(game));
}

// Ctrl-L on a screen that fills the window to its last row: the redraw is
// what was shown, row for row, with nothing scrolled away or left out.
TEST(TerminalScreen, CtrlLRedrawsAScreenAsTallAsTheWindow) {
  SKIP_WITHOUT_LINE_EDITOR();
  PlayedGame game;
  START_OR_SKIP(game);  // 24 rows
  ASSERT_TRUE(pastTitle(game));
  // The room shown again (9 rows with the prompt), then three lists of
  // nothing carried (5 rows each): the prompt stands on row 24.
  game.type("drop preserver\r");
  ASSERT_TRUE(game.see(CLEAR));
  std::string shown = game.shownUntil(PROMPT);
  for (int i = 0; i < 3; ++i) {
    shown += PROMPT;
    game.type("inventory\r");
    const std::string list = "You are carrying:\r\n\r\n\r\n";
    shown += game.shownUntil(list + PROMPT) + list;
  }
  ASSERT_EQ(std::count(shown.begin(), shown.end(), '\n'), 23) << PlayedGame::printable(shown);
  ASSERT_TRUE(game.lineWait());
  game.type("xyz");
  ASSERT_TRUE(game.see("xyz"));
  game.type("\x0c");
  EXPECT_EQ(withoutErasing(game.shownUntil(PROMPT + "xyz")), "\x1b[H" + withoutErasing(shown));
  game.type("\x15inventory\r");
  ASSERT_TRUE(game.see("You are carrying:\r\n\r\n\r\n" + PROMPT));
  EXPECT_TRUE(endsOnCtrlD(game));
}

// A screen as tall as the window, the prompt on its last row: Ctrl-L draws
// every row where it was. A typed line is wrapped where the line editor
// wrapped it, mid-word at the last column, and one that fills its row exactly
// is followed by the empty row the editor moved the cursor to.
TEST(TerminalScreen, CtrlLRedrawsAFullScreenRowForRow) {
  SKIP_WITHOUT_LINE_EDITOR();
  PlayedGame game;
  START_OR_SKIP(game);  // 80 columns, 24 rows
  ASSERT_TRUE(pastTitle(game));
  const std::string UNKNOWN = "\r\n\r\nYou don't know those words\r\n\r\n" + PROMPT;
  // The shore's 8 rows, then rows 9 to 14: the prompt and 69 letters fill
  // row 9, and row 10 is left empty.
  const std::string full(69, 'a');
  ASSERT_TRUE(command(game, full, UNKNOWN));
  // Rows 14 to 19: 6 letters more than the row holds.
  const std::string longer(75, 'b');
  ASSERT_TRUE(command(game, longer, UNKNOWN));
  // Rows 19 to 25: the screen has scrolled its top row away.
  ASSERT_TRUE(command(game, "inventory", START_INVENTORY));
  ASSERT_TRUE(game.lineWait());
  game.type("\x0c");
  EXPECT_EQ(withoutErasing(game.shownUntil("\x1b[J" + PROMPT)),
            "\x1b[H" + SHORE.substr(RULE.size() + 2) + PROMPT + full + "\r\n" + UNKNOWN +
                longer.substr(0, 69) + "\r\n" + longer.substr(69) + UNKNOWN + "inventory" +
                START_INVENTORY.substr(0, START_INVENTORY.size() - PROMPT.size()));
  EXPECT_EQ(game.rest(), "");
  EXPECT_TRUE(endsOnCtrlD(game));
}

// What a terminal shows of the game's bytes: a grid of cells and a cursor,
// as xterm keeps them (a character written in the last column leaves the
// cursor there until the next one wraps), for the sequences the game and
// the line editor send. A smaller window keeps its bottom rows.
class Glass {
 public:
  Glass(int columns, int rows) { resize(columns, rows); }

  void resize(int columns, int rows) {
    const int drop = std::max(0, static_cast<int>(cells_.size()) - rows);
    const int kept = std::min(static_cast<int>(cells_.size()), rows);
    std::vector<std::string> now(static_cast<std::size_t>(rows), std::string(columns, ' '));
    for (int r = 0; r < kept; ++r) {
      now[r].replace(0, std::min<std::size_t>(columns, cells_[r + drop].size()),
                     cells_[r + drop].substr(0, columns));
    }
    cells_ = now;
    columns_ = columns;
    row_ = std::clamp(row_ - drop, 0, rows - 1);
    column_ = std::min(column_, columns - 1);
    pending_ = false;
  }

  // Takes in whatever the game has shown since the last call.
  void follow(const std::string& screen) {
    for (; fed_ < screen.size(); ++fed_) take(static_cast<unsigned char>(screen[fed_]));
  }

  // The cell the cursor stands after: the one before it, or its own where a
  // character just filled the last column.
  char beforeCursor() const {
    if (pending_) return cells_[row_][column_];
    if (column_ > 0) return cells_[row_][column_ - 1];
    return row_ > 0 ? cells_[row_ - 1][columns_ - 1] : '\0';
  }
  char underCursor() const { return cells_[row_][column_]; }
  // The rows, the cursor's marked, for a failure's message.
  std::string rows() const {
    std::string shown;
    for (std::size_t r = 0; r < cells_.size(); ++r) {
      shown += "|" + cells_[r] + "|";
      if (static_cast<int>(r) == row_) shown += " <- cursor at " + std::to_string(column_);
      shown += "\n";
    }
    return shown;
  }
  int cursorRow() const { return row_; }
  int cursorColumn() const { return column_; }

 private:
  void take(unsigned char byte) {
    if (!sequence_.empty()) {
      sequence_ += static_cast<char>(byte);
      if (sequence_.size() == 2 && byte != '[') {
        sequence_.clear();  // ESC and one character: nothing drawn
      } else if (sequence_.size() > 2 && byte >= 0x40 && byte <= 0x7e) {
        control(sequence_.substr(2, sequence_.size() - 3), static_cast<char>(byte));
        sequence_.clear();
      }
      return;
    }
    switch (byte) {
      case 0x1b: sequence_ = "\x1b"; return;
      case '\r':
        column_ = 0;
        pending_ = false;
        return;
      case '\n':
        down();
        pending_ = false;
        return;
      case '\t':
        column_ = std::min(columns_ - 1, (column_ / 8 + 1) * 8);
        pending_ = false;
        return;
      case '\b':
        column_ = std::max(0, column_ - (pending_ ? 0 : 1));
        pending_ = false;
        return;
      default: break;
    }
    if (byte < 0x20 || (byte & 0xc0) == 0x80) return;  // a bell; the rest of a character
    if (pending_) {
      column_ = 0;
      down();
      pending_ = false;
    }
    cells_[row_][column_] = static_cast<char>(byte);
    if (column_ + 1 < columns_) {
      ++column_;
    } else {
      pending_ = true;
    }
  }

  void down() {
    if (row_ + 1 < static_cast<int>(cells_.size())) {
      ++row_;
      return;
    }
    cells_.erase(cells_.begin());
    cells_.emplace_back(columns_, ' ');
  }

  void control(const std::string& parameters, char final) {
    const int rows = static_cast<int>(cells_.size());
    const int n = parameters.empty() || parameters[0] == '?' ? 0 : std::atoi(parameters.c_str());
    const int count = std::max(n, 1);
    pending_ = false;
    std::string& line = cells_[row_];
    switch (final) {
      case 'A': row_ = std::max(0, row_ - count); break;
      case 'B': row_ = std::min(rows - 1, row_ + count); break;
      case 'C': column_ = std::min(columns_ - 1, column_ + count); break;
      case 'D': column_ = std::max(0, column_ - count); break;
      case 'G': column_ = std::min(columns_, count) - 1; break;
      case 'H': {
        const std::size_t semicolon = parameters.find(';');
        row_ = std::clamp(count - 1, 0, rows - 1);
        column_ =
            semicolon == std::string::npos
                ? 0
                : std::clamp(std::atoi(parameters.c_str() + semicolon + 1) - 1, 0, columns_ - 1);
        break;
      }
      case 'J':
        for (int r = row_ + 1; r < rows; ++r) cells_[r].assign(columns_, ' ');
        [[fallthrough]];
      case 'K': line.replace(column_, columns_ - column_, columns_ - column_, ' '); break;
      case '@':
        line.insert(column_, std::min(count, columns_ - column_), ' ');
        line.resize(columns_);
        break;
      case 'P':
        line.erase(column_, std::min(count, columns_ - column_));
        line.resize(columns_, ' ');
        break;
      default: break;  // colours, modes
    }
  }

  std::vector<std::string> cells_;
  int columns_ = 0;
  int row_ = 0;
  int column_ = 0;
  bool pending_ = false;
  std::string sequence_;
  std::size_t fed_ = 0;
};

// A window made smaller than the line being typed shows the line's last
// rows, and the cursor stays where the next key types: once it was drawn a
// row below the line's true place, and a key went where it was not seen.
// At a window of one row, a key that fills the row stays on it (it once
// went up out of sight, the cursor on an empty row below it).
TEST(TerminalScreen, AWindowSmallerThanTheLineShowsWhereTheNextKeyGoes) {
  SKIP_WITHOUT_LINE_EDITOR();
  struct Case {
    std::string before;  // typed before the window shrinks
    unsigned short columns, rows;
  };
  const std::string longLine = std::string(68, 'a') + "z";  // three rows of 40 with the prompt
  for (const Case& shrink : {Case{longLine + "\x01", 40, 2}, Case{longLine + "\x1b[D", 20, 2},
                             Case{"ab", 3, 1}, Case{"ab", 1, 3}}) {
    SCOPED_TRACE(PlayedGame::printable(shrink.before) + " at " + std::to_string(shrink.columns) +
                 "x" + std::to_string(shrink.rows));
    PlayedGame game;
    Options options;
    options.columns = 40;
    options.rows = 10;
    START_OR_SKIP(game, options);
    Glass glass(40, 10);
    ASSERT_TRUE(pastTitle(game));
    ASSERT_TRUE(game.lineWait());
    game.type(shrink.before);
    // Until the editor has taken the keys: the cursor after the b, at the
    // start of the line (after the prompt), or on the z.
    const char under = shrink.before == "ab" ? ' ' : shrink.before.back() == 'D' ? 'z' : 'a';
    ASSERT_TRUE(game.until([&](const std::string& screen) {
      glass.follow(screen);
      return shrink.before == "ab"
                 ? glass.beforeCursor() == 'b'
                 : glass.underCursor() == under && (under == 'z' || glass.cursorColumn() == 11);
    })) << "the editor never took "
        << PlayedGame::printable(shrink.before) << "\n"
        << glass.rows();
    // Each key once the screen is drawn again at the new size.
    game.skipShown();
    game.resize(shrink.columns, shrink.rows);
    glass.resize(shrink.columns, shrink.rows);
    ASSERT_TRUE(game.see("\x1b[H"));
    for (const char key : {'X', 'Y'}) {
      game.type(std::string(1, key));
      EXPECT_TRUE(game.until([&](const std::string& screen) {
        glass.follow(screen);
        return glass.beforeCursor() == key;
      })) << key
          << " is not where the cursor stands:\n"
          << glass.rows();
    }
    game.skipShown();
    game.resize(40, 10);
    ASSERT_TRUE(game.see("\x1b[J" + PROMPT));
    game.type("\r");
    EXPECT_TRUE(game.see("You don't know those words\r\n\r\n" + PROMPT));
    EXPECT_TRUE(endsOnCtrlD(game));
  }
}

// ---------------------------------------------------------------------------
// The terminal front end on its own, in a child process whose standard input
// and output are a pseudo-terminal; it reports over a socket.
// ---------------------------------------------------------------------------

class FrontEndChild {
 public:
  FrontEndChild(const FrontEndChild&) = delete;
  FrontEndChild& operator=(const FrontEndChild&) = delete;
  FrontEndChild() = default;

  ~FrontEndChild() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    if (link_ >= 0) ::close(link_);
  }

  // Runs body in the child with the terminal front end open; the child
  // reports with report() and waits for the test with awaitGo().
  bool start(void (*body)(), bool withEditor = false, const char* locale = nullptr) {
    winsize size{24, 80, 0, 0};
    if (::openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) return false;
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    termios settings = playerSettings(slave_);
    ::tcsetattr(slave_, TCSANOW, &settings);
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return false;
    pid_ = ::fork();
    if (pid_ == 0) {
      // The child holds only its own ends: a hangup must reach it.
      ::close(master_);
      ::close(pair[0]);
      childLink = pair[1];
      if (::login_tty(::dup(slave_)) != 0) ::_exit(126);
      defaultSignals();
      struct sigaction ignore {};
      ignore.sa_handler = SIG_IGN;
      ::sigaction(SIGHUP, &ignore, nullptr);  // a hangup is read as the end of input
      if (!openTerminal()) ::_exit(125);
      FrontEnd frontEnd{};
      if (withEditor) {
        ::setenv("TERM", "xterm", 1);
        if (locale != nullptr) ::setenv("LC_ALL", locale, 1);
        const char* why = nullptr;
        if (!openLineEditor(nextTypedByte, why)) ::_exit(124);
        frontEnd.remember = rememberLine;
      }
      frontEnd.clearScreen = ansiClear;
      frontEnd.readKey = terminalReadKey;
      frontEnd.keyWaiting = terminalKeyWaiting;
      frontEnd.readLine = terminalReadLine;
      frontEnd.write = [](const char* text, std::size_t length) {
        (void)!::write(STDOUT_FILENO, text, length);
      };
      frontEnd.clock = [] { return std::uint32_t{0}; };
      setFrontEnd(frontEnd);
      body();
      closeTerminal();
      ::_exit(0);
    }
    ::close(pair[1]);
    link_ = pair[0];
    return pid_ > 0;
  }

  static void report(int value) { (void)!::write(childLink, &value, sizeof value); }
  static void awaitGo() {
    char go = 0;
    (void)!::read(childLink, &go, 1);
  }

  ::testing::AssertionResult nextReport(int& value) {
    if (readFully(link_, &value, sizeof value, deadlineFromNow())) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "the front end reported nothing";
  }

  std::vector<int> reports(std::size_t count) {
    std::vector<int> values;
    int value = 0;
    while (values.size() < count && nextReport(value)) values.push_back(value);
    return values;
  }

  void go() { (void)!::write(link_, "g", 1); }

  ::testing::AssertionResult keyWait() {
    auto deadline = deadlineFromNow();
    for (;;) {
      termios now{};
      ::tcgetattr(slave_, &now);
      if ((now.c_lflag & ICANON) == 0) return ::testing::AssertionSuccess();
      if (millisecondsLeft(deadline) == 0) return ::testing::AssertionFailure() << "no key wait";
      drain(2);
    }
  }

  void type(const std::string& keys) { writeFully(master_, keys); }
  termios settings() const {
    termios now{};
    ::tcgetattr(slave_, &now);
    return now;
  }
  void hangUp() {
    ::close(master_);
    master_ = -1;
  }

  int exitStatus() {
    auto deadline = deadlineFromNow();
    int status = -1;
    while (::waitpid(pid_, &status, WNOHANG) != pid_) {
      if (millisecondsLeft(deadline) == 0) return -1;
      drain(5);
    }
    pid_ = -1;
    return status;
  }

 private:
  void drain(int milliseconds) {
    if (master_ < 0) {
      ::poll(nullptr, 0, milliseconds);
      return;
    }
    pollfd ready{master_, POLLIN, 0};
    if (::poll(&ready, 1, milliseconds) > 0 && (ready.revents & POLLIN) != 0) {
      char buffer[1024];
      (void)!::read(master_, buffer, sizeof buffer);
    }
  }

  static int childLink;
  int master_ = -1;
  int slave_ = -1;
  int link_ = -1;
  pid_t pid_ = -1;
};

int FrontEndChild::childLink = -1;

// Reads keys and reports every code until -1.
void reportEveryKey() {
  for (;;) {
    int key = readKey();
    FrontEndChild::report(key);
    if (key < 0) return;
  }
}

TEST(TerminalFrontEnd, KeysAndSpecialKeysAsTheGameSeesThem) {
  FrontEndChild child;
  if (!child.start(reportEveryKey)) GTEST_SKIP() << "no pseudo-terminal here";
  struct Press {
    const char* keys;
    std::vector<int> codes;
  };
  // Every character typed is a key, control characters and Enter included;
  // a special key is 0 and then its second code; a character of several
  // bytes is one key.
  const Press presses[] = {
      {"a", {'a'}},
      {"Y", {'Y'}},
      {"\r", {'\n'}},
      {"\x04", {4}},
      {" ", {' '}},
      {"\x1b[A", {0, 72}},
      {"\x1b[B", {0, 80}},
      {"\x1b[C", {0, 77}},
      {"\x1b[D", {0, 75}},
      {"\x1bOA", {0, 72}},
      {"\x1b[H", {0, 71}},
      {"\x1b[3~", {0, 83}},
      {"\x1b[3;5~", {0, 83}},
      {"\x1b[1;5C", {0, 77}},
      {"\x1b[5~", {0, 73}},
      {"\x1bOP", {0, 59}},
      {"\x1b[[A", {0, 59}},
      {"\x1b[21~", {0, 68}},
      {"\x1b[24~", {0, 134}},
      {"\x1b", {27}},
      {"\x1bx", {27, 'x'}},
      {"\xc3\xa9", {0xc3}},
      {"\xe2\x82\xac", {0xe2}},
  };
  for (const Press& press : presses) {
    SCOPED_TRACE(PlayedGame::printable(press.keys));
    ASSERT_TRUE(child.keyWait());
    child.type(press.keys);
    EXPECT_EQ(child.reports(press.codes.size()), press.codes);
  }
  ASSERT_TRUE(child.keyWait());
  child.hangUp();
  int value = 0;
  ASSERT_TRUE(child.nextReport(value));
  EXPECT_EQ(value, -1) << "a terminal that has gone away gives no more keys";
  EXPECT_EQ(child.exitStatus(), 0);
}

// keyWaiting answers at once, sees keys not yet ended with Enter, and
// reports a pending second code; after a hangup it reports nothing, so the
// discarding of typed-ahead keys cannot spin.
void reportKeyWaiting() {
  FrontEndChild::report(keyWaiting() ? 1 : 0);  // nothing typed yet
  FrontEndChild::awaitGo();                     // "ab" typed, no Enter
  FrontEndChild::report(keyWaiting() ? 1 : 0);
  FrontEndChild::report(readKey());
  FrontEndChild::report(readKey());
  FrontEndChild::report(keyWaiting() ? 1 : 0);
  FrontEndChild::awaitGo();  // an arrow typed
  FrontEndChild::report(keyWaiting() ? 1 : 0);
  FrontEndChild::report(readKey());
  FrontEndChild::report(keyWaiting() ? 1 : 0);  // its second code is pending
  FrontEndChild::report(readKey());
  FrontEndChild::report(keyWaiting() ? 1 : 0);
  FrontEndChild::awaitGo();  // the terminal hung up
  int discarded = 0;
  while (keyWaiting() && discarded < 100) {
    readKey();
    ++discarded;
  }
  FrontEndChild::report(discarded);
  char line[80] = "untouched";
  FrontEndChild::report(readLine(line, sizeof line) ? 1 : 0);
  FrontEndChild::report(std::strcmp(line, "untouched") == 0 ? 1 : 0);
}

TEST(TerminalFrontEnd, KeyWaitingPollsWithoutBlocking) {
  FrontEndChild child;
  if (!child.start(reportKeyWaiting)) GTEST_SKIP() << "no pseudo-terminal here";
  EXPECT_EQ(child.reports(1), std::vector<int>{0});
  // Between reads (the game busy) the terminal echoes nothing; it keeps its
  // line mode, so keys typed then wait there for the game.
  EXPECT_EQ(child.settings().c_lflag & (ECHO | ICANON), static_cast<tcflag_t>(ICANON));
  child.type("ab");
  // Give the keys time to reach the terminal before asking.
  ::poll(nullptr, 0, 50);
  child.go();
  EXPECT_EQ(child.reports(4), (std::vector<int>{1, 'a', 'b', 0}));
  child.type("\x1b[D");
  ::poll(nullptr, 0, 50);
  child.go();
  EXPECT_EQ(child.reports(5), (std::vector<int>{1, 0, 1, 75, 0}));
  child.hangUp();
  child.go();
  std::vector<int> discarded = child.reports(1);
  ASSERT_EQ(discarded.size(), 1U);
  EXPECT_LE(discarded[0], 1) << "keys discarded after the hangup";
  EXPECT_EQ(child.reports(2), (std::vector<int>{0, 1})) << "no line, buffer untouched";
  EXPECT_EQ(child.exitStatus(), 0);
}

// readLine: the terminal's own canonical mode does the editing; the game
// gets the edited line, cut to 79 characters, the rest of a long line
// dropped, and output is on the screen before the read.
void reportLines() {
  char line[80];
  for (;;) {
    say("> ");
    if (!readLine(line, sizeof line)) {
      FrontEndChild::report(-1);
      return;
    }
    FrontEndChild::report(static_cast<int>(std::strlen(line)));
    for (const char* c = line; *c != '\0'; ++c)
      FrontEndChild::report(static_cast<unsigned char>(*c));
  }
}

TEST(TerminalFrontEnd, LinesAreEditedByTheTerminal) {
  FrontEndChild child;
  if (!child.start(reportLines)) GTEST_SKIP() << "no pseudo-terminal here";
  auto lineOf = [&child]() {
    std::string text;
    int length = 0;
    if (!child.nextReport(length) || length < 0) return std::string("(none)");
    for (int value : child.reports(static_cast<std::size_t>(length)))
      text += static_cast<char>(value);
    return text;
  };
  child.type("get torcj\x7fh\r");
  EXPECT_EQ(lineOf(), "get torch");
  child.type("go west\x15get axe\r");
  EXPECT_EQ(lineOf(), "get axe");
  child.type(std::string(100, 'a') + "\rnext\r");
  EXPECT_EQ(lineOf(), std::string(79, 'a'));
  EXPECT_EQ(lineOf(), "next");
  child.type("\x04");
  int value = 0;
  ASSERT_TRUE(child.nextReport(value));
  EXPECT_EQ(value, -1);
  EXPECT_EQ(child.exitStatus(), 0);
}

// With the line editor: commands are remembered and answers are not; Up
// calls back the latest command; a long line is cut to 79 characters.
void reportEditedLines() {
  char line[80];
  for (int round = 0;; ++round) {
    const bool isCommand = round % 2 == 0;
    say(isCommand ? "What now?  " : "Tell me in one word, with what? ");
    if (!readLine(line, sizeof line)) {
      FrontEndChild::report(-1);
      return;
    }
    if (isCommand) rememberCommand(line);
    FrontEndChild::report(static_cast<int>(std::strlen(line)));
    for (const char* c = line; *c != '\0'; ++c)
      FrontEndChild::report(static_cast<unsigned char>(*c));
  }
}

TEST(TerminalFrontEnd, EditorRemembersCommandsButNotAnswers) {
  SKIP_WITHOUT_LINE_EDITOR();
  FrontEndChild child;
  if (!child.start(reportEditedLines, true)) GTEST_SKIP() << "no pseudo-terminal here";
  auto lineOf = [&child]() {
    std::string text;
    int length = 0;
    if (!child.nextReport(length) || length < 0) return std::string("(none)");
    for (int value : child.reports(static_cast<std::size_t>(length)))
      text += static_cast<char>(value);
    return text;
  };
  // Each line is typed once the editor is reading, as a player sees the
  // prompt first.
  auto typeLine = [&child](const std::string& keys) {
    ASSERT_TRUE(child.keyWait());
    child.type(keys);
  };
  typeLine("kill shark\r");
  EXPECT_EQ(lineOf(), "kill shark");
  typeLine("axe\r");  // an answer
  EXPECT_EQ(lineOf(), "axe");
  typeLine("\x1b[A\r");  // Up: the command, not the answer
  EXPECT_EQ(lineOf(), "kill shark");
  typeLine("\x1b[A\x1b[Dk\r");  // Up, Left, k: inserted before the last letter
  EXPECT_EQ(lineOf(), "kill sharkk");
  typeLine(std::string(100, 'a') + "\r");
  EXPECT_EQ(lineOf(), std::string(79, 'a'));
  // After a key refused on a full line, Backspace makes room and typing goes
  // on: the c is taken, not dropped unseen.
  typeLine(std::string(80, 'a') + "\x7f" + "c\r");
  EXPECT_EQ(lineOf(), std::string(78, 'a') + "c");
  typeLine("go east\x15\x04");  // Ctrl-U, then Ctrl-D on the empty line
  int value = 0;
  ASSERT_TRUE(child.nextReport(value));
  EXPECT_EQ(value, -1);
  EXPECT_EQ(child.exitStatus(), 0);
}

// In the C locale the editor reads UTF-8, and a byte that starts no
// character, or a character cut short, reaches the game as it was typed
// (they once were dropped, or came as two bytes each).
TEST(TerminalFrontEnd, EditorGivesTheGameTheBytesTyped) {
  SKIP_WITHOUT_LINE_EDITOR();
  FrontEndChild child;
  if (!child.start(reportEditedLines, true, "C")) GTEST_SKIP() << "no pseudo-terminal here";
  for (const std::string line : {"\xff\xfe", "get \xe9t\xe9", "\xe9", "\xc3\xa9t\xc3\xa9",
                                 "\xe2\x82x\xe2\x82\xac", "\xbf"}) {
    SCOPED_TRACE(PlayedGame::printable(line));
    ASSERT_TRUE(child.keyWait());
    child.type(line + "\r");
    std::string got;
    int length = 0;
    ASSERT_TRUE(child.nextReport(length));
    for (int value : child.reports(static_cast<std::size_t>(length))) {
      got += static_cast<char>(value);
    }
    EXPECT_EQ(got, line);
  }
}

}  // namespace
