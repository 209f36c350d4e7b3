#include "frontends/windows/windows_console.hpp"

#include <atomic>
#include <cstdio>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "console/console.hpp"
#include "console/keys.hpp"
#include "frontends/streams/line_reader.hpp"

#ifndef ENABLE_VIRTUAL_TERMINAL_INPUT
#define ENABLE_VIRTUAL_TERMINAL_INPUT 0x0200
#endif

namespace {

HANDLE input = INVALID_HANDLE_VALUE;
DWORD snapshot = 0;
std::atomic<bool> haveSnapshot{false};
std::atomic<bool> breakSeen{false};
DWORD lineMode = 0;
DWORD keyMode = 0;
LineReader keyboard;
int pendingSecondCode = -1;

bool isConsole(DWORD which) {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(which), &mode) != 0;
}

void restoreSnapshot() {
  if (haveSnapshot) ::SetConsoleMode(input, snapshot);
}

BOOL WINAPI onConsoleBreak(DWORD event) {
  breakSeen = true;
  restoreSnapshot();
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    DWORD wrote = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), "\r\n", 2, &wrote, nullptr);
    ::ExitProcess(130);
  }
  return FALSE;  // closing the console or logging off: the usual ending
}

// A Ctrl-C typed during a line read ends that read with nothing read, while
// the break handler starts on a thread of its own. Gives the handler its
// moment to end the program; if no break came, the input has ended.
void awaitBreak() {
  for (int waited = 0; waited < 20; ++waited) {
    if (breakSeen) ::Sleep(INFINITE);  // the handler ends the program
    ::Sleep(25);
  }
}

std::size_t readConsoleLine(char* buffer, std::size_t capacity) {
  DWORD want = capacity > 4096 ? 4096 : static_cast<DWORD>(capacity);
  DWORD got = 0;
  BOOL ok = ::ReadFile(input, buffer, want, &got, nullptr);
  if (ok && got > 0) {
    // Ctrl-Z at the start of a line is the console's end of input.
    if (buffer[0] == '\x1a') return 0;
    return got;
  }
  if (ok || ::GetLastError() == ERROR_OPERATION_ABORTED) awaitBreak();
  return 0;
}

// Where the game waits for one key, a faint hint beside the cursor says so;
// it is blanked out when the key comes, leaving the screen as the game wrote
// it. The console's cursor does not move for it.
const char KEY_HINT[] = "[press a key]";
constexpr SHORT HINT_LENGTH = sizeof KEY_HINT - 1;
COORD hintAt{0, 0};
WORD hintCovered = 0;  // the colours of the cells under the hint
bool hintShown = false;

void showKeyHint() {
  HANDLE screen = ::GetStdHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (::GetConsoleScreenBufferInfo(screen, &info) == 0) return;
  COORD at = info.dwCursorPosition;
  if (at.X > 0) at.X = static_cast<SHORT>(at.X + 2);
  if (at.X + HINT_LENGTH >= info.dwSize.X) return;
  DWORD done = 0;
  ::WriteConsoleOutputCharacterA(screen, KEY_HINT, HINT_LENGTH, at, &done);
  ::FillConsoleOutputAttribute(screen, FOREGROUND_INTENSITY, HINT_LENGTH, at, &done);
  hintAt = at;
  hintCovered = info.wAttributes;
  hintShown = true;
}

void eraseKeyHint() {
  if (!hintShown) return;
  HANDLE screen = ::GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD done = 0;
  ::FillConsoleOutputCharacterA(screen, ' ', HINT_LENGTH, hintAt, &done);
  ::FillConsoleOutputAttribute(screen, hintCovered, HINT_LENGTH, hintAt, &done);
  hintShown = false;
}

// A key press that readKey takes: a key going down that gives a character
// or is one of the known special keys.
bool acceptedKey(const INPUT_RECORD& event) {
  if (event.EventType != KEY_EVENT) return false;
  const KEY_EVENT_RECORD& key = event.Event.KeyEvent;
  if (!key.bKeyDown) return false;
  return key.uChar.AsciiChar != 0 || specialKeyCode(key.wVirtualKeyCode) >= 0;
}

}  // namespace

