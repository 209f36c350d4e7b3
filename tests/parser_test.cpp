// The command parser: every outcome of a typed line, and the follow-up
// answers. Each case types one line through the pipe front end and looks at
// verb, noun, the rejection flag and exactly what was printed.
#include <gtest/gtest.h>

#include <string>

#include "console/console.hpp"
#include "core/state.hpp"
#include "disk/disk_files.hpp"
#include "parser/parser.hpp"
#include "tests/scripted_console.hpp"

namespace {

const std::string kPrompt = "What now?  ";

struct Parsed {
  int verb;
  int noun;
  int rejected;
  std::string printed;
};

Parsed parseNext() {
  game.commandRejected = 0;
  readCommand();
  return {game.verb, game.noun, game.commandRejected, scripted::take()};
}

// Types one line and parses it.
Parsed parse(const std::string& line) {
  resetProgramState();
  startGame();
  scripted::start(line + "\n");
  return parseNext();
}

void expectAccepted(const std::string& line, int verb, int noun) {
  SCOPED_TRACE("typed '" + line + "'");
  Parsed p = parse(line);
  EXPECT_EQ(p.verb, verb);
  EXPECT_EQ(p.noun, noun);
  EXPECT_EQ(p.rejected, 0);
  EXPECT_EQ(p.printed, kPrompt + "\n");
}

void expectRejected(const std::string& line, int verb, int noun, const std::string& message) {
  SCOPED_TRACE("typed '" + line + "'");
  Parsed p = parse(line);
  EXPECT_EQ(p.verb, verb);
  EXPECT_EQ(p.noun, noun);
  EXPECT_EQ(p.rejected, 1);
  EXPECT_EQ(p.printed, kPrompt + "\n" + message);
}

const std::string kUnknown = "You don't know those words\n";
const std::string kNeedNoun = "You need a noun.\n";
const std::string kNeedVerb = "You need a verb.\n";

TEST(ParserOutcome, EmptyLineIsWhat) { expectRejected("", 0, 0, "What?\n"); }

TEST(ParserOutcome, VerbAndObjectNoun) {
  expectAccepted("GET TORCH", 1, 28);
  expectAccepted("TAKE ROPE", 2, 29);
  expectAccepted("LIGHTHOUSE TORCHES", 11, 28);
  expectAccepted("LIG TOR", 11, 28);
  expectAccepted("DRINK WINE", 22, 37);
  expectAccepted("READ RUNES", 16, 39);
  expectAccepted("SUMMON NEPTUNE", 23, 45);
  expectAccepted("EAT MUSHROOMS", 33, 46);
  expectAccepted("LOAD GAME", 35, 0);
}

TEST(ParserOutcome, DirectionNounTurnsAnyVerbIntoGo) {
  expectAccepted("GO NORTH", 3, 1);
  expectAccepted("GET NORTH", 3, 1);
  expectAccepted("CLIMB UP", 3, 5);
  expectAccepted("DROP DOWN", 3, 6);
  expectAccepted("EXAMINE WEST", 3, 4);
  expectAccepted("JUMP SOUTH", 3, 2);
}

TEST(ParserOutcome, BareDirectionIsGo) {
  expectAccepted("NORTH", 3, 1);
  expectAccepted("NOR", 3, 1);
  expectAccepted("SOUTHWARDS", 3, 2);
  expectAccepted("EAS", 3, 3);
  expectAccepted("WEST", 3, 4);
  expectAccepted("UP", 3, 5);
  expectAccepted("DOWN", 3, 6);
  // Only the first word counts when it is no verb.
  expectAccepted("NORTH TORCH", 3, 1);
  expectAccepted("DOWN FOO BAR", 3, 6);
}

TEST(ParserOutcome, VerbWithoutNounNeedsOneUnlessItStandsAlone) {
  expectRejected("GET", 1, 0, kNeedNoun);
  expectRejected("LIGHT", 11, 0, kNeedNoun);
  expectRejected("CLIMB", 27, 0, kNeedNoun);
  expectRejected("GO", 3, 0, kNeedNoun);
  expectRejected("GO   ", 3, 0, kNeedNoun);
  expectAccepted("ENTER", 4, 0);
  expectAccepted("EXIT", 5, 0);
  expectAccepted("JUMP", 6, 0);
  expectAccepted("DIVE", 7, 0);
  expectAccepted("INVENTORY", 13, 0);
  expectAccepted("SAVE", 34, 0);
  expectAccepted("LOAD", 35, 0);
}

TEST(ParserOutcome, TypedSecondWordThatIsNoNounGoesToTheAction) {
  expectAccepted("GO NOWHERE", 3, 0);
  expectAccepted("INV FOO", 13, 0);
  expectAccepted("SAVE GAME", 34, 0);
  expectAccepted("GET T", 1, 0);
  expectAccepted("LIGHT X", 11, 0);
}

TEST(ParserOutcome, NounWithoutVerb) {
  expectRejected("TORCH", 0, 28, kNeedVerb);
  expectRejected("MUSHROOMS", 0, 46, kNeedVerb);
  expectRejected("WINE", 0, 37, kNeedVerb);
  // The second word is never looked at when the first is no verb.
  expectRejected("TORCH GET", 0, 28, kNeedVerb);
}

TEST(ParserOutcome, NeitherVerbNorNoun) {
  expectRejected("FOO TORCH", 0, 0, kUnknown);
  expectRejected("XYZZY", 0, 0, kUnknown);
  expectRejected(" ", 0, 0, kUnknown);
  expectRejected("          ", 0, 0, kUnknown);
}

TEST(ParserWords, TwoLetterWordsMatchOnlyExactly) {
  expectRejected("GOX NORTH", 0, 0, kUnknown);
  expectRejected("GOING NORTH", 0, 0, kUnknown);
  expectRejected("UPS", 0, 0, kUnknown);
  expectAccepted("GO UP", 3, 5);
  expectAccepted("GET UPS", 1, 0);  // UPS typed as a second word is no noun
}

TEST(ParserWords, OneLetterWordsAreNoWords) {
  expectRejected("N", 0, 0, kUnknown);
  expectRejected("U", 0, 0, kUnknown);
  expectRejected("E", 0, 0, kUnknown);
  expectRejected("I", 0, 0, kUnknown);
  expectRejected("G TORCH", 0, 0, kUnknown);
}

TEST(ParserWords, WordsInBothTablesAreDecidedByPosition) {
  // Alone, each is the verb, and it is not looked up again as a noun.
  expectRejected("CLOSET", 20, 0, kNeedNoun);
  expectRejected("SHIP", 26, 0, kNeedNoun);
  expectRejected("DRIFTWOOD", 22, 0, kNeedNoun);
  expectRejected("CLIFF", 27, 0, kNeedNoun);
  // Second, each is the noun.
  expectAccepted("CLOSE CLOSET", 20, 34);
  expectAccepted("SHINE SHIP", 26, 20);
  expectAccepted("DRINK DRIFTWOOD", 22, 15);
  expectAccepted("CLIMB CLIFF", 27, 38);
  expectAccepted("GET SHIP", 1, 20);
  expectAccepted("GET DRIFTWOOD", 1, 15);
  expectAccepted("EXAMINE CLIFF", 12, 38);
  expectAccepted("OPEN CLOSET", 19, 34);
}

TEST(ParserWords, OnlySpacesSeparateWords) {
  expectRejected("GET.TORCH", 1, 0, kNeedNoun);
  expectRejected("GO.", 0, 0, kUnknown);
  expectRejected("GET\tTORCH", 1, 0, kNeedNoun);
  expectRejected("\tNORTH", 0, 0, kUnknown);
  expectAccepted("GET \tTORCH", 1, 0);
  expectAccepted("NORTH\t", 3, 1);
  expectRejected("GET,TORCH", 1, 0, kNeedNoun);
}

TEST(ParserWords, LowerCaseAndSpacesAnywhere) {
  expectAccepted("get torch", 1, 28);
  expectAccepted("   get    torch   ", 1, 28);
  expectAccepted("Get Torch", 1, 28);
  expectAccepted("  north", 3, 1);
  expectAccepted("go  north  ", 3, 1);
  // Only the first two words count.
  expectAccepted("get torch rope", 1, 28);
  expectAccepted("go north south", 3, 1);
}

TEST(ParserWords, TheLineIsKeptUpperCased) {
  parse("  get Torch 9x");
  EXPECT_STREQ(inputLine, "  GET TORCH 9X");
}

TEST(ParserWords, ALongFirstWordDoesNotHideTheSecond) {
  expectAccepted("getaway" + std::string(60, 'x') + " torch", 1, 28);
}

TEST(ParserLines, CarriageReturnBeforeLineFeedIsNoPartOfTheLine) {
  resetProgramState();
  startGame();
  scripted::start("get torch\r\nnorth\r\n\r\n");
  Parsed p = parseNext();
  EXPECT_EQ(p.verb, 1);
  EXPECT_EQ(p.noun, 28);
  EXPECT_EQ(p.printed, kPrompt + "\n");
  EXPECT_STREQ(inputLine, "GET TORCH");
  p = parseNext();
  EXPECT_EQ(p.verb, 3);
  EXPECT_EQ(p.noun, 1);
  // A line of just CR LF is an empty line.
  p = parseNext();
  EXPECT_EQ(p.rejected, 1);
  EXPECT_EQ(p.printed, kPrompt + "\nWhat?\n");
}

TEST(ParserLines, CarriageReturnAndLineFeedInSeparateReads) {
  resetProgramState();
  startGame();
  // One byte per read: the line feed arrives after the line was handed over.
  scripted::start("get torch\r\njump\r\n", 1);
  Parsed p = parseNext();
  EXPECT_EQ(p.verb, 1);
  EXPECT_EQ(p.noun, 28);
  p = parseNext();  // the next line, not an empty one
  EXPECT_EQ(p.verb, 6);
  EXPECT_EQ(p.rejected, 0);
  EXPECT_EQ(p.printed, kPrompt + "\n");
}

TEST(ParserLines, AHundredCharacterLineIsReadAsItsFirst79) {
  resetProgramState();
  startGame();
  // Whole, the line would be INVENTORY NORTH; cut, it is INVENTORY alone.
  std::string line = "inventory" + std::string(70, ' ') + "north" + std::string(16, 'x');
  ASSERT_EQ(line.size(), 100U);
  scripted::start(line + "\njump\n");
  Parsed p = parseNext();
  EXPECT_EQ(p.verb, 13);
  EXPECT_EQ(p.noun, 0);
  EXPECT_EQ(p.rejected, 0);
  EXPECT_EQ(std::string(inputLine).size(), 79U);
  // The rest of the long line is never read as a command.
  p = parseNext();
  EXPECT_EQ(p.verb, 6);
  EXPECT_EQ(p.noun, 0);
  EXPECT_EQ(p.printed, kPrompt + "\n");
}

TEST(ParserLines, ALongLineOfSpacesIsNotEmpty) {
  expectRejected(std::string(100, ' '), 0, 0, kUnknown);
}

TEST(ParserLines, ALastLineWithoutLineEndStillCounts) {
  resetProgramState();
  startGame();
  scripted::start("north");
  Parsed p = parseNext();
  EXPECT_EQ(p.verb, 3);
  EXPECT_EQ(p.noun, 1);
  EXPECT_FALSE(inputEnded());
}

TEST(ParserLines, EveryCommandStartsFromNoVerbAndNoNoun) {
  resetProgramState();
  startGame();
  scripted::start("get torch\n\ntorch\n");
  parseNext();
  Parsed p = parseNext();
  EXPECT_EQ(p.verb, 0);
  EXPECT_EQ(p.noun, 0);
  p = parseNext();
  EXPECT_EQ(p.verb, 0);
  EXPECT_EQ(p.noun, 28);
}

TEST(ParserLines, EndOfInputIsNoCommand) {
  resetProgramState();
  startGame();
  scripted::start("");
  game.verb = 1;
  game.noun = 28;
  readCommand();
  scripted::take();
  EXPECT_TRUE(inputEnded());
  EXPECT_EQ(game.verb, 0);
  EXPECT_EQ(game.noun, 0);
  EXPECT_EQ(game.commandRejected, 1);
}

TEST(ParserLines, ThePromptIsOutBeforeEveryRead) {
  // Both lines arrive in one read; the second prompt must still be on the
  // screen before the second line is taken.
  resetProgramState();
  startGame();
  scripted::start("north\nsouth\n");
  readCommand();
  scripted::take();
  readCommand();
  EXPECT_EQ(scripted::output.substr(0, kPrompt.size()), kPrompt);
  EXPECT_EQ(game.noun, 2);
}

TEST(ParserLines, OutputIsOutBeforeEveryKeyRead) {
  scripted::start("a\nb\n");
  EXPECT_EQ(readKey(), 'a');
  say("Would you like to play again?\n");
  EXPECT_EQ(readKey(), 'b');
  EXPECT_EQ(scripted::output, "Would you like to play again?\n");
  scripted::take();
}

// ---- Keys typed while the previous turn was printing.

int waitingKeys = 0;
std::string printedBeforeKeys;

bool fakeKeyWaiting() { return waitingKeys > 0; }
int fakeReadKey() {
  flushOutput();
  printedBeforeKeys = scripted::output;
  --waitingKeys;
  return 'x';
}

TEST(ParserLines, TypedAheadKeysAreDroppedBeforeThePrompt) {
  resetProgramState();
  startGame();
  scripted::start("north\n");
  FrontEnd frontEnd{};
  frontEnd.clearScreen = formFeedClear;
  frontEnd.readKey = fakeReadKey;
  frontEnd.keyWaiting = fakeKeyWaiting;
  frontEnd.readLine = pipeReadLine;
  frontEnd.write = scripted::capture;
  frontEnd.clock = scripted::fixedClock;
  frontEnd.readFile = readDiskFile;
  frontEnd.replaceFile = replaceDiskFile;
  setFrontEnd(frontEnd);
  waitingKeys = 3;
  printedBeforeKeys = "unset";
  Parsed p = parseNext();
  EXPECT_EQ(waitingKeys, 0);
  EXPECT_EQ(printedBeforeKeys, "");  // all dropped before the prompt was shown
  EXPECT_EQ(p.verb, 3);
  EXPECT_EQ(p.noun, 1);
  EXPECT_EQ(p.printed, kPrompt + "\n");
}

// ---- Follow-up answers.

TEST(ParserAnswer, UpperCasedAndNotTrimmed) {
  scripted::start("goblet\n goblet\n  on  \nGOB\r\n");
  ASSERT_TRUE(readAnswer());
  EXPECT_STREQ(answerLine, "GOBLET");
  EXPECT_TRUE(answerBegins("GOB"));
  ASSERT_TRUE(readAnswer());
  EXPECT_STREQ(answerLine, " GOBLET");
  EXPECT_FALSE(answerBegins("GOB"));
  ASSERT_TRUE(readAnswer());
  EXPECT_STREQ(answerLine, "  ON  ");
  ASSERT_TRUE(readAnswer());
  EXPECT_STREQ(answerLine, "GOB");
  EXPECT_EQ(scripted::take(), "");  // an answer prints nothing
}

TEST(ParserAnswer, LongAnswerIsCutAndItsRestDropped) {
  std::string answer = std::string(79, 'a') + "ANCHOR" + std::string(15, 'b');
  scripted::start(answer + "\nanchor\n");
  ASSERT_TRUE(readAnswer());
  EXPECT_EQ(std::string(answerLine), std::string(79, 'A'));
  ASSERT_TRUE(readAnswer());
  EXPECT_STREQ(answerLine, "ANCHOR");
}

TEST(ParserAnswer, EndOfInputIsNoAnswer) {
  scripted::start("");
  EXPECT_FALSE(readAnswer());
  EXPECT_TRUE(inputEnded());
}

TEST(ParserAnswer, KeepsLettersBeyondAsciiUnchanged) {
  scripted::start("\xe9t\xc3\xa9\n");
  ASSERT_TRUE(readAnswer());
  EXPECT_STREQ(answerLine, "\xe9T\xc3\xa9");
}

}  // namespace
