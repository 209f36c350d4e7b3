#include "console/line_editor.hpp"

#include <histedit.h>

#include <cstdio>
#include <cstring>

namespace {

EditLine* editor = nullptr;
History* commands = nullptr;  // this run's commands, in memory only

// Enough commands to walk back through a long game; the oldest go first.
constexpr int HISTORY_SIZE = 200;

// The prompt the editor shows: the text on the cursor's line when the game
// asked for a line ("What now?  ", or a question).
char promptText[256] = "";

char* currentPrompt(EditLine* /*editor*/) { return promptText; }

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
  // A terminal left non-blocking by the program before the game: a read
  // that finds no key yet makes it blocking and waits, instead of ending.
  ::el_set(editor, EL_SAFEREAD, 1);
  ::el_set(editor, EL_PROMPT, currentPrompt);
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
  for (const char* c = line; *c != '\0' && *c != '\n' && *c != '\r'; ++c) {
    if (kept < capacity - 1) buffer[kept++] = *c;
  }
  buffer[kept] = '\0';
  return true;
}

void rememberLine(const char* line) {
  if (commands == nullptr || line[0] == '\0') return;
  HistEvent event;
  ::history(commands, &event, H_ENTER, line);
}
