// Checks the Windows console front end on a real console: key presses
// are put into the console's input as events, the way the keyboard would,
// and the screen buffer is read back after a clear.
//
//   console_check          the key, key-waiting, line and clearing checks
//   console_check break    a Ctrl-C while waiting for a key: must end the
//                          program with status 130
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <windows.h>

#include "console/console.hpp"
#include "frontends/windows/windows_console.hpp"

namespace {

int failures = 0;
// The console itself is the program's screen, so the findings go to a file
// in the working directory as well.
std::FILE* report = nullptr;
HANDLE keyboard = INVALID_HANDLE_VALUE;
HANDLE screen = INVALID_HANDLE_VALUE;

void note(const char* text) {
  std::fputs(text, stderr);
  if (report != nullptr) {
    std::fputs(text, report);
    std::fflush(report);
  }
}

void expect(bool ok, const char* what) {
  if (!ok) {
    note("FAILED: ");
    note(what);
    note("\n");
    ++failures;
  }
}

void expectKey(int expected, const char* what) {
  int got = readKey();
  if (got != expected) {
    char text[200];
    std::snprintf(text, sizeof text, "FAILED: %s: readKey gave %d, expected %d\n", what, got,
                  expected);
    note(text);
    ++failures;
  }
}

INPUT_RECORD keyEvent(bool down, WORD virtualKey, char character) {
  INPUT_RECORD event{};
  event.EventType = KEY_EVENT;
  event.Event.KeyEvent.bKeyDown = down ? TRUE : FALSE;
  event.Event.KeyEvent.wRepeatCount = 1;
  event.Event.KeyEvent.wVirtualKeyCode = virtualKey;
  event.Event.KeyEvent.uChar.AsciiChar = character;
  return event;
}

void type(const INPUT_RECORD* events, DWORD count) {
  DWORD written = 0;
  if (::WriteConsoleInputA(keyboard, events, count, &written) == 0 || written != count) {
    note("cannot put events into the console input\n");
    std::exit(2);
  }
}

void press(WORD virtualKey, char character) {
  INPUT_RECORD both[2] = {keyEvent(true, virtualKey, character),
                          keyEvent(false, virtualKey, character)};
  type(both, 2);
}

// Events that are no key press of any use: a key going up, Shift, Ctrl and
// Caps Lock alone, a focus change, a mouse move and a resize.
void typeIgnoredEvents() {
  INPUT_RECORD events[7];
  events[0] = keyEvent(false, 'A', 'a');
  events[1] = keyEvent(true, VK_SHIFT, 0);
  events[2] = keyEvent(true, VK_CONTROL, 0);
  events[3] = keyEvent(true, VK_CAPITAL, 0);
  events[4] = INPUT_RECORD{};
  events[4].EventType = FOCUS_EVENT;
  events[4].Event.FocusEvent.bSetFocus = TRUE;
  events[5] = INPUT_RECORD{};
  events[5].EventType = MOUSE_EVENT;
  events[5].Event.MouseEvent.dwMousePosition = COORD{3, 4};
  events[6] = INPUT_RECORD{};
  events[6].EventType = WINDOW_BUFFER_SIZE_EVENT;
  events[6].Event.WindowBufferSizeEvent.dwSize = COORD{80, 25};
  type(events, 7);
}

void typeLine(const char* text) {
  for (const char* p = text; *p != '\0'; ++p) {
    SHORT scan = ::VkKeyScanA(*p);
    press(static_cast<WORD>(scan & 0xff), *p);
  }
  press(VK_RETURN, '\r');
}

void checkKeys() {
  ::FlushConsoleInputBuffer(keyboard);
  expect(!keyWaiting(), "no key waiting in an empty console input");

  typeIgnoredEvents();
  expect(!keyWaiting(), "releases, Shift, Ctrl, Caps Lock, focus, mouse and resize are no key");

  typeIgnoredEvents();
  press('Y', 'y');
  expect(keyWaiting(), "a letter behind ignored events is a key waiting");
  expect(keyWaiting(), "asking again consumes nothing");
  expectKey('y', "a lower-case letter behind ignored events");
  press('Y', 'Y');
  expectKey('Y', "an upper-case letter");
  expect(!keyWaiting(), "the release of the key is no key");

  press(VK_UP, 0);
  expectKey(0, "an arrow key first gives 0");
  expect(keyWaiting(), "the second code of a special key is waiting");
  expectKey(72, "up arrow");
  expect(!keyWaiting(), "nothing waits after the second code");

  const struct {
    WORD virtualKey;
    int code;
    const char* name;
  } specials[] = {
      {VK_DOWN, 80, "down arrow"}, {VK_LEFT, 75, "left arrow"}, {VK_RIGHT, 77, "right arrow"},
      {VK_HOME, 71, "Home"},       {VK_END, 79, "End"},         {VK_PRIOR, 73, "Page Up"},
      {VK_NEXT, 81, "Page Down"},  {VK_INSERT, 82, "Insert"},   {VK_DELETE, 83, "Delete"},
      {VK_F1, 59, "F1"},           {VK_F10, 68, "F10"},         {VK_F11, 133, "F11"},
      {VK_F12, 134, "F12"},
  };
  for (const auto& special : specials) {
    press(special.virtualKey, 0);
    expectKey(0, special.name);
    expectKey(special.code, special.name);
  }

  // Keys that give a character count as themselves, whatever key they are.
  press(VK_RETURN, '\r');
  expectKey('\r', "Enter");
  press(VK_ESCAPE, 27);
  expectKey(27, "Escape");
  press(VK_SPACE, ' ');
  expectKey(' ', "the space bar");

  // Shift alone does not end a wait; the letter after it does.
  typeIgnoredEvents();
  press('Q', 'q');
  expectKey('q', "a key after ignored events");

  // Discarding what waits, the way the game does before its prompt.
  press('A', 'a');
  press(VK_LEFT, 0);
  press('B', 'b');
  int discarded = 0;
  while (keyWaiting() && discarded < 10) {
    readKey();
    ++discarded;
  }
  expect(discarded == 4, "a, left arrow (two codes) and b are discarded as four codes");
}

void checkLines() {
  ::FlushConsoleInputBuffer(keyboard);
  typeLine("get torch");
  char line[80];
  expect(readLine(line, sizeof line), "a typed line is read");
  expect(std::strcmp(line, "get torch") == 0, "the line reads get torch, without its line end");

  // A pending second code does not survive a line read.
  press(VK_UP, 0);
  expectKey(0, "an arrow before a line");
  typeLine("n");
  expect(readLine(line, sizeof line) && std::strcmp(line, "n") == 0, "the line after an arrow");
  expect(!keyWaiting(), "no second code is left after a line read");

  std::string longLine(100, 'x');
  longLine[79] = 'z';
  typeLine(longLine.c_str());
  typeLine("look");
  expect(readLine(line, sizeof line) && std::strlen(line) == 79 && line[78] == 'x',
         "a line of 100 characters reads as its first 79");
  expect(readLine(line, sizeof line) && std::strcmp(line, "look") == 0,
         "the next read starts on the next line");
}

void checkClear() {
  const WORD colours = FOREGROUND_GREEN | BACKGROUND_BLUE;
  ::SetConsoleTextAttribute(screen, colours);
  say("Some words on the screen\nand more\n");
  clearScreen();
  CONSOLE_SCREEN_BUFFER_INFO info;
  expect(::GetConsoleScreenBufferInfo(screen, &info) != 0, "screen buffer info");
  expect(info.dwCursorPosition.X == 0 && info.dwCursorPosition.Y == 0,
         "the cursor is at the top left after a clear");
  const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
  std::string characters(cells, '?');
  DWORD read = 0;
  ::ReadConsoleOutputCharacterA(screen, characters.data(), cells, COORD{0, 0}, &read);
  expect(read == cells && characters.find_first_not_of(' ') == std::string::npos,
         "every cell of the screen buffer is blank");
  std::basic_string<WORD> attributes(cells, 0);
  ::ReadConsoleOutputAttribute(screen, attributes.data(), cells, COORD{0, 0}, &read);
  expect(read == cells && attributes.find_first_not_of(colours) == std::string::npos,
         "every cell has the current colours");
  say("The next output\n");
  flushOutput();
  ::GetConsoleScreenBufferInfo(screen, &info);
  expect(info.dwCursorPosition.Y == 1, "output after a clear starts on the first line");
}

void checkBreak() {
  // Ctrl-C arrives as a break, not as a key, while the game waits for one.
  ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
  readKey();
  // Not reached: the break ends the program.
  note("FAILED: Ctrl-C did not end the program\n");
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  report = std::fopen("console_check.log", "w");
  // The console the program was started in (under wine: a pseudo-terminal).
  keyboard = ::CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  screen = ::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD mode = 0;
  if (::GetConsoleMode(keyboard, &mode) == 0) {
    note("console_check needs a console\n");
    return 2;
  }
  ::SetStdHandle(STD_INPUT_HANDLE, keyboard);
  ::SetStdHandle(STD_OUTPUT_HANDLE, screen);
  expect(keyboardIsConsole() && screenIsConsole(), "both ends are a console");
  expect(openConsole(), "the console opens");

  // Output goes straight to the console screen buffer.
  FrontEnd frontEnd{};
  frontEnd.clearScreen = consoleClear;
  frontEnd.readKey = consoleReadKey;
  frontEnd.keyWaiting = consoleKeyWaiting;
  frontEnd.readLine = consoleReadLine;
  frontEnd.write = [](const char* text, std::size_t length) {
    DWORD wrote = 0;
    ::WriteConsoleA(screen, text, static_cast<DWORD>(length), &wrote, nullptr);
  };
  frontEnd.clock = [] { return std::uint32_t{0}; };
  setFrontEnd(frontEnd);

  if (argc > 1 && std::strcmp(argv[1], "break") == 0) checkBreak();

  DWORD modeBefore = 0;
  ::GetConsoleMode(keyboard, &modeBefore);
  checkKeys();
  checkLines();
  checkClear();
  DWORD modeAfter = 0;
  ::GetConsoleMode(keyboard, &modeAfter);
  expect(modeBefore == modeAfter, "key reads leave the console in line mode");
  expect((modeAfter & ENABLE_LINE_INPUT) != 0 && (modeAfter & ENABLE_ECHO_INPUT) != 0,
         "line mode echoes and edits");
  closeConsole();

  note(failures == 0 ? "all console checks passed\n" : "console checks failed\n");
  return failures == 0 ? 0 : 1;
}
