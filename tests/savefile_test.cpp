// Saving and loading: the exact text of the save file, what comes back after
// a SAVE and a LOAD (in the same run and in a later one), and the missing,
// damaged and unwritable files that must change neither the game nor the
// saved game already there.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/loop.hpp"
#include "console/console.hpp"
#include "core/game.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "disk/disk_files.hpp"
#include "frontends/pipe/pipe_console.hpp"
#include "persistence/savefile.hpp"
#include "tests/harness.hpp"
#include "tests/save_support.hpp"
#include "tests/scene.hpp"

namespace {

namespace fs = std::filesystem;

const std::string kSaveName = SAVE_FILE_NAME;
const std::string kRule(80, '_');

// The answers of this game to a save or load that does not happen.
const std::string kNotSaved = "The game could not be saved.\n";
const std::string kNoSavedGame = "There is no saved game.  Nothing was loaded.\n";
const std::string kUnreadable = "The saved game cannot be read.  Nothing was loaded.\n";
const std::string kDamaged = "The saved game is damaged.  Nothing was loaded.\n";

// ---- The file a first-command save of a fresh program writes. The golden
// copy was checked by hand, number by number and name by name, against the
// island's map, where each thing starts and the counters of a new game.

std::string freshSaveText() {
  return readFile(std::string(TIDEWRACK_SOURCE_DIR) + "/tests/golden/first_command_save.txt");
}

const char* const kDirectionLabels[DOWN + 1] = {"",      "North ", "South ", "East ",
                                                "West ", "Up ",    "Down "};

// ---- A save text made from any state, by the file's layout: the fixture
// for odd and damaged files.

std::string saveTextFor(const GameState& state, const std::string& lineEnd = "\n") {
  std::ostringstream text;
  for (const auto& row : state.exits) {
    for (std::uint8_t cell : row) text << static_cast<int>(cell) << ' ';
  }
  for (std::int8_t location : state.objectLocation) text << static_cast<int>(location) << ' ';
  for (std::int32_t value :
       {state.currentRoom, state.matchesLeft, state.turn, state.chestLocked, state.chestClosed,
        state.scubaAir, state.scubaOn, state.carriedCount, state.matchLit, state.matchTurns,
        state.torchLit, state.torchFuel, state.birdSeen, state.gameOver}) {
    text << value << ' ';
  }
  text << state.visionStage << lineEnd;
  for (int object = 1; object < OBJECT_COUNT; ++object) {
    text << state.objectName[object] << lineEnd;
  }
  return text.str();
}

// Word positions on the first line.
constexpr int kLocationWord = 246;  // + object number
constexpr int kCurrentRoomWord = 284;
constexpr int kMatchesLeftWord = 285;
constexpr int kTurnWord = 286;
constexpr int kChestLockedWord = 287;
constexpr int kChestClosedWord = 288;
constexpr int kScubaAirWord = 289;
constexpr int kScubaOnWord = 290;
constexpr int kCarriedCountWord = 291;
constexpr int kMatchLitWord = 292;
constexpr int kMatchTurnsWord = 293;
constexpr int kTorchLitWord = 294;
constexpr int kTorchFuelWord = 295;
constexpr int kBirdSeenWord = 296;
constexpr int kGameOverWord = 297;
constexpr int kVisionStageWord = 298;

std::string firstLineOf(const std::string& text) { return text.substr(0, text.find('\n')); }

std::vector<std::string> wordsOf(const std::string& line) {
  std::vector<std::string> words;
  std::string::size_type start = 0;
  for (;;) {
    const auto end = line.find(' ', start);
    words.push_back(line.substr(start, end - start));
    if (end == std::string::npos) return words;
    start = end + 1;
  }
}

// The text with one word of its first line replaced.
std::string withWord(const std::string& text, int index, const std::string& word) {
  std::vector<std::string> words = wordsOf(firstLineOf(text));
  words.at(static_cast<std::size_t>(index)) = word;
  std::string line;
  for (std::size_t at = 0; at < words.size(); ++at) line += (at == 0 ? "" : " ") + words[at];
  return line + text.substr(text.find('\n'));
}

// The text with the name line of one object replaced.
std::string withNameLine(const std::string& text, int object, const std::string& line) {
  std::string::size_type start = 0;
  for (int skip = 0; skip < object; ++skip) start = text.find('\n', start) + 1;
  const auto end = text.find('\n', start);
  return text.substr(0, start) + line + text.substr(end);
}

// ---- A front end for calling SAVE, LOAD and single turns directly.

std::string typed;
std::size_t typedAt = 0;
std::string shown;

std::size_t typedSource(char* buffer, std::size_t capacity) {
  const std::size_t length = std::min(capacity, typed.size() - typedAt);
  std::memcpy(buffer, typed.data() + typedAt, length);
  typedAt += length;
  return length;
}
void showBytes(const char* text, std::size_t length) { shown.append(text, length); }
std::uint32_t stillClock() { return 1000; }

void connectKeyboard(const std::string& input) {
  typed = input;
  typedAt = 0;
  shown.clear();
  connectPipeInput(typedSource);
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

std::string takeShown() {
  flushOutput();
  std::string text;
  text.swap(shown);
  return text;
}

std::string callSave() {
  takeShown();
  saveGame();
  return takeShown();
}

std::string callLoad() {
  takeShown();
  loadGame();
  return takeShown();
}

// A new game as the loop has it while an action runs.
void beginGame() {
  resetProgramState();
  startGame();
  game.commandRejected = 0;
  game.redrawPending = 0;
}

// A game well under way, different from a new one in every kind of field.
void playIntoTheTemple() {
  beginGame();
  game.currentRoom = PRAYER_ROOM;
  game.turn = 57;
  game.matchesLeft = 13;
  game.chestLocked = 0;
  game.scubaAir = 12;
  game.carriedCount = 3;  // the preserver, the bottle and the torch
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
  placeObject(MUSHROOMS, NOWHERE);
  game.exits[LAGOON_FLOOR][SOUTH - 1] = UNDERWATER_CAVE;
  renameObject(BOTTLE, "An empty bottle");
  renameObject(MATCHBOOK, "An empty matchbook");
}

// ---- Each test in a folder of its own, so that saved games never meet.

class SaveFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::current_path();
    char pattern[] = "/tmp/tidewrack-save-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    fs::current_path(folder_);
    connectKeyboard("");
    beginGame();
  }

