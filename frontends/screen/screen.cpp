#include "frontends/screen/screen.hpp"

#include <cstdio>
#include <cstring>

#include "console/console.hpp"

namespace {

bool opened = false;
ScreenSink sink = nullptr;
int columns = 80;
int rows = 24;

// The widest row laid out, and so the longest run of a word kept back.
constexpr int MAX_COLUMNS = 512;
// The width the game's texts were written for: a rule is never drawn wider,
// and at this width or more a line end inside a paragraph is a line end.
constexpr int WRITTEN_WIDTH = 80;

// In the kept screen, the start of a line the player typed: the terminal
// wrapped it at the last column, mid-word, as it was typed, so it is laid out
// again cell by cell. After the line editor's mark, a line that fills its
// last row exactly is followed by an empty row, where the editor left the
// cursor; after the terminal's own echo it is not.
constexpr unsigned char EDITED_MARK = 0x01;
constexpr unsigned char ECHOED_MARK = 0x02;

const char HINT[] = "[press a key]";
constexpr int HINT_CELLS = sizeof HINT - 1;
bool hintShown = false;
// The hint stands two cells after the text on the cursor's row or, when that
// row has no room for it, at the start of the next row. That row is empty
// once the key has come, and while the cursor stays on the row above it
// (whose count of completed rows is kept here) a clear leaves it out of the
// scrollback.
bool hintBelow = false;
long rowBelowOpenedAt = -1;

bool hintFitsBeside(int column) { return column + (column > 0 ? 2 : 0) + HINT_CELLS < columns; }

// Bytes for the terminal, gathered into few writes.
char pending[4096];
std::size_t pendingLength = 0;

void sendPending() {
  if (pendingLength > 0) sink(pending, pendingLength);
  pendingLength = 0;
}

void emit(const char* text, std::size_t length) {
  if (pendingLength + length > sizeof pending) sendPending();
  if (length > sizeof pending) {
    sink(text, length);
    return;
  }
  std::memcpy(pending + pendingLength, text, length);
  pendingLength += length;
}

void emitText(const char* text) { emit(text, std::strlen(text)); }

void emitSpaces(int count) {
  static const char spaces[] = "                                ";
  while (count > 0) {
    const int now = count < 32 ? count : 32;
    emit(spaces, static_cast<std::size_t>(now));
    count -= now;
  }
}

// Every byte but the continuation bytes of a UTF-8 character takes a cell.
bool takesCell(unsigned char byte) { return (byte & 0xc0) != 0x80; }

// Lays text out in rows of a width: the words of a line that does not fit
// go on to the next row; spaces at the end of a row are dropped; a word
// longer than a whole row is cut. A line of underscores alone is a rule: it
// is cut to the row, never continued on the next. A line that starts with
// spaces (a centred or indented line) and does not fit is held until its end:
// when its words alone fit the row, its leading spaces shrink so that it
// stays one row. Rows before skipRows are laid out but not drawn; eraseRows
// clears each drawn row before writing it. Narrower than the texts were
// written for, a line end inside a paragraph (SOFT_LINE_END) is a space
// between words, so the paragraph is wrapped as one: every row as full as
// whole words allow. It is one space, even after a sentence: the rooms put
// one between their sentences, and of the texts that put two, none has a
// soft line end after a sentence in a paragraph that has another gap.
struct Layout {
  int width = 80;
  int column = 0;  // cells written on the row
  int spaces = 0;  // spaces said after them, not yet written
  char word[MAX_COLUMNS * 4];
  int wordBytes = 0;
  int wordCells = 0;
  bool ruleRow = true;  // the line so far is underscores only
  // The rest of a line that started with spaces, held until it is known
  // whether it fits once they shrink.
  char held[MAX_COLUMNS * 4 + 4];
  int heldBytes = 0;
  int heldCells = 0;
  bool holding = false;
  bool lineDecided = false;  // the held line is laid out: not held again
  // Laying out a typed line cell by cell, after one of the marks above.
  unsigned char typedMark = 0;
  long completedRows = 0;
  long skipRows = 0;
  long lastRow = -1;  // with eraseRows: the row whose start erases the rest of the screen
  bool eraseRows = false;
  bool drawing = true;

