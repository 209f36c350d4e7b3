#include "frontends/streams/line_reader.hpp"

#include "console/console.hpp"

void startReader(LineReader& reader, ByteSource source) {
  reader.source = source;
  reader.position = 0;
  reader.length = 0;
  reader.ended = false;
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
  if (reader.position >= reader.length && !refill(reader)) return -1;
  return static_cast<unsigned char>(reader.buffer[reader.position]);
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
    // Only the carriage return of a CR LF belongs to the line end, so the
    // byte after one decides, even when it is still on its way. Any other
    // carriage return is one of the line's characters.
    if (byte == '\r' && peekByte(reader) == '\n') {
      nextByte(reader);
      break;
    }
    if (byte == '\0') continue;
    if (stored < capacity - 1) line[stored++] = static_cast<char>(byte);
  }
  line[stored] = '\0';
  return true;
}
