#include "frontends/terminal/line_editor.hpp"

#include <histedit.h>

#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include <dlfcn.h>

#include "frontends/screen/screen.hpp"
#include "frontends/streams/standard_streams.hpp"

namespace {

// The line-editing library is loaded only when a player types at a
// terminal: a game in a pipe starts without it. Its calls are reached
// through these, taken from the library once it is loaded.
struct EditingCalls {
  decltype(&::el_init) init;
  decltype(&::el_end) end;
  decltype(&::el_set) set;
  decltype(&::el_get) get;
  decltype(&::el_wset) wset;
  decltype(&::el_line) line;
  decltype(&::el_wline) wline;
  decltype(&::el_resize) resize;
  decltype(&::el_cursor) cursor;
  decltype(&::el_wgets) wgets;
  decltype(&::history_init) historyInit;
  decltype(&::history_end) historyEnd;
  decltype(&::history) history;
};
EditingCalls el{};
void* library = nullptr;

// The library's soname, as its Debian package installs it.
constexpr const char* LIBRARY_NAME = "libedit.so.2";

template <typename Call>
bool take(Call& call, const char* name) {
  // POSIX gives a function's address as a data pointer; this is the cast
  // it asks for.
  void* found = ::dlsym(library, name);
  std::memcpy(&call, &found, sizeof call);
  return found != nullptr;
}

// Why the library could not be loaded, as the loader said it.
char failure[256];

// Loads the library and finds every call; false, with the loader's reason in
// failure, when it is missing or lacks one of them.
bool loadLibrary() {
  if (library != nullptr) return true;
  library = ::dlopen(LIBRARY_NAME, RTLD_NOW | RTLD_LOCAL);
  if (library != nullptr && take(el.init, "el_init") && take(el.end, "el_end") &&
      take(el.set, "el_set") && take(el.get, "el_get") && take(el.wset, "el_wset") &&
      take(el.line, "el_line") && take(el.wline, "el_wline") && take(el.resize, "el_resize") &&
      take(el.cursor, "el_cursor") && take(el.wgets, "el_wgets") &&
      take(el.historyInit, "history_init") && take(el.historyEnd, "history_end") &&
      take(el.history, "history")) {
    return true;
  }
  const char* why = ::dlerror();
  std::snprintf(failure, sizeof failure, "%s", why != nullptr ? why : LIBRARY_NAME);
  if (library != nullptr) ::dlclose(library);
  library = nullptr;
  return false;
}

EditLine* editor = nullptr;
TypedByteSource typedBytes = nullptr;
History* commands = nullptr;  // this run's commands, in memory only

// Enough commands to walk back through a long game; the oldest go first.
constexpr int HISTORY_SIZE = 200;

// The prompt the editor shows: the text on the cursor's line when the game
// asked for a line ("What now?  ", or a question).
char promptText[256] = "";

char* currentPrompt(EditLine* /*editor*/) { return promptText; }

// The rows the prompt and the line being typed take.
int rowsOfLine() {
  const LineInfo* line = el.line(editor);
  const long cells = static_cast<long>(std::strlen(promptText)) + (line->lastchar - line->buffer);
  return static_cast<int>(cells / screenColumns()) + 1;
}

// More cells than any prompt and line take.
constexpr long TALLEST_LINE_CELLS = 4096;

// Whether the terminal holds the cursor on a row that a character has just
// filled until the next character (xterm's "magic margin"), and whether the
// editor is told so now.
int holdsAtMargin = 0;
bool toldHolds = true;

// The window's size as the editor has it, after a resize.
void fitWindow() {
  el.resize(editor);
  int rows = 0;
  el.get(editor, EL_GETTC, "li", &rows);
  // Told of the magic margin, the editor moves the cursor on to the next row
  // after a character that fills a row, and in a window of one row that
  // character is then out of sight. There it is not told, and the cursor
  // stays on the row, beside the character, until the next one wraps.
  const bool holds = holdsAtMargin != 0 && rows > 1;
  if (holds != toldHolds) el.set(editor, EL_SETTC, "xn", holds ? "yes" : "no", nullptr);
  toldHolds = holds;
  // A line taller than the window: the editor, told the window's rows, would
  // keep only the line's last rows and draw the cursor a row low for each row
  // it let go after the cursor's. Told that every line fits, it draws the
  // whole line, the terminal scrolling its first rows away, and moves up to
  // the cursor's row; that row is kept among those shown by moving the
  // cursor down to the same column of the first of them.
  const long columns = screenColumns();
  char tallest[16];
  std::snprintf(tallest, sizeof tallest, "%ld", TALLEST_LINE_CELLS / columns + 1);
  if (TALLEST_LINE_CELLS / columns + 1 > rows) el.set(editor, EL_SETTC, "li", tallest, nullptr);
  const LineInfoW* line = el.wline(editor);
  const long prompt = static_cast<long>(std::strlen(promptText));
  const long cursorRow = (prompt + (line->cursor - line->buffer)) / columns;
  const long firstShown = rowsOfLine() - rows;
  if (rows > 0 && cursorRow < firstShown) {
    el.cursor(editor, static_cast<int>((firstShown - cursorRow) * columns));
  }
}

// The screen drawn again, then the prompt and the line with the cursor
// where it was.
void redrawAll() {
  fitWindow();
  redrawScreen(rowsOfLine() - 1);
  el.set(editor, EL_REFRESH);
}

// Ctrl-L.
unsigned char redrawKey(EditLine* /*editor*/, int /*key*/) {
  redrawAll();
  return CC_NORM;
}

// The most bytes the line being read may hold, and whether the rest of a
// run of characters is being refused.
std::size_t lineLimit = 0;
bool refusing = false;

// Where the bytes of a special key (ESC [ ... or ESC O x) stand: they reach
// the editor whole, whether the line is full or not.
enum class Sequence { None, AfterEscape, AfterBracket, InParameters, LastByte };
Sequence sequence = Sequence::None;

// A byte that is no character of the locale's (in UTF-8: one that starts
// none, or a character cut short) is given to the editor as a character of
// its own that no key types, one of the lone surrogates U+DC80 to U+DCFF,
// and given back to the game as the byte it was.
constexpr wchar_t RAW_BYTE_BASE = 0xdc00;

wchar_t rawByte(unsigned char byte) {
  return byte >= 0x80 ? static_cast<wchar_t>(RAW_BYTE_BASE + byte) : static_cast<wchar_t>(byte);
}

// The bytes of one of the editor's characters, as the game reads them.
std::size_t characterBytes(wchar_t character, char* bytes) {
  if (character >= RAW_BYTE_BASE + 0x80 && character <= RAW_BYTE_BASE + 0xff) {
    bytes[0] = static_cast<char>(character - RAW_BYTE_BASE);
    return 1;
  }
  std::mbstate_t state{};
  const std::size_t length = std::wcrtomb(bytes, character, &state);
  if (length != static_cast<std::size_t>(-1)) return length;
  bytes[0] = static_cast<char>(character);
  return 1;
}

// The bytes the line holds now, as the game would read them.
std::size_t bytesOnLine() {
  const LineInfoW* line = el.wline(editor);
  std::size_t bytes = 0;
  for (const wchar_t* c = line->buffer; c < line->lastchar; ++c) {
    char encoded[MB_LEN_MAX];
    bytes += characterBytes(*c, encoded);
  }
  return bytes;
}

// The bytes of the character a byte starts: in UTF-8, as its first byte
// says; one in a locale of one byte a character (Latin-1 and the like).
std::size_t characterLength(int lead) {
  if (MB_CUR_MAX == 1) return 1;
  return lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 1;
}

// True when the byte goes on to the editor: every byte of a key that is no
// character, and a character only while the line has room for it. The
// first character refused beeps; the rest of its run (a paste that goes on
// past the end of the line) is dropped here at once, without the editor
// drawing anything.
bool takeByte(int byte, bool midCharacter) {
  switch (sequence) {
    case Sequence::AfterEscape:
      sequence = byte == '['   ? Sequence::AfterBracket
                 : byte == 'O' ? Sequence::LastByte
                               : Sequence::None;
      return true;
    case Sequence::AfterBracket:
      // ESC [ [ A..E: the Linux console's F1..F5.
      sequence = byte == '['                    ? Sequence::LastByte
                 : byte >= 0x40 && byte <= 0x7e ? Sequence::None
                                                : Sequence::InParameters;
      return true;
    case Sequence::InParameters:
      if (byte >= 0x40 || byte < 0x20) sequence = Sequence::None;
      return true;
    case Sequence::LastByte: sequence = Sequence::None; return true;
    case Sequence::None: break;
  }
  if (byte == 0x1b) sequence = Sequence::AfterEscape;
  if (byte < 0x20 || byte == 0x7f) {
    refusing = false;
    return true;
  }
  if (midCharacter) return !refusing;
  if (!refusing && bytesOnLine() + characterLength(byte) <= lineLimit) return true;
  if (!refusing) writeStandardOutput("\a", 1);
  refusing = true;
  return false;
}

// Bytes of a character cut short, after its first: read again as they
// were typed.
unsigned char replay[MB_LEN_MAX];
std::size_t replayLength = 0;

int nextByte() {
  if (replayLength == 0) return typedBytes(redrawAll);
  const int byte = replay[0];
  --replayLength;
  std::memmove(replay, replay + 1, replayLength);
  return byte;
}

// The editor's keys come from here: bytes from the keyboard's buffer,
// whose wait redraws the screen after a resize or fg, given to the editor
// one character at a time. The bytes of a character of the locale's make
// one character of the editor's, shown as one and given back as the same
// bytes; a byte that is no character, or starts one cut short, is given as
// a raw byte (see rawByte) and what followed it is read again.
int readCharacter(EditLine* /*editor*/, wchar_t* character) {
  std::mbstate_t state{};
  unsigned char started[MB_LEN_MAX];
  std::size_t startedLength = 0;
  for (;;) {
    const int byte = nextByte();
    if (byte < 0) {
      *character = L'\0';
      return 0;
    }
    if (!takeByte(byte, startedLength > 0)) {
      state = std::mbstate_t{};
      startedLength = 0;
      continue;
    }
    const char narrow = static_cast<char>(byte);
    wchar_t wide = 0;
    const std::size_t made = std::mbrtowc(&wide, &narrow, 1, &state);
    if (made == static_cast<std::size_t>(-2) && startedLength < sizeof started) {
      started[startedLength++] = static_cast<unsigned char>(byte);  // more to come
      continue;
    }
    if (made != static_cast<std::size_t>(-1) && made != static_cast<std::size_t>(-2)) {
      *character = wide;
      return 1;
    }
    if (startedLength == 0) {
      *character = rawByte(static_cast<unsigned char>(byte));
      return 1;
    }
    *character = rawByte(started[0]);
    replayLength = 0;
    for (std::size_t i = 1; i < startedLength; ++i) replay[replayLength++] = started[i];
    replay[replayLength++] = static_cast<unsigned char>(byte);
    return 1;
  }
}

// The line's characters back to the bytes typed: at most capacity - 1 of
// them, as many as the game reads, a character cut short never begun.
std::size_t lineBytes(const wchar_t* line, char* buffer, std::size_t capacity) {
  std::size_t kept = 0;
  for (const wchar_t* c = line; *c != L'\0' && *c != L'\n' && *c != L'\r'; ++c) {
    char bytes[MB_LEN_MAX];
    const std::size_t length = characterBytes(*c, bytes);
    if (kept + length > capacity - 1) break;
    std::memcpy(buffer + kept, bytes, length);
    kept += length;
  }
  buffer[kept] = '\0';
  return kept;
}

// True when a byte above 127 starts a character of the locale's.
bool takesBytesAbove127() {
  std::mbstate_t state{};
  wchar_t wide = 0;
  const char high = static_cast<char>(0xe9);
  return std::mbrtowc(&wide, &high, 1, &state) != static_cast<std::size_t>(-1);
}

}  // namespace

