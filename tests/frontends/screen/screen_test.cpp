// The screen's layout on its own: what reaches the terminal for the game's
// text at a given width.
#include "frontends/screen/screen.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "console/console.hpp"
#include "core/prose.hpp"
#include "core/world.hpp"
#include "tests/printed.hpp"

namespace {

std::string drawn;

void capture(const char* bytes, std::size_t length) { drawn.append(bytes, length); }

std::string shown(const char* text, int columns) {
  drawn.clear();
  openScreen(capture, columns, 24);
  screenWrite(text, std::strlen(text));
  showHeldOutput();
  return drawn;
}

// The first rows of what was drawn, up to and with the rule.
std::string head(const std::string& text, const std::string& rule) {
  const std::size_t end = text.find(rule);
  return end == std::string::npos ? text : text.substr(0, end + rule.size());
}

}  // namespace

TEST(ScreenLayout, TitleAtFortyColumnsKeepsEveryCentredLineOnOneRow) {
  const std::string rule(40, '_');
  const std::string text = shown(titleScreen, 40);
  // The centred lines lose as many of their leading spaces as they must to
  // fit; the byline stays one line.
  EXPECT_EQ(head(text, rule), std::string(31, ' ') + "Tidewrack\n" + std::string(31, ' ') +
                                  "^^^^^^^^^\n" + std::string(21, ' ') + "by Tobias Wrenfield\n" +
                                  std::string(22, ' ') + "(Castaway Edition)\n" + rule);
  // An indented line whose words alone do not fit goes on at word
  // boundaries with its indentation as written.
  EXPECT_NE(
      text.find("\n     You were sailing your small boat\nacross the warm southern seas, on a\n"),
      std::string::npos);
  EXPECT_NE(text.find("\n          Good luck, castaway.  You are\ngoing to need it."),
            std::string::npos);
}

TEST(ScreenLayout, LinesThatFitAreWrittenAsTheGameWroteThem) {
  const std::string rule(80, '_');
  EXPECT_EQ(head(shown(titleScreen, 80), rule), head(titleScreen, rule));
  // Exactly the width, spaces and all.
  EXPECT_EQ(shown("      abcdefghij\n", 16), "      abcdefghij\n");
  // One cell too wide: one leading space goes.
  EXPECT_EQ(shown("      abcdefghijk\n", 16), "     abcdefghijk\n");
  // Spaces at the end of the line do not count against it.
  EXPECT_EQ(shown("      abcdefghijk   \n", 16), "     abcdefghijk\n");
  // A centred line of two words, each shorter than the row, that do not fit
  // together goes on to the next row as before.
  EXPECT_EQ(shown("   abcdefgh ijklmnop\n", 16), "   abcdefgh\nijklmnop\n");
}

// A centred line whose words fill the row exactly loses all its leading
// spaces and stays one row, at any width; one cell more goes on at word
// boundaries as written.
TEST(ScreenLayout, CentredWordsThatFillTheRowExactlyStayOneRow) {
  for (const int columns : {16, 30, 64}) {
    SCOPED_TRACE(columns);
    const int half = (columns - 1) / 2;
    const std::string words = std::string(half, 'a') + " " + std::string(columns - 1 - half, 'b');
    EXPECT_EQ(shown(("    " + words + "\n").c_str(), columns), words + "\n");
    EXPECT_EQ(shown(("    " + words + "b\n").c_str(), columns),
              "    " + std::string(half, 'a') + "\n" + std::string(columns - half, 'b') + "\n");
  }
}

