// The front end for pipes and files: scripts, tests and screen readers.
// A key is a whole line (its first character), commands are not echoed, and
// the screen is "cleared" with a single form feed.
#pragma once
#include <cstddef>
#include <cstdint>

#include "console/console.hpp"
#include "frontends/streams/line_reader.hpp"

using ByteSink = void (*)(const char* text, std::size_t length);

// Input from the source (standard input, or a test's script).
void connectPipeInput(ByteSource source);
// The same, and the front end's keys and lines read from it, a line a key.
void readFromPipe(FrontEnd& frontEnd, ByteSource source);
int pipeReadKey();
bool pipeKeyWaiting();
bool pipeReadLine(char* buffer, int capacity);

// Standard output in pipe mode. The game hands its output over before every
// read, but nobody can be waiting for it while lines typed ahead are still
// to be taken: it is held, and written out just before the program waits for
// more input, when 64 KiB have gathered, and at exit (writeHeldOutput). One
// write answers a whole run of typed-ahead lines instead of one per line.
void holdStandardOutput(const char* text, std::size_t length);
void writeHeldOutput();
// Standard input as a byte source that first writes out the held output.
std::size_t readStandardInputAfterOutput(char* buffer, std::size_t capacity);

// Output that is not a terminal: a form feed stands for a cleared screen.
void formFeedClear();

std::uint32_t systemClock();
