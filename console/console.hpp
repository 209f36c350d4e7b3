// Console services: the only way the game reaches the screen, the keyboard,
// the clock and the player's files. The game never touches a terminal or a file descriptor
// itself; a front end does, and the program picks one at start-up.
#pragma once
#include <cstddef>
#include <cstdint>

// A front end: a terminal, a pipe, or a test's script and capture buffer.
struct FrontEnd {
  // Blanks the screen and homes the cursor (after the pending output).
  void (*clearScreen)();
  // One key press without echo, as its character code; 0 and then a second
  // code for a special key; -1 when no key can be read any more.
  int (*readKey)();
  // True when readKey would return at once.
  bool (*keyWaiting)();
  // One line without its line end, at most capacity - 1 characters kept and
  // the rest of the line dropped. False at end of input, buffer untouched.
  bool (*readLine)(char* buffer, int capacity);
  // Writes bytes to the screen.
  void (*write)(const char* text, std::size_t length);
  // Whole seconds from some fixed moment; only used to seed the dice.
  std::uint32_t (*clock)();
  // Optional: keeps a typed command for the player to call back.
  void (*remember)(const char* line);
  // The player's files (the saved game): a folder on disk, or the browser's
  // storage. readFile reads a whole file into buffer and returns its length,
  // or one of the FILE_ codes below. replaceFile puts these bytes in the
  // file's place in one step: until it returns, the old file is whole; true
  // only when the new file is in place and can be read back. Either may be
  // missing, and then no file can be read or written.
  long (*readFile)(const char* name, char* buffer, std::size_t capacity);
  bool (*replaceFile)(const char* name, const char* bytes, std::size_t length);
  // True when write lays paragraphs out itself, and so takes the game's text
  // with SOFT_LINE_END in it; any other front end gets a plain line end there.
  bool laysOutParagraphs = false;
};

// The game's texts are written for 80 columns. A line end inside a paragraph
// of running prose, where the line ran out and the next one goes on with
// the same paragraph, is this byte: a front end that lays out paragraphs
// joins the lines on a narrower screen; every other front end, and any
// screen 80 columns wide or wider, shows a line end there. The game says it
// nowhere else: no other text holds it, a typed line is never said back,
// and a saved name holds no control code.
inline constexpr char SOFT_LINE_END = '\x1f';

inline constexpr long FILE_MISSING = -1;     // there is no such file
inline constexpr long FILE_UNREADABLE = -2;  // not a plain file, or it cannot be read
inline constexpr long FILE_TOO_LARGE = -3;   // more bytes than the buffer holds

// How a line of a text file ends where the game runs. Files with either end
// are read on every platform.
#ifdef _WIN32
inline constexpr const char* TEXT_LINE_END = "\r\n";
#else
inline constexpr const char* TEXT_LINE_END = "\n";
#endif

void setFrontEnd(const FrontEnd& frontEnd);

// What the game uses.
void clearScreen();
int readKey();
bool keyWaiting();
bool readLine(char* buffer, int capacity);
std::uint32_t clockSeconds();
long readWholeFile(const char* name, char* buffer, std::size_t capacity);
bool replaceWholeFile(const char* name, const char* bytes, std::size_t length);

// True once a read has found the player's input at its end. The game then
// stops at once.
bool inputEnded();
void noteInputEnded();
void clearInputEnded();

// Output, held in a small buffer that every read and clear flushes first.
void say(const char* text);
void sayBytes(const char* text, std::size_t length);
// Prints a format whose "%s" slots are filled with text.
void sayFormat(const char* format, const char* text);
// A refusal: the format's "%s" slot reads "You can't".
void cant(const char* format);
// Prints a format whose "%i" slot is filled with a signed decimal number.
void sayNumber(const char* format, long long value);
void flushOutput();
// For a front end that shows the prompt itself: writes the output up to its
// last line end, and hands over the text said since then, on the line the
// cursor stands on (cut to capacity - 1). shown tells how much of it is
// already on the screen from an earlier write; the rest is not written.
std::size_t takeCursorLine(char* line, std::size_t capacity, std::size_t& shown);

// A command line as the player typed it, for a front end that keeps a
// history of commands (answers to questions are not remembered).
void rememberCommand(const char* line);

char toUpper(char c);
