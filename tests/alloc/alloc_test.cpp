// No heap allocation while the game is played. Every allocation of the
// process is counted, at the level of malloc, so that C++ containers, C
// library calls and anything else that takes memory from the heap all show.
// The game is played in-process, and the count is looked at every time the
// game waits for input: from one wait to the next is one turn (or one step
// of a turn: a question, a blow of the gnome fight), and it must take
// nothing from the heap. A turn that saves the game is excepted.
//
// Two sources of play:
// - every scripted session of tests/scripts, typed through the pipe front
//   end exactly as the program runs it with a file on its standard input;
// - a wanderer who types thousands of commands, mostly sensible and some
//   not, answers questions at random and plays game after game.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/loop.hpp"
#include "console/console.hpp"
#include "core/game.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "disk/disk_files.hpp"
#include "frontends/pipe/pipe_console.hpp"
#include "persistence/savefile.hpp"

// ---------------------------------------------------------------------------
// Counting allocations.

namespace {
std::atomic<unsigned long> allocations{0};
}  // namespace

#if defined(__SANITIZE_ADDRESS__)
#define TIDEWRACK_COUNT_WITH_HOOKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TIDEWRACK_COUNT_WITH_HOOKS 1
#endif
#endif

#ifdef TIDEWRACK_COUNT_WITH_HOOKS
// The sanitizer owns malloc; it tells of every allocation through a hook.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*,
                                                                            std::size_t),
                                                         void (*freeHook)(const volatile void*));

namespace {
void countAllocation(const volatile void*, std::size_t) {
  allocations.fetch_add(1, std::memory_order_relaxed);
}
void ignoreFree(const volatile void*) {}

bool startCounting() {
  static const bool installed =
      __sanitizer_install_malloc_and_free_hooks(countAllocation, ignoreFree) != 0;
  return installed;
}
}  // namespace
#else
// Without a sanitizer, this program's malloc family stands in front of the C
// library's (every library of the process calls these), counts, and passes
// the call on.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);

void* malloc(std::size_t size) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_realloc(block, size);
}
void* memalign(std::size_t alignment, std::size_t size) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_memalign(alignment, size);
}
int posix_memalign(void** block, std::size_t alignment, std::size_t size) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  void* got = __libc_memalign(alignment, size);
  if (got == nullptr) return ENOMEM;
  *block = got;
  return 0;
}
void free(void* block) noexcept { __libc_free(block); }
}

namespace {
bool startCounting() { return true; }
}  // namespace
#endif

