// Buffered reading of bytes and lines, shared by the pipe, terminal and
// Windows front ends so that all of them cut lines the same way.
#pragma once
#include <cstddef>

using ByteSource = std::size_t (*)(char* buffer, std::size_t capacity);

struct LineReader {
  ByteSource source;
  std::size_t position;
  std::size_t length;
  bool ended;
  char buffer[16384];
};

void startReader(LineReader& reader, ByteSource source);
// True when bytes are already read in and waiting.
bool hasBufferedBytes(const LineReader& reader);
// The next byte (0..255), or -1 at end of input.
int nextByte(LineReader& reader);
// The byte nextByte would return, left in place; waits for it like nextByte.
int peekByte(LineReader& reader);
// One line: LF or CR LF ends it, and any other CR is a character of the
// line; NUL bytes are dropped; at most capacity - 1 characters are kept and
// the rest of the line is skipped. A last line without a line end still
// counts. False at end of input.
bool readLineFrom(LineReader& reader, char* line, int capacity);
