#include "persistence/save_format.hpp"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "console/console.hpp"
#include "core/state.hpp"
#include "core/world.hpp"

// The save file is plain text:
//
//   line 1   the 246 cells of the exits grid (rooms 0..40, each row North,
//            South, East, West, Up, Down), the 38 object locations (objects
//            0..37; -1 carried, -2 worn), the fourteen counters from
//            currentRoom to gameOver and last visionStage, every number in
//            decimal and followed by one space, the last by the line end;
//   2..38    the names of objects 1..37, one a line; the six direction
//            labels keep their trailing space.
//
// Lines end as text files do where the game runs: LF, or CR LF on Windows.
// Either kind loads on both.
//
// A player can open the file and change it, and a file can be cut short or
// damaged, so nothing read from it reaches the game until the whole file has
// been read into a record of its own and found to be a game that play could
// have reached, field by field. A file that fails anywhere is refused whole
// and the game goes on as it was.
//
// What a hand-edited file may still do, because play could give each value:
// - lay out the exits between rooms 1..40 in any way (row 0 stays empty);
// - put any object 7..37 in any room, in the hands (-1) or on the body (-2);
//   objects 0..6 are not things in the world and stay at 0;
// - set each counter anywhere in its own range, in any combination with the
//   others: the carried count is kept as it stands and never recounted from
//   the objects marked carried, and a lit torch need not be in the world;
// - give objects 7..37 any name of 1 to 58 printable ASCII characters, and so
//   change the wine states that live in the bottle's and the goblet's names.
// The direction labels are not the player's to rename; a label whose
// trailing space an editor has stripped is read as the label. Blanks after
// the last number of the first line, and blank lines after the last name,
// are let by; a name line without its line end is a file cut short.
//
// The integer reading is the usual one: blanks and line ends before a number
// are skipped, a sign may come first, 0x or 0X starts a hexadecimal number
// and a leading 0 an octal one. A number must end at a blank or at the end
// of the file, so "09" or "12abc" is damage, not two numbers.

namespace {

// The longest name a name line can carry. Play never gives a name of more
// than 39 characters.
constexpr std::size_t LONGEST_NAME = 58;
static_assert(LONGEST_NAME + 2 <= NAME_CAPACITY, "a name line and its CR fit a name text");

// A turn far beyond any game played by hand or by script: one turn per
// command, and DRINK adds 30 only once a game, since there is one bottle of
// wine. From here well over a hundred million commands could still follow
// before the counter overflowed.
constexpr std::int32_t LAST_SAVED_TURN = 2'000'000'000;

struct CounterRule {
  std::int32_t GameState::*field;
  std::int32_t lowest;
  std::int32_t highest;
};

// The fourteen counters in the file's order, each with the values play can
// give it between two commands.
constexpr CounterRule savedCounters[] = {
    {&GameState::currentRoom, 1, ROOM_COUNT},
    {&GameState::matchesLeft, 0, MATCHBOOK_MATCHES},
    {&GameState::turn, 1, LAST_SAVED_TURN},
    {&GameState::chestLocked, 0, 1},
    {&GameState::chestClosed, 0, 1},
    {&GameState::scubaAir, 0, FULL_TANK_AIR},  // 0 once the tanks have run out
    {&GameState::scubaOn, 0, 1},
    {&GameState::carriedCount, 0, CARRY_LIMIT},  // 0 once even the preserver is put down
    {&GameState::matchLit, 0, 1},
    {&GameState::matchTurns, 0, MATCH_BURN_TURNS - 1},  // out as the count reaches the limit
    {&GameState::torchLit, 0, 1},
    {&GameState::torchFuel, 0, NEW_TORCH_FUEL},  // 0 once the torch has burnt out
    {&GameState::birdSeen, 0, 1},
    // Saving is a command, so the game saves 0; a file that says 1 loads as
    // a game that ends with that turn.
    {&GameState::gameOver, 0, 1},
};

// Every name play gives is plain ASCII. Nothing else is let through, so a
// hand-edited name can never carry a code a terminal would act on (ESC, or
// the 8-bit controls 0x80..0x9F).
bool isPrintable(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 0x20 && code < 0x7F;
}

bool nameIsAcceptable(const char* name, int object) {
  if (object < FIRST_OBJECT) return std::strcmp(name, initialObjectName[object]) == 0;
  const std::size_t length = std::strlen(name);
  if (length == 0 || length > LONGEST_NAME) return false;
  for (std::size_t at = 0; at < length; ++at) {
    if (!isPrintable(name[at])) return false;
  }
  return true;
}

}  // namespace

