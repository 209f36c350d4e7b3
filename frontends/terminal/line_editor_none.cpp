// Built without a line-editing library: lines are typed with the terminal's
// own editing (echo, Backspace, Ctrl-U), and no history is kept.
#include "frontends/terminal/line_editor.hpp"

// Nothing to say to the player: the build said so when it was configured.
bool openLineEditor(TypedByteSource /*typed*/, const char*& why) {
  why = nullptr;
  return false;
}
void closeLineEditor() {}
bool lineEditorOpen() { return false; }
bool editLine(const char* /*prompt*/, char* /*buffer*/, int /*capacity*/) { return false; }
void rememberLine(const char* /*line*/) {}
