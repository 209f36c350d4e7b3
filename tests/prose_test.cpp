// Layout rules for the game's texts: how many lines each has, how wide they
// may be, how they begin and end, and the words the puzzles depend on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <string>
#include <vector>

#include "core/prose.hpp"
#include "tests/printed.hpp"

namespace {

constexpr std::size_t kScreenLine = 79;  // widest line the game prints
constexpr std::size_t kRoomLine = 78;    // widest line of a room description
constexpr std::size_t kRuleWidth = 80;

// Splits at every line end, inside a paragraph or not: each piece is a line
// as the game prints it at 80 columns. A text ending in '\n' yields a last,
// empty piece.
std::vector<std::string> splitLines(const std::string& raw) {
  const std::string text = asPrinted(raw);
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  for (;;) {
    const auto end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

// The printed lines of a text whose every line ends with '\n'.
std::vector<std::string> printedLines(const std::string& text) {
  auto lines = splitLines(text);
  lines.pop_back();
  return lines;
}

std::size_t countBreaks(const std::string& text) {
  const std::string printed = asPrinted(text);
  return static_cast<std::size_t>(std::count(printed.begin(), printed.end(), '\n'));
}

bool isPlainAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    return c == '\n' || c == SOFT_LINE_END || (c >= 0x20 && c <= 0x7e);
  });
}

std::size_t leadingBlanks(const std::string& line) {
  const auto pos = line.find_first_not_of(' ');
  return pos == std::string::npos ? line.size() : pos;
}

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool startsWith(const std::string& text, const std::string& head) {
  return text.compare(0, head.size(), head) == 0;
}

std::string lowered(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return text;
}

// The text as one line, so that words broken over two lines still match.
std::string joined(std::string text) {
  text = asPrinted(text);
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

bool containsWord(const std::string& text, const std::string& word) {
  for (auto pos = text.find(word); pos != std::string::npos; pos = text.find(word, pos + 1)) {
    const bool openBefore = pos == 0 || !std::isalpha(static_cast<unsigned char>(text[pos - 1]));
    const auto after = pos + word.size();
    const bool openAfter =
        after == text.size() || !std::isalpha(static_cast<unsigned char>(text[after]));
    if (openBefore && openAfter) return true;
  }
  return false;
}

// Text between the first pair of double quotes, or "" if there is none.
std::string quoted(const std::string& text) {
  const auto open = text.find('"');
  if (open == std::string::npos) return "";
  const auto close = text.find('"', open + 1);
  if (close == std::string::npos) return "";
  return text.substr(open + 1, close - open - 1);
}

std::size_t wordCount(const std::string& text) {
  std::size_t words = 0;
  bool inWord = false;
  for (char c : text) {
    const bool letter = std::isalpha(static_cast<unsigned char>(c)) != 0;
    if (letter && !inWord) ++words;
    inWord = letter;
  }
  return words;
}

bool isCentred(const std::string& line) {
  const std::size_t left = leadingBlanks(line);
  if (line.size() > kRuleWidth || left == line.size()) return false;
  if (line.back() == ' ') return false;
  const std::size_t right = kRuleWidth - line.size();
  return left == right || left + 1 == right || left == right + 1;
}

// A narration of `lines` printed lines, each ending in '\n', none wider than
// the screen allows and none empty unless listed in `emptyLines`.
void expectNarration(const char* text, std::size_t lines,
                     const std::vector<std::size_t>& emptyLines = {}) {
  ASSERT_NE(text, nullptr);
  const std::string s = text;
  SCOPED_TRACE(s);
  EXPECT_TRUE(isPlainAscii(s));
  EXPECT_EQ(countBreaks(s), lines);
  EXPECT_TRUE(endsWith(s, "\n"));
  const auto printed = printedLines(s);
  for (std::size_t i = 0; i < printed.size(); ++i) {
    EXPECT_LE(printed[i].size(), kScreenLine) << "line " << i;
    const bool mayBeEmpty = std::find(emptyLines.begin(), emptyLines.end(), i) != emptyLines.end();
    EXPECT_EQ(printed[i].empty(), mayBeEmpty) << "line " << i;
    if (!printed[i].empty()) {
      EXPECT_NE(printed[i].back(), ' ') << "trailing blank on line " << i;
    }
  }
}

// ---------------------------------------------------------------------------
// Rooms
// ---------------------------------------------------------------------------

// Line breaks inside each room's description.
constexpr int kRoomBreaks[41] = {
    0,                             // filler
    1, 0, 0, 0, 0, 1, 1, 1, 1, 1,  // 1..10
    1, 0, 1, 0, 0, 0, 0, 1, 1, 1,  // 11..20
    2, 1, 1, 3, 0, 1, 1, 1, 2, 0,  // 21..30
    1, 1, 1, 0, 0, 1, 1, 0, 2, 0,  // 31..40
};

TEST(RoomDescription, FillerIsASingleSpace) {
  ASSERT_NE(roomDescription[0], nullptr);
  EXPECT_STREQ(roomDescription[0], " ");
}

TEST(RoomDescription, EveryRoomFollowsYouAre) {
  const std::vector<std::string> openings = {"in ",   "inside ",  "on ",      "at ",
                                             "near ", "outside ", "floating "};
  for (int room = 1; room <= 40; ++room) {
    SCOPED_TRACE("room " + std::to_string(room));
    ASSERT_NE(roomDescription[room], nullptr);
    const std::string s = roomDescription[room];
    EXPECT_TRUE(isPlainAscii(s));
    EXPECT_TRUE(std::any_of(openings.begin(), openings.end(), [&](const std::string& w) {
      return startsWith(s, w);
    })) << s;
    EXPECT_TRUE(endsWith(s, ".")) << s;
    EXPECT_EQ(countBreaks(s), static_cast<std::size_t>(kRoomBreaks[room]));
  }
}

TEST(RoomDescription, LinesFitTheScreen) {
  const std::string youAre = "You are ";
  for (int room = 1; room <= 40; ++room) {
    SCOPED_TRACE("room " + std::to_string(room));
    const auto lines = splitLines(roomDescription[room]);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::size_t width = lines[i].size() + (i == 0 ? youAre.size() : 0);
      EXPECT_LE(width, kRoomLine) << "line " << i << ": " << lines[i];
      EXPECT_FALSE(lines[i].empty()) << "line " << i;
      if (!lines[i].empty()) {
        EXPECT_NE(lines[i].back(), ' ') << "line " << i;
      }
    }
  }
}