// A redraw lays a typed line out row for row as the terminal showed it: the
// line editor leaves the cursor on an empty row after a line that ends at the
// last column, and the terminal's own echo does not.
TEST(ScreenLayout, ATypedLineEndingAtTheLastColumnIsRedrawnRowForRow) {
  for (const bool edited : {true, false}) {
    SCOPED_TRACE(edited ? "line editor" : "the terminal's echo");
    drawn.clear();
    openScreen(capture, 20, 24);
    screenWrite("Name? ", 6);
    showHeldOutput();
    if (edited) {
      forgetCursorLine();
      noteTypedLine("Name? ", "abcdefghijklmn");
    } else {
      noteAnsweredLine("abcdefghijklmn");
    }
    screenWrite("Next\n", 5);
    drawn.clear();
    redrawScreen(0);
    std::string rows;
    for (std::size_t at = 0; at < drawn.size(); ++at) {
      if (drawn.compare(at, 3, "\x1b[K") == 0 || drawn.compare(at, 3, "\x1b[J") == 0) {
        at += 2;
      } else {
        rows += drawn[at];
      }
    }
    EXPECT_EQ(rows, std::string("\x1b[HName? abcdefghijklmn\n") + (edited ? "\n" : "") + "Next\n");
  }
}

TEST(ScreenLayout, HeldCentredLineIsShownBeforeAWaitAndRedrawnTheSameWay) {
  // A line still open when the game waits is shown as it stands.
  EXPECT_EQ(shown("    Name? ", 40), "    Name? ");
  // Redrawn at another width, the title's byline is laid out as it is live.
  drawn.clear();
  openScreen(capture, 80, 24);
  screenWrite(titleScreen, std::strlen(titleScreen));
  showHeldOutput();
  drawn.clear();
  setScreenSize(40, 60);
  redrawScreen(0);
  EXPECT_NE(drawn.find("\x1b[K" + std::string(21, ' ') + "by Tobias Wrenfield\n"),
            std::string::npos)
      << drawn;
}

TEST(ScreenLayout, TheTitlesLastLineKeepsToOneRowWhereItsWordsFit) {
  // The title ends on an indented line, without a line end, and waits for a
  // key: where its words fit the row, it loses spaces rather than its row.
  const std::string last = "Good luck, castaway.  You are going to need it.";
  EXPECT_NE(shown(titleScreen, 54).find("\n" + std::string(7, ' ') + last), std::string::npos);
  EXPECT_NE(shown(titleScreen, 47).find("\n" + last), std::string::npos);
  EXPECT_NE(
      shown(titleScreen, 46).find("\n          Good luck, castaway.  You are going\nto need it."),
      std::string::npos);
  // And the same when the screen is drawn again at that width.
  shown(titleScreen, 80);
  drawn.clear();
  setScreenSize(54, 60);
  redrawScreen(0);
  EXPECT_NE(drawn.find("\x1b[J" + std::string(7, ' ') + last), std::string::npos);
}

TEST(ScreenLayout, AClearMovesTheRowsInUseIntoTheScrollbackAndNoneFromANewBlankScreen) {
  // A terminal that a shell wrote on: the first clear moves the whole screen
  // up, since what is on it is not known.
  drawn.clear();
  openScreen(capture, 40, 5);
  screenClear();
  EXPECT_EQ(drawn, "\x1b[5;1H\n\n\n\n\n\x1b[H\x1b[J");
  // Then only the rows the game used.
  screenWrite("one\ntwo\n", 8);
  drawn.clear();
  screenClear();
  EXPECT_EQ(drawn, "\x1b[5;1H\n\n\x1b[H\x1b[J");
  // A new, empty terminal on the page: nothing goes into the scrollback, so
  // no blank screen stands above the title there.
  drawn.clear();
  openScreen(capture, 40, 5);
  markScreenBlank();
  screenClear();
  EXPECT_EQ(drawn, "\x1b[5;1H\x1b[H\x1b[J");
}

// ---------------------------------------------------------------------------
// Paragraphs: below 80 columns each is wrapped as one, every row as full as
// whole words allow; at 80 columns and wider the text is as the game wrote it.
// ---------------------------------------------------------------------------

