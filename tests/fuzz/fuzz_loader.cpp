// The saved-game loader on arbitrary files: each input is the whole text of
// the save file, kept in memory behind the console's file operations, and
// loaded over a game under way. A refused file must leave the game byte for
// byte as it was, and the file as it was. An accepted file must give a game
// that SAVE writes out and LOAD takes back to the same game, and a second
// SAVE of that game must write the very same bytes. No disk is involved: the
// disk's own side of saving is tested with the program's other tests.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/console.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "frontends/pipe/pipe_console.hpp"
#include "persistence/save_format.hpp"
#include "persistence/savefile.hpp"
#include "tests/save_support.hpp"
#include "tests/scene.hpp"

namespace {

// ---- The one file, in memory.

char fileText[SAVE_TEXT_CAPACITY + 1024];
std::size_t fileLength = 0;
bool fileExists = false;
int fileWrites = 0;

long readStoredFile(const char* name, char* buffer, std::size_t capacity) {
  if (std::strcmp(name, SAVE_FILE_NAME) != 0 || !fileExists) return FILE_MISSING;
  if (fileLength > capacity) return FILE_TOO_LARGE;
  std::memcpy(buffer, fileText, fileLength);
  return static_cast<long>(fileLength);
}

bool replaceStoredFile(const char* name, const char* bytes, std::size_t length) {
  if (std::strcmp(name, SAVE_FILE_NAME) != 0 || length > sizeof fileText) return false;
  std::memcpy(fileText, bytes, length);
  fileLength = length;
  fileExists = true;
  fileWrites += 1;
  return true;
}

// ---- What the game prints: kept, to tell a load from a refusal.

char shown[1 << 16];
std::size_t shownLength = 0;

void keepShown(const char* text, std::size_t length) {
  const std::size_t room = sizeof shown - shownLength;
  if (length > room) length = room;
  std::memcpy(shown + shownLength, text, length);
  shownLength += length;
}

int noKey() { return -1; }
bool noKeyWaiting() { return false; }
bool noLine(char*, int) { return false; }
std::uint32_t stillClock() { return 1000; }

void connectScreen() {
  FrontEnd frontEnd{};
  frontEnd.clearScreen = formFeedClear;
  frontEnd.readKey = noKey;
  frontEnd.keyWaiting = noKeyWaiting;
  frontEnd.readLine = noLine;
  frontEnd.write = keepShown;
  frontEnd.clock = stillClock;
  frontEnd.readFile = readStoredFile;
  frontEnd.replaceFile = replaceStoredFile;
  setFrontEnd(frontEnd);
}

bool shownEndsWith(const char* text) {
  const std::size_t length = std::strlen(text);
  return shownLength >= length && std::memcmp(shown + shownLength - length, text, length) == 0;
}

// Runs SAVE or LOAD alone and keeps what it printed.
void run(void (*command)()) {
  flushOutput();
  shownLength = 0;
  command();
  flushOutput();
}

// ---- The file.

bool fileHolds(const std::uint8_t* data, std::size_t size) {
  return fileExists && fileLength == size && std::memcmp(fileText, data, size) == 0;
}

// ---- Games.

// A game well under way, unlike a new one in every kind of field, as the
// loop has it while LOAD runs; the fields the file does not hold are set to
// values of their own so that a load which touched them would show.
GameState underWay;

void makeGameUnderWay() {
  resetProgramState();
  startGame();
  game.currentRoom = PRAYER_ROOM;
  game.matchesLeft = 13;
  game.turn = 57;
  game.chestLocked = 0;
  game.chestClosed = 0;
  game.scubaAir = 12;
  game.scubaOn = 1;
  game.carriedCount = 3;
  game.matchLit = 1;
  game.matchTurns = 3;
  game.torchLit = 1;
  game.torchFuel = 22;
  game.birdSeen = 1;
  game.visionStage = 4;
  placeObject(BOTTLE, CARRIED);
  placeObject(AMULET, WORN);
  placeObject(ROBE, NOWHERE);
  placeObject(TORCH, CARRIED);
  placeObject(SCUBA_GEAR, CARRIED);
  placeObject(MUSHROOMS, NOWHERE);
  game.exits[LAGOON_FLOOR][SOUTH - 1] = UNDERWATER_CAVE;
  renameObject(BOTTLE, "An empty bottle");
  renameObject(GOBLET, "A goblet full of wine");
  game.verb = 35;
  game.noun = 0;
  game.redrawPending = 1;
  game.commandRejected = 1;
  game.quitRequested = 1;
  underWay = game;
}

void expect(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "loader: %s\n--- printed ---\n%.*s\n---\n", what,
               static_cast<int>(shownLength), shown);
  std::abort();
}

// The same in everything the save file does not hold.
bool sameUnsavedFields(const GameState& a, const GameState& b) {
  return a.verb == b.verb && a.noun == b.noun && a.redrawPending == b.redrawPending &&
         a.commandRejected == b.commandRejected && a.quitRequested == b.quitRequested &&
         std::memcmp(a.objectName[0], b.objectName[0], NAME_CAPACITY) == 0;
}

const char* const REFUSALS[] = {
    "There is no saved game.  Nothing was loaded.\n",
    "The saved game cannot be read.  Nothing was loaded.\n",
    "The saved game is damaged.  Nothing was loaded.\n",
};

bool shownIsARefusal() {
  for (const char* refusal : REFUSALS) {
    if (shownLength == std::strlen(refusal) && shownEndsWith(refusal)) return true;
  }
  return false;
}

char firstSave[sizeof fileText];
std::size_t firstSaveLength = 0;

void checkInput(const std::uint8_t* data, std::size_t size) {
  std::memcpy(fileText, data, size);
  fileLength = size;
  fileExists = true;
  fileWrites = 0;

  game = underWay;
  run(loadGame);
  if (shownIsARefusal()) {
    expect(std::memcmp(&game, &underWay, sizeof game) == 0, "a refused file changed the game");
    expect(fileHolds(data, size) && fileWrites == 0, "a refused file was changed");
    return;
  }
  expect(shownLength > 0 && shown[0] == '\f' && shownEndsWith("Game loaded.\n"),
         "LOAD neither loaded nor refused: the room and \"Game loaded.\" were expected");
  expect(sameUnsavedFields(game, underWay), "LOAD changed a field the file does not hold");
  expect(fileHolds(data, size) && fileWrites == 0, "a loaded file was changed");
  const GameState loaded = game;

  run(saveGame);
  expect(shownLength == 12 && shownEndsWith("Game saved.\n"), "a loaded game could not be saved");
  expect(std::memcmp(&game, &loaded, sizeof game) == 0, "SAVE changed the game");
  expect(fileWrites == 1, "SAVE did not write the file once");
  std::memcpy(firstSave, fileText, fileLength);
  firstSaveLength = fileLength;

  game = underWay;
  run(loadGame);
  expect(shownEndsWith("Game loaded.\n"), "a game just saved does not load");
  expect(savedDifference(game, loaded).empty(),
         "a game saved and loaded again is not the same game");
  expect(sameUnsavedFields(game, underWay), "LOAD changed a field the file does not hold");

  run(saveGame);
  expect(shownEndsWith("Game saved.\n"), "a game loaded from a save could not be saved again");
  expect(fileLength == firstSaveLength && std::memcmp(fileText, firstSave, fileLength) == 0,
         "saving the same game twice wrote different files");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  connectScreen();
  makeGameUnderWay();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A little past the largest file LOAD reads: beyond that, more of the same.
  if (size > sizeof fileText) return -1;
  checkInput(data, size);
  return 0;
}
