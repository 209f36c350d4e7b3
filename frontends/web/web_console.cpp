#include "frontends/web/web_console.hpp"

#include <emscripten.h>
#include <unistd.h>

#include "console/console.hpp"
#include "disk/disk_files.hpp"
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

// The folder that the browser keeps, and its files read in from the
// browser's storage. 1 when they are there, 0 when the page has no storage.
EM_ASYNC_JS(int, mountKeptFolder, (const char* path), {
  const folder = UTF8ToString(path);
  FS.mkdir(folder);
  try {
    FS.mount(IDBFS, {}, folder);
  } catch (error) {
    return 0;
  }
  const failure = await new Promise(done => FS.syncfs(true, done));
  return failure ? 0 : 1;
});

// Reads the browser's storage afresh into the kept folder: another tab of
// the page may have saved since. 1 once the folder is as the storage is.
EM_ASYNC_JS(int, refreshKeptFolder, (), {
  const failure = await new Promise(done => FS.syncfs(true, done));
  return failure ? 0 : 1;
});

// The kept folder is the game's alone until giveKeptFolder: the page's
// download and upload wait meanwhile, and the game waits for theirs.
EM_ASYNC_JS(void, takeKeptFolder, (), {
  await Module.tidewrack.takeKeptFolder();
});

EM_JS(void, giveKeptFolder, (), {
  Module.tidewrack.giveKeptFolder();
});

// Writes the kept folder back to the browser's storage: 1 once it is there.
EM_ASYNC_JS(int, persistKeptFolder, (), {
  const failure = await new Promise(done => FS.syncfs(false, done));
  return failure ? 0 : 1;
});
// clang-format on

namespace {

constexpr const char* KEPT_FOLDER = "/kept";
// The page's answer to a wait when the terminal took a new size.
constexpr int RESIZED = -2;
bool storageKept = false;

// The longest save the web edition puts back after a failed write: far
// more than any game writes.
constexpr std::size_t KEPT_CAPACITY = 8192;

}  // namespace

bool openWebStorage() {
  storageKept = mountKeptFolder(KEPT_FOLDER) == 1;
  if (::chdir(KEPT_FOLDER) != 0) return false;
  return storageKept;
}

namespace {

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
  if (!storageKept) return readDiskFile(name, buffer, capacity);
  // What the storage holds now, and so the latest save of any tab; should
  // the browser not answer, the copy read in before is all there is.
  takeKeptFolder();
  refreshKeptFolder();
  const long length = readDiskFile(name, buffer, capacity);
  giveKeptFolder();
  return length;
}

namespace {

bool replaceKeptFile(const char* name, const char* bytes, std::size_t length) {
  // Every write to the storage copies the whole folder there, and the
  // desktop's flush of the new file is one: the folder must first be what
  // the storage holds now, or another tab's newer save would be replaced by
  // this tab's older copy (or taken away) before the new one is in place.
  if (refreshKeptFolder() != 1) return false;
  // The file it replaces, to put back should the browser refuse the new one.
  static char old[KEPT_CAPACITY];
  const long oldLength = readDiskFile(name, old, sizeof old);
  if (oldLength == FILE_UNREADABLE || oldLength == FILE_TOO_LARGE) return false;
  if (!replaceDiskFile(name, bytes, length)) return false;
  if (persistKeptFolder() == 1) return true;
  if (oldLength >= 0) {
    replaceDiskFile(name, old, static_cast<std::size_t>(oldLength));
  } else {
    ::unlink(name);
  }
  return false;
}

}  // namespace

bool webReplaceFile(const char* name, const char* bytes, std::size_t length) {
  // Without the browser's storage nothing would outlast the page: no save.
  if (!storageKept) return false;
  takeKeptFolder();
  const bool saved = replaceKeptFile(name, bytes, length);
  giveKeptFolder();
  return saved;
}

void webProgramEnded(int status) { pageProgramEnded(status); }