namespace {

// Sanity check of the counter itself: an allocation the compiler cannot
// leave out.
unsigned long allocationsFor(std::size_t size) {
  unsigned long before = allocations.load();
  void* volatile block = std::malloc(size);
  std::free(block);
  std::string* text = new std::string(size, 'x');
  delete text;
  return allocations.load() - before;
}

// ---------------------------------------------------------------------------
// Looking at the count at every wait for input. Nothing here allocates: the
// steps that took memory are written down in a fixed table.

constexpr int MOST_FINDINGS = 32;

struct Finding {
  const char* source;   // the session
  long step;            // the wait, counted from the program's start
  int turn;             // the game's turn at that wait
  unsigned long count;  // allocations since the wait before
  char line[80];        // the line read at the wait before
};

struct Watch {
  const char* source = "";
  unsigned long seen = 0;  // the count at the last wait
  long step = 0;
  long checked = 0;  // waits looked at
  long saves = 0;    // waits after a SAVE, not looked at
  unsigned long savedAllocations = 0;
  bool lastWasSave = false;
  char lastLine[80] = "";
  Finding findings[MOST_FINDINGS];
  int findingCount = 0;
  long totalFindings = 0;
};

Watch watch;

// True when a command line begins with SAVE (its first word's first three
// letters, after any spaces, as the parser reads it).
bool isSaveCommand(const char* line) {
  while (*line == ' ') ++line;
  return toUpper(line[0]) == 'S' && toUpper(line[1]) == 'A' && toUpper(line[2]) == 'V';
}

void lookAtCount() {
  const unsigned long now = allocations.load(std::memory_order_relaxed);
  const unsigned long taken = now - watch.seen;
  watch.step += 1;
  if (watch.lastWasSave) {
    watch.saves += 1;
    watch.savedAllocations += taken;
  } else {
    watch.checked += 1;
    if (taken != 0) {
      watch.totalFindings += 1;
      if (watch.findingCount < MOST_FINDINGS) {
        Finding& f = watch.findings[watch.findingCount++];
        f.source = watch.source;
        f.step = watch.step;
        f.turn = game.turn;
        f.count = taken;
        std::memcpy(f.line, watch.lastLine, sizeof f.line);
      }
    }
  }
  // What the test does from here to the read is not the game's.
  watch.seen = allocations.load(std::memory_order_relaxed);
}

void noteLine(const char* line, bool command) {
  std::strncpy(watch.lastLine, line, sizeof watch.lastLine - 1);
  watch.lastLine[sizeof watch.lastLine - 1] = '\0';
  watch.lastWasSave = command && isSaveCommand(line);
}

void startWatch(const char* source) {
  watch.source = source;
  watch.lastWasSave = false;
  watch.lastLine[0] = '\0';
  watch.step = 0;
  watch.seen = allocations.load(std::memory_order_relaxed);
}

std::string describeFindings() {
  std::string text;
  for (int i = 0; i < watch.findingCount; ++i) {
    const Finding& f = watch.findings[i];
    text += std::string(f.source) + ": " + std::to_string(f.count) + " allocation(s) before wait " +
            std::to_string(f.step) + " (turn " + std::to_string(f.turn) + "), after the line '" +
            f.line + "'\n";
  }
  return text;
}

// ---------------------------------------------------------------------------
// The program's own pipe front end, watched.

int watchedPipeReadKey() {
  lookAtCount();
  int key = pipeReadKey();
  noteLine("(a key)", false);
  watch.seen = allocations.load(std::memory_order_relaxed);
  return key;
}

bool watchedPipeReadLine(char* buffer, int capacity) {
  lookAtCount();
  bool got = pipeReadLine(buffer, capacity);
  if (got) noteLine(buffer, true);
  watch.seen = allocations.load(std::memory_order_relaxed);
  return got;
}

// Standard input and output in place for one run, put back afterwards.
class Redirected {
 public:
  explicit Redirected(const std::string& inputPath) {
    std::fflush(stdout);
    savedIn_ = ::dup(STDIN_FILENO);
    savedOut_ = ::dup(STDOUT_FILENO);
    int in = ::open(inputPath.c_str(), O_RDONLY);
    int out = ::open("/dev/null", O_WRONLY);
    ok_ = savedIn_ >= 0 && savedOut_ >= 0 && in >= 0 && out >= 0 && ::dup2(in, STDIN_FILENO) >= 0 &&
          ::dup2(out, STDOUT_FILENO) >= 0;
    if (in >= 0) ::close(in);
    if (out >= 0) ::close(out);
  }
  ~Redirected() {
    if (savedIn_ >= 0) {
      ::dup2(savedIn_, STDIN_FILENO);
      ::close(savedIn_);
    }
    if (savedOut_ >= 0) {
      ::dup2(savedOut_, STDOUT_FILENO);
      ::close(savedOut_);
    }
  }
  Redirected(const Redirected&) = delete;
  Redirected& operator=(const Redirected&) = delete;
  bool ok() const { return ok_; }

 private:
  int savedIn_ = -1;
  int savedOut_ = -1;
  bool ok_ = false;
};

struct Script {
  std::string name;
  std::string input;
  std::uint32_t clock = 1000;
};

Script readScript(const std::filesystem::path& path) {
  Script script;
  script.name = path.stem().string();
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("clock ", 0) == 0)
      script.clock = static_cast<std::uint32_t>(std::stoul(line.substr(6)));
    if (line == "<") script.input += "\n";
    if (line.rfind("< ", 0) == 0) script.input += line.substr(2) + "\n";
  }
  return script;
}