TEST(RoomDescription, KeepsWhatThePuzzlesNeed) {
  struct Feature {
    int room;
    std::vector<std::string> words;
  };
  const std::vector<Feature> features = {
      {1, {"shore", "east", "north", "cove"}},
      {2, {"coral reef", "fish"}},
      {3, {"reef", "wreckage"}},
      {4, {"open sea", "reef"}},
      {5, {"lagoon", "shark"}},
      {6, {"lagoon", "shark", "cave", "south"}},
      {7, {"cave", "chalk", "north wall", "skeleton", "south wall"}},
      {8, {"alcove", "chest", "initials"}},
      {9, {"beach", "red stone", "message", "carved"}},
      {10, {"cove", "waves", "flotsam"}},
      {11, {"beach", "jungle", "west", "hut", "north"}},
      {12, {"hut", "hot"}},
      {13, {"hut", "sacks", "rotten food", "shelves"}},
      {14, {"cliff", "ocean", "miles"}},
      {15, {"hill", "cliff", "jungle", "north"}},
      {16, {"jungle", "animals"}},
      {17, {"jungle", "quiet"}},
      {18, {"clearing", "temple", "vine", "west"}},
      {19, {"temple", "statue", "bearded man", "trident"}},
      {20, {"temple", "runes", "south wall"}},
      {21, {"temple", "prayer", "smoke", "altar", "goblet", "statue"}},
      {22, {"ledge", "cliff", "surf"}},
      {23, {"cave", "tunnel", "east", "north", "west"}},
      {24, {"bedroom", "plaque", "watch", "welded", "passage", "north"}},
      {25, {"store room", "supplies"}},
      {26, {"well-kept", "counter", "painted"}},
      {27, {"sign", "chart", "wall"}},
      {28, {"hall", "rubble", "hole", "west wall", "opening", "north"}},
      {29, {"south edge", "chasm", "hole", "beach", "tree", "ledge"}},
      {30, {"cave", "tunnel", "south"}},
      {31, {"cavern", "west", "stalactites"}},
      {32, {"ante room", "smell", "passage", "south"}},
      {33, {"cylindrical", "dead things", "portal", "west"}},
      {34, {"caved-in", "chute", "down"}},
      {35, {"stairway", "down"}},
      {36, {"bottom of the chasm", "stairs", "up", "west"}},
      {37, {"bottom of the cliff", "cove", "ocean", "rocks"}},
      {38, {"north edge", "chasm", "tree", "tunnel", "north"}},
      {39, {"clean", "locksmith", "closet", "east", "keys"}},
      {40, {"closet", "pegs"}},
  };
  for (const auto& feature : features) {
    SCOPED_TRACE("room " + std::to_string(feature.room));
    const std::string s = lowered(joined(roomDescription[feature.room]));
    for (const auto& word : feature.words) {
      EXPECT_NE(s.find(word), std::string::npos) << word << " in: " << s;
    }
  }
}