bool isSavableGame(const GameState& state) {
  for (int room = 0; room <= ROOM_COUNT; ++room) {
    for (int column = 0; column < DIRECTION_COUNT; ++column) {
      const int cell = state.exits[room][column];
      if (cell > (room == 0 ? 0 : ROOM_COUNT)) return false;
    }
  }
  for (int object = 0; object < OBJECT_COUNT; ++object) {
    const std::int8_t location = state.objectLocation[object];  // -2..40
    if (object < FIRST_OBJECT ? location != NOWHERE : location < WORN || location > ROOM_COUNT) {
      return false;
    }
  }
  // Counters that run down on their own must be able to stop: burning tanks
  // and a burning torch hold some air and fuel still (they go out as they
  // reach 0), and the carried count is never below the number of things in
  // the hands, or putting them down would take it below 0.
  if (state.scubaOn == 1 && state.scubaAir < 1) return false;
  if (state.torchLit == 1 && state.torchFuel < 1) return false;
  int inHands = 0;
  for (int object = FIRST_OBJECT; object < OBJECT_COUNT; ++object) {
    if (state.objectLocation[object] == CARRIED) ++inHands;
  }
  if (state.carriedCount < inHands) return false;
  for (const CounterRule& rule : savedCounters) {
    const std::int32_t value = state.*rule.field;
    if (value < rule.lowest || value > rule.highest) return false;
  }
  if (state.visionStage < 0 || state.visionStage > VISIONS_DONE) return false;
  for (int object = 1; object < OBJECT_COUNT; ++object) {
    if (!nameIsAcceptable(state.objectName[object], object)) return false;
  }
  return true;
}

namespace {

// The text of a save as it is made, in the caller's buffer.
struct SaveText {
  char* bytes;
  std::size_t capacity;
  std::size_t length;
  bool overflowed;
};

void append(SaveText& text, const char* bytes, std::size_t length) {
  if (length > text.capacity - text.length) {
    text.overflowed = true;
    return;
  }
  std::memcpy(text.bytes + text.length, bytes, length);
  text.length += length;
}

void appendText(SaveText& text, const char* bytes) { append(text, bytes, std::strlen(bytes)); }

void appendNumber(SaveText& text, long long value) {
  char digits[24];
  const int length = std::snprintf(digits, sizeof digits, "%lld", value);
  append(text, digits, static_cast<std::size_t>(length));
}

}  // namespace

std::size_t formatSavedGame(const GameState& state, char* bytes, std::size_t capacity) {
  if (!isSavableGame(state)) return 0;
  SaveText text{bytes, capacity, 0, false};
  for (int room = 0; room <= ROOM_COUNT; ++room) {
    for (int column = 0; column < DIRECTION_COUNT; ++column) {
      appendNumber(text, state.exits[room][column]);
      appendText(text, " ");
    }
  }
  for (int object = 0; object < OBJECT_COUNT; ++object) {
    appendNumber(text, state.objectLocation[object]);
    appendText(text, " ");
  }
  for (const CounterRule& rule : savedCounters) {
    appendNumber(text, state.*rule.field);
    appendText(text, " ");
  }
  appendNumber(text, state.visionStage);
  appendText(text, TEXT_LINE_END);
  for (int object = 1; object < OBJECT_COUNT; ++object) {
    appendText(text, state.objectName[object]);
    appendText(text, TEXT_LINE_END);
  }
  return text.overflowed ? 0 : text.length;
}

