#include "tests/harness.hpp"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "app/loop.hpp"
#include "console/console.hpp"
#include "core/game.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "disk/disk_files.hpp"
#include "frontends/pipe/pipe_console.hpp"
#include "persistence/save_format.hpp"
#include "persistence/savefile.hpp"

namespace {

// ---- The scripted front end: input lines handed out one read at a time.

std::string feed;
std::size_t feedPosition = 0;
std::string captured;
std::uint32_t fixedClock = 1000;
void (*beforeEachRead)() = nullptr;

std::size_t scriptSource(char* buffer, std::size_t capacity) {
  if (beforeEachRead != nullptr) beforeEachRead();
  if (feedPosition >= feed.size()) return 0;
  // One line per read, so that a script can look at the game between lines.
  std::size_t end = feed.find('\n', feedPosition);
  end = end == std::string::npos ? feed.size() : end + 1;
  std::size_t length = std::min(capacity, end - feedPosition);
  std::memcpy(buffer, feed.data() + feedPosition, length);
  feedPosition += length;
  return length;
}

void captureOutput(const char* text, std::size_t length) { captured.append(text, length); }
std::uint32_t scriptClock() { return fixedClock; }

int runCaptured(const std::string& input, std::uint32_t clock) {
  feed = input;
  feedPosition = 0;
  captured.clear();
  fixedClock = clock;
  connectPipeInput(scriptSource);
  FrontEnd frontEnd{};
  frontEnd.clearScreen = formFeedClear;
  frontEnd.readKey = pipeReadKey;
  frontEnd.keyWaiting = pipeKeyWaiting;
  frontEnd.readLine = pipeReadLine;
  frontEnd.write = captureOutput;
  frontEnd.clock = scriptClock;
  frontEnd.readFile = readDiskFile;
  frontEnd.replaceFile = replaceDiskFile;
  setFrontEnd(frontEnd);
  int status = runProgram();
  flushOutput();
  return status;
}

// ---- Scripts.

struct Step {
  std::string input;      // the line typed
  bool hasInput = false;  // false for the expectations before the first line
  int lineNumber = 0;
  std::vector<std::pair<int, std::string>> checks;  // line number, check text
};

struct ScriptRun {
  std::string name;
  std::vector<Step> steps;
  std::size_t current = 0;      // the step whose output is being gathered
  std::size_t outputStart = 0;  // where that output starts in captured
  std::vector<std::string> failures;
};

ScriptRun* running = nullptr;

int fieldValue(const std::string& field, std::istringstream& args, bool& known) {
  known = true;
  if (field == "room") return game.currentRoom;
  if (field == "turn") return game.turn;
  if (field == "carried") return game.carriedCount;
  if (field == "matches") return game.matchesLeft;
  if (field == "matchLit") return game.matchLit;
  if (field == "matchTurns") return game.matchTurns;
  if (field == "torchLit") return game.torchLit;
  if (field == "torchFuel") return game.torchFuel;
  if (field == "scubaAir") return game.scubaAir;
  if (field == "scubaOn") return game.scubaOn;
  if (field == "chestLocked") return game.chestLocked;
  if (field == "chestClosed") return game.chestClosed;
  if (field == "birdSeen") return game.birdSeen;
  if (field == "gameOver") return game.gameOver;
  if (field == "visionStage") return game.visionStage;
  if (field == "location") {
    int object = 0;
    args >> object;
    if (object >= 0 && object < OBJECT_COUNT) return game.objectLocation[object];
  }
  if (field == "exit") {
    int room = 0;
    int direction = 0;
    args >> room >> direction;
    if (room >= 0 && room <= ROOM_COUNT && direction >= 1 && direction <= DIRECTION_COUNT) {
      return game.exits[room][direction - 1];
    }
  }
  known = false;
  return 0;
}

std::string where(const ScriptRun& run, int line) {
  return run.name + ":" + std::to_string(line) + ": ";
}

void checkStep(ScriptRun& run, const Step& step, const std::string& output) {
  std::vector<std::string> lines = screenLines(output);
  for (const auto& [line, check] : step.checks) {
    std::string kind = check.substr(0, check.find(' '));
    std::string text = check.size() > kind.size() + 1 ? check.substr(kind.size() + 1) : "";
    bool ok = true;
    std::string detail;
    if (kind == "=") {
      ok = std::find(lines.begin(), lines.end(), text) != lines.end();
    } else if (kind == "~") {
      try {
        std::regex pattern(text);
        ok = std::any_of(lines.begin(), lines.end(),
                         [&](const std::string& l) { return std::regex_match(l, pattern); });
      } catch (const std::regex_error&) {
        ok = false;
        detail = "not a valid regular expression";
      }
    } else if (kind == "!") {
      ok = output.find(text) == std::string::npos;
    } else if (kind == "|") {
      // A block: this and the following "|" checks are consecutive lines.
      continue;
    } else if (kind == "clear") {
      ok = output.find('\f') != std::string::npos;
    } else if (kind == "noclear") {
      ok = output.find('\f') == std::string::npos;
    } else if (kind == "@") {
      std::istringstream args(text);
      std::string field;
      args >> field;
      bool known = false;
      int actual = fieldValue(field, args, known);
      int expected = 0;
      args >> expected;
      if (!known) {
        ok = false;
        detail = "unknown field '" + field + "'";
      } else if (actual != expected) {
        ok = false;
        detail = field + " is " + std::to_string(actual);
      }
    } else if (kind == "name") {
      std::istringstream args(text);
      int object = 0;
      args >> object;
      std::string expected;
      std::getline(args >> std::ws, expected);
      ok = object >= 0 && object < OBJECT_COUNT && expected == game.objectName[object];
      if (!ok && object >= 0 && object < OBJECT_COUNT) {
        detail = std::string("name is '") + game.objectName[object] + "'";
      }
    } else {
      ok = false;
      detail = "unknown check";
    }
    if (!ok) {
      run.failures.push_back(where(run, line) + "expected " + check +
                             (detail.empty() ? "" : " (" + detail + ")") + "\n--- output after '" +
                             step.input + "' ---\n" + output + "\n---");
    }
  }
  // Blocks of "|" lines.
  std::vector<std::string> block;
  int blockLine = 0;
  auto finishBlock = [&]() {
    if (block.empty()) return;
    bool found = false;
    for (std::size_t start = 0; start + block.size() <= lines.size() && !found; ++start) {
      found = std::equal(block.begin(), block.end(), lines.begin() + static_cast<long>(start));
    }
    if (!found) {
      std::string wanted;
      for (const auto& l : block) wanted += "| " + l + "\n";
      run.failures.push_back(where(run, blockLine) + "expected the lines\n" + wanted +
                             "--- output after '" + step.input + "' ---\n" + output + "\n---");
    }
    block.clear();
  };
  for (const auto& [line, check] : step.checks) {
    if (check.rfind("| ", 0) == 0 || check == "|") {
      if (block.empty()) blockLine = line;
      block.push_back(check.size() > 2 ? check.substr(2) : "");
    } else {
      finishBlock();
    }
  }
  finishBlock();
}

void checkCurrentStep() {
  ScriptRun& run = *running;
  if (run.current >= run.steps.size()) return;
  checkStep(run, run.steps[run.current], captured.substr(run.outputStart));
}

// What must hold between any two commands of any game: every value where
// the loader would take it (so that the game can always be saved), and the
// carried count equal to the things in the hands. "" when all holds.
std::string brokenInvariant() {
  if (!isSavableGame(game)) return "the game holds a value that no save can carry";
  int inHands = 0;
  for (int object = FIRST_OBJECT; object <= LAST_OBJECT; ++object) {
    if (game.objectLocation[object] == CARRIED) ++inHands;
  }
  if (game.carriedCount != inHands) {
    return "the carried count is " + std::to_string(game.carriedCount) + " with " +
           std::to_string(inHands) + " things in the hands";
  }
  return "";
}

// Called whenever the game wants another input line: everything the previous
// line caused has been printed, and the game waits with its state settled.
void scriptStepReached() {
  ScriptRun& run = *running;
  checkCurrentStep();
  if (run.current < run.steps.size()) {
    const std::string broken = brokenInvariant();
    if (!broken.empty()) {
      const Step& step = run.steps[run.current];
      run.failures.push_back(where(run, step.lineNumber) + broken + " after '" + step.input + "'");
    }
  }
  run.current += 1;
  run.outputStart = captured.size();
}

}  // namespace

