#include "console/line_reader.hpp"

#include "console/console.hpp"

void startReader(LineReader& reader, ByteSource source) {
  reader.source = source;
  reader.position = 0;
  reader.length = 0;
  reader.ended = false;
  reader.afterCarriageReturn = false;
}

bool hasBufferedBytes(const LineReader& reader) { return reader.position < reader.length; }

namespace {

bool refill(LineReader& reader) {
  if (reader.ended) return false;
  // Whatever the game has said must be seen before it waits for the player.
  flushOutput();
  std::size_t got = reader.source(reader.buffer, sizeof reader.buffer);
  if (got == 0) {
    reader.ended = true;
    return false;
  }
  reader.position = 0;
  reader.length = got;
  return true;
}

}  // namespace

int peekByte(LineReader& reader) {
  for (;;) {
    if (reader.position >= reader.length && !refill(reader)) return -1;
    int byte = static_cast<unsigned char>(reader.buffer[reader.position]);
    if (!reader.afterCarriageReturn) return byte;
    // The line feed of a CR LF whose CR has already ended a line.
    reader.afterCarriageReturn = false;
    if (byte != '\n') return byte;
    ++reader.position;
  }
}

int nextByte(LineReader& reader) {
  int byte = peekByte(reader);
  if (byte >= 0) ++reader.position;
  return byte;
}

bool readLineFrom(LineReader& reader, char* line, int capacity) {
  int stored = 0;
  bool readAnything = false;
  for (;;) {
    int byte = nextByte(reader);
    if (byte < 0) {
      if (!readAnything) return false;
      break;
    }
    readAnything = true;
    if (byte == '\n') break;
    if (byte == '\r') {
      // Never wait for the byte after a carriage return: a line feed that
      // comes next is skipped now if it is already here, or when it arrives.
      if (hasBufferedBytes(reader)) {
        if (reader.buffer[reader.position] == '\n') ++reader.position;
      } else {
        reader.afterCarriageReturn = true;
      }
      break;
    }
    if (byte == '\0') continue;
    if (stored < capacity - 1) line[stored++] = static_cast<char>(byte);
  }
  line[stored] = '\0';
  return true;
}