  void TearDown() override {
    fs::current_path(home_);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  // Loads this file over a game under way and expects it refused with this
  // answer, with the game and the file exactly as they were.
  void expectRefused(const std::string& text, const std::string& answer = kDamaged) {
    writeFile(kSaveName, text);
    playIntoTheTemple();
    game.redrawPending = 1;  // not even this may change
    const GameState before = game;
    EXPECT_EQ(callLoad(), answer);
    EXPECT_TRUE(sameBytes(before, game)) << savedDifference(before, game);
    EXPECT_EQ(readFile(kSaveName), text);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{kSaveName});
  }

  // Loads this file over a new game and expects it taken.
  void expectLoaded(const std::string& text) {
    writeFile(kSaveName, text);
    beginGame();
    const std::string answer = callLoad();
    EXPECT_TRUE(answer.size() >= 13 &&
                answer.compare(answer.size() - 13, 13, "Game loaded.\n") == 0)
        << answer;
  }

  fs::path home_;
  fs::path folder_;
};

// ---- The file's text.

TEST_F(SaveFileTest, FirstCommandSaveOfAFreshProgramIsTheStartingIsland) {
  const Session session = playSession("\nsave\n");
  EXPECT_NE(session.output.find("What now?  \nGame saved.\n\n"), std::string::npos);
  const std::string text = readFile(kSaveName);
  EXPECT_EQ(text, freshSaveText());

  const std::string line = firstLineOf(text);
  EXPECT_EQ(line.size(), 675u);
  EXPECT_EQ(line.rfind("0 0 0 0 0 0 10 9 2 11 0 0 3 5 4 1 0 0 ", 0), 0u);
  const std::vector<std::string> words = wordsOf(line);
  ASSERT_EQ(words.size(), 299u);
  std::string objects;
  for (int at = kLocationWord; at < kLocationWord + 38; ++at) {
    objects += (at == kLocationWord ? "" : " ") + words[static_cast<std::size_t>(at)];
  }
  EXPECT_EQ(objects,
            "0 0 0 0 0 0 0 3 3 6 7 0 8 0 9 10 11 12 13 13 0 20 21 21 0 0 0 -1 22 25 26 33 34 37 "
            "39 40 0 38");
  const std::string counters = "1 20 1 1 1 35 0 1 0 0 0 40 0 0 0";  // and visionStage
  EXPECT_EQ(line.substr(line.size() - counters.size()), counters);
  EXPECT_EQ(text.substr(line.size(), 16), "\nNorth \nSouth \nE");
  EXPECT_EQ(text.substr(text.size() - 23), "\nSmall brown mushrooms\n");
  EXPECT_EQ(folderEntries(), std::vector<std::string>{kSaveName});
}

TEST_F(SaveFileTest, CarriedAndWornAreSavedAsMinusOneAndMinusTwo) {
  // Into the hut for the bottle, then through the jungle to the robe.
  playSession(
      "\nwest\nnorth\nenter hut\nget bottle\nexit hut\nwest\nwest\nwest\nsouth\nwear robe\n"
      "save\n");
  const std::vector<std::string> words = wordsOf(firstLineOf(readFile(kSaveName)));
  ASSERT_EQ(words.size(), 299u);
  EXPECT_EQ(words[kLocationWord + ROBE], "-2");
  EXPECT_EQ(words[kLocationWord + BOTTLE], "-1");
  EXPECT_EQ(words[kLocationWord + LIFE_PRESERVER], "-1");
  EXPECT_EQ(words[kCurrentRoomWord], "20");
  EXPECT_EQ(words[kTurnWord], "11");
  EXPECT_EQ(words[kCarriedCountWord], "2");
  EXPECT_EQ(words[kBirdSeenWord], "1");

  // A later run of the program takes them back as worn and carried.
  const Session later = playSession("\nload\n");
  EXPECT_NE(later.output.find(kRule + "\nGame loaded.\n"), std::string::npos);
  EXPECT_EQ(game.objectLocation[ROBE], WORN);
  EXPECT_EQ(game.objectLocation[BOTTLE], CARRIED);
  EXPECT_EQ(game.objectLocation[LIFE_PRESERVER], CARRIED);
  EXPECT_EQ(game.currentRoom, PREPARATION_CHAMBER);
  EXPECT_EQ(game.turn, 12);
}

TEST_F(SaveFileTest, SaveWritesEveryFieldOfAGameUnderWay) {
  playIntoTheTemple();
  const GameState before = game;
  EXPECT_EQ(callSave(), "Game saved.\n");
  EXPECT_TRUE(sameBytes(before, game));
  const std::string text = readFile(kSaveName);
  EXPECT_EQ(text, saveTextFor(game));
  const std::vector<std::string> words = wordsOf(firstLineOf(text));
  EXPECT_EQ(words[LAGOON_FLOOR * 6 + SOUTH - 1], "7");
  EXPECT_EQ(words[kLocationWord + AMULET], "-2");
  EXPECT_EQ(words[kVisionStageWord], "4");
  EXPECT_NE(text.find("\nAn empty bottle\n"), std::string::npos);
  EXPECT_NE(text.find("\nAn empty matchbook\n"), std::string::npos);
}