std::vector<std::string> screenLines(const std::string& output) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : output) {
    if (c == '\f') continue;
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

Session playSession(const std::string& input, std::uint32_t clock) {
  beforeEachRead = nullptr;
  Session session;
  session.status = runCaptured(input, clock);
  session.output = captured;
  return session;
}

namespace {

// A script read into its steps, the lines it types and its clock.
struct ParsedScript {
  std::vector<Step> steps;
  std::string input;
  std::uint32_t clock = 1000;
};

ParsedScript parseScript(const std::string& text) {
  ParsedScript script;
  script.steps.emplace_back();
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("< ", 0) == 0 || line == "<") {
      Step step;
      step.input = line.size() > 2 ? line.substr(2) : "";
      step.hasInput = true;
      step.lineNumber = number;
      script.steps.push_back(step);
      script.input += step.input + "\n";
    } else if (line.rfind("clock ", 0) == 0) {
      script.clock = static_cast<std::uint32_t>(std::stoul(line.substr(6)));
    } else {
      script.steps.back().checks.emplace_back(number, line);
    }
  }
  return script;
}

std::string readText(const std::string& path, bool& found) {
  std::ifstream file(path);
  found = static_cast<bool>(file);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace

std::vector<std::string> runPlayScriptText(const std::string& text, const std::string& name) {
  ParsedScript script = parseScript(text);
  ScriptRun run;
  run.name = name;
  run.steps = std::move(script.steps);
  const std::string& input = script.input;
  const std::uint32_t clock = script.clock;
  std::remove(SAVE_FILE_NAME);  // every script starts without a saved game
  running = &run;
  beforeEachRead = scriptStepReached;
  runCaptured(input, clock);
  beforeEachRead = nullptr;
  // The output after the last line, up to the end of the program.
  checkCurrentStep();
  running = nullptr;
  if (run.current + 1 < run.steps.size()) {
    run.failures.push_back(where(run, run.steps[run.current + 1].lineNumber) +
                           "the game ended before this line was read");
  }
  return run.failures;
}

std::vector<std::string> runPlayScript(const std::string& path) {
  bool found = false;
  const std::string text = readText(path, found);
  if (!found) return {path + ": cannot be read"};
  std::string name = path.substr(path.find_last_of('/') + 1);
  return runPlayScriptText(text, name);
}

Session playScriptInput(const std::string& path) {
  bool found = false;
  const ParsedScript script = parseScript(readText(path, found));
  return playSession(script.input, script.clock);
}
