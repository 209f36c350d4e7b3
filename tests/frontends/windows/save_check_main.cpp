// Saved games in the Windows build: SAVE writes the file with the platform's
// CR LF line ends, LOAD takes it back, and so a file with the LF line ends of
// the Linux build; a later run plays on from it; and files that are missing,
// damaged, locked or in the way change neither the game nor the save on disk.
//
// Runs whole games in-process through the pipe front end, and SAVE and LOAD
// directly on a game under way. Run it in an empty folder of its own: it
// prints every check that fails and ends with status 1 if any did.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <windows.h>

#include "console/console.hpp"
#include "core/game.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "disk/disk_files.hpp"
#include "frontends/pipe/pipe_console.hpp"
#include "persistence/savefile.hpp"
#include "tests/harness.hpp"
#include "tests/save_support.hpp"

namespace {

namespace fs = std::filesystem;

const std::string kSaveName = SAVE_FILE_NAME;

const std::string kNotSaved = "The game could not be saved.\n";
const std::string kNoSavedGame = "There is no saved game.  Nothing was loaded.\n";
const std::string kUnreadable = "The saved game cannot be read.  Nothing was loaded.\n";
const std::string kDamaged = "The saved game is damaged.  Nothing was loaded.\n";

// Word positions on the first line of the file.
constexpr int kLocationWord = 246;  // + object number
constexpr int kCurrentRoomWord = 284;
constexpr int kTurnWord = 286;
constexpr int kVisionStageWord = 298;

// From the title, through the hut for the wine, to the robe and the altar.
const std::string kToTheAltar =
    "\nwest\nnorth\nenter hut\nget bottle\nexit hut\nwest\nwest\nwest\nsouth\nwear robe\nwest\n";
// The god, the amulet, and back out past the runes.
const std::string kTheRest =
    "pour wine\ngob\nsummon neptune\nwear amulet\ninventory\neast\nnorth\nexamine runes\n";

int failures = 0;

void check(bool ok, const std::string& what) {
  if (ok) return;
  std::fprintf(stderr, "FAILED: %s\n", what.c_str());
  ++failures;
}

// ---- Files.

void emptyFolder() {
  for (const auto& entry : fs::directory_iterator(".")) fs::remove_all(entry.path());
}

bool holdsOnlyTheSave() { return folderEntries() == std::vector<std::string>{kSaveName}; }

// ---- The save text, as lines. Every line of a Windows save ends in CR LF.

bool everyLineEndsInCrLf(const std::string& text) {
  if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) return false;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '\r' && (at + 1 == text.size() || text[at + 1] != '\n')) return false;
    if (text[at] == '\n' && (at == 0 || text[at - 1] != '\r')) return false;
  }
  return true;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::vector<std::string> wordsOf(const std::string& line) {
  std::vector<std::string> words;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = line.find(' ', start);
    words.push_back(line.substr(start, end - start));
    if (end == std::string::npos) return words;
    start = end + 1;
  }
}

std::string firstLineWord(const std::string& text, int index) {
  const std::vector<std::string> words = wordsOf(linesOf(text).at(0));
  return index < static_cast<int>(words.size()) ? words[static_cast<std::size_t>(index)] : "";
}

std::string wordsFrom(const std::vector<std::string>& words, std::size_t from, std::size_t count) {
  std::string joined;
  for (std::size_t at = from; at < from + count && at < words.size(); ++at) {
    joined += (at == from ? "" : " ") + words[at];
  }
  return joined;
}

// The text with one word of its first line replaced.
std::string withWord(const std::string& text, int index, const std::string& word) {
  std::vector<std::string> lines = linesOf(text);
  std::vector<std::string> words = wordsOf(lines.at(0));
  words.at(static_cast<std::size_t>(index)) = word;
  lines[0] = wordsFrom(words, 0, words.size());
  return joinLines(lines);
}

// The text with the name line of one object replaced.
std::string withNameLine(const std::string& text, int object, const std::string& line) {
  std::vector<std::string> lines = linesOf(text);
  lines.at(static_cast<std::size_t>(object)) = line;
  return joinLines(lines);
}

std::string withoutCr(const std::string& text) {
  std::string plain;
  for (char c : text) {
    if (c != '\r') plain.push_back(c);
  }
  return plain;
}

// ---- The game.

