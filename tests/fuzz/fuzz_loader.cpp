// The saved-game loader on arbitrary files: each input is the whole text of
// the save file. It is written to a folder of this target's own and loaded
// over a game under way. A refused file must leave the game byte for byte as
// it was, and the file and the folder as they were. An accepted file must
// give a game that SAVE writes out and LOAD takes back to the same game, and
// a second SAVE of that game must write the very same bytes.
//
// The folder is made afresh under TMPDIR, or else on /dev/shm when there is
// one, so that the saves' trips to the disk cost little; the target goes into
// it for each input and back out before returning or stopping.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/console.hpp"
#include "console/file_storage.hpp"
#include "console/pipe_console.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "persistence/savefile.hpp"
#include "tests/save_support.hpp"
#include "tests/scene.hpp"

namespace {

// ---- Where the target works.

char folder[256];
int homeFolder = -1;  // where the fuzzer was started: artifacts go there
int ownFolder = -1;

void removeOwnFolder() {
  if (ownFolder < 0) return;
  if (DIR* entries = ::fdopendir(::dup(ownFolder))) {
    ::rewinddir(entries);  // the copy shares where the last listing stopped
    while (const dirent* entry = ::readdir(entries)) {
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
        ::unlinkat(ownFolder, entry->d_name, 0);
      }
    }
    ::closedir(entries);
  }
  ::rmdir(folder);
}

void makeOwnFolder() {
  const char* base = std::getenv("TMPDIR");
  struct stat facts {};
  if (base == nullptr || base[0] == '\0') {
    base =
        ::stat("/dev/shm", &facts) == 0 && S_ISDIR(facts.st_mode) && ::access("/dev/shm", W_OK) == 0
            ? "/dev/shm"
            : "/tmp";
  }
  std::snprintf(folder, sizeof folder, "%s/tidewrack-loader-XXXXXX", base);
  if (::mkdtemp(folder) == nullptr) {
    std::perror("loader: no working folder");
    std::abort();
  }
  homeFolder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ownFolder = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (homeFolder < 0 || ownFolder < 0) {
    std::perror("loader: working folder");
    std::abort();
  }
  std::atexit(removeOwnFolder);
}

void enterOwnFolder() {
  if (::fchdir(ownFolder) != 0) std::abort();
}

void leaveOwnFolder() {
  if (::fchdir(homeFolder) != 0) std::abort();
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
  frontEnd.readFile = readDiskFile;
  frontEnd.replaceFile = replaceDiskFile;
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

// ---- Files.

char fileText[16384];
std::size_t fileLength = 0;

// The whole save file into fileText; false when it is missing or too long.
bool readSaveFile() {
  const int file = ::open(SAVE_FILE_NAME, O_RDONLY | O_CLOEXEC);
  if (file < 0) return false;
  fileLength = 0;
  for (;;) {
    const ssize_t got = ::read(file, fileText + fileLength, sizeof fileText - fileLength);
    if (got <= 0) break;
    fileLength += static_cast<std::size_t>(got);
    if (fileLength == sizeof fileText) break;
  }
  ::close(file);
  return fileLength < sizeof fileText;
}

bool fileHolds(const std::uint8_t* data, std::size_t size) {
  return readSaveFile() && fileLength == size && std::memcmp(fileText, data, size) == 0;
}

void writeSaveFile(const std::uint8_t* data, std::size_t size) {
  const int file = ::open(SAVE_FILE_NAME, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (file < 0) std::abort();
  std::size_t done = 0;
  while (done < size) {
    const ssize_t wrote = ::write(file, data + done, size - done);
    if (wrote <= 0) std::abort();
    done += static_cast<std::size_t>(wrote);
  }
  ::close(file);
}

// True when the folder holds the save file and nothing else: no new file
// left beside it by a save.
bool folderHoldsOnlyTheSave() {
  DIR* entries = ::fdopendir(::dup(ownFolder));
  if (entries == nullptr) return false;
  ::rewinddir(entries);
  int others = 0;
  bool save = false;
  while (const dirent* entry = ::readdir(entries)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    if (std::strcmp(entry->d_name, SAVE_FILE_NAME) == 0) {
      save = true;
    } else {
      others += 1;
    }
  }
  ::closedir(entries);
  return save && others == 0;
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
  leaveOwnFolder();  // so that the fuzzer's report lands where it was asked
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
  ::unlink(SAVE_FILE_NAME);
  writeSaveFile(data, size);

  game = underWay;
  run(loadGame);
  if (shownIsARefusal()) {
    expect(std::memcmp(&game, &underWay, sizeof game) == 0, "a refused file changed the game");
    expect(fileHolds(data, size), "a refused file was changed");
    expect(folderHoldsOnlyTheSave(), "a refused load left a file beside the save");
    return;
  }
  expect(shownLength > 0 && shown[0] == '\f' && shownEndsWith("Game loaded.\n"),
         "LOAD neither loaded nor refused: the room and \"Game loaded.\" were expected");
  expect(sameUnsavedFields(game, underWay), "LOAD changed a field the file does not hold");
  expect(fileHolds(data, size), "a loaded file was changed");
  const GameState loaded = game;

  run(saveGame);
  expect(shownLength == 12 && shownEndsWith("Game saved.\n"), "a loaded game could not be saved");
  expect(std::memcmp(&game, &loaded, sizeof game) == 0, "SAVE changed the game");
  expect(folderHoldsOnlyTheSave(), "SAVE left a file beside the save");
  expect(readSaveFile(), "the save written cannot be read back");
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
  expect(readSaveFile() && fileLength == firstSaveLength &&
             std::memcmp(fileText, firstSave, fileLength) == 0,
         "saving the same game twice wrote different files");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  makeOwnFolder();
  connectScreen();
  makeGameUnderWay();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 8192) return -1;  // far beyond any save; not worth the fuzzer's time
  enterOwnFolder();
  checkInput(data, size);
  leaveOwnFolder();
  return 0;
}
