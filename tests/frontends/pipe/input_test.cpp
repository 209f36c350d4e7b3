// Input nobody should type: NUL bytes, bytes above 127, lines of thousands of
// characters, a last line without a line end, lone carriage returns, and
// input that ends while the game waits for an answer. Whole runs in-process
// first, then the real program reading a file, a pipe, or nothing at all.
//
// What the game does with each, decided once for every wait:
// - LF and CR LF end a line; any other CR is one of the line's characters;
// - NUL bytes are dropped, wherever they are;
// - at most 79 characters are kept, and the rest of the line is dropped;
// - bytes above 127 are kept as they are, and match no word;
// - the end of input ends the program at once, with status 0, whatever the
//   game was waiting for: nothing more is printed or carried out.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "app/loop.hpp"
#include "core/game.hpp"
#include "core/prose.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "parser/parser.hpp"
#include "tests/harness.hpp"
#include "tests/printed.hpp"
#include "tests/scripted_console.hpp"

namespace {

using namespace std::string_literals;  // "...\0..."s keeps its NUL bytes

const std::string kPrompt = "What now?  ";
const std::string kUnknown = "You don't know those words\n";
const std::string kWhat = "What?\n";
const std::string kGameOver = "\nThe game is over\n\n\nWould you like to play again?\n";
const std::string kTitle = "\f" + asPrinted(titleScreen);

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string repeat(const std::string& part, std::size_t times) {
  std::string text;
  for (std::size_t i = 0; i < times; ++i) text += part;
  return text;
}

std::string shown(int room) { return "\nYou are " + asPrinted(roomDescription[room]) + "\n"; }

// ---------------------------------------------------------------------------
// NUL bytes.

TEST(InputBytes, NulBytesAreDroppedWherever) {
  const std::string input =
      "\0\n"s                                     // the title's key: an empty line
      "no\0rth\n"s                                // NORTH
      "\0\0\0\n"s                                 // nothing left: an empty line
      + std::string(200, '\0') + "sou\0\0th\n"s;  // SOUTH, not cut
  Session run = playSession(input);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output.find('\0'), std::string::npos) << "nothing typed is printed back";
  EXPECT_EQ(count(run.output, kPrompt), 4U);
  EXPECT_EQ(count(run.output, kWhat), 1U);
  EXPECT_EQ(count(run.output, kUnknown), 0U);
  EXPECT_EQ(count(run.output, shown(COVE)), 1U);
  EXPECT_EQ(game.currentRoom, SHORE);
  EXPECT_EQ(game.turn, 4);
}

TEST(InputBytes, NulBytesInAnAnswer) {
  // At the shore KILL asks with what; A, NUL, X is AX.
  Session run = playSession("\nkill sailor\na\0x\n"s);
  EXPECT_NE(run.output.find("Tell me in one word, with what? \nYou don't have the axe!\n"),
            std::string::npos);
  EXPECT_EQ(game.turn, 2);
}

// ---------------------------------------------------------------------------
// Bytes above 127.