// ---------------------------------------------------------------------------
// Title screen
// ---------------------------------------------------------------------------

TEST(TitleScreen, Layout) {
  ASSERT_NE(titleScreen, nullptr);
  const std::string s = titleScreen;
  EXPECT_TRUE(isPlainAscii(s));
  EXPECT_FALSE(endsWith(s, "\n")) << "the last line waits for a key";

  const auto lines = splitLines(s);
  const std::string rule(kRuleWidth, '_');

  ASSERT_GE(lines.size(), 6u);
  // Title, carets, byline, edition.
  EXPECT_TRUE(isCentred(lines[0])) << lines[0];
  EXPECT_EQ(lines[0].substr(leadingBlanks(lines[0])), "Tidewrack");
  EXPECT_EQ(lines[1], std::string(leadingBlanks(lines[0]), ' ') +
                          std::string(std::string("Tidewrack").size(), '^'));
  EXPECT_TRUE(isCentred(lines[2])) << lines[2];
  EXPECT_NE(lines[2][leadingBlanks(lines[2])], '(');
  EXPECT_TRUE(isCentred(lines[3])) << lines[3];
  EXPECT_EQ(lines[3][leadingBlanks(lines[3])], '(');
  EXPECT_EQ(lines[3].back(), ')');
  EXPECT_EQ(lines[4], rule);
  EXPECT_EQ(lines[5], "");

  // Two paragraphs, each followed by an empty line.
  std::size_t i = 6;
  const auto paragraph = [&]() {
    std::string text;
    std::size_t count = 0;
    while (i < lines.size() && !lines[i].empty()) {
      text += lines[i] + "\n";
      ++count;
      ++i;
    }
    EXPECT_LT(i, lines.size());
    ++i;  // the empty line after it
    return std::make_pair(text, count);
  };
  const auto [premise, premiseLines] = paragraph();
  const auto [howTo, howToLines] = paragraph();
  EXPECT_GE(premiseLines, 5u);
  EXPECT_LE(premiseLines, 7u);
  EXPECT_GE(howToLines, 4u);
  EXPECT_LE(howToLines, 6u);

  // Rule, empty line, indented good-luck line and nothing after it.
  ASSERT_EQ(lines.size(), i + 3);
  EXPECT_EQ(lines[i], rule);
  EXPECT_EQ(lines[i + 1], "");
  const std::string& last = lines[i + 2];
  EXPECT_GT(leadingBlanks(last), 0u);
  EXPECT_LT(leadingBlanks(last), last.size());
  EXPECT_NE(lowered(last).find("luck"), std::string::npos) << last;

  for (std::size_t n = 0; n < lines.size(); ++n) {
    if (lines[n] == rule) continue;
    EXPECT_LE(lines[n].size(), kScreenLine) << "line " << n;
    EXPECT_EQ(lines[n].find('_'), std::string::npos) << "line " << n;
  }
  EXPECT_EQ(std::count(lines.begin(), lines.end(), rule), 2);

  const std::string story = lowered(joined(premise));
  for (const char* word : {"holiday", "storm", "reef", "shore"}) {
    EXPECT_NE(story.find(word), std::string::npos) << word;
  }
  for (const char* command :
       {"GO WEST", "GET TORCH", "LIGHT TORCH", "THROW AXE", "TURN SCUBA (ON)", "LIG TOR", "THR AXE",
        "NOR", "EAS", "INVENTORY", "SAVE GAME", "LOAD GAME"}) {
    // Each example stands whole on one line of the how-to-play paragraph.
    EXPECT_TRUE(containsWord(howTo, command)) << command;
  }
}