  bool shows() const { return drawing && completedRows >= skipRows; }

  void out(const char* text, std::size_t length) {
    if (shows()) emit(text, length);
  }

  void startRow() {
    if (!shows() || !eraseRows) return;
    emitText(completedRows == lastRow ? "\x1b[J" : "\x1b[K");
  }

  void endRow() {
    out("\n", 1);
    ++completedRows;
    column = 0;
    startRow();
  }

  void outSpaces(int count) {
    if (shows()) emitSpaces(count);
  }

  void placeWord() {
    releaseHeld(false);
    if (wordBytes == 0) return;
    if (column + spaces + wordCells <= width) {
      outSpaces(spaces);
      column += spaces;
    } else if (column == 0) {
      // Indentation at the start of a line shrinks to let the word fit.
      const int room = width - wordCells;
      const int kept = spaces < room ? spaces : room;
      outSpaces(kept);
      column += kept;
    } else {
      endRow();
    }
    out(word, static_cast<std::size_t>(wordBytes));
    column += wordCells;
    spaces = 0;
    wordBytes = 0;
    wordCells = 0;
  }

  // The spaces that still fit on the row: before a line end, or before the
  // player's typing.
  void placeSpaces() {
    const int room = width - column;
    const int kept = spaces < room ? spaces : room;
    outSpaces(kept);
    column += kept;
    spaces = 0;
  }

  // Lays out the held line: with its leading spaces shrunk to fit the row
  // when it ended (ended) with its words alone fitting.
  void releaseHeld(bool ended) {
    if (!holding) return;
    holding = false;
    lineDecided = true;
    if (ended) {
      int cells = heldCells;
      for (int i = heldBytes - 1; i >= 0 && held[i] == ' '; --i) --cells;
      if (cells <= width && spaces + cells > width) spaces = width - cells;
    }
    const int length = heldBytes;
    heldBytes = 0;
    heldCells = 0;
    for (int i = 0; i < length; ++i) add(static_cast<unsigned char>(held[i]));
  }

  // Everything said so far, before the game waits: a line still held (one
  // that starts with spaces, such as the title's last) is as long as it will
  // get, and keeps to one row as a line that ended would.
  void layOutAllSaid() {
    releaseHeld(true);
    placeWord();
    placeSpaces();
  }

  // A typed line, wrapped where the terminal wrapped it.
  void addTyped(unsigned char byte) {
    if (byte == '\n') {
      if (typedMark == EDITED_MARK && column == width) endRow();
      typedMark = 0;
      endRow();
      ruleRow = true;
      lineDecided = false;
      return;
    }
    const bool cell = takesCell(byte);
    if (cell && column == width) endRow();
    const char narrow = static_cast<char>(byte);
    out(&narrow, 1);
    if (cell) ++column;
  }