std::uint32_t scriptClockValue = 1000;
std::uint32_t scriptClock() { return scriptClockValue; }

// One run of the program on this input, in pipe mode as app/main.cpp sets
// it up, but with the reads watched and the clock fixed.
void playPiped(const Script& script) {
  const std::string inputPath = "alloc_input.txt";
  {
    std::ofstream file(inputPath, std::ios::binary);
    file.write(script.input.data(), static_cast<std::streamsize>(script.input.size()));
  }
  std::remove(SAVE_FILE_NAME);
  Redirected redirected(inputPath);
  ASSERT_TRUE(redirected.ok());
  scriptClockValue = script.clock;
  FrontEnd frontEnd{};
  frontEnd.clearScreen = formFeedClear;
  frontEnd.write = holdStandardOutput;
  frontEnd.clock = scriptClock;
  frontEnd.readFile = readDiskFile;
  frontEnd.replaceFile = replaceDiskFile;
  connectPipeInput(readStandardInputAfterOutput);
  frontEnd.readKey = watchedPipeReadKey;
  frontEnd.keyWaiting = pipeKeyWaiting;
  frontEnd.readLine = watchedPipeReadLine;
  startWatch(script.name.c_str());
  setFrontEnd(frontEnd);
  runProgram();
  flushOutput();
  writeHeldOutput();
}

// ---------------------------------------------------------------------------
// The wanderer: thousands of commands chosen by a small generator of its own,
// and keys that always start another game.

const char* const wandererLines[] = {
    // Moving, mostly.
    "north",
    "south",
    "east",
    "west",
    "up",
    "down",
    "go north",
    "go south",
    "go east",
    "go west",
    "nor",
    "sou",
    "eas",
    "wes",
    "climb cliff",
    "enter hut",
    "exit hut",
    "exit",
    "jump",
    "dive",
    "north",
    "south",
    "east",
    "west",
    "north",
    "south",
    "east",
    "west",
    // Things.
    "get torch",
    "get matches",
    "get axe",
    "get rope",
    "get bottle",
    "get paper",
    "get scuba",
    "get goblet",
    "get robe",
    "get amulet",
    "get anchor",
    "get pill",
    "get key",
    "get gold",
    "get driftwood",
    "get mushrooms",
    "take stone",
    "take card",
    "drop torch",
    "drop axe",
    "drop bottle",
    "drop paper",
    "drop rope",
    "drop preserver",
    "leave driftwood",
    "put paper",
    "inventory",
    "inv",
    "examine bottle",
    "examine chart",
    "read card",
    "read runes",
    "examine skeleton",
    "examine watch",
    "examine closet",
    "read message",
    "examine chest",
    "light matches",
    "light torch",
    "light driftwood",
    "extinguish torch",
    "open chest",
    "unlock chest",
    "close chest",
    "lock chest",
    "pour wine",
    "drink wine",
    "wear robe",
    "wear amulet",
    "summon neptune",
    "rub statue",
    "shine amulet",
    "turn scuba",
    "throw axe",
    "throw rope",
    "tie rope",
    "eat pill",
    "eat mushrooms",
    "kill gnome",
    "attack shark",
    "give gold",
    "load game",
    // Answers to the questions, whenever they come.
    "axe",
    "on",
    "off",
    "goblet",
    "anchor",
    "gnome",
    "closet",
    "bottle",
    // Nonsense.
    "",
    "   ",
    "xyzzy",
    "torch",
    "get",
    "GET.TORCH",
    "n\xf6rth",
    "a line far longer than the seventy-nine characters the game keeps of any line typed",
};
constexpr int WANDERER_LINE_COUNT = sizeof wandererLines / sizeof wandererLines[0];

struct Dice {
  std::uint64_t state = 0x2545F4914F6CDD1DULL;
  int below(int n) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<int>((state >> 11) % static_cast<std::uint64_t>(n));
  }
};