namespace {

std::string rows(const std::vector<std::string>& each) {
  std::string text;
  for (const std::string& row : each) text += row + "\n";
  return text;
}

// What the title shows between its two rules.
std::string betweenRules(const std::string& text, int columns) {
  const std::string rule(static_cast<std::size_t>(columns), '_');
  const std::size_t first = text.find(rule + "\n");
  const std::size_t second = text.find("\n" + rule, first + rule.size());
  if (first == std::string::npos || second == std::string::npos) return text;
  return text.substr(first + rule.size() + 1, second + 1 - (first + rule.size() + 1));
}

// A room as the display says it.
std::string youAre(int room) { return std::string("You are ") + roomDescription[room] + "\n"; }

// The way home after the mushrooms: the sunset and the cloud.
std::string wayHome() { return std::string(sunsetPassage) + cloudPassage + "\n"; }

struct Flowed {
  int columns;
  std::vector<std::string> premise, howTo, room, vision, win;
};

// Written out row by row: the next word never fits on a row.
const Flowed FLOWED[] = {
    {
        30,
        {"     You were sailing your", "small boat across the warm", "southern seas, on a holiday",
         "you had more than earned, when", "a storm came up out of nowhere",
         "and drove you onto a reef.", "The boat went down in minutes.",
         "Some time later you woke up on", "a shore that appears on no",
         "chart you have ever seen.", "Your only hope of getting home",
         "is to escape from this place,", "and to do that you must tell", "the game what to do, in",
         "commands of one or two words."},
        {"     Type commands such as GO", "WEST, GET TORCH, LIGHT TORCH,",
         "THROW AXE or TURN SCUBA (ON).", "Any word may be cut to its",
         "first three letters, so LIG", "TOR and THR AXE will do, and a",
         "single word is often enough,", "above all for directions: NOR,",
         "EAS.  INVENTORY shows what you", "are carrying, SAVE GAME saves",
         "your game and LOAD GAME picks", "it up again where you left", "off."},
        {"You are on the south edge of a", "deep chasm. Far below, a hole",
         "at the bottom opens out onto", "the beach. Across the gap, on",
         "the far ledge, a gnarled tree", "grows out of the rock."},
        {"A small girl is playing in the", "sand.  As you walk towards",
         "her, she looks up with a big", "smile and says \"Hewwo dere!\""},
        {"You and the small girl stand", "hand in hand at the ship's",
         "railing as the sun sets on the", "western horizon.  You have", "never seen anything so",
         "beautiful, and you know", "everything is going to be fine",
         "now.  The little girl points", "to a curious cloud formation",
         "and calls out \"Uncle Osric!\"", "Looking up at it, you think it",
         "might just look a little like", "you."},
    },
    {
        41,
        {"     You were sailing your small boat", "across the warm southern seas, on a",
         "holiday you had more than earned, when a", "storm came up out of nowhere and drove",
         "you onto a reef.  The boat went down in", "minutes.  Some time later you woke up on",
         "a shore that appears on no chart you have", "ever seen.  Your only hope of getting",
         "home is to escape from this place, and to", "do that you must tell the game what to",
         "do, in commands of one or two words."},
        {"     Type commands such as GO WEST, GET", "TORCH, LIGHT TORCH, THROW AXE or TURN",
         "SCUBA (ON).  Any word may be cut to its", "first three letters, so LIG TOR and THR",
         "AXE will do, and a single word is often", "enough, above all for directions: NOR,",
         "EAS.  INVENTORY shows what you are", "carrying, SAVE GAME saves your game and",
         "LOAD GAME picks it up again where you", "left off."},
        {"You are on the south edge of a deep", "chasm. Far below, a hole at the bottom",
         "opens out onto the beach. Across the gap,", "on the far ledge, a gnarled tree grows",
         "out of the rock."},
        {"A small girl is playing in the sand.  As", "you walk towards her, she looks up with a",
         "big smile and says \"Hewwo dere!\""},
        {"You and the small girl stand hand in hand", "at the ship's railing as the sun sets on",
         "the western horizon.  You have never seen", "anything so beautiful, and you know",
         "everything is going to be fine now.  The", "little girl points to a curious cloud",
         "formation and calls out \"Uncle Osric!\"", "Looking up at it, you think it might just",
         "look a little like you."},
    },
    {
        59,
        {"     You were sailing your small boat across the warm",
         "southern seas, on a holiday you had more than earned, when",
         "a storm came up out of nowhere and drove you onto a reef.",
         "The boat went down in minutes.  Some time later you woke up",
         "on a shore that appears on no chart you have ever seen.",
         "Your only hope of getting home is to escape from this",
         "place, and to do that you must tell the game what to do, in",
         "commands of one or two words."},
        {"     Type commands such as GO WEST, GET TORCH, LIGHT TORCH,",
         "THROW AXE or TURN SCUBA (ON).  Any word may be cut to its",
         "first three letters, so LIG TOR and THR AXE will do, and a",
         "single word is often enough, above all for directions: NOR,",
         "EAS.  INVENTORY shows what you are carrying, SAVE GAME",
         "saves your game and LOAD GAME picks it up again where you", "left off."},
        {"You are on the south edge of a deep chasm. Far below, a",
         "hole at the bottom opens out onto the beach. Across the",
         "gap, on the far ledge, a gnarled tree grows out of the", "rock."},
        {"A small girl is playing in the sand.  As you walk towards",
         "her, she looks up with a big smile and says \"Hewwo dere!\""},
        {"You and the small girl stand hand in hand at the ship's",
         "railing as the sun sets on the western horizon.  You have",
         "never seen anything so beautiful, and you know everything",
         "is going to be fine now.  The little girl points to a",
         "curious cloud formation and calls out \"Uncle Osric!\"",
         "Looking up at it, you think it might just look a little", "like you."},
    },
    {
        64,
        {"     You were sailing your small boat across the warm southern",
         "seas, on a holiday you had more than earned, when a storm came",
         "up out of nowhere and drove you onto a reef.  The boat went down",
         "in minutes.  Some time later you woke up on a shore that appears",
         "on no chart you have ever seen.  Your only hope of getting home",
         "is to escape from this place, and to do that you must tell the",
         "game what to do, in commands of one or two words."},
        {"     Type commands such as GO WEST, GET TORCH, LIGHT TORCH,",
         "THROW AXE or TURN SCUBA (ON).  Any word may be cut to its first",
         "three letters, so LIG TOR and THR AXE will do, and a single word",
         "is often enough, above all for directions: NOR, EAS.  INVENTORY",
         "shows what you are carrying, SAVE GAME saves your game and LOAD",
         "GAME picks it up again where you left off."},
        {"You are on the south edge of a deep chasm. Far below, a hole at",
         "the bottom opens out onto the beach. Across the gap, on the far",
         "ledge, a gnarled tree grows out of the rock."},
        {"A small girl is playing in the sand.  As you walk towards her,",
         "she looks up with a big smile and says \"Hewwo dere!\""},
        {"You and the small girl stand hand in hand at the ship's railing",
         "as the sun sets on the western horizon.  You have never seen",
         "anything so beautiful, and you know everything is going to be",
         "fine now.  The little girl points to a curious cloud formation",
         "and calls out \"Uncle Osric!\"  Looking up at it, you think it",
         "might just look a little like you."},
    },
    {
        79,
        {"     You were sailing your small boat across the warm southern seas, on a",
         "holiday you had more than earned, when a storm came up out of nowhere and drove",
         "you onto a reef.  The boat went down in minutes.  Some time later you woke up",
         "on a shore that appears on no chart you have ever seen.  Your only hope of",
         "getting home is to escape from this place, and to do that you must tell the",
         "game what to do, in commands of one or two words."},
        {"     Type commands such as GO WEST, GET TORCH, LIGHT TORCH, THROW AXE or TURN",
         "SCUBA (ON).  Any word may be cut to its first three letters, so LIG TOR and THR",
         "AXE will do, and a single word is often enough, above all for directions: NOR,",
         "EAS.  INVENTORY shows what you are carrying, SAVE GAME saves your game and LOAD",
         "GAME picks it up again where you left off."},
        {"You are on the south edge of a deep chasm. Far below, a hole at the bottom",
         "opens out onto the beach. Across the gap, on the far ledge, a gnarled tree",
         "grows out of the rock."},
        {"A small girl is playing in the sand.  As you walk towards her, she looks up",
         "with a big smile and says \"Hewwo dere!\""},
        {"You and the small girl stand hand in hand at the ship's railing as the sun sets",
         "on the western horizon.  You have never seen anything so beautiful, and you",
         "know everything is going to be fine now.  The little girl points to a curious",
         "cloud formation and calls out \"Uncle Osric!\"  Looking up at it, you think it",
         "might just look a little like you."},
    },
};

}  // namespace

