#include "frontends/terminal/line_editor.hpp"

#include <histedit.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "frontends/pipe/pipe_console.hpp"
#include "frontends/screen/screen.hpp"
#include "frontends/terminal/terminal_console.hpp"

namespace {

EditLine* editor = nullptr;
History* commands = nullptr;  // this run's commands, in memory only

// Enough commands to walk back through a long game; the oldest go first.
constexpr int HISTORY_SIZE = 200;

// The prompt the editor shows: the text on the cursor's line when the game
// asked for a line ("What now?  ", or a question).
char promptText[256] = "";

char* currentPrompt(EditLine* /*editor*/) { return promptText; }

// The rows the prompt and the line being typed take.
int rowsOfLine() {
  const LineInfo* line = ::el_line(editor);
  const long cells = static_cast<long>(std::strlen(promptText)) + (line->lastchar - line->buffer);
  return static_cast<int>(cells / screenColumns()) + 1;
}

// The screen drawn again, then the prompt and the line with the cursor
// where it was.
void redrawAll() {
  ::el_resize(editor);
  redrawScreen(rowsOfLine() - 1);
  ::el_set(editor, EL_REFRESH);
}

// Ctrl-L.
unsigned char redrawKey(EditLine* /*editor*/, int /*key*/) {
  redrawAll();
  return CC_NORM;
}

// The editor's keys come from here: a wait that redraws the screen after a
// resize or fg, then one byte, given to the editor as one character. A
// terminal left non-blocking by the program before the game is waited on
// like any other, never taken for the end of input.
int readCharacter(EditLine* /*editor*/, wchar_t* character) {
  for (;;) {
    waitForKeyboard(redrawAll);
    unsigned char byte = 0;
    const ssize_t got = ::read(STDIN_FILENO, &byte, 1);
    if (got == 1) {
      *character = static_cast<wchar_t>(byte);
      return 1;
    }
    if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    *character = L'\0';
    return got == 0 ? 0 : -1;
  }
}

}  // namespace

bool openLineEditor() {
  if (editor != nullptr) return true;
  editor = ::el_init("tidewrack", stdin, stdout, stderr);
  if (editor == nullptr) return false;
  commands = ::history_init();
  if (commands != nullptr) {
    HistEvent event;
    ::history(commands, &event, H_SETSIZE, HISTORY_SIZE);
    ::history(commands, &event, H_SETUNIQUE, 1);
    ::el_set(editor, EL_HIST, ::history, commands);
  }
  ::el_set(editor, EL_EDITOR, "emacs");
  // The game's own signal handlers put the terminal back on every way out.
  ::el_set(editor, EL_SIGNAL, 0);
  ::el_set(editor, EL_PROMPT, currentPrompt);
  ::el_set(editor, EL_GETCFN, readCharacter);
  // Ctrl-L draws the whole screen again rather than leave only the prompt.
  // (Named in wide characters: the narrow call leaves copies of the names
  // that the editor never frees.)
  ::el_wset(editor, EL_ADDFN, L"redraw-screen", L"Draw the screen again", redrawKey);
  ::el_set(editor, EL_BIND, "^L", "redraw-screen", nullptr);
  // The keys a shell user expects: Ctrl-W rubs out the word before the
  // cursor, Ctrl-U the whole line.
  ::el_set(editor, EL_BIND, "^W", "ed-delete-prev-word", nullptr);
  ::el_set(editor, EL_BIND, "^U", "em-kill-line", nullptr);
  return true;
}

void closeLineEditor() {
  if (editor != nullptr) ::el_end(editor);
  if (commands != nullptr) ::history_end(commands);
  editor = nullptr;
  commands = nullptr;
}

bool lineEditorOpen() { return editor != nullptr; }

bool editLine(const char* prompt, const char* typedAhead, char* buffer, int capacity) {
  std::snprintf(promptText, sizeof promptText, "%s", prompt);
  ::el_resize(editor);  // the window may have changed size since the last line
  if (typedAhead[0] != '\0') ::el_push(editor, typedAhead);
  int count = 0;
  const char* line = ::el_gets(editor, &count);
  if (line == nullptr || count <= 0) return false;
  int kept = 0;
  char shown[256];
  std::size_t shownLength = 0;
  for (const char* c = line; *c != '\0' && *c != '\n' && *c != '\r'; ++c) {
    if (kept < capacity - 1) buffer[kept++] = *c;
    if (shownLength < sizeof shown - 1) shown[shownLength++] = *c;
  }
  buffer[kept] = '\0';
  shown[shownLength] = '\0';
  if (screenIsOpen()) noteTypedLine(promptText, shown);
  return true;
}

void rememberLine(const char* line) {
  if (commands == nullptr || line[0] == '\0') return;
  HistEvent event;
  ::history(commands, &event, H_ENTER, line);
}