// ---------------------------------------------------------------------------
// Endings, clues and the temple
// ---------------------------------------------------------------------------

TEST(MissedShip, TwoLines) {
  expectNarration(missedShipText, 2);
  EXPECT_NE(lowered(missedShipText).find("ship"), std::string::npos);
}

TEST(Chart, TwoLinesNamingTheSummons) {
  expectNarration(chartText, 2);
  const auto lines = printedLines(chartText);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(containsWord(lines[1], "SUMMONS"));
  EXPECT_NE(lines[1].find("Neptune"), std::string::npos);
  const std::string all = lowered(joined(chartText));
  for (const char* word : {"map", "underwater cave", "lagoon", "temple"}) {
    EXPECT_NE(all.find(word), std::string::npos) << word;
  }
}

TEST(Shrine, WrongNameIsFatal) {
  expectNarration(shrineDeathText, 4, {2});
  const auto lines = printedLines(shrineDeathText);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lowered(lines[0]).find("voice"), std::string::npos);
  EXPECT_NE(lowered(lines[0]).find("boom"), std::string::npos);
  EXPECT_EQ(lines[1].front(), '"');
  EXPECT_EQ(lines[1].back(), '"');
  EXPECT_NE(lines[1].find("Neptune"), std::string::npos);
  EXPECT_NE(lowered(lines[3]).find("lightning"), std::string::npos);
}

TEST(Shrine, OfferingEndsInSuspense) {
  expectNarration(offeringText, 3, {1});
  const auto lines = printedLines(offeringText);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].front(), '"');
  EXPECT_EQ(lines[0].back(), '"');
  EXPECT_TRUE(endsWith(lines[2], "..."));
  EXPECT_GT(lines[2].size(), 3u);
}

TEST(Shrine, StatueIsFatal) { expectNarration(statueDeathText, 2); }

// ---------------------------------------------------------------------------
// Gnome fight
// ---------------------------------------------------------------------------

TEST(GnomeFight, LinesPerOutcome) {
  expectNarration(gnomeExchangeText[0], 3, {2});
  EXPECT_TRUE(endsWith(gnomeExchangeText[0], "\n\n"));
  const std::size_t lines[9] = {0, 1, 2, 1, 2, 2, 1, 2, 2};
  for (int outcome = 1; outcome <= 8; ++outcome) {
    SCOPED_TRACE("outcome " + std::to_string(outcome));
    expectNarration(gnomeExchangeText[outcome], lines[outcome]);
    EXPECT_FALSE(endsWith(gnomeExchangeText[outcome], "\n\n"));
  }
  expectNarration(gnomeExchangeText[9], 4, {2});
}

TEST(GnomeFight, BothWinningOutcomesShareOneText) {
  EXPECT_EQ(gnomeExchangeText[9], gnomeExchangeText[10]);
}

TEST(GnomeFight, OutcomesAreDistinct) {
  for (int a = 0; a <= 9; ++a) {
    for (int b = a + 1; b <= 9; ++b) {
      EXPECT_STRNE(gnomeExchangeText[a], gnomeExchangeText[b]) << a << " and " << b;
    }
  }
}

// ---------------------------------------------------------------------------
// The way home
// ---------------------------------------------------------------------------

TEST(Rescue, SunsetLayout) {
  ASSERT_NE(sunsetPassage, nullptr);
  const std::string s = sunsetPassage;
  EXPECT_TRUE(isPlainAscii(s));
  EXPECT_TRUE(startsWith(s, "\n"));
  EXPECT_FALSE(endsWith(s, "\n"));
  EXPECT_EQ(countBreaks(s), 3u);
  const auto lines = splitLines(s);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "");
  for (std::size_t i = 1; i < lines.size(); ++i) {
    EXPECT_FALSE(lines[i].empty()) << "line " << i;
    EXPECT_LE(lines[i].size(), kScreenLine) << "line " << i;
  }
  const std::string all = lowered(joined(s));
  EXPECT_NE(all.find("girl"), std::string::npos);
  EXPECT_NE(all.find("sun"), std::string::npos);
}