bool openLineEditor(TypedByteSource typed, const char*& why) {
  if (editor != nullptr) return true;
  typedBytes = typed;
  if (!loadLibrary()) {
    why = failure;
    return false;
  }
  // Characters as the terminal shows them: the player's locale (UTF-8,
  // Latin-1, ...), or UTF-8 where the player's settings name none or one of
  // ASCII alone, where no byte above 127 would be a character.
  if (std::setlocale(LC_CTYPE, "") == nullptr || !takesBytesAbove127()) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
  }
  editor = el.init("tidewrack", stdin, stdout, stderr);
  if (editor == nullptr) {
    std::snprintf(failure, sizeof failure, "%s could not start on this terminal", LIBRARY_NAME);
    why = failure;
    return false;
  }
  commands = el.historyInit();
  if (commands != nullptr) {
    HistEvent event;
    el.history(commands, &event, H_SETSIZE, HISTORY_SIZE);
    el.history(commands, &event, H_SETUNIQUE, 1);
    el.set(editor, EL_HIST, el.history, commands);
  }
  el.set(editor, EL_EDITOR, "emacs");
  el.get(editor, EL_GETTC, "xn", &holdsAtMargin);
  toldHolds = holdsAtMargin != 0;
  // The game's own signal handlers put the terminal back on every way out.
  el.set(editor, EL_SIGNAL, 0);
  el.set(editor, EL_PROMPT, currentPrompt);
  el.set(editor, EL_GETCFN, readCharacter);
  // Ctrl-L draws the whole screen again rather than leave only the prompt.
  // (Named in wide characters: the narrow call leaves copies of the names
  // that the editor never frees.)
  el.wset(editor, EL_ADDFN, L"redraw-screen", L"Draw the screen again", redrawKey);
  el.set(editor, EL_BIND, "^L", "redraw-screen", nullptr);
  // The keys a shell user expects: Ctrl-W rubs out the word before the
  // cursor, Ctrl-U the whole line.
  el.set(editor, EL_BIND, "^W", "ed-delete-prev-word", nullptr);
  el.set(editor, EL_BIND, "^U", "em-kill-line", nullptr);
  return true;
}

void closeLineEditor() {
  if (editor != nullptr) el.end(editor);
  if (commands != nullptr) el.historyEnd(commands);
  editor = nullptr;
  commands = nullptr;
}

bool lineEditorOpen() { return editor != nullptr; }

bool editLine(const char* prompt, char* buffer, int capacity) {
  std::snprintf(promptText, sizeof promptText, "%s", prompt);
  fitWindow();  // the window may have changed size since the last line
  lineLimit = capacity > 0 ? static_cast<std::size_t>(capacity) - 1 : 0;
  refusing = false;
  sequence = Sequence::None;
  int count = 0;
  const wchar_t* line = el.wgets(editor, &count);
  if (line == nullptr || count <= 0 || capacity <= 0) return false;
  lineBytes(line, buffer, static_cast<std::size_t>(capacity));
  char shown[256];
  lineBytes(line, shown, sizeof shown);
  if (screenIsOpen()) noteTypedLine(promptText, shown);
  return true;
}

void rememberLine(const char* line) {
  if (commands == nullptr || line[0] == '\0') return;
  HistEvent event;
  el.history(commands, &event, H_ENTER, line);
}