TEST(ScreenParagraphs, BelowEightyColumnsEachParagraphIsWrappedAsOne) {
  for (const Flowed& at : FLOWED) {
    SCOPED_TRACE(std::to_string(at.columns) + " columns");
    EXPECT_EQ(betweenRules(shown(titleScreen, at.columns), at.columns),
              "\n" + rows(at.premise) + "\n" + rows(at.howTo) + "\n");
    // The chasm's three lines.
    EXPECT_EQ(shown(youAre(CHASM_SOUTH).c_str(), at.columns), rows(at.room));
    // The girl on the beach, in the visions.
    EXPECT_EQ(shown(beachSceneText[2], at.columns), rows(at.vision));
    EXPECT_EQ(shown(wayHome().c_str(), at.columns), "\n" + rows(at.win));
  }
}

TEST(ScreenParagraphs, AnIndentedParagraphKeepsItsIndent) {
  // A centred line shrinks its leading spaces to stay one row; the first
  // line of a paragraph goes on to the next row instead.
  EXPECT_EQ(shown("   abc\x1f"
                  "defgh\n",
                  10),
            "   abc\ndefgh\n");
  EXPECT_EQ(shown("   abc defgh\n", 10), " abc defgh\n");
}

// The game's line ends inside paragraphs reach only a front end that lays
// paragraphs out; any other gets plain line ends. Both count them as line
// ends for the line a prompt stands on.
TEST(ScreenParagraphs, OnlyAFrontEndThatLaysOutParagraphsGetsTheirLineEnds) {
  FrontEnd screen{};
  screen.write = screenWrite;
  screen.laysOutParagraphs = true;
  drawn.clear();
  openScreen(capture, 30, 24);
  setFrontEnd(screen);
  say("You are in a large cavern. Water\x1f"
      "drips from the stalactites.\x1f"
      "Tell me? ");
  char line[40];
  std::size_t shownBefore = 1;
  EXPECT_EQ(std::string(line, takeCursorLine(line, sizeof line, shownBefore)), "Tell me? ");
  EXPECT_EQ(shownBefore, 0u);
  showHeldOutput();
  EXPECT_EQ(drawn, "You are in a large cavern.\nWater drips from the\nstalactites. ");

  FrontEnd plain{};
  plain.write = capture;
  drawn.clear();
  setFrontEnd(plain);
  say("Water\x1f"
      "drips.\x1f");
  say("Tell me? ");
  EXPECT_EQ(std::string(line, takeCursorLine(line, sizeof line, shownBefore)), "Tell me? ");
  EXPECT_EQ(drawn, "Water\ndrips.\n");
  say("Water\x1f"
      "drips.\n");
  flushOutput();
  EXPECT_EQ(drawn, "Water\ndrips.\nWater\ndrips.\n");
  // A text longer than the game's output buffer, too.
  std::string longer;
  while (longer.size() < 20000) longer += "Water\x1f";
  drawn.clear();
  say(longer.c_str());
  flushOutput();
  EXPECT_EQ(drawn, asPrinted(longer));
  setFrontEnd(FrontEnd{});
}

