// The screen's layout on its own: what reaches the terminal for the game's
// text at a given width.
#include "frontends/screen/screen.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/prose.hpp"

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