TEST(Rescue, CloudLayout) {
  ASSERT_NE(cloudPassage, nullptr);
  const std::string s = cloudPassage;
  EXPECT_TRUE(isPlainAscii(s));
  EXPECT_TRUE(startsWith(s, "  "));
  EXPECT_NE(s[2], ' ');
  EXPECT_FALSE(endsWith(s, "\n"));
  EXPECT_EQ(countBreaks(s), 2u);
  for (const auto& line : splitLines(s)) {
    EXPECT_FALSE(line.empty());
    EXPECT_LE(line.size(), kScreenLine) << line;
  }
  const std::string name = quoted(s);
  ASSERT_FALSE(name.empty());
  EXPECT_TRUE(std::isupper(static_cast<unsigned char>(name.front()))) << name;
  EXPECT_NE(lowered(joined(s)).find("cloud"), std::string::npos);
}

TEST(Rescue, CloudCarriesOnTheSunsetLine) {
  const auto sunset = splitLines(sunsetPassage);
  const auto cloud = splitLines(cloudPassage);
  EXPECT_LE(sunset.back().size() + cloud.front().size(), kScreenLine)
      << sunset.back() << cloud.front();
}

// ---------------------------------------------------------------------------
// Visions
// ---------------------------------------------------------------------------

TEST(Visions, SequenceLines) {
  const std::size_t lines[9] = {1, 1, 1, 1, 1, 2, 1, 1, 1};
  for (int stage = 0; stage < 9; ++stage) {
    SCOPED_TRACE("stage " + std::to_string(stage));
    expectNarration(visionSequenceText[stage], lines[stage]);
  }
}

TEST(Visions, BeachScenes) {
  expectNarration(beachSceneText[0], 2);
  expectNarration(beachSceneText[1], 1);
  expectNarration(beachSceneText[2], 2);
  EXPECT_NE(lowered(beachSceneText[1]).find("sandcastle"), std::string::npos);
  EXPECT_NE(lowered(beachSceneText[2]).find("girl"), std::string::npos);
  EXPECT_EQ(wordCount(quoted(beachSceneText[2])), 2u);
}

TEST(Visions, RoomLines) {
  expectNarration(sailorVisionText, 2);
  expectNarration(treeVisionText, 2, {1});
  EXPECT_TRUE(endsWith(treeVisionText, "\n\n"));
  expectNarration(oceanVisionText, 1);
  expectNarration(cliffVisionText, 1);
  expectNarration(deadThingsVisionText, 2);
  EXPECT_NE(lowered(sailorVisionText).find("sailor"), std::string::npos);
  EXPECT_NE(lowered(treeVisionText).find("tree"), std::string::npos);
  EXPECT_NE(lowered(oceanVisionText).find("ocean"), std::string::npos);
  EXPECT_NE(lowered(cliffVisionText).find("cliff"), std::string::npos);
  EXPECT_NE(lowered(deadThingsVisionText).find("dead things"), std::string::npos);
}

}  // namespace

// ---------------------------------------------------------------------------
// Line ends inside paragraphs
// ---------------------------------------------------------------------------

// Each stands between two words, so that the paragraph joined has one space
// there; none ends a text, so the line the game then waits on (the title's
// last, the play-again question) always starts a row of its own.
TEST(SoftLineEnds, StandBetweenTwoWords) {
  std::vector<const char*> texts = {
      titleScreen,     missedShipText,  chartText,           shrineDeathText,  offeringText,
      statueDeathText, sunsetPassage,   cloudPassage,        sailorVisionText, treeVisionText,
      oceanVisionText, cliffVisionText, deadThingsVisionText};
  texts.insert(texts.end(), gnomeExchangeText, gnomeExchangeText + EXCHANGE_OUTCOMES);
  texts.insert(texts.end(), visionSequenceText, visionSequenceText + DREAM_STAGES);
  texts.insert(texts.end(), beachSceneText, beachSceneText + BEACH_STAGES);
  texts.insert(texts.end(), roomDescription + 1, roomDescription + ROOM_COUNT + 1);
  std::size_t found = 0;
  for (const char* text : texts) {
    const std::string s = text;
    for (std::size_t at = s.find(SOFT_LINE_END); at != std::string::npos;
         at = s.find(SOFT_LINE_END, at + 1)) {
      ++found;
      ASSERT_GT(at, 0u) << s;
      ASSERT_LT(at + 1, s.size()) << s;
      EXPECT_EQ(std::string(" \n").find(s[at - 1]), std::string::npos) << s;
      EXPECT_EQ(std::string(" \n").find(s[at + 1]), std::string::npos) << s;
    }
  }
  EXPECT_GT(found, 0u);
}