TEST_F(SaveFileTest, SecondSaveReplacesTheFirstWhole) {
  EXPECT_EQ(callSave(), "Game saved.\n");
  EXPECT_EQ(readFile(kSaveName), freshSaveText());
  playIntoTheTemple();
  const GameState second = game;
  EXPECT_EQ(callSave(), "Game saved.\n");
  EXPECT_EQ(readFile(kSaveName), saveTextFor(second));
  EXPECT_EQ(folderEntries(), std::vector<std::string>{kSaveName});  // nothing left beside it

  beginGame();
  EXPECT_EQ(savedDifference(game, second).empty(), false);
  callLoad();
  EXPECT_EQ(savedDifference(game, second), "");
}

// ---- What LOAD puts back, and what it leaves.

TEST_F(SaveFileTest, LoadPutsBackEverySavedFieldAndNothingElse) {
  playIntoTheTemple();
  const GameState saved = game;
  callSave();

  beginGame();
  game.verb = 35;
  game.noun = 0;
  game.quitRequested = 0;
  game.redrawPending = 1;
  const GameState before = game;
  const std::string answer = callLoad();
  EXPECT_EQ(savedDifference(game, saved), "");
  // Not in the file: left as they were.
  EXPECT_EQ(game.verb, 35);
  EXPECT_EQ(game.redrawPending, 1);
  EXPECT_EQ(game.commandRejected, before.commandRejected);
  EXPECT_STREQ(game.objectName[0], before.objectName[0]);

  // The loaded room on a cleared screen, then the word.
  ASSERT_EQ(answer.front(), '\f');
  EXPECT_NE(answer.find("You see: A goblet. A statue. \n"), std::string::npos);
  EXPECT_EQ(answer.substr(answer.size() - 94), kRule + "\nGame loaded.\n");
  EXPECT_EQ(answer.find('\f', 1), std::string::npos);
}

TEST_F(SaveFileTest, LoadUndoesWhatTheLoadTurnsTimedEventsDid) {
  // A match, the torch and the tanks all burning.
  game.turn = 50;
  game.matchLit = 1;
  game.matchTurns = 1;
  placeObject(MATCHBOOK, CARRIED);
  placeObject(TORCH, CARRIED);
  game.torchLit = 1;
  game.torchFuel = 10;
  placeObject(SCUBA_GEAR, CARRIED);
  game.scubaOn = 1;
  game.scubaAir = 20;
  game.carriedCount = 4;
  connectKeyboard("save\nload\n");

  playTurn();  // the events burn on, then SAVE
  const GameState afterSave = game;
  EXPECT_EQ(afterSave.turn, 51);
  const std::vector<std::string> words = wordsOf(firstLineOf(readFile(kSaveName)));
  EXPECT_EQ(words[kTurnWord], "50");
  EXPECT_EQ(words[kMatchTurnsWord], "2");
  EXPECT_EQ(words[kTorchFuelWord], "9");
  EXPECT_EQ(words[kScubaAirWord], "19");

  playTurn();  // the events burn on again, then LOAD takes it all back
  EXPECT_EQ(savedDifference(game, afterSave), "");
  EXPECT_EQ(game.matchTurns, 2);
  EXPECT_EQ(game.torchFuel, 9);
  EXPECT_EQ(game.scubaAir, 19);
  EXPECT_EQ(game.turn, 51);  // the turn the saved game went on with
  const std::string printed = takeShown();
  EXPECT_NE(printed.find("Game loaded.\n\n"), std::string::npos);
}

TEST_F(SaveFileTest, LoadedGameGoesOnFromTheTurnTheSavedOneDid) {
  // North to the cove on turn 1, save on turn 2, back south, load on turn 4.
  const Session session = playSession("\nnorth\nsave\nsouth\nload\n");
  EXPECT_EQ(game.currentRoom, COVE);
  EXPECT_EQ(game.turn, 3);  // as after the SAVE
  EXPECT_EQ(wordsOf(firstLineOf(readFile(kSaveName)))[kTurnWord], "2");
  const auto loaded = session.output.find(kRule + "\nGame loaded.\n");
  ASSERT_NE(loaded, std::string::npos);
  // "Game loaded." stays on the screen: the next turn shows no room again.
  EXPECT_EQ(session.output.substr(loaded + 81), "Game loaded.\n\nWhat now?  \n");
}

TEST_F(SaveFileTest, VisionStageComesBackInALaterRun) {
  // A game whose mushrooms are eaten; the visions move on turn by turn.
  beginGame();
  placeObject(MUSHROOMS, NOWHERE);
  writeFile(kSaveName, saveTextFor(game));
  playSession("\nload\ninventory\ninventory\ninventory\ninventory\nsave\n");
  const std::string stage = wordsOf(firstLineOf(readFile(kSaveName)))[kVisionStageWord];
  ASSERT_NE(stage, "0") << "the visions should have begun";

  // A fresh program starts from stage 0, and LOAD brings the stage back.
  playSession("\n");
  EXPECT_EQ(game.visionStage, 0);
  playSession("\nload\n");
  EXPECT_EQ(std::to_string(game.visionStage), stage);
}