// The output of the last whole turn: from the last prompt but one to the
// last.
std::string lastTurn(const std::string& output) {
  const std::size_t last = output.rfind("What now?  ");
  if (last == std::string::npos || last == 0) return "";
  const std::size_t before = output.rfind("What now?  ", last - 1);
  return before == std::string::npos ? "" : output.substr(before, last - before);
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// ---- SAVE and LOAD called on a game under way, outside the turn loop.

std::string shown;

std::size_t noInput(char*, std::size_t) { return 0; }
void showBytes(const char* text, std::size_t length) { shown.append(text, length); }
std::uint32_t stillClock() { return 1000; }

void connectScreen() {
  connectPipeInput(noInput);
  FrontEnd frontEnd{};
  frontEnd.clearScreen = formFeedClear;
  frontEnd.readKey = pipeReadKey;
  frontEnd.keyWaiting = pipeKeyWaiting;
  frontEnd.readLine = pipeReadLine;
  frontEnd.write = showBytes;
  frontEnd.clock = stillClock;
  frontEnd.readFile = readDiskFile;
  frontEnd.replaceFile = replaceDiskFile;
  setFrontEnd(frontEnd);
}

std::string answerOf(void (*action)()) {
  connectScreen();
  flushOutput();
  shown.clear();
  action();
  flushOutput();
  return shown;
}

// A game at the altar with the goblet full of wine, as the loop has it while
// an action runs; redrawPending is set so that a refused LOAD is seen to
// leave even that alone.
GameState gameUnderWay() {
  playSession(kToTheAltar + "pour wine\ngob\n");
  GameState state = game;
  state.redrawPending = 1;
  return state;
}

// LOAD of this file over a game under way is refused with this answer, and
// neither the game nor the file changes.
void expectRefused(const GameState& underWay, const std::string& text, const std::string& what,
                   const std::string& answer = kDamaged) {
  writeFile(kSaveName, text);
  game = underWay;
  const std::string said = answerOf(loadGame);
  check(said == answer, what + ": LOAD answers '" + said + "'");
  check(sameBytes(game, underWay),
        what + ": the game changed (" + savedDifference(game, underWay) + ")");
  check(readFile(kSaveName) == text, what + ": the file changed");
  check(holdsOnlyTheSave(), what + ": something was left beside the save");
}

// ---- The checks.

// The file a first-command save of a fresh program writes, as the rules of
// the file lay it out, with CR LF after every line. Returns it.
std::string checkFreshSave() {
  emptyFolder();
  const Session session = playSession("\nsave\n");
  check(contains(session.output, "What now?  \nGame saved.\n\nWhat now?  "),
        "SAVE answers Game saved. and the next turn follows");
  check(holdsOnlyTheSave(), "the fresh save is the only file in the folder");
  const std::string text = readFile(kSaveName);
  check(everyLineEndsInCrLf(text), "every line of the save ends in CR LF, and only there");
  const std::vector<std::string> lines = linesOf(text);
  check(lines.size() == 38, "the save has 38 lines, not " + std::to_string(lines.size()));
  if (lines.size() != 38) return text;

  const std::string& first = lines[0];
  check(first.size() == 675,
        "the first line has 675 characters, not " + std::to_string(first.size()));
  check(first.rfind("0 0 0 0 0 0 10 9 2 11 0 0 3 5 4 1 0 0 ", 0) == 0,
        "the first line starts with exits rows 0, 1 and 2");
  const std::vector<std::string> words = wordsOf(first);
  check(words.size() == 299, "the first line has 299 numbers");
  check(wordsFrom(words, kLocationWord, 38) ==
            "0 0 0 0 0 0 0 3 3 6 7 0 8 0 9 10 11 12 13 13 0 20 21 21 0 0 0 -1 22 25 26 33 34 37 "
            "39 40 0 38",
        "the object locations of a new game: " + wordsFrom(words, kLocationWord, 38));
  check(wordsFrom(words, kCurrentRoomWord, 15) == "1 20 1 1 1 35 0 1 0 0 0 40 0 0 0",
        "the counters and vision stage of a new game: " + wordsFrom(words, kCurrentRoomWord, 15));
  const char* const labels[] = {"North ", "South ", "East ", "West ", "Up ", "Down "};
  for (int direction = 1; direction <= 6; ++direction) {
    check(lines[static_cast<std::size_t>(direction)] == labels[direction - 1],
          std::string("direction label '") + labels[direction - 1] +
              "' keeps its space before the CR LF");
  }
  check(lines[7] == "Wreckage", "line 8 names the wreckage");
  check(lines[37] == "Small brown mushrooms", "the last line names the mushrooms");
  return text;
}

void checkLaterRunPlaysOn(const std::string& fresh) {
  emptyFolder();
  const Session straight = playSession(kToTheAltar + "save\n" + kTheRest);
  const GameState end = game;
  check(contains(straight.output, "Game saved.\n"), "SAVE at the altar");
  const std::string atTheAltar = readFile(kSaveName);
  check(everyLineEndsInCrLf(atTheAltar), "the altar save ends every line in CR LF");
  check(firstLineWord(atTheAltar, kLocationWord + ROBE) == "-2", "the worn robe is saved as -2");
  check(firstLineWord(atTheAltar, kLocationWord + BOTTLE) == "-1",
        "the carried bottle is saved as -1");
  check(firstLineWord(atTheAltar, kCurrentRoomWord) == "21", "the altar save is in room 21");
  check(firstLineWord(atTheAltar, kTurnWord) == "12", "the save on turn 12 holds turn 12");

  // A later run: LOAD, then the same commands to the same end.
  const Session resumed = playSession("\nload\n" + kTheRest);
  check(contains(resumed.output, "Game loaded.\n\nWhat now?  "), "LOAD answers Game loaded.");
  check(savedDifference(game, end).empty(),
        "the resumed game ends as the straight one: " + savedDifference(game, end));
  check(!lastTurn(resumed.output).empty() && lastTurn(resumed.output) == lastTurn(straight.output),
        "the resumed game's last turn reads as the straight one's");
  check(game.objectLocation[AMULET] == WORN && game.exits[LAGOON_FLOOR][SOUTH - 1] == 7,
        "the amulet is worn and the way south of the lagoon floor is open");
  check(std::strcmp(game.objectName[BOTTLE], "An empty bottle") == 0, "the bottle is empty");
  check(readFile(kSaveName) == atTheAltar, "LOAD leaves the file as it was");

  // The same file with LF line ends, as the Linux build writes it.
  playSession("\nload\n");
  const GameState fromCrLf = game;
  writeFile(kSaveName, withoutCr(atTheAltar));
  const Session fromLf = playSession("\nload\n");
  check(contains(fromLf.output, "Game loaded.\n"), "a save with LF line ends loads");
  check(savedDifference(game, fromCrLf).empty(),
        "LF and CR LF line ends load the same game: " + savedDifference(game, fromCrLf));
  check(std::strcmp(game.objectName[NORTH], "North ") == 0 &&
            std::strcmp(game.objectName[DOWN], "Down ") == 0,
        "the direction labels keep their space through an LF load");
  check(std::strcmp(game.objectName[BOTTLE], "A bottle of wine") == 0,
        "the bottle's name comes back without a line end");

  // One slot: a new SAVE replaces the old file whole.
  writeFile(kSaveName, atTheAltar);
  playSession("\nsave\n");
  check(readFile(kSaveName) == fresh, "a second SAVE replaces the first whole");
  check(holdsOnlyTheSave(), "nothing is left beside the second save");
}

void checkMissingFile() {
  emptyFolder();
  const Session session = playSession("\nnorth\nload\n");
  check(contains(session.output, "What now?  \n" + kNoSavedGame + "\nWhat now?  "),
        "LOAD without a save says there is none");
  check(game.currentRoom == COVE && game.turn == 3,
        "LOAD without a save leaves the game as it was");
  check(folderEntries().empty(), "LOAD without a save makes no file");
}

void checkDamagedFiles(const std::string& fresh) {
  emptyFolder();
  const GameState underWay = gameUnderWay();
  emptyFolder();

  expectRefused(underWay, "", "an empty file");
  for (std::size_t length = 1; length < fresh.size(); ++length) {
    expectRefused(underWay, fresh.substr(0, length),
                  "a file cut after " + std::to_string(length) + " bytes");
  }
  expectRefused(underWay, withWord(fresh, 0, "x"), "a first number that is a letter");
  expectRefused(underWay, withWord(fresh, kTurnWord, "09"), "a turn of 09, not octal");
  expectRefused(underWay, withWord(fresh, kTurnWord, "12abc"), "a turn of 12abc");
  expectRefused(underWay, withWord(fresh, kCurrentRoomWord, "41"), "room 41");
  expectRefused(underWay, withWord(fresh, kCurrentRoomWord, "0"), "room 0");
  expectRefused(underWay, withWord(fresh, kLocationWord + TORCH, "-3"), "a location of -3");
  expectRefused(underWay, withWord(fresh, kVisionStageWord, "13"), "vision stage 13");
  expectRefused(underWay, withWord(fresh, kVisionStageWord, "0 North"),
                "a first line that goes on after the vision stage");
  expectRefused(underWay, withNameLine(fresh, BOTTLE, std::string(59, 'b')),
                "a name line of 59 characters");
  expectRefused(underWay, withNameLine(fresh, GOBLET, ""), "an empty name");
  expectRefused(underWay, withNameLine(fresh, GOBLET, "A goblet\rfull"), "a CR inside a name");
  expectRefused(underWay, withNameLine(fresh, NORTH, "Nord "), "a renamed direction label");
  expectRefused(underWay, fresh + "A sailor\r\n", "a name line too many");
  // Line ends of a third kind: CR alone.
  std::string crOnly = withoutCr(fresh);
  for (char& c : crOnly) {
    if (c == '\n') c = '\r';
  }
  expectRefused(underWay, crOnly, "lines ended by CR alone");

  // The longest name a line can carry still loads, before CR LF as before LF.
  const std::string longest(58, 'n');
  for (const std::string& text :
       {withNameLine(fresh, BOTTLE, longest), withoutCr(withNameLine(fresh, BOTTLE, longest))}) {
    writeFile(kSaveName, text);
    game = underWay;
    check(contains(answerOf(loadGame), "Game loaded.\n"), "a name of 58 characters loads");
    check(game.objectName[BOTTLE] == longest, "the 58 characters are the bottle's name");
  }

  // A folder where the save should be cannot be read.
  emptyFolder();
  fs::create_directory(kSaveName);
  game = underWay;
  check(answerOf(loadGame) == kUnreadable, "LOAD of a folder says it cannot be read");
  check(sameBytes(game, underWay), "LOAD of a folder leaves the game alone");
}

// Another program holds the save file open and lets nobody else in, the way
// an editor or a backup program can on Windows.
HANDLE lockSaveFile() {
  return ::CreateFileA(kSaveName.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

void checkRefusedWrites(const std::string& fresh) {
  emptyFolder();
  const GameState underWay = gameUnderWay();

  // A folder in the save's place, with a file in it.
  emptyFolder();
  fs::create_directory(kSaveName);
  writeFile(kSaveName + "/keep", "precious");
  game = underWay;
  check(answerOf(saveGame) == kNotSaved, "SAVE over a folder says the game could not be saved");
  check(sameBytes(game, underWay), "a refused SAVE leaves the game alone");
  check(fs::is_directory(kSaveName) && readFile(kSaveName + "/keep") == "precious",
        "a refused SAVE leaves the folder and its file alone");
  check(holdsOnlyTheSave(), "a refused SAVE leaves nothing beside the folder");

  // The old save locked by another program: it stays whole, and the new
  // one is not left half made beside it.
  emptyFolder();
  writeFile(kSaveName, fresh);
  const HANDLE lock = lockSaveFile();
  check(lock != INVALID_HANDLE_VALUE, "the save file can be locked");
  game = underWay;
  check(answerOf(saveGame) == kNotSaved, "SAVE over a locked file says it could not be saved");
  check(sameBytes(game, underWay), "SAVE over a locked file leaves the game alone");
  check(holdsOnlyTheSave(), "SAVE over a locked file leaves nothing beside it");
  check(answerOf(loadGame) == kUnreadable, "LOAD of a locked file says it cannot be read");
  check(sameBytes(game, underWay), "LOAD of a locked file leaves the game alone");
  ::CloseHandle(lock);
  check(readFile(kSaveName) == fresh, "the locked save is whole afterwards");

  // Unlocked again, both work.
  check(answerOf(saveGame) == "Game saved.\n", "SAVE works once the lock is gone");
  check(everyLineEndsInCrLf(readFile(kSaveName)), "that save ends its lines in CR LF");
  check(holdsOnlyTheSave(), "and leaves nothing beside it");
  const GameState saved = game;
  playSession("\n");
  check(contains(answerOf(loadGame), "Game loaded.\n"), "LOAD works once the lock is gone");
  check(savedDifference(game, saved).empty(), "and brings the game back");
}

}  // namespace

int main() {
  const std::string fresh = checkFreshSave();
  if (linesOf(fresh).size() == 38) {
    checkLaterRunPlaysOn(fresh);
    checkMissingFile();
    checkDamagedFiles(fresh);
    checkRefusedWrites(fresh);
  }
  emptyFolder();
  if (failures == 0) {
    std::fprintf(stderr, "all save checks passed\n");
  } else {
    std::fprintf(stderr, "%d save checks failed\n", failures);
  }
  return failures == 0 ? 0 : 1;
}