TEST(InputBytes, BytesAbove127MatchNoWord) {
  // Latin-1 and UTF-8 spellings of words that are almost the game's.
  Session run = playSession(
      "\n"
      "n\xf6rth\n"      // NöRTH in Latin-1
      "n\xc3\xb6rth\n"  // and in UTF-8
      "\xc3\x9c"
      "ber\n"                 // Über
      "\xe9\xe9\xe9 torch\n"  // no verb, and the noun is not looked for
      "g\xc9t torch\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(count(run.output, kUnknown), 5U);
  EXPECT_EQ(game.currentRoom, SHORE);
  EXPECT_EQ(game.turn, 6);
}

TEST(InputBytes, BytesAbove127AreKeptAsTyped) {
  // A second word that is no noun still goes to the action; the line keeps
  // its bytes, with only a..z upper-cased.
  Session run = playSession("\ninventory t\xf6rch \xff\n");
  EXPECT_NE(run.output.find("You are carrying:\n" + std::string(initialObjectName[LIFE_PRESERVER]) +
                            "\n"),
            std::string::npos);
  EXPECT_STREQ(inputLine, "INVENTORY T\xf6RCH \xff");
  EXPECT_EQ(game.turn, 2);
}

TEST(InputBytes, ByteFFIsAKeyAndNotTheEndOfInput) {
  // 255 read as a signed char is -1, the value of a failed key read.
  Session run = playSession("\xff\nnorth\n");
  EXPECT_EQ(game.currentRoom, COVE);
  EXPECT_EQ(game.turn, 2);
  EXPECT_EQ(count(run.output, kPrompt), 2U);

  // At the play-again prompt it is a key other than y: the program ends.
  run = playSession("\ndrop preserver\neast\n\xff\n\nnorth\n");
  EXPECT_TRUE(endsWith(run.output, kGameOver));
  EXPECT_EQ(count(run.output, kTitle), 1U);
  EXPECT_EQ(game.quitRequested, 1);
}

// ---------------------------------------------------------------------------
// Long lines.

TEST(InputLongLines, TenThousandCharactersThenARealCommand) {
  Session run = playSession("\n" + std::string(10000, 'x') + "\nnorth\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(count(run.output, kUnknown), 1U) << "the long line is one command";
  EXPECT_EQ(count(run.output, kPrompt), 3U);
  EXPECT_EQ(game.currentRoom, COVE);
  EXPECT_EQ(game.turn, 3);
}

TEST(InputLongLines, TheRestOfALongLineIsNeverACommand) {
  // NORTH in the first 79 characters, then ten thousand characters of
  // commands that would each do something if read.
  std::string line = "north" + std::string(74, ' ');
  line += repeat("south west inventory ", 10000 / 21 + 1);
  ASSERT_GT(line.size(), 10000U);
  Session run = playSession("\n" + line + "\n");
  EXPECT_EQ(count(run.output, kPrompt), 2U);
  EXPECT_EQ(run.output.find("You are carrying"), std::string::npos);
  EXPECT_EQ(game.currentRoom, COVE);
  EXPECT_EQ(game.turn, 2);
}

TEST(InputLongLines, TheCutFallsAfterCharacter79) {
  // INVENTORY NORTH, padded so that NORTH starts at character 77 or 78:
  // cut after character 79, the first leaves NOR (a direction), the second
  // NO (no word, so INVENTORY with a second word that names nothing).
  const std::string pad(79 - 9 - 3, ' ');
  playSession("\ninventory" + pad + "north\n");
  EXPECT_STREQ(inputLine, ("INVENTORY" + pad + "NOR").c_str());
  EXPECT_EQ(game.currentRoom, COVE);
  Session run = playSession("\ninventory " + pad + "north\n");
  EXPECT_STREQ(inputLine, ("INVENTORY " + pad + "NO").c_str());
  EXPECT_EQ(game.currentRoom, SHORE);
  EXPECT_EQ(count(run.output, "You are carrying:\n"), 1U);
  EXPECT_EQ(game.turn, 2);
}

TEST(InputLongLines, AHundredThousandCharactersAcrossManyReads) {
  // Longer than the reader's buffer several times over, and without a
  // line end: the last line of the input.
  Session run = playSession("\n" + repeat("get torch ", 10000));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(count(run.output, kPrompt), 2U);
  EXPECT_EQ(game.turn, 2);
  EXPECT_EQ(std::string(inputLine), repeat("GET TORCH ", 8).substr(0, 79));
}

TEST(InputLongLines, LongAnswerThenACommand) {
  Session run = playSession("\nkill sailor\nax" + std::string(10000, 'e') + "\nnorth\n");
  EXPECT_NE(run.output.find("Tell me in one word, with what? \nYou don't have the axe!\n"),
            std::string::npos);
  EXPECT_EQ(game.currentRoom, COVE);
  EXPECT_EQ(game.turn, 3);
}

TEST(InputLongLines, LongKeyLinesAtTheTitleAndThePlayAgainPrompt) {
  // Y and ten thousand more characters is Y; the next line is the key for
  // the new title, and the one after it the first command.
  Session run = playSession(std::string(10000, 'z') + "\ndrop preserver\neast\ny" +
                            std::string(9999, 'x') + "\n" + std::string(10000, 'n') + "\nnorth\n");
  EXPECT_EQ(count(run.output, kTitle), 2U);
  EXPECT_EQ(count(run.output, kGameOver), 1U);
  EXPECT_EQ(game.currentRoom, COVE);
  EXPECT_EQ(game.turn, 2);
}

// ---------------------------------------------------------------------------
// The last line without a line end.

TEST(InputLastLine, AtTheTitle) {
  Session run = playSession("x");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(count(run.output, kPrompt), 1U) << "the key starts the game";
  EXPECT_EQ(game.turn, 1);
}

TEST(InputLastLine, AsAnAnswer) {
  Session run = playSession("\nkill sailor\naxe");
  EXPECT_TRUE(endsWith(run.output, "Tell me in one word, with what? \nYou don't have the axe!\n\n" +
                                       kPrompt + "\n"));
  EXPECT_EQ(game.turn, 2);
}

TEST(InputLastLine, AtThePlayAgainPrompt) {
  Session run = playSession("\ndrop preserver\neast\nY");
  EXPECT_EQ(count(run.output, kTitle), 2U);
  EXPECT_TRUE(endsWith(run.output, kTitle)) << "the new game waits at its title";
  EXPECT_EQ(game.gameOver, 0);
  EXPECT_EQ(game.turn, 1);
}

TEST(InputLastLine, AnEmptyLastLineIsNoLine) {
  // The input ends with a line end: no further, empty, line follows it.
  Session run = playSession("\nnorth\n");
  EXPECT_EQ(count(run.output, kWhat), 0U);
  EXPECT_EQ(game.turn, 2);
}

// ---------------------------------------------------------------------------
// Carriage returns.

TEST(InputLineEnds, ALoneCarriageReturnIsACharacterOfTheLine) {
  // GET, a CR and TORCH are one line of nine characters: one word to the
  // parser, so one command and one turn.
  Session run = playSession("\nget\rtorch\ninventory\n");
  EXPECT_EQ(count(run.output, "You need a noun.\n"), 1U);
  EXPECT_EQ(count(run.output, "You are carrying:\n"), 1U);
  EXPECT_EQ(count(run.output, kPrompt), 3U);
  EXPECT_EQ(game.turn, 3);
}

TEST(InputLineEnds, EveryMixOfLineEnds) {
  // CR LF is one line end; CR CR and LF CR end nothing: their CRs belong to
  // the lines they stand in.
  Session run = playSession("\r\nnorth\r\rsouth\n\rinventory\r\n\r\nsouth\n\n");
  // Commands: "NORTH<CR><CR>SOUTH" (the word NOR), "<CR>INVENTORY" (no
  // word), "", SOUTH, "".
  EXPECT_EQ(count(run.output, kWhat), 2U);
  EXPECT_EQ(count(run.output, kUnknown), 1U);
  EXPECT_EQ(count(run.output, "You are carrying:\n"), 0U);
  EXPECT_EQ(count(run.output, kPrompt), 6U);
  EXPECT_EQ(game.currentRoom, SHORE);
  EXPECT_EQ(game.turn, 6);
}

TEST(InputLineEnds, CarriageReturnsEndNeitherAnAnswerNorAKey) {
  // The title's key is the whole first line; the answer to the question is
  // "AXE<CR>NORTH<CR>", which names the axe all the same.
  Session run = playSession("x\rkill sailor\nkill sailor\naxe\rnorth\r\n");
  EXPECT_EQ(count(run.output, "with what? \nYou don't have the axe!\n"), 1U);
  EXPECT_EQ(count(run.output, kPrompt), 2U);
  EXPECT_EQ(game.currentRoom, SHORE);
  EXPECT_EQ(game.turn, 2);
}

TEST(InputLineEnds, OneByteAtATimeAWholeGame) {
  // A slow pipe: every byte its own read, so that no CR ever sees its LF
  // already waiting. The LF after the title's key, after a command and
  // after an answer must each be part of the line end before it.
  resetProgramState();
  scripted::start("y\r\nkill sailor\r\naxe\r\nnorth\r\n\r\nsouth\r\n", 1);
  EXPECT_EQ(runProgram(), 0);
  const std::string out = scripted::take();
  EXPECT_EQ(count(out, kWhat), 1U) << "only the one empty line";
  EXPECT_EQ(count(out, "You don't have the axe!\n"), 1U);
  EXPECT_EQ(count(out, kPrompt), 5U);
  EXPECT_EQ(game.currentRoom, SHORE);
  EXPECT_EQ(game.turn, 5);
}

TEST(InputLineEnds, CarriageReturnAtTheEndOfInput) {
  Session run = playSession("\nnorth\r");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(count(run.output, kWhat), 0U);
  EXPECT_EQ(game.turn, 2);
}

// ---------------------------------------------------------------------------
// The input ends while a question waits for its answer.

struct Question {
  const char* name;
  std::string before;   // the input that brings the player to the question
  const char* command;  // the command that asks it
  const char* asked;    // the question
  const char* refusal;  // its answer to an empty line
};

const Question kQuestions[] = {
    {"KILL", "\n", "kill shark", "Tell me in one word, with what? ", "You can't use that!\n"},
    {"POUR WINE", "\nwest\nnorth\nenter hut\nget bottle\nexit hut\nwest\nwest\nwest\nsouth\nwest\n",
     "pour wine", "Tell me, in what word, in or on what?  ", "Not in that!\n"},
    {"TURN SCUBA",
     "\nwest\nget paper\nnorth\nenter hut\nget bottle\nexit hut\nsouth\neast\npour wine\nput "
     "paper\nbottle\ndrop bottle\nget scuba\n",
     "turn scuba", "On or off? ", "What?"},
    {"THROW AXE",
     "\neast\nnorth\nget matches\nwest\nsouth\nwest\nwest\nsouth\nup\nclimb cliff\ndrop "
     "preserver\nget torch\nnorth\nnorth\nget axe\n",
     "throw axe", "Tell me in one word, at what? ", "You can't do that.\n"},
    {"TIE ROPE",
     "\neast\nnorth\nget matches\nwest\nsouth\nwest\nwest\nsouth\nup\nclimb cliff\ndrop "
     "preserver\nget torch\nnorth\nnorth\nget axe\neast\nget rope\n",
     "tie rope", "Tell me in one word, to what? ", "I don't think you should tie it to that.\n"},
    {"PUT PAPER", "\nwest\nget paper\nnorth\nenter hut\nget bottle\n", "put paper",
     "Tell me in one word, in or on what?  ", "You can't...yet.\n"},
};

// Everything of the game but the fields each command rewrites.
void expectSameWorld(const GameState& was, const GameState& is) {
  EXPECT_EQ(is.currentRoom, was.currentRoom);
  EXPECT_EQ(is.turn, was.turn);
  EXPECT_EQ(is.carriedCount, was.carriedCount);
  EXPECT_EQ(is.scubaOn, was.scubaOn);
  EXPECT_EQ(is.matchesLeft, was.matchesLeft);
  EXPECT_EQ(is.gameOver, was.gameOver);
  EXPECT_EQ(is.redrawPending, was.redrawPending);
  EXPECT_EQ(std::memcmp(is.exits, was.exits, sizeof is.exits), 0);
  EXPECT_EQ(std::memcmp(is.objectLocation, was.objectLocation, sizeof is.objectLocation), 0);
  for (int object = FIRST_OBJECT; object <= LAST_OBJECT; ++object) {
    EXPECT_STREQ(is.objectName[object], was.objectName[object]);
  }
}

TEST(InputEndsAtAQuestion, TheProgramEndsAndNothingIsDone) {
  for (const Question& q : kQuestions) {
    SCOPED_TRACE(q.name);
    // The same game, with the input ending before the command.
    Session before = playSession(q.before);
    const GameState was = game;
    ASSERT_TRUE(endsWith(before.output, kPrompt + "\n")) << "the way there is blocked";

    Session run = playSession(q.before + q.command + "\n");
    EXPECT_EQ(run.status, 0);
    // The line end after the command, the question, and nothing more.
    EXPECT_EQ(run.output, before.output + q.asked);
    expectSameWorld(was, game);
  }
}

TEST(InputEndsAtAQuestion, UnlikeAnEmptyAnswer) {
  for (const Question& q : kQuestions) {
    SCOPED_TRACE(q.name);
    Session before = playSession(q.before);
    const int turn = game.turn;
    Session run = playSession(q.before + q.command + "\n\n");
    EXPECT_EQ(run.output.rfind(before.output + q.asked + "\n" + q.refusal + "\n", 0), 0U)
        << run.output.substr(before.output.size());
    EXPECT_EQ(game.turn, turn + 1);
  }
}

TEST(InputEndsAtAQuestion, TheCommandItselfWithoutALineEnd) {
  // The command is the last line and has no line end: it is still carried
  // out, and the question finds the input at its end.
  const Question& q = kQuestions[0];
  Session run = playSession(q.before + q.command);
  EXPECT_TRUE(endsWith(run.output, kPrompt + "\n" + q.asked));
  EXPECT_EQ(game.turn, 1);
}

TEST(InputEndsAtAQuestion, OrAtTheKeyAfterTheWinningText) {
  // The winning game of the scripted sessions, its input ending where the
  // player would press a key to leave the winning text.
  std::ifstream script(TIDEWRACK_SOURCE_DIR "/tests/scripts/win_plain.play");
  ASSERT_TRUE(script.good());
  std::string input;
  std::uint32_t clock = 1000;
  for (std::string line; std::getline(script, line);) {
    if (line.rfind("clock ", 0) == 0)
      clock = static_cast<std::uint32_t>(std::stoul(line.substr(6)));
    if (line.rfind("< ", 0) == 0) input += line.substr(2) + "\n";
    if (line == "<") input += "\n";
  }
  // The last two lines are the key after the winning text and the answer to
  // the offer of another game.
  ASSERT_GE(input.size(), 4U);
  ASSERT_EQ(input.substr(input.size() - 4), "\n\nn\n");
  input.resize(input.size() - 3);
  Session run = playSession(input, clock);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(game.gameOver, 1);
  EXPECT_EQ(game.turn, 117) << "the winning turn is not finished";
  EXPECT_TRUE(endsWith(run.output, "CONGRATULATIONS, YOU HAVE SOLVED THE ADVENTURE!\n"));
  EXPECT_EQ(count(run.output, kGameOver), 0U);
}

// ---------------------------------------------------------------------------
// The real program, started with its input from a file, a pipe, or nothing.

namespace fs = std::filesystem;

// Long enough for a sanitizer build on a busy machine; a passing run takes
// a few milliseconds.
constexpr auto kDeadline = std::chrono::seconds(20);

struct ProgramRun {
  bool exited = false;  // false: killed by a signal, or by the deadline
  int status = -1;
  std::string output;
  std::string errors;      // standard error
  std::string savedFiles;  // what the run left in its folder besides its input
};

enum class Stdin { File, Closed, Folder };
// A file; a full disk (/dev/full); a pipe the test reads once the game has
// ended (the pipe holds 64 KiB); a pipe that nobody reads any more.
enum class Stdout { File, Full, Pipe, ClosedPipe };

// A folder of its own for each run, so that nothing the game writes meets
// another test; removed afterwards.
class RunFolder {
 public:
  RunFolder() {
    std::string pattern = (fs::temp_directory_path() / "tidewrack-input-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~RunFolder() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::string readFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Waits for the child until the deadline, then kills it.
bool reap(pid_t child, int& status) {
  const auto deadline = std::chrono::steady_clock::now() + kDeadline;
  for (;;) {
    pid_t done = ::waitpid(child, &status, WNOHANG);
    if (done == child) return true;
    if (done < 0 && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

// fileLimit, when not 0, limits the size of any file the game writes
// (ulimit -f).
ProgramRun runGame(const std::string& input, Stdin from = Stdin::File, Stdout to = Stdout::File,
                   rlim_t fileLimit = 0) {
  ProgramRun run;
  RunFolder folder;
  if (folder.path().empty()) return run;
  const fs::path inputPath = folder.path() / "input";
  const fs::path outputPath = folder.path() / "output";
  const fs::path errorsPath = folder.path() / "errors";
  {
    std::ofstream file(inputPath, std::ios::binary);
    file.write(input.data(), static_cast<std::streamsize>(input.size()));
  }
  int in = from == Stdin::Folder ? ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY)
                                 : ::open(inputPath.c_str(), O_RDONLY);
  int pipeEnds[2] = {-1, -1};
  int out = -1;
  if (to == Stdout::File) out = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (to == Stdout::Full) out = ::open("/dev/full", O_WRONLY);
  if ((to == Stdout::Pipe || to == Stdout::ClosedPipe) && ::pipe(pipeEnds) == 0) {
    out = pipeEnds[1];
    if (to == Stdout::ClosedPipe) ::close(pipeEnds[0]);
  }
  int errors = ::open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (in < 0 || out < 0 || errors < 0) return run;
  pid_t child = ::fork();
  if (child == 0) {
    if (::chdir(folder.path().c_str()) != 0) ::_exit(126);
    if (from == Stdin::Closed) {
      ::close(STDIN_FILENO);
    } else {
      ::dup2(in, STDIN_FILENO);
    }
    ::dup2(out, STDOUT_FILENO);
    ::dup2(errors, STDERR_FILENO);
    ::close(in);
    ::close(out);
    ::close(errors);
    if (to == Stdout::Pipe) ::close(pipeEnds[0]);
    ::signal(SIGPIPE, SIG_DFL);  // as a shell starts a program
    if (fileLimit != 0) {
      const rlimit limit{fileLimit, fileLimit};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(125);
    }
    ::execl(TIDEWRACK_BINARY, "tidewrack", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(in);
  ::close(out);
  ::close(errors);
  if (child < 0) return run;
  int status = 0;
  if (reap(child, status) && WIFEXITED(status)) {
    run.exited = true;
    run.status = WEXITSTATUS(status);
  }
  if (to == Stdout::Pipe) {
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
      run.output.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeEnds[0]);
  } else if (to == Stdout::File) {
    run.output = readFile(outputPath);
  }
  run.errors = readFile(errorsPath);
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    const std::string name = entry.path().filename().string();
    if (name != "input" && name != "output" && name != "errors") run.savedFiles += name + " ";
  }
  return run;
}

TEST(InputToTheProgram, EveryKindOfOddInputInOneRun) {
  // The key's line is 255, a NUL, a lone CR and ten thousand x's; the
  // command's line is NORTH with a NUL and a CR in it, far too long.
  const std::string input = "\xff\0\r"s + std::string(10000, 'x') + "\r\n"  // the key: 255
                            + "no\0rth\r"s + std::string(100, 'y') + "\n"   // NORTH
                            +
                            "\xc3\x9c"
                            "ber\n"         // no word
                            + "\0\0\0\n"s   // an empty line
                            + "inventory";  // no line end
  ProgramRun run = runGame(input);
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output.rfind(kTitle, 0), 0U);
  EXPECT_EQ(count(run.output, kUnknown), 1U);
  EXPECT_EQ(count(run.output, kWhat), 1U);
  EXPECT_EQ(count(run.output, shown(COVE)), 1U);
  EXPECT_TRUE(endsWith(run.output, kPrompt + "\nYou are carrying:\n" +
                                       initialObjectName[LIFE_PRESERVER] + "\n\n\n" + kPrompt +
                                       "\n"));
  EXPECT_EQ(run.output.find('\0'), std::string::npos);
  EXPECT_EQ(run.savedFiles, "");
}

TEST(InputToTheProgram, EndOfInputAtAQuestion) {
  // The command is the input's last line, without a line end.
  ProgramRun run = runGame("\nkill shark");
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(endsWith(run.output, kPrompt + "\nTell me in one word, with what? "));

  // The answer is: it is taken, and the game goes on to the next prompt.
  run = runGame("\nkill shark\naxe");
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(endsWith(run.output, "with what? \nYou don't have the axe!\n\n" + kPrompt + "\n"));
}

TEST(InputToTheProgram, EndOfInputAtEveryKeyWait) {
  // The title.
  ProgramRun run = runGame("");
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, kTitle);
  // The play-again prompt.
  run = runGame("\ndrop preserver\neast\n");
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(endsWith(run.output, kGameOver));
}

TEST(InputToTheProgram, NoInputAtAll) {
  // Standard input closed, or a folder that cannot be read: the same as an
  // input that has ended.
  for (Stdin from : {Stdin::Closed, Stdin::Folder}) {
    ProgramRun run = runGame("north\n", from);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, kTitle);
  }
}

TEST(InputToTheProgram, AMegabyteWithoutALineEnd) {
  ProgramRun run = runGame("\n" + std::string(1 << 20, 'q'));
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(count(run.output, kUnknown), 1U);
  EXPECT_EQ(count(run.output, kPrompt), 2U);
}

TEST(InputToTheProgram, CarriageReturnAndLineFeedOnEitherSideOfABlockEdge) {
  // The program reads its input in blocks: put the CR of a CR LF last in a
  // block, for any block size from 4 KiB to 64 KiB that is a power of two.
  for (std::size_t edge : {4096U, 8192U, 16384U, 32768U, 65536U}) {
    SCOPED_TRACE(edge);
    // The title's key is one byte; the long line's CR is byte edge - 1.
    const std::string input = "\n" + std::string(edge - 2, 'x') + "\r\nnorth\r\n";
    ASSERT_EQ(input[edge - 1], '\r');
    ProgramRun run = runGame(input);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(count(run.output, kWhat), 0U) << "the LF was read as an empty line";
    EXPECT_EQ(count(run.output, kUnknown), 1U);
    EXPECT_EQ(count(run.output, shown(COVE)), 1U);
  }
}

// A pipe that the test writes to as the game asks: the game must take each
// line as it comes, and a CR LF split across two writes is one line end.
class PipedGame {
 public:
  // nonBlocking: the pipe is handed over non-blocking, as a program before
  // the game may leave it.
  explicit PipedGame(bool nonBlocking = false) {
    ::signal(SIGPIPE, SIG_IGN);  // a game gone early fails the test, not the run
    int in[2];
    int out[2];
    if (::pipe(in) != 0) return;
    if (::pipe(out) != 0) {
      ::close(in[0]);
      ::close(in[1]);
      return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      if (::chdir(folder_.path().c_str()) != 0) ::_exit(126);
      ::dup2(in[0], STDIN_FILENO);
      ::dup2(out[1], STDOUT_FILENO);
      ::close(in[0]);
      ::close(in[1]);
      ::close(out[0]);
      ::close(out[1]);
      if (nonBlocking) ::fcntl(STDIN_FILENO, F_SETFL, ::fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
      ::execl(TIDEWRACK_BINARY, "tidewrack", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    toGame_ = in[1];
    fromGame_ = out[0];
  }
  ~PipedGame() {
    closeInput();
    if (pid_ > 0 && !reaped_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (fromGame_ >= 0) ::close(fromGame_);
  }
  PipedGame(const PipedGame&) = delete;
  PipedGame& operator=(const PipedGame&) = delete;

  bool started() const { return pid_ > 0 && toGame_ >= 0 && fromGame_ >= 0; }

  void type(const std::string& bytes) {
    ASSERT_EQ(::write(toGame_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  void closeInput() {
    if (toGame_ >= 0) ::close(toGame_);
    toGame_ = -1;
  }
  // The reader goes: whatever the game writes from now on fails.
  void closeOutput() {
    if (fromGame_ >= 0) ::close(fromGame_);
    fromGame_ = -1;
  }
  // What the game has left in its folder.
  std::string files() const {
    std::string names;
    for (const auto& entry : fs::directory_iterator(folder_.path())) {
      names += entry.path().filename().string() + " ";
    }
    return names;
  }

  // Reads until the output holds this text `times` times; false at the
  // deadline or the end of the output.
  bool waitFor(const std::string& text, std::size_t times,
               std::chrono::milliseconds patience = kDeadline) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (count(output, text) < times) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      pollfd ready{fromGame_, POLLIN, 0};
      if (::poll(&ready, 1, static_cast<int>(left.count())) <= 0) continue;
      char buffer[4096];
      ssize_t got = ::read(fromGame_, buffer, sizeof buffer);
      if (got == 0) return false;
      if (got > 0) output.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
  }

  // The exit status, once the game has ended of itself; -1 otherwise.
  int finish() {
    if (fromGame_ >= 0) waitFor("\x01 never printed", 1);  // reads to the end of the output
    int status = 0;
    if (!reap(pid_, status)) return -1;
    reaped_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string output;

 private:
  RunFolder folder_;
  pid_t pid_ = -1;
  bool reaped_ = false;
  int toGame_ = -1;
  int fromGame_ = -1;
};

TEST(InputToTheProgram, LineEndsSplitAcrossWritesToAPipe) {
  // Each line's CR comes in one write and its LF in the next: the game waits
  // for the byte after the CR, and a CR LF split so is one line end. A line
  // that so far ends in a CR has not ended.
  using std::chrono::milliseconds;
  PipedGame piped;
  ASSERT_TRUE(piped.started());
  ASSERT_TRUE(piped.waitFor(kTitle, 1));
  piped.type("\r");  // the key
  EXPECT_FALSE(piped.waitFor(kPrompt, 1, milliseconds(300))) << "a lone CR ended the line";
  piped.type("\nkill sailor\r");
  ASSERT_TRUE(piped.waitFor(kPrompt, 1));
  EXPECT_FALSE(piped.waitFor("with what? ", 1, milliseconds(300)));
  piped.type("\naxe\r");
  ASSERT_TRUE(piped.waitFor("with what? ", 1));
  piped.type("\nnorth\r");
  ASSERT_TRUE(piped.waitFor(kPrompt, 2));
  piped.type("\n");
  ASSERT_TRUE(piped.waitFor(kPrompt, 3));
  piped.closeInput();
  EXPECT_EQ(piped.finish(), 0);
  EXPECT_EQ(count(piped.output, kWhat), 0U) << "a LF was read as an empty line";
  EXPECT_EQ(count(piped.output, "with what? \nYou don't have the axe!\n"), 1U);
  EXPECT_EQ(count(piped.output, shown(COVE)), 1U);
  EXPECT_EQ(count(piped.output, kPrompt), 3U);
  EXPECT_TRUE(endsWith(piped.output, kPrompt + "\n"));
}

// A non-blocking pipe with nothing in it yet is not the end of the input:
// the game waits for the next line.
TEST(InputToTheProgram, NonBlockingPipeStillWaitsForTheLine) {
  using std::chrono::milliseconds;
  PipedGame piped(true);
  ASSERT_TRUE(piped.started());
  ASSERT_TRUE(piped.waitFor(kTitle, 1));
  EXPECT_FALSE(piped.waitFor(kPrompt, 1, milliseconds(300)));
  piped.type("\n");
  ASSERT_TRUE(piped.waitFor(kPrompt, 1));
  EXPECT_FALSE(piped.waitFor(kPrompt, 2, milliseconds(300))) << "the game did not wait";
  piped.type("north\n");
  ASSERT_TRUE(piped.waitFor(kPrompt, 2));
  piped.closeInput();
  EXPECT_EQ(piped.finish(), 0);
  EXPECT_EQ(count(piped.output, shown(COVE)), 1U);
}

// ---------------------------------------------------------------------------
// Output that cannot be written: the game stops at once with status 1 and
// one line on standard error, before anything more is played or saved.

const std::string kLostOutput = "tidewrack: the game's output could not be written: ";

TEST(OutputLost, FullDiskOrClosedPipeStopsTheGameBeforeItSaves) {
  // A finite script to a full disk; endless commands (`yes save`) to a pipe
  // whose reader has gone.
  ProgramRun full = runGame("\nsave\nnorth\n", Stdin::File, Stdout::Full);
  ASSERT_TRUE(full.exited) << "killed, or still playing at the deadline";
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.errors, kLostOutput + std::strerror(ENOSPC) + "\n");
  EXPECT_EQ(full.savedFiles, "");

  ProgramRun closed = runGame("\n" + repeat("save\n", 100000), Stdin::File, Stdout::ClosedPipe);
  ASSERT_TRUE(closed.exited) << "killed, or still playing at the deadline";
  EXPECT_EQ(closed.status, 1);
  EXPECT_EQ(closed.errors, kLostOutput + std::strerror(EPIPE) + "\n");
  EXPECT_EQ(closed.savedFiles, "");
}

TEST(OutputLost, ReaderGoneWhileTheGameWaitsIsKnownBeforeTheSave) {
  // The reader takes the first prompt and goes (`| head`); the next
  // command is SAVE, typed ahead with more commands after it.
  PipedGame piped;
  ASSERT_TRUE(piped.started());
  piped.type("\n");
  ASSERT_TRUE(piped.waitFor(kPrompt, 1));
  piped.closeOutput();
  piped.type("inventory\nsave\nnorth\n");
  piped.closeInput();
  EXPECT_EQ(piped.finish(), 1);
  EXPECT_EQ(piped.files(), "");
}

// A file-size limit smaller than a save (ulimit -f): SAVE says so, and the
// game goes on.
TEST(OutputLost, FileSizeLimitFailsTheSaveAndTheGameGoesOn) {
  ProgramRun run = runGame("\nsave\ninventory\n", Stdin::File, Stdout::Pipe, 100);
  ASSERT_TRUE(run.exited) << "killed by the limit";
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(count(run.output, kPrompt + "\nThe game could not be saved.\n\n" + kPrompt +
                                  "\nYou are carrying:\n"),
            1U);
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(run.savedFiles, "");
}

}  // namespace