TEST_F(SaveFileTest, AGameSavedInOneRunPlaysOnToTheSameEndInTheNext) {
  const std::string toTheAltar =
      "\nwest\nnorth\nenter hut\nget bottle\nexit hut\nwest\nwest\nwest\nsouth\nwear robe\nwest\n";
  const std::string theRest =
      "pour wine\ngob\nsummon neptune\nwear amulet\ninventory\neast\nnorth\nexamine runes\n";
  const Session straight = playSession(toTheAltar + "save\n" + theRest);
  const GameState end = game;
  const Session resumed = playSession("\nload\n" + theRest);
  EXPECT_EQ(savedDifference(game, end), "");
  const auto lastTurn = [](const std::string& output) {
    const auto last = output.rfind("What now?  ");
    const auto before = output.rfind("What now?  ", last - 1);
    return output.substr(before, last - before);
  };
  EXPECT_EQ(lastTurn(resumed.output), lastTurn(straight.output));
  EXPECT_EQ(game.exits[LAGOON_FLOOR][SOUTH - 1], UNDERWATER_CAVE);
  EXPECT_EQ(game.objectLocation[AMULET], WORN);
  EXPECT_STREQ(game.objectName[BOTTLE], "An empty bottle");
}

// ---- Files that LOAD must refuse, changing nothing.

TEST_F(SaveFileTest, NoSaveFileLoadsNothing) {
  playIntoTheTemple();
  game.redrawPending = 1;
  const GameState before = game;
  EXPECT_EQ(callLoad(), kNoSavedGame);
  EXPECT_TRUE(sameBytes(before, game));
  EXPECT_TRUE(folderEntries().empty());
}

TEST_F(SaveFileTest, EmptyFileIsRefused) { expectRefused(""); }

TEST_F(SaveFileTest, FileCutShortAnywhereIsRefused) {
  const std::string whole = freshSaveText();
  for (std::size_t length = 0; length < whole.size(); ++length) {
    SCOPED_TRACE("cut after " + std::to_string(length) + " bytes");
    expectRefused(whole.substr(0, length));
  }
}

TEST_F(SaveFileTest, ValueThatIsNotANumberIsRefused) {
  const std::string whole = freshSaveText();
  for (const char* word :
       {"x", "1a", "09", "0x", "0xg", "0x1g", "+", "-", "--1", "1-2", "1,", "٣", "1e3"}) {
    for (int at : {0, 6, kLocationWord + 27, kTurnWord, kVisionStageWord}) {
      SCOPED_TRACE(std::string(word) + " at word " + std::to_string(at));
      expectRefused(withWord(whole, at, word));
    }
  }
  // A missing number: two spaces make an empty word, which reads as a blank,
  // so the line is one number short.
  expectRefused(withWord(whole, kTurnWord, ""));
  expectRefused(withWord(whole, 7, std::string("1\0", 2)));
}

TEST_F(SaveFileTest, ValueOutOfItsRangeIsRefused) {
  const std::string whole = freshSaveText();
  const std::vector<std::pair<int, std::string>> cases = {
      {kCurrentRoomWord, "0"},
      {kCurrentRoomWord, "41"},
      {kCurrentRoomWord, "-1"},
      {kCurrentRoomWord, "0x29"},
      {6, "41"},
      {6, "-1"},
      {6, "256"},
      {0, "1"},
      {5, "10"},
      {kLocationWord + 7, "-3"},
      {kLocationWord + 7, "41"},
      {kLocationWord + 3, "1"},
      {kLocationWord + 0, "-1"},
      {kLocationWord + 27, "255"},
      {kMatchesLeftWord, "21"},
      {kMatchesLeftWord, "-1"},
      {kTurnWord, "0"},
      {kTurnWord, "2000000001"},
      {kTurnWord, "2147483647"},
      {kTurnWord, "99999999999999999999999"},
      {kTurnWord, "-4294967295"},
      {kChestLockedWord, "2"},
      {kChestClosedWord, "-1"},
      {kScubaAirWord, "36"},
      {kScubaOnWord, "2"},
      {kCarriedCountWord, "6"},
      {kCarriedCountWord, "-1"},
      {kMatchLitWord, "2"},
      {kMatchTurnsWord, "5"},
      {kTorchLitWord, "2"},
      {kTorchFuelWord, "41"},
      {kBirdSeenWord, "2"},
      {kGameOverWord, "2"},
      {kVisionStageWord, "13"},
      {kVisionStageWord, "-1"},
  };
  for (const auto& [at, word] : cases) {
    SCOPED_TRACE(word + " at word " + std::to_string(at));
    expectRefused(withWord(whole, at, word));
  }
}

TEST_F(SaveFileTest, ValuesAtTheEdgeOfTheirRangeLoad) {
  std::string text = freshSaveText();
  text = withWord(text, kCurrentRoomWord, "40");
  text = withWord(text, 6, "40");
  text = withWord(text, kLocationWord + 7, "-2");
  text = withWord(text, kLocationWord + 27, "0");
  text = withWord(text, kMatchesLeftWord, "0");
  text = withWord(text, kTurnWord, "2000000000");
  text = withWord(text, kScubaAirWord, "0");
  text = withWord(text, kCarriedCountWord, "0");
  text = withWord(text, kMatchTurnsWord, "4");
  text = withWord(text, kTorchFuelWord, "0");
  text = withWord(text, kGameOverWord, "1");
  text = withWord(text, kVisionStageWord, "12");
  expectLoaded(text);
  EXPECT_EQ(game.currentRoom, 40);
  EXPECT_EQ(game.exits[1][0], 40);
  EXPECT_EQ(game.objectLocation[7], WORN);
  EXPECT_EQ(game.objectLocation[LIFE_PRESERVER], NOWHERE);
  EXPECT_EQ(game.matchesLeft, 0);
  EXPECT_EQ(game.turn, 2000000000);
  EXPECT_EQ(game.scubaAir, 0);
  EXPECT_EQ(game.carriedCount, 0);
  EXPECT_EQ(game.matchTurns, 4);
  EXPECT_EQ(game.torchFuel, 0);
  EXPECT_EQ(game.gameOver, 1);
  EXPECT_EQ(game.visionStage, 12);
}