Dice dice;
long wandererLinesLeft = 0;
long wandererSaves = 0;

bool wandererReadLine(char* buffer, int capacity) {
  lookAtCount();
  if (wandererLinesLeft <= 0) return false;
  wandererLinesLeft -= 1;
  // Now and then a save, and the load that follows it finds a game.
  const char* line =
      dice.below(200) == 0 ? "save game" : wandererLines[dice.below(WANDERER_LINE_COUNT)];
  if (isSaveCommand(line)) wandererSaves += 1;
  std::size_t length = std::strlen(line);
  if (length > static_cast<std::size_t>(capacity - 1))
    length = static_cast<std::size_t>(capacity - 1);
  std::memcpy(buffer, line, length);
  buffer[length] = '\0';
  noteLine(line, true);
  watch.seen = allocations.load(std::memory_order_relaxed);
  return true;
}

int wandererReadKey() {
  lookAtCount();
  noteLine("(a key)", false);
  watch.seen = allocations.load(std::memory_order_relaxed);
  return game.gameOver == 1 ? 'y' : '\n';
}

bool noKeyWaiting() { return false; }
void discardOutput(const char*, std::size_t) {}
std::uint32_t wandererClockValue = 0;
std::uint32_t wandererClock() { return wandererClockValue++; }  // every fight differs

class AllocationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(startCounting()) << "the allocation hooks could not be installed";
    ASSERT_GT(allocationsFor(100), 1UL) << "the counter does not see allocations";
    watch = Watch{};
  }
};

TEST_F(AllocationTest, EveryScriptedSessionInPipeMode) {
  const std::filesystem::path folder =
      std::filesystem::path(TIDEWRACK_SOURCE_DIR) / "tests" / "scripts";
  std::vector<Script> scripts;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".play") scripts.push_back(readScript(entry.path()));
  }
  ASSERT_FALSE(scripts.empty());
  // And input nobody should type, with a save and a load between.
  Script odd;
  odd.name = "odd input";
  odd.input = std::string("\xff\0\r", 3) + std::string(10000, 'x') + "\r\nno" +
              std::string(1, '\0') +
              "rth\r\xc3\x9c"
              "ber\n\n\rsave game\nsouth\nload game\r\nkill sailor\n" +
              std::string(5000, 'a') + "\ninventory";
  scripts.push_back(odd);
  long waits = 0;
  for (const Script& script : scripts) {
    playPiped(script);
    waits += watch.step;
  }
  std::printf("%zu sessions, %ld waits for input checked, %ld after a save (%lu allocations)\n",
              scripts.size(), watch.checked, watch.saves, watch.savedAllocations);
  EXPECT_GE(waits, 300);
  EXPECT_EQ(watch.totalFindings, 0) << describeFindings();
}

TEST_F(AllocationTest, ThousandsOfCommandsOverManyGames) {
  std::remove(SAVE_FILE_NAME);
  wandererLinesLeft = 20000;
  wandererSaves = 0;
  FrontEnd frontEnd{};
  frontEnd.clearScreen = formFeedClear;
  frontEnd.readKey = wandererReadKey;
  frontEnd.keyWaiting = noKeyWaiting;
  frontEnd.readLine = wandererReadLine;
  frontEnd.write = discardOutput;
  frontEnd.clock = wandererClock;
  frontEnd.readFile = readDiskFile;
  frontEnd.replaceFile = replaceDiskFile;
  startWatch("wanderer");
  setFrontEnd(frontEnd);
  runProgram();
  flushOutput();
  std::printf("%ld waits for input checked, %ld after a save (%lu allocations)\n", watch.checked,
              watch.saves, watch.savedAllocations);
  EXPECT_GE(watch.checked, 20000);
  EXPECT_GT(wandererSaves, 0);
  EXPECT_EQ(watch.totalFindings, 0) << describeFindings();
  std::remove(SAVE_FILE_NAME);
}

}  // namespace
