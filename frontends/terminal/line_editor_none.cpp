// Built without a line-editing library: lines are typed with the terminal's
// own editing (echo, Backspace, Ctrl-U), and no history is kept.
#include "frontends/terminal/line_editor.hpp"

bool openLineEditor(TypedByteSource /*typed*/, const char*& why) {
  why = "built without it";
  return false;
}
void closeLineEditor() {}
bool lineEditorOpen() { return false; }
bool editLine(const char* /*prompt*/, char* /*buffer*/, int /*capacity*/) { return false; }
void rememberLine(const char* /*line*/) {}