// Values each in range, together a game play never gives, from which a
// counter would run out of range: the next SAVE would have nothing it could
// write.
TEST_F(SaveFileTest, CountersThatCouldNotStopAreRefused) {
  const std::string whole = freshSaveText();
  // Tanks turned on with no air left would go on breathing below 0.
  expectRefused(withWord(withWord(whole, kScubaOnWord, "1"), kScubaAirWord, "0"));
  // A lit torch with no fuel left would burn below 0.
  expectRefused(withWord(withWord(whole, kTorchLitWord, "1"), kTorchFuelWord, "0"));
  // The preserver in the hands, counted as nothing: dropping it gives -1.
  expectRefused(withWord(whole, kCarriedCountWord, "0"));
}

// A game loaded at the edge of what may be loaded plays on and saves again.
TEST_F(SaveFileTest, GameLoadedAtTheEdgeStillSaves) {
  std::string text = freshSaveText();
  text = withWord(text, kScubaOnWord, "1");
  text = withWord(text, kScubaAirWord, "1");
  text = withWord(text, kTorchLitWord, "1");
  text = withWord(text, kTorchFuelWord, "1");
  text = withWord(text, kTurnWord, "1999999990");
  writeFile(kSaveName, text);
  const Session session = playSession("\nload\ndrop preserver\nsave\n");
  EXPECT_NE(session.output.find("Game loaded.\n"), std::string::npos);
  EXPECT_EQ(game.scubaOn, 0);
  EXPECT_EQ(game.torchLit, 0);
  EXPECT_EQ(game.carriedCount, 0);
  EXPECT_NE(session.output.find("Game saved.\n"), std::string::npos) << session.output;
}

TEST_F(SaveFileTest, NameLineOf59CharactersOrMoreIsRefused) {
  const std::string whole = freshSaveText();
  const std::string longest(58, 'n');
  expectRefused(withNameLine(whole, BOTTLE, longest + "n"));
  expectRefused(withNameLine(whole, BOTTLE, longest + "n\r"));
  expectRefused(withNameLine(whole, MUSHROOMS, std::string(300, 'm')));
  expectRefused(withNameLine(whole, 1, "North " + longest));

  expectLoaded(withNameLine(whole, BOTTLE, longest));
  EXPECT_EQ(game.objectName[BOTTLE], longest);
  expectLoaded(withNameLine(whole, BOTTLE, longest + "\r"));
  EXPECT_EQ(game.objectName[BOTTLE], longest);
}

TEST_F(SaveFileTest, NamesPlayCouldNotGiveAreRefused) {
  const std::string whole = freshSaveText();
  expectRefused(withNameLine(whole, GOBLET, ""));                 // an empty name
  expectRefused(withNameLine(whole, GOBLET, "A \x1b[2Jgoblet"));  // a control byte
  expectRefused(withNameLine(whole, GOBLET, std::string("A go\0blet", 9)));
  expectRefused(withNameLine(whole, GOBLET, "A goblet\rfull"));
  expectRefused(withNameLine(whole, GOBLET,
                             "A \x9b"
                             "2Jgoblet"));  // an 8-bit control code
  expectRefused(withNameLine(whole, GOBLET, "A gobl\xc3\xa9t"));
  expectRefused(withNameLine(whole, 1, "Nord "));  // the direction labels stay
  expectRefused(withNameLine(whole, 5, " Up"));
  expectRefused(whole + "A sailor\n");  // a line too many: the names are out of step
  // The first line must end after the vision stage.
  expectRefused(withWord(whole, kVisionStageWord, "0 North"));
}

TEST_F(SaveFileTest, SavePathThatIsAFolderCannotBeLoaded) {
  fs::create_directory(kSaveName);
  playIntoTheTemple();
  const GameState before = game;
  EXPECT_EQ(callLoad(), kUnreadable);
  EXPECT_TRUE(sameBytes(before, game));
}

// ---- Files a player may have edited, which still load.

TEST_F(SaveFileTest, HandWrittenNumbersReadAsTheUsualIntegerRead) {
  std::string text = freshSaveText();
  text = withWord(text, kCurrentRoomWord, "0x15");        // 21
  text = withWord(text, kMatchesLeftWord, "024");         // octal 20
  text = withWord(text, kTurnWord, "+57");                // 57
  text = withWord(text, kScubaAirWord, "0X1f");           // 31
  text = withWord(text, kLocationWord + AMULET, "-02");   // worn
  text = withWord(text, kVisionStageWord, "00\t ");       // blanks before the line end
  text = withWord(text, kCarriedCountWord, "2");          // the preserver and the robe
  text = withWord(text, kLocationWord + ROBE, "\t\n-1");  // on a line of its own
  expectLoaded(text);
  EXPECT_EQ(game.currentRoom, 21);
  EXPECT_EQ(game.matchesLeft, 20);
  EXPECT_EQ(game.turn, 57);
  EXPECT_EQ(game.scubaAir, 31);
  EXPECT_EQ(game.objectLocation[AMULET], WORN);
  EXPECT_EQ(game.objectLocation[ROBE], CARRIED);
  EXPECT_EQ(game.visionStage, 0);
}

TEST_F(SaveFileTest, CrLfLineEndsLoadLikeLf) {
  playIntoTheTemple();
  const GameState saved = game;
  expectLoaded(saveTextFor(saved, "\r\n"));
  EXPECT_EQ(savedDifference(game, saved), "");
  EXPECT_STREQ(game.objectName[NORTH], "North ");
  EXPECT_STREQ(game.objectName[BOTTLE], "An empty bottle");
}

