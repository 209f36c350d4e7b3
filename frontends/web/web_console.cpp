#include "frontends/web/web_console.hpp"

#include <emscripten.h>

#include "console/console.hpp"
#include "frontends/screen/screen.hpp"

// ---- The page's side. Each call reaches the page's script (frontends/web/page.js)
// through Module.tidewrack; the ones that wait hand the browser back its
// event loop until the page has an answer.

// clang-format off
EM_JS(void, pageWrite, (const char* text, std::size_t length), {
  Module.tidewrack.write(HEAPU8.slice(text, text + length));
});

// What the game said, as it said it: the page reads it to a screen reader
// after each command.
EM_JS(void, pageSaid, (const char* text, std::size_t length), {
  Module.tidewrack.said(HEAPU8.slice(text, text + length));
});

// The terminal's size on the page, which follows the page's width.
EM_JS(int, pageColumns, (), {
  return Module.tidewrack.terminal.cols;
});

EM_JS(int, pageRows, (), {
  return Module.tidewrack.terminal.rows;
});

// A key, or RESIZED when the terminal changed its size first.
EM_ASYNC_JS(int, pageReadKey, (), {
  return await Module.tidewrack.readKey();
});

EM_JS(int, pageKeyWaiting, (), {
  return Module.tidewrack.keyWaiting() ? 1 : 0;
});

// The line typed, as UTF-8 in buffer; -1 when the player has ended the
// input; RESIZED when the terminal changed its size while the line was
// typed (the page keeps the line and goes on with it at the next call).
EM_ASYNC_JS(int, pageReadLine, (char* buffer, int capacity), {
  const line = await Module.tidewrack.readLine(capacity - 1);
  if (line === null) return -1;
  if (typeof line === 'number') return line;
  const bytes = new TextEncoder().encode(line).subarray(0, capacity - 1);
  HEAPU8.set(bytes, buffer);
  HEAPU8[buffer + bytes.length] = 0;
  return bytes.length;
});

EM_JS(void, pageRemember, (const char* line), {
  Module.tidewrack.remember(UTF8ToString(line));
});

// Whole seconds since 1970, cut to 32 bits as the desktop's clock is.
EM_JS(std::uint32_t, pageClock, (), {
  return (Math.floor(Date.now() / 1000) >>> 0);
});

EM_JS(void, pageProgramEnded, (int status), {
  Module.tidewrack.programEnded(status);
});

// A player's file, read from the browser's storage afresh (another tab may
// have saved since): its length once it is in buffer, or one of the page's
// codes below.
EM_ASYNC_JS(long, pageReadFile, (const char* name, char* buffer, std::size_t capacity), {
  const found = await Module.tidewrack.readFile(UTF8ToString(name));
  if (found.missing) return -1;
  if (!found.bytes) return -2;
  if (found.bytes.length > capacity) return -3;
  HEAPU8.set(found.bytes, buffer);
  return found.bytes.length;
});

// Puts these bytes in the file's place in the browser's storage, in one
// step: 1 once the browser has kept them, 0 when it would not.
EM_ASYNC_JS(int, pageKeepFile, (const char* name, const char* bytes, std::size_t length), {
  const kept = await Module.tidewrack.keepFile(UTF8ToString(name), HEAPU8.slice(bytes, bytes + length));
  return kept ? 1 : 0;
});
// clang-format on

namespace {

// The page's answer to a wait when the terminal took a new size.
constexpr int RESIZED = -2;

// What the page's read of a file says when it has no file to give.
constexpr long PAGE_FILE_MISSING = -1;
constexpr long PAGE_FILE_UNREADABLE = -2;
constexpr long PAGE_FILE_TOO_LARGE = -3;

void sendToPage(const char* bytes, std::size_t length) { pageWrite(bytes, length); }

// The screen at the terminal's new size: drawn again from the kept rows.
void followResize() {
  setScreenSize(pageColumns(), pageRows());
  redrawScreen(0);
}

// What the game said is on the screen before it waits.
void showAllSaid() {
  flushOutput();
  showHeldOutput();
}

}  // namespace

// The page's terminal is new and empty: the title is its first screen, with
// no blank screen in the scrollback above it.
void openWebScreen() {
  openScreen(sendToPage, pageColumns(), pageRows());
  markScreenBlank();
}

void webClear() { screenClear(); }

int webReadKey() {
  showAllSaid();
  for (;;) {
    const int key = pageReadKey();
    if (key != RESIZED) return key;
    followResize();
  }
}

bool webKeyWaiting() { return pageKeyWaiting() != 0; }

bool webReadLine(char* buffer, int capacity) {
  if (capacity <= 0) return false;
  showAllSaid();
  for (;;) {
    const int length = pageReadLine(buffer, capacity);
    if (length == RESIZED) {
      followResize();
      continue;
    }
    if (length < 0) return false;
    noteAnsweredLine(buffer);
    return true;
  }
}

void webWrite(const char* text, std::size_t length) {
  pageSaid(text, length);
  screenWrite(text, length);
}

std::uint32_t webClock() { return pageClock(); }

void webRemember(const char* line) { pageRemember(line); }

long webReadFile(const char* name, char* buffer, std::size_t capacity) {
  const long length = pageReadFile(name, buffer, capacity);
  switch (length) {
    case PAGE_FILE_MISSING: return FILE_MISSING;
    case PAGE_FILE_UNREADABLE: return FILE_UNREADABLE;
    case PAGE_FILE_TOO_LARGE: return FILE_TOO_LARGE;
    default: return length < 0 ? FILE_UNREADABLE : length;
  }
}

bool webReplaceFile(const char* name, const char* bytes, std::size_t length) {
  return pageKeepFile(name, bytes, length) == 1;
}

void webProgramEnded(int status) { pageProgramEnded(status); }