namespace {

// The text of a save file, read from the front.
struct SaveReader {
  const char* text;
  std::size_t length;
  std::size_t position;
};

// The next byte (0..255) without taking it, or -1 at the end of the file.
int peekByte(const SaveReader& in) {
  if (in.position == in.length) return -1;
  return static_cast<unsigned char>(in.text[in.position]);
}

int takeByte(SaveReader& in) {
  const int byte = peekByte(in);
  if (byte >= 0) in.position += 1;
  return byte;
}

bool isBlank(int byte) {
  return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\v' || byte == '\f' ||
         byte == '\r';
}

int digitValue(int byte) {
  if (byte >= '0' && byte <= '9') return byte - '0';
  if (byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
  if (byte >= 'A' && byte <= 'F') return byte - 'A' + 10;
  return 99;
}

// One number, after any blanks. False when the file ends first or what
// stands there is not a whole number. Numbers far too large for any field
// are read as one that is merely too large.
bool readNumber(SaveReader& in, long long& value) {
  while (isBlank(peekByte(in))) takeByte(in);
  bool negative = false;
  if (peekByte(in) == '+' || peekByte(in) == '-') negative = takeByte(in) == '-';
  int base = 10;
  int digits = 0;
  if (peekByte(in) == '0') {
    takeByte(in);
    base = 8;
    digits = 1;
    if (peekByte(in) == 'x' || peekByte(in) == 'X') {
      takeByte(in);
      base = 16;
      digits = 0;
    }
  }
  constexpr long long TOO_LARGE = 1LL << 40;
  long long magnitude = 0;
  while (digitValue(peekByte(in)) < base) {
    magnitude = magnitude * base + digitValue(takeByte(in));
    if (magnitude > TOO_LARGE) magnitude = TOO_LARGE;
    digits += 1;
  }
  if (digits == 0) return false;
  const int next = peekByte(in);
  if (next >= 0 && !isBlank(next)) return false;
  value = negative ? -magnitude : magnitude;
  return true;
}

bool readValue(SaveReader& in, long long lowest, long long highest, long long& value) {
  return readNumber(in, value) && value >= lowest && value <= highest;
}

// One name line, without its line end. False when the file ends before the
// line end or the line is too long for a name.
bool readNameLine(SaveReader& in, char* name) {
  std::size_t length = 0;
  for (;;) {
    const int byte = takeByte(in);
    if (byte < 0) return false;
    if (byte == '\n') break;
    if (byte == '\0') return false;                // it would cut the name short unseen
    if (length == LONGEST_NAME + 1) return false;  // room for the name and a CR only
    name[length++] = static_cast<char>(byte);
  }
  if (length > 0 && name[length - 1] == '\r') length -= 1;
  if (length > LONGEST_NAME) return false;
  name[length] = '\0';
  return true;
}

// Reads the whole file into the record. False at the first value that is
// missing, not a number or out of its range, or when anything but blank
// lines follows the last name.
bool readSavedGame(SaveReader& in, GameState& loaded) {
  long long value = 0;
  for (int room = 0; room <= ROOM_COUNT; ++room) {
    for (int column = 0; column < DIRECTION_COUNT; ++column) {
      if (!readValue(in, 0, room == 0 ? 0 : ROOM_COUNT, value)) return false;
      loaded.exits[room][column] = static_cast<std::uint8_t>(value);
    }
  }
  for (int object = 0; object < OBJECT_COUNT; ++object) {
    const bool inWorld = object >= FIRST_OBJECT;
    if (!readValue(in, inWorld ? WORN : NOWHERE, inWorld ? ROOM_COUNT : NOWHERE, value)) {
      return false;
    }
    loaded.objectLocation[object] = static_cast<std::int8_t>(value);
  }
  for (const CounterRule& rule : savedCounters) {
    if (!readValue(in, rule.lowest, rule.highest, value)) return false;
    loaded.*rule.field = static_cast<std::int32_t>(value);
  }
  if (!readValue(in, 0, VISIONS_DONE, value)) return false;
  loaded.visionStage = static_cast<std::int32_t>(value);

  // The first line ends here; blanks left after the last number are let by.
  while (peekByte(in) == ' ' || peekByte(in) == '\t') takeByte(in);
  if (peekByte(in) == '\r') takeByte(in);
  if (takeByte(in) != '\n') return false;

  for (int object = 1; object < OBJECT_COUNT; ++object) {
    char* name = loaded.objectName[object];
    if (!readNameLine(in, name)) return false;
    if (object < FIRST_OBJECT) {
      // A label that has lost its trailing space is still that label.
      const char* label = initialObjectName[object];
      if (std::strncmp(name, label, std::strlen(label) - 1) == 0 &&
          std::strlen(name) == std::strlen(label) - 1) {
        std::strcpy(name, label);
      }
    }
    if (!nameIsAcceptable(name, object)) return false;
  }

  for (int byte = takeByte(in); byte >= 0; byte = takeByte(in)) {
    if (!isBlank(byte)) return false;
  }
  // Every field has been checked as it was read; this is the same rule the
  // saver applies, so that a game loaded is always a game that can be saved.
  return isSavableGame(loaded);
}

}  // namespace

bool parseSavedGame(const char* text, std::size_t length, GameState& loaded) {
  SaveReader in{text, length, 0};
  return readSavedGame(in, loaded);
}