TEST_F(SaveFileTest, LabelsAnEditorHasTrimmedStillLoadAsTheLabels) {
  std::string text = freshSaveText();
  for (int direction = NORTH; direction <= DOWN; ++direction) {
    std::string label = kDirectionLabels[direction];
    label.pop_back();
    text = withNameLine(text, direction, label);
  }
  expectLoaded(text + "\n\n");  // and blank lines after the last name
  for (int direction = NORTH; direction <= DOWN; ++direction) {
    EXPECT_STREQ(game.objectName[direction], kDirectionLabels[direction]);
  }
}

TEST_F(SaveFileTest, ReadOnlySaveFileLoads) {
  playIntoTheTemple();
  const GameState saved = game;
  writeFile(kSaveName, saveTextFor(saved));
  ASSERT_EQ(::chmod(kSaveName.c_str(), 0444), 0);
  ASSERT_EQ(::chmod(".", 0755), 0);
  beginGame();
  // Root may write to anything, so the load runs as a player who may only
  // read the file.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    const std::string answer = callLoad();
    const bool loaded =
        answer.find("Game loaded.\n") != std::string::npos && savedDifference(game, saved).empty();
    ::_exit(loaded ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// ---- Saves that cannot be made.

TEST_F(SaveFileTest, SaveOverAFolderIsNotMadeAndKeepsTheFolder) {
  fs::create_directory(kSaveName);
  writeFile(kSaveName + "/keep", "precious");
  playIntoTheTemple();
  const GameState before = game;
  EXPECT_EQ(callSave(), kNotSaved);
  EXPECT_TRUE(sameBytes(before, game));
  EXPECT_TRUE(fs::is_directory(kSaveName));
  EXPECT_EQ(readFile(kSaveName + "/keep"), "precious");
  EXPECT_EQ(folderEntries(), std::vector<std::string>{kSaveName});
}

TEST_F(SaveFileTest, SaveThatFailsPartWayKeepsTheOldSave) {
  playIntoTheTemple();
  const std::string old = saveTextFor(game);
  writeFile(kSaveName, old);
  beginGame();
  const GameState before = game;
  // A disk that fills up after 100 bytes of the new file.
  struct rlimit limit {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit full{100, limit.rlim_max};
  auto* const oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &full), 0);
  const std::string answer = callSave();
  ::setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(answer, kNotSaved);
  EXPECT_EQ(readFile(kSaveName), old);
  EXPECT_EQ(folderEntries(), std::vector<std::string>{kSaveName});
  EXPECT_TRUE(sameBytes(before, game));
}

TEST_F(SaveFileTest, SaveInAFolderThatHasGoneIsNotMade) {
  fs::create_directory("gone");
  fs::current_path("gone");
  fs::remove(folder_ / "gone");
  EXPECT_EQ(callSave(), kNotSaved);
  fs::current_path(folder_);
  EXPECT_TRUE(folderEntries().empty());
}

TEST_F(SaveFileTest, GameThatCouldNotLoadBackIsNotSaved) {
  writeFile(kSaveName, freshSaveText());
  playIntoTheTemple();
  game.turn = 2000000001;  // beyond the turns a saved game may hold
  EXPECT_EQ(callSave(), kNotSaved);
  EXPECT_EQ(readFile(kSaveName), freshSaveText());
  game.turn = 57;
  renameObject(BOTTLE, std::string(59, 'b').c_str());
  EXPECT_EQ(callSave(), kNotSaved);
  EXPECT_EQ(readFile(kSaveName), freshSaveText());
  EXPECT_EQ(folderEntries(), std::vector<std::string>{kSaveName});
}

// ---- Saves killed half-way, and files other players share.

// Every name in the folder besides the save: files a save killed between
// naming its new file and moving it over the old one leaves behind.
bool onlyLeftoversBesides(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (name == kSaveName) continue;
    const std::size_t middle = name.size() - kSaveName.size() - 5;
    if (name.rfind(kSaveName + ".", 0) != 0 || name.size() < kSaveName.size() + 6 ||
        name.compare(name.size() - 4, 4, ".new") != 0 || middle < 1 || middle > 12) {
      return false;
    }
  }
  return true;
}

void makeOld(const std::string& name) {
  const timeval twoMinutesAgo{::time(nullptr) - 120, 0};
  const timeval times[2] = {twoMinutesAgo, twoMinutesAgo};
  ::utimes(name.c_str(), times);
}

TEST_F(SaveFileTest, SavesKilledHalfWayKeepTheOldSaveAndLeaveNothingForGood) {
  playIntoTheTemple();
  const std::string temple = saveTextFor(game);
  beginGame();
  const std::string shore = saveTextFor(game);
  writeFile(kSaveName, temple);
  // A game saving over and over, killed at moments spread over its saves.
  for (int kill = 0; kill < 40; ++kill) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (;;) {
        replaceDiskFile(SAVE_FILE_NAME, shore.data(), shore.size());
        replaceDiskFile(SAVE_FILE_NAME, temple.data(), temple.size());
      }
    }
    ::usleep(static_cast<useconds_t>(300 + kill * 97 % 1500));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::string now = readFile(kSaveName);
    ASSERT_TRUE(now == temple || now == shore) << "a torn save after kill " << kill;
  }
  // What the kills left (if anything) is of one form only; a leftover more
  // than a minute old goes with the next save, however it was named, and a
  // younger one may be another game's save under way.
  ASSERT_TRUE(onlyLeftoversBesides(folderEntries()));
  for (const std::string& name : folderEntries()) makeOld(name);
  const std::string earlier = kSaveName + ".48213.new";  // as older versions named it
  writeFile(earlier, "half a save");
  makeOld(earlier);
  const std::string young = kSaveName + ".Zq3xY7pL0aBc.new";
  writeFile(young, "a save under way");
  const std::string mine = kSaveName + ".backup";
  writeFile(mine, "the player's own copy");
  EXPECT_EQ(callSave(), "Game saved.\n");
  EXPECT_EQ(readFile(kSaveName), shore);
  EXPECT_EQ(folderEntries(), (std::vector<std::string>{kSaveName, young, mine}));
}