TEST(ScreenParagraphs, AtEightyColumnsAndWiderEveryLineIsAsTheGameWroteIt) {
  for (int columns : {80, 100}) {
    SCOPED_TRACE(std::to_string(columns) + " columns");
    EXPECT_EQ(shown(titleScreen, columns), asPrinted(titleScreen));
    for (int room = 1; room <= ROOM_COUNT; ++room) {
      EXPECT_EQ(shown(youAre(room).c_str(), columns), asPrinted(youAre(room))) << room;
    }
    EXPECT_EQ(shown(beachSceneText[2], columns), asPrinted(beachSceneText[2]));
    EXPECT_EQ(shown(wayHome().c_str(), columns), asPrinted(wayHome()));
  }
}

// The key hint stands two cells after the text; when the row has no room for
// it, at the start of the next row, which a clear then leaves out of the
// scrollback and a redraw keeps free for it.
TEST(ScreenKeyHint, GoesOnTheNextRowWhenTheLastRowHasNoRoom) {
  const std::string hint = "\x1b[2m[press a key]\x1b[22m";
  // 64 columns: the title's last line takes 57 of them.
  const std::string title = shown(titleScreen, 64);
  EXPECT_EQ(title.substr(title.rfind('\n')),
            "\n          Good luck, castaway.  You are going to need it.");
  drawn.clear();
  showKeyHint();
  EXPECT_EQ(drawn, "\n" + hint + "\x1b[A\r\x1b[57C");
  drawn.clear();
  eraseKeyHint();
  EXPECT_EQ(drawn, "\x1b[B\x1b[2K\x1b[A");
  // 80 columns: beside the text.
  shown(titleScreen, 80);
  drawn.clear();
  showKeyHint();
  EXPECT_EQ(drawn, "  " + hint + "\r\x1b[57C");
  eraseKeyHint();

  // The hint never reaches the last column: five cells of text leave room
  // for it at 21 columns, not at 20.
  for (int columns : {20, 21}) {
    drawn.clear();
    openScreen(capture, columns, 5);
    screenWrite("abcde", 5);
    showKeyHint();
    eraseKeyHint();
    EXPECT_EQ(drawn, columns == 20 ? "abcde\n" + hint + "\x1b[A\r\x1b[5C\x1b[B\x1b[2K\x1b[A"
                                   : "abcde  " + hint + "\r\x1b[5C\x1b[K");
  }

  // A screen of five rows, the last one full: the hint moves the screen up
  // a row, and the clear after the key moves only the four rows of text into
  // the scrollback.
  const std::string text = "1\n2\n3\n4\nabcdefghij klmnopqrs";
  // The key comes, and the clear after it takes the four rows of text alone.
  const auto keyThenClear = [] {
    eraseKeyHint();
    drawn.clear();
    screenClear();
    return drawn;
  };
  const std::string fourRowsUp = "\x1b[5;1H\n\n\n\n\x1b[H\x1b[J";
  drawn.clear();
  openScreen(capture, 20, 5);
  markScreenBlank();
  screenWrite(text.c_str(), text.size());
  showKeyHint();
  EXPECT_EQ(drawn, text + "\n" + hint + "\x1b[A\r\x1b[20C");
  EXPECT_EQ(keyThenClear(), fourRowsUp);
  // Drawn again while the hint shows (Ctrl-L, a resize): the text ends a row
  // higher, and the hint goes below it without moving the screen.
  screenWrite(text.c_str(), text.size());
  showKeyHint();
  drawn.clear();
  redrawScreen(0);
  EXPECT_EQ(drawn, "\x1b[H\x1b[K2\n\x1b[K3\n\x1b[K4\n\x1b[Jabcdefghij klmnopqrs\n" + hint +
                       "\x1b[A\r\x1b[20C");
  EXPECT_EQ(keyThenClear(), fourRowsUp);
  // Once the game has written on past the row, the row below is its text.
  screenWrite(text.c_str(), text.size());
  showKeyHint();
  eraseKeyHint();
  screenWrite("\nmore\n", 6);
  drawn.clear();
  screenClear();
  EXPECT_EQ(drawn, "\x1b[5;1H\n\n\n\n\n\x1b[H\x1b[J");
}