int specialKeyCode(int virtualKey) {
  switch (virtualKey) {
    case VK_UP: return KEY_UP;
    case VK_DOWN: return KEY_DOWN;
    case VK_RIGHT: return KEY_RIGHT;
    case VK_LEFT: return KEY_LEFT;
    case VK_HOME: return KEY_HOME;
    case VK_END: return KEY_END;
    case VK_INSERT: return KEY_INSERT;
    case VK_DELETE: return KEY_DELETE;
    case VK_PRIOR: return KEY_PAGE_UP;
    case VK_NEXT: return KEY_PAGE_DOWN;
    default: break;
  }
  if (virtualKey >= VK_F1 && virtualKey <= VK_F10) return KEY_F1 + virtualKey - VK_F1;
  if (virtualKey == VK_F11 || virtualKey == VK_F12) return KEY_F11 + virtualKey - VK_F11;
  return -1;
}

bool keyboardIsConsole() { return isConsole(STD_INPUT_HANDLE); }
bool screenIsConsole() { return isConsole(STD_OUTPUT_HANDLE); }

void useBinaryInput() { _setmode(_fileno(stdin), _O_BINARY); }

void catchConsoleBreak() { ::SetConsoleCtrlHandler(onConsoleBreak, TRUE); }

bool openConsole() {
  input = ::GetStdHandle(STD_INPUT_HANDLE);
  if (::GetConsoleMode(input, &snapshot) == 0) return false;
  haveSnapshot = true;
  // Lines: the console echoes and edits, Ctrl-C is a break, not a key.
  lineMode = snapshot | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT;
  lineMode &= ~static_cast<DWORD>(ENABLE_VIRTUAL_TERMINAL_INPUT);
  // Keys: no echo, no waiting for Enter, no mouse or window events, and
  // special keys as key codes rather than escape sequences.
  keyMode = lineMode & ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT |
                                           ENABLE_MOUSE_INPUT | ENABLE_WINDOW_INPUT);
  ::SetConsoleMode(input, lineMode);
  startReader(keyboard, readConsoleLine);
  catchConsoleBreak();
  return true;
}

void closeConsole() { restoreSnapshot(); }

int consoleReadKey() {
  if (pendingSecondCode >= 0) {
    int code = pendingSecondCode;
    pendingSecondCode = -1;
    return code;
  }
  flushOutput();
  ::SetConsoleMode(input, keyMode);
  if (screenIsConsole() && !consoleKeyWaiting()) showKeyHint();
  int key = -1;
  for (;;) {
    INPUT_RECORD event;
    DWORD got = 0;
    if (::ReadConsoleInputA(input, &event, 1, &got) == 0 || got == 0) break;
    if (!acceptedKey(event)) continue;
    const KEY_EVENT_RECORD& press = event.Event.KeyEvent;
    if (press.uChar.AsciiChar != 0) {
      key = static_cast<unsigned char>(press.uChar.AsciiChar);
    } else {
      pendingSecondCode = specialKeyCode(press.wVirtualKeyCode);
      key = 0;
    }
    break;
  }
  eraseKeyHint();
  ::SetConsoleMode(input, lineMode);
  return key;
}

bool consoleKeyWaiting() {
  if (pendingSecondCode >= 0) return true;
  INPUT_RECORD events[64];
  for (;;) {
    DWORD count = 0;
    if (::GetNumberOfConsoleInputEvents(input, &count) == 0 || count == 0) return false;
    DWORD seen = 0;
    if (::PeekConsoleInputA(input, events, 64, &seen) == 0 || seen == 0) return false;
    for (DWORD i = 0; i < seen; ++i) {
      if (acceptedKey(events[i])) return true;
    }
    if (seen >= count) return false;
    // A full window of events that no key read would take (key releases,
    // Shift alone, focus changes): drop them, as readKey would, and look on.
    DWORD dropped = 0;
    ::ReadConsoleInputA(input, events, seen, &dropped);
  }
}

bool consoleReadLine(char* buffer, int capacity) {
  flushOutput();
  pendingSecondCode = -1;
  return readLineFrom(keyboard, buffer, capacity);
}

void consoleClear() {
  flushOutput();
  HANDLE screen = ::GetStdHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (::GetConsoleScreenBufferInfo(screen, &info) == 0) return;
  const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
  const COORD home{0, 0};
  DWORD done = 0;
  ::FillConsoleOutputCharacterA(screen, ' ', cells, home, &done);
  ::FillConsoleOutputAttribute(screen, info.wAttributes, cells, home, &done);
  ::SetConsoleCursorPosition(screen, home);
}
