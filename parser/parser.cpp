#include "parser/parser.hpp"

#include <cstring>

#include "console/console.hpp"
#include "core/state.hpp"
#include "core/world.hpp"

char inputLine[LINE_CAPACITY];
char answerLine[LINE_CAPACITY];

namespace {

void upperCase(char* text) {
  for (; *text != '\0'; ++text) *text = toUpper(*text);
}

const char* skipSpaces(const char* at) {
  while (*at == ' ') ++at;
  return at;
}

const char* wordEnd(const char* at) {
  while (*at != '\0' && *at != ' ') ++at;
  return at;
}

// A word is known by its first three characters.
void cutWord(char* cut, const char* start, const char* end) {
  std::size_t length = static_cast<std::size_t>(end - start);
  if (length > 3) length = 3;
  std::memcpy(cut, start, length);
  cut[length] = '\0';
}

bool needsNoNoun(int verb) {
  return verb == VERB_ENTER || verb == VERB_EXIT || verb == VERB_JUMP || verb == VERB_DIVE ||
         verb == VERB_INVENTORY || verb == VERB_SAVE || verb == VERB_LOAD;
}

void reject(const char* message) {
  say(message);
  game.commandRejected = 1;
}

}  // namespace

int findWord(const char* const* words, int last, const char* word) {
  for (int index = 1; index <= last; ++index) {
    if (std::strcmp(words[index], word) == 0) return index;
  }
  return 0;
}

void readCommand() {
  game.noun = 0;
  game.verb = 0;
  while (keyWaiting()) readKey();  // keys typed while the turn was printing
  say("What now?  ");
  if (!readLine(inputLine, LINE_CAPACITY)) {
    say("\n");
    game.commandRejected = 1;
    return;
  }
  rememberCommand(inputLine);
  say("\n");
  if (inputLine[0] == '\0') {
    reject("What?\n");
    return;
  }
  upperCase(inputLine);

  const char* firstStart = skipSpaces(inputLine);
  const char* firstEnd = wordEnd(firstStart);
  const char* secondStart = skipSpaces(firstEnd);
  const char* secondEnd = wordEnd(secondStart);
  bool secondTyped = secondStart != secondEnd;

  char first[4];
  char second[4];
  cutWord(first, firstStart, firstEnd);
  cutWord(second, secondStart, secondEnd);

  game.verb = findWord(verbWords, VERB_COUNT, first);
  // Without a verb the first word may still be a noun (NORTH, TORCH).
  game.noun = findWord(nounWords, NOUN_COUNT, game.verb == 0 ? first : second);
  game.commandRejected = 0;

  if (game.verb == 0 && game.noun == 0) {
    reject("You don't know those words\n");
    return;
  }
  if (game.verb == 0 && game.noun > DOWN) {
    reject("You need a verb.\n");
    return;
  }
  if (game.noun == 0 && !needsNoNoun(game.verb) && !secondTyped) {
    reject("You need a noun.\n");
    return;
  }
  if (game.noun >= NORTH && game.noun <= DOWN) game.verb = VERB_GO;
}

bool readAnswer() {
  if (!readLine(answerLine, LINE_CAPACITY)) {
    answerLine[0] = '\0';
    return false;
  }
  upperCase(answerLine);
  return true;
}

bool answerBegins(const char* letters) {
  return std::strncmp(answerLine, letters, std::strlen(letters)) == 0;
}