  void add(unsigned char byte) {
    if (typedMark != 0) {
      addTyped(byte);
      return;
    }
    if (byte == static_cast<unsigned char>(SOFT_LINE_END)) {
      if (width >= WRITTEN_WIDTH) {
        add('\n');
        return;
      }
      releaseHeld(false);  // the first line of an indented paragraph keeps its indent
      byte = ' ';
    }
    if (byte == EDITED_MARK || byte == ECHOED_MARK) {
      placeWord();
      placeSpaces();
      typedMark = byte;
      return;
    }
    if (holding) {
      if (byte == '\n') {
        releaseHeld(true);
      } else {
        held[heldBytes++] = static_cast<char>(byte);
        if (takesCell(byte)) ++heldCells;
        // Longer than a row without its spaces, or more than is held: laid
        // out as it comes.
        if (heldCells > width || heldBytes >= static_cast<int>(sizeof held)) releaseHeld(false);
        return;
      }
    }
    if (byte != ' ' && byte != '\n' && column == 0 && spaces > 0 && wordBytes == 0 &&
        !lineDecided) {
      holding = true;
      held[heldBytes++] = static_cast<char>(byte);
      if (takesCell(byte)) ++heldCells;
      return;
    }
    if (byte == '\n') {
      lineDecided = false;
      placeWord();
      placeSpaces();
      endRow();
      ruleRow = true;
      return;
    }
    if (byte == ' ') {
      placeWord();
      ++spaces;
      ruleRow = false;
      return;
    }
    if (byte != '_') ruleRow = false;
    const bool cell = takesCell(byte);
    if (cell && ruleRow && wordCells >= (width < WRITTEN_WIDTH ? width : WRITTEN_WIDTH)) return;
    if (cell && wordCells >= width) placeWord();  // a word longer than a row
    if (wordBytes < static_cast<int>(sizeof word)) word[wordBytes++] = static_cast<char>(byte);
    if (cell) ++wordCells;
  }

  void addAll(const char* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) add(static_cast<unsigned char>(text[i]));
  }

  // Rows in use, the cursor's row counted when something stands on it.
  long usedRows() const {
    return completedRows +
           (column > 0 || spaces > 0 || wordBytes > 0 || holding || typedMark != 0 ? 1 : 0);
  }
};

// The live layout of what the game writes.
Layout live;

// What has been shown since the last clear, as the game said it (and the
// lines the player typed), to be laid out again at any width. When it fills
// up, its oldest lines go: they are far off the top of any screen.
char kept[16384];
std::size_t keptLength = 0;
// The rows the screen holds from the top, when known: not before the first
// clear (the shell's own lines are there), exact after it.
bool rowsKnown = false;

void keep(const char* text, std::size_t length) {
  if (length > sizeof kept / 2) {
    text += length - sizeof kept / 2;
    length = sizeof kept / 2;
  }
  if (keptLength + length > sizeof kept) {
    std::size_t drop = keptLength - sizeof kept / 2;
    while (drop < keptLength && kept[drop - 1] != '\n') ++drop;
    std::memmove(kept, kept + drop, keptLength - drop);
    keptLength -= drop;
  }
  std::memcpy(kept + keptLength, text, length);
  keptLength += length;
}

void cursorToColumn(int column) {
  char move[24];
  std::snprintf(move, sizeof move, "\r\x1b[%dC", column);
  if (column > 0) {
    emitText(move);
  } else {
    emitText("\r");
  }
}

}  // namespace

void openScreen(ScreenSink output, int screenColumns, int screenRows) {
  opened = true;
  sink = output;
  setScreenSize(screenColumns, screenRows);
  live = Layout{};
  live.width = columns;
  keptLength = 0;
  rowsKnown = false;
}

bool screenIsOpen() { return opened; }

void markScreenBlank() { rowsKnown = true; }

void setScreenSize(int screenColumns, int screenRows) {
  if (screenColumns <= 0) return;
  columns = screenColumns < MAX_COLUMNS ? screenColumns : MAX_COLUMNS;
  rows = screenRows > 0 ? screenRows : 24;
}

int screenColumns() { return columns; }

void screenWrite(const char* text, std::size_t length) {
  keep(text, length);
  live.addAll(text, length);
  sendPending();
}

void showHeldOutput() {
  live.layOutAllSaid();
  sendPending();
}