// Runs check in a child process as this player: root takes the player's
// user, group and further groups; anyone else can only be themselves.
// 0 when the check held, 1 when it failed, 77 when it cannot run here.
int asPlayer(uid_t user, gid_t group, gid_t otherGroup, bool (*check)()) {
  const pid_t child = ::fork();
  if (child < 0) return 77;
  if (child == 0) {
    if (::geteuid() == 0) {
      const gid_t groups[1] = {otherGroup};
      if (::setgroups(1, groups) != 0 || ::setgid(group) != 0 || ::setuid(user) != 0) ::_exit(77);
    } else if (::geteuid() != user) {
      ::_exit(77);
    }
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return 1;
  return WEXITSTATUS(status);
}

constexpr uid_t kPlayer = 65534;
constexpr uid_t kOtherPlayer = 65533;
constexpr gid_t kSharedGroup = 64999;

bool savesAndLoadsBack() {
  playIntoTheTemple();
  const GameState saved = game;
  if (callSave() != "Game saved.\n") return false;
  beginGame();
  const std::string answer = callLoad();
  return answer.find("Game loaded.\n") != std::string::npos && savedDifference(game, saved).empty();
}

bool loadsTheTemple() {
  beginGame();
  return callLoad().find("Game loaded.\n") != std::string::npos && game.currentRoom == PRAYER_ROOM;
}

TEST_F(SaveFileTest, SaveNobodyMayReadIsReplacedByOneThePlayerCanLoad) {
  const uid_t player = ::geteuid() == 0 ? kPlayer : ::geteuid();
  writeFile(kSaveName, freshSaveText());
  ASSERT_EQ(::chmod(kSaveName.c_str(), 0), 0);
  ASSERT_EQ(::chmod(".", 0777), 0);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(kSaveName.c_str(), player, player), 0);
  }
  const int result = asPlayer(player, player, player, savesAndLoadsBack);
  if (result == 77) GTEST_SKIP() << "cannot run as another player here";
  EXPECT_EQ(result, 0) << "saved, but could not be loaded back";
  struct stat facts {};
  ASSERT_EQ(::stat(kSaveName.c_str(), &facts), 0);
  EXPECT_EQ(facts.st_mode & 0777, 0400u) << "readable by the player, otherwise as it was";
}

TEST_F(SaveFileTest, SharedSaveKeepsItsGroupAndModeForTheOtherPlayer) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to set up two players sharing a group";
  // A shared folder and a save of the other player's, both of the group.
  ASSERT_EQ(::chown(".", 0, kSharedGroup), 0);
  ASSERT_EQ(::chmod(".", 0770), 0);
  writeFile(kSaveName, freshSaveText());
  ASSERT_EQ(::chown(kSaveName.c_str(), kOtherPlayer, kSharedGroup), 0);
  ASSERT_EQ(::chmod(kSaveName.c_str(), 0660), 0);
  ASSERT_EQ(asPlayer(kPlayer, kPlayer, kSharedGroup, savesAndLoadsBack), 0);
  struct stat facts {};
  ASSERT_EQ(::stat(kSaveName.c_str(), &facts), 0);
  EXPECT_EQ(facts.st_uid, kPlayer);
  EXPECT_EQ(facts.st_gid, kSharedGroup);
  EXPECT_EQ(facts.st_mode & 0777, 0660u);
  EXPECT_EQ(asPlayer(kOtherPlayer, kOtherPlayer, kSharedGroup, loadsTheTemple), 0)
      << "the other player cannot load the shared save";
}

TEST_F(SaveFileTest, SaveThatIsALinkStaysALinkAndItsTargetIsReplaced) {
  fs::create_directory("saves");
  writeFile("saves/island.txt", freshSaveText());
  fs::create_symlink("saves/island.txt", kSaveName);
  playIntoTheTemple();
  EXPECT_EQ(callSave(), "Game saved.\n");
  ASSERT_TRUE(fs::is_symlink(kSaveName));
  EXPECT_EQ(fs::read_symlink(kSaveName), "saves/island.txt");
  EXPECT_EQ(readFile("saves/island.txt"), saveTextFor(game));
  EXPECT_EQ(folderEntries(), (std::vector<std::string>{kSaveName, "saves"}));
  // A link to a save not made yet: the save is made where it points.
  fs::remove("saves/island.txt");
  EXPECT_EQ(callSave(), "Game saved.\n");
  EXPECT_EQ(readFile("saves/island.txt"), saveTextFor(game));
  fs::current_path("saves");
  EXPECT_EQ(folderEntries(), std::vector<std::string>{"island.txt"});
}

// A link of somebody else's is never followed, even by root: the save
// takes its place in the folder, and the file it pointed to is untouched.
TEST_F(SaveFileTest, SaveThatIsAnotherPlayersLinkIsReplacedNotFollowed) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a link of another player's";
  writeFile("theirs.txt", "precious");
  fs::create_symlink("theirs.txt", kSaveName);
  ASSERT_EQ(::lchown(kSaveName.c_str(), kOtherPlayer, kOtherPlayer), 0);
  playIntoTheTemple();
  EXPECT_EQ(callSave(), "Game saved.\n");
  EXPECT_FALSE(fs::is_symlink(kSaveName));
  EXPECT_EQ(readFile(kSaveName), saveTextFor(game));
  EXPECT_EQ(readFile("theirs.txt"), "precious");
}

