#include "console/console.hpp"

#include <algorithm>
#include <cstring>

namespace {

FrontEnd active{};
bool endOfInput = false;

// Output waits here until a read, a clear, or a full buffer sends it on.
constexpr std::size_t OUTPUT_CAPACITY = 8192;
char outputBuffer[OUTPUT_CAPACITY];
std::size_t outputLength = 0;

// The line the cursor stands on, as far as it has been written: the text
// after the last line end sent to the front end. Longer lines are not kept.
constexpr std::size_t CURSOR_LINE_CAPACITY = 160;
char cursorLine[CURSOR_LINE_CAPACITY];
std::size_t cursorLineLength = 0;
bool cursorLineKept = true;

// A line end inside a paragraph ends the line the cursor stands on too.
const char* lastLineEnd(const char* text, std::size_t length) {
  for (std::size_t at = length; at > 0; --at) {
    if (text[at - 1] == '\n' || text[at - 1] == SOFT_LINE_END) return text + at - 1;
  }
  return nullptr;
}

// For a front end that does not lay out paragraphs, a line end inside one
// is a line end like any other. The held output is changed in place.
void endSoftLines(char* text, std::size_t length) {
  if (active.laysOutParagraphs) return;
  char* const end = text + length;
  for (char* at = text; at < end; ++at) {
    at = static_cast<char*>(std::memchr(at, SOFT_LINE_END, static_cast<std::size_t>(end - at)));
    if (at == nullptr) return;
    *at = '\n';
  }
}

void keepCursorLine(const char* text, std::size_t length) {
  if (const char* end = lastLineEnd(text, length)) {
    const std::size_t after = length - static_cast<std::size_t>(end + 1 - text);
    cursorLineLength = 0;
    cursorLineKept = true;
    text = end + 1;
    length = after;
  }
  if (!cursorLineKept || cursorLineLength + length > CURSOR_LINE_CAPACITY) {
    cursorLineKept = false;
    return;
  }
  std::memcpy(cursorLine + cursorLineLength, text, length);
  cursorLineLength += length;
}

void send(const char* text, std::size_t length) {
  if (length == 0 || active.write == nullptr) return;
  keepCursorLine(text, length);
  active.write(text, length);
}

}  // namespace

void setFrontEnd(const FrontEnd& frontEnd) {
  flushOutput();
  active = frontEnd;
  endOfInput = false;
  cursorLineLength = 0;
  cursorLineKept = true;
}

void flushOutput() {
  endSoftLines(outputBuffer, outputLength);
  send(outputBuffer, outputLength);
  outputLength = 0;
}

std::size_t takeCursorLine(char* line, std::size_t capacity, std::size_t& shown) {
  endSoftLines(outputBuffer, outputLength);
  const char* end = lastLineEnd(outputBuffer, outputLength);
  const std::size_t finished =
      end == nullptr ? 0 : static_cast<std::size_t>(end + 1 - outputBuffer);
  send(outputBuffer, finished);
  const char* rest = outputBuffer + finished;
  const std::size_t restLength = outputLength - finished;
  outputLength = 0;

  shown = cursorLineKept ? cursorLineLength : 0;
  std::size_t length = 0;
  auto take = [&](const char* text, std::size_t count) {
    count = std::min(count, capacity - 1 - length);
    std::memcpy(line + length, text, count);
    length += count;
  };
  if (capacity == 0) return 0;
  take(cursorLine, shown);
  take(rest, restLength);
  line[length] = '\0';
  // The line is the caller's now, and the player's Enter ends it.
  cursorLineLength = 0;
  cursorLineKept = true;
  return length;
}

void sayBytes(const char* text, std::size_t length) {
  // A text longer than the buffer goes through it a bufferful at a time.
  while (length >= OUTPUT_CAPACITY) {
    flushOutput();
    std::memcpy(outputBuffer, text, OUTPUT_CAPACITY);
    outputLength = OUTPUT_CAPACITY;
    text += OUTPUT_CAPACITY;
    length -= OUTPUT_CAPACITY;
  }
  if (outputLength + length > OUTPUT_CAPACITY) flushOutput();
  std::memcpy(outputBuffer + outputLength, text, length);
  outputLength += length;
}

void say(const char* text) { sayBytes(text, std::strlen(text)); }

void sayFormat(const char* format, const char* text) {
  const char* run = format;
  for (const char* p = format; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      sayBytes(run, static_cast<std::size_t>(p - run));
      say(text);
      run = p + 2;
      ++p;
    }
  }
  say(run);
}

void cant(const char* format) { sayFormat(format, "You can't"); }

void sayNumber(const char* format, long long value) {
  char digits[24];
  int length = 0;
  unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                           : static_cast<unsigned long long>(value);
  do {
    digits[length++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  char text[26];
  int at = 0;
  if (value < 0) text[at++] = '-';
  while (length > 0) text[at++] = digits[--length];
  text[at] = '\0';
  const char* slot = std::strstr(format, "%i");
  if (slot == nullptr) {
    say(format);
    return;
  }
  sayBytes(format, static_cast<std::size_t>(slot - format));
  say(text);
  say(slot + 2);
}

void clearScreen() { active.clearScreen(); }

int readKey() {
  int key = active.readKey();
  if (key < 0) endOfInput = true;
  return key;
}

bool keyWaiting() { return active.keyWaiting(); }

bool readLine(char* buffer, int capacity) {
  bool got = active.readLine(buffer, capacity);
  if (!got) endOfInput = true;
  return got;
}

std::uint32_t clockSeconds() { return active.clock(); }

long readWholeFile(const char* name, char* buffer, std::size_t capacity) {
  if (active.readFile == nullptr) return FILE_UNREADABLE;
  return active.readFile(name, buffer, capacity);
}

bool replaceWholeFile(const char* name, const char* bytes, std::size_t length) {
  // Whatever the game has said is out before it waits on the disk.
  flushOutput();
  return active.replaceFile != nullptr && active.replaceFile(name, bytes, length);
}

bool inputEnded() { return endOfInput; }
void noteInputEnded() { endOfInput = true; }
void clearInputEnded() { endOfInput = false; }

char toUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

void rememberCommand(const char* line) {
  if (active.remember != nullptr) active.remember(line);
}