void screenClear() {
  flushOutput();  // what was said before the clear goes first
  showHeldOutput();
  // Scroll the rows in use off the top, into the scrollback, then clear what
  // is left (blank unless something else drew there) from the top left.
  const long onScreen = rowBelowOpenedAt == live.completedRows ? rows - 1 : rows;
  const long used = rowsKnown && live.usedRows() < onScreen ? live.usedRows() : onScreen;
  char move[24];
  std::snprintf(move, sizeof move, "\x1b[%d;1H", rows);
  emitText(move);
  for (long i = 0; i < used; ++i) emit("\n", 1);
  emitText("\x1b[H\x1b[J");
  sendPending();
  live = Layout{};
  live.width = columns;
  keptLength = 0;
  rowsKnown = true;
  hintShown = false;
  rowBelowOpenedAt = -1;
}

// The rows of a typed line, kept with its mark, are counted as they are laid
// out again.
void noteTyped(unsigned char mark, const char* prompt, const char* line) {
  const char markByte = static_cast<char>(mark);
  keep(&markByte, 1);
  keep(prompt, std::strlen(prompt));
  keep(line, std::strlen(line));
  keep("\n", 1);
  Layout typed = live;
  typed.drawing = false;
  typed.add(mark);
  typed.addAll(prompt, std::strlen(prompt));
  typed.addAll(line, std::strlen(line));
  typed.add('\n');
  live.completedRows = typed.completedRows;
  live.column = 0;
  live.spaces = 0;
  live.ruleRow = true;
  live.lineDecided = false;
}

void noteTypedLine(const char* prompt, const char* line) { noteTyped(EDITED_MARK, prompt, line); }

void noteAnsweredLine(const char* line) { noteTyped(ECHOED_MARK, "", line); }

void forgetCursorLine() {
  while (keptLength > 0 && kept[keptLength - 1] != '\n' && kept[keptLength - 1] != SOFT_LINE_END) {
    --keptLength;
  }
  live.column = 0;
  live.spaces = 0;
  live.wordBytes = 0;
  live.wordCells = 0;
  live.ruleRow = true;
  live.holding = false;
  live.heldBytes = 0;
  live.heldCells = 0;
  live.lineDecided = false;
}

void redrawScreen(int rowsBelow) {
  // How many rows the kept screen takes at this width.
  Layout count{};
  count.width = columns;
  count.drawing = false;
  count.addAll(kept, keptLength);
  count.layOutAllSaid();
  // A key hint is shown again, on a row of its own when it must be.
  const bool keyHint = hintShown;
  if (keyHint && !hintFitsBeside(count.column) && rowsBelow < 1) rowsBelow = 1;
  long room = rows - 1 - rowsBelow;
  if (room < 0) room = 0;
  Layout draw{};
  draw.width = columns;
  draw.eraseRows = true;
  draw.skipRows = count.completedRows > room ? count.completedRows - room : 0;
  draw.lastRow = count.completedRows;
  emitText("\x1b[H");
  draw.startRow();
  draw.addAll(kept, keptLength);
  draw.layOutAllSaid();
  sendPending();
  live = draw;
  live.skipRows = 0;
  live.eraseRows = false;
  live.completedRows -= draw.skipRows;
  rowsKnown = true;
  hintShown = false;
  rowBelowOpenedAt = -1;
  if (keyHint) showKeyHint();
}

void showKeyHint() {
  if (!opened || hintShown || HINT_CELLS >= columns) return;
  showHeldOutput();
  hintBelow = !hintFitsBeside(live.column);
  if (hintBelow) {
    // On the screen's last row this moves the screen up a row, as any
    // further output would.
    emitText("\n");
    rowBelowOpenedAt = live.completedRows;
  } else {
    emitSpaces(live.column > 0 ? 2 : 0);
  }
  emitText("\x1b[2m");
  emitText(HINT);
  emitText("\x1b[22m");
  if (hintBelow) emitText("\x1b[A");
  cursorToColumn(live.column);
  sendPending();
  hintShown = true;
}

void eraseKeyHint() {
  if (!hintShown) return;
  emitText(hintBelow ? "\x1b[B\x1b[2K\x1b[A" : "\x1b[K");
  sendPending();
  hintShown = false;
}
