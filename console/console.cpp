#include "console/console.hpp"

#include <cstring>

namespace {

FrontEnd active{};
bool endOfInput = false;

// Output waits here until a read, a clear, or a full buffer sends it on.
constexpr std::size_t OUTPUT_CAPACITY = 8192;
char outputBuffer[OUTPUT_CAPACITY];
std::size_t outputLength = 0;

}  // namespace

void setFrontEnd(const FrontEnd& frontEnd) {
  flushOutput();
  active = frontEnd;
  endOfInput = false;
}

void flushOutput() {
  if (outputLength > 0 && active.write != nullptr) active.write(outputBuffer, outputLength);
  outputLength = 0;
}

void sayBytes(const char* text, std::size_t length) {
  if (length >= OUTPUT_CAPACITY) {
    flushOutput();
    if (active.write != nullptr) active.write(text, length);
    return;
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

bool inputEnded() { return endOfInput; }
void noteInputEnded() { endOfInput = true; }
void clearInputEnded() { endOfInput = false; }

char toUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