// A chain of the player's links is followed through eight links at most:
// the save lands at the end of eight, and nine are refused, nothing changed.
TEST_F(SaveFileTest, SaveFollowsEightLinksAndRefusesNine) {
  playIntoTheTemple();
  for (const int links : {8, 9}) {
    SCOPED_TRACE(links);
    writeFile("end.txt", "precious");
    std::string to = "end.txt";
    for (int link = links; link > 1; --link) {
      const std::string name = "link" + std::to_string(link);
      fs::create_symlink(to, name);
      to = name;
    }
    fs::create_symlink(to, kSaveName);
    if (links == 8) {
      EXPECT_EQ(callSave(), "Game saved.\n");
      EXPECT_EQ(readFile("end.txt"), saveTextFor(game));
    } else {
      EXPECT_EQ(callSave(), kNotSaved);
      EXPECT_EQ(readFile("end.txt"), "precious");
    }
    EXPECT_TRUE(fs::is_symlink(kSaveName));
    for (const fs::directory_entry& entry : fs::directory_iterator(".")) fs::remove(entry.path());
  }
}

// A link is followed only to a plain file, or to no file yet: a pipe, a
// folder or a device at the other end is refused and left as it was, and so
// is a save that is itself one of these.
TEST_F(SaveFileTest, SaveThatIsOrLeadsToAPipeAFolderOrADeviceIsRefusedAndLeftAlone) {
  ASSERT_EQ(::mkfifo("pipe", 0644), 0);
  fs::create_directory("folder");
  writeFile("folder/keep", "precious");
  std::vector<std::string> ends = {"pipe", "folder"};
  // Root may make a device of its own here, the same as /dev/null.
  if (::geteuid() == 0 && ::mknod("device", S_IFCHR | 0666, ::makedev(1, 3)) == 0) {
    ends.emplace_back("device");
  }
  playIntoTheTemple();
  const GameState before = game;
  auto kindOf = [](const std::string& name) {
    struct stat facts {};
    return ::lstat(name.c_str(), &facts) == 0 ? facts.st_mode & S_IFMT : 0;
  };
  for (const std::string& end : ends) {
    const mode_t kind = kindOf(end);
    fs::create_symlink(end, kSaveName);
    EXPECT_EQ(callSave(), kNotSaved) << "a link to the " << end;
    EXPECT_TRUE(fs::is_symlink(kSaveName)) << end;
    EXPECT_EQ(kindOf(end), kind) << "the " << end << " was replaced";
    fs::remove(kSaveName);
    // The save's own name on the same kind of thing.
    fs::rename(end, kSaveName);
    EXPECT_EQ(callSave(), kNotSaved) << "a save that is a " << end;
    EXPECT_EQ(kindOf(kSaveName), kind) << "the " << end << " was replaced";
    fs::rename(kSaveName, end);
  }
  EXPECT_EQ(readFile("folder/keep"), "precious");
  EXPECT_TRUE(sameBytes(before, game));
  std::vector<std::string> left = ends;
  std::sort(left.begin(), left.end());
  EXPECT_EQ(folderEntries(), left);
  // The machine's own /dev/null, only once a device of ours was left alone.
  if (::geteuid() == 0 && kindOf("device") == S_IFCHR) {
    fs::create_symlink("/dev/null", kSaveName);
    EXPECT_EQ(callSave(), kNotSaved);
    EXPECT_EQ(kindOf("/dev/null"), static_cast<mode_t>(S_IFCHR));
  }
}

// ---- Huge files.

// The largest save that loads is 8 KiB to the byte (here a real save with
// blank lines after it); one byte more is refused as damaged.
TEST_F(SaveFileTest, SaveOfEightKibibytesLoadsAndOneByteMoreIsRefused) {
  playIntoTheTemple();
  const GameState saved = game;
  std::string text = saveTextFor(saved);
  ASSERT_LT(text.size(), std::size_t{8192});
  text.resize(8192, '\n');
  expectLoaded(text);
  EXPECT_EQ(savedDifference(game, saved), "");
  writeFile(kSaveName, text + "\n");
  beginGame();
  const GameState before = game;
  EXPECT_EQ(callLoad(), kDamaged);
  EXPECT_TRUE(sameBytes(before, game));
}

TEST_F(SaveFileTest, TwoGigabyteFilesAreRefusedWithoutBeingRead) {
  constexpr off_t kTwoGiB = off_t{1} << 31;
  // Nothing but a hole; and a good save with a hole after it.
  for (const std::string& start : {std::string(), freshSaveText()}) {
    writeFile(kSaveName, start);
    ASSERT_EQ(::truncate(kSaveName.c_str(), kTwoGiB), 0);
    playIntoTheTemple();
    const GameState before = game;
    EXPECT_EQ(callLoad(), kDamaged);
    EXPECT_TRUE(sameBytes(before, game));
  }
}

TEST_F(SaveFileTest, ReadOnlySaveIsReplacedAndStaysReadOnly) {
  writeFile(kSaveName, freshSaveText());
  ASSERT_EQ(::chmod(kSaveName.c_str(), 0444), 0);
  playIntoTheTemple();
  EXPECT_EQ(callSave(), "Game saved.\n");
  EXPECT_EQ(readFile(kSaveName), saveTextFor(game));
  struct stat facts {};
  ASSERT_EQ(::stat(kSaveName.c_str(), &facts), 0);
  EXPECT_EQ(facts.st_mode & 0777, 0444u);
}

}  // namespace
