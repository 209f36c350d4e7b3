#include "persistence/savefile.hpp"

#include "console/console.hpp"
#include "core/game.hpp"
#include "core/state.hpp"
#include "persistence/save_format.hpp"

void saveGame() {
  char text[SAVE_TEXT_CAPACITY];
  const std::size_t length = formatSavedGame(game, text, sizeof text);
  if (length == 0 || !replaceWholeFile(SAVE_FILE_NAME, text, length)) {
    say("The game could not be saved.\n");
    return;
  }
  say("Game saved.\n");
}

void loadGame() {
  char text[SAVE_TEXT_CAPACITY];
  const long length = readWholeFile(SAVE_FILE_NAME, text, sizeof text);
  if (length == FILE_MISSING) {
    say("There is no saved game.  Nothing was loaded.\n");
    return;
  }
  if (length == FILE_UNREADABLE) {
    say("The saved game cannot be read.  Nothing was loaded.\n");
    return;
  }
  // Everything the file does not hold stays as it is, redrawPending too, so
  // the next turn does not clear away "Game loaded.".
  GameState loaded = game;
  if (length < 0 || !parseSavedGame(text, static_cast<std::size_t>(length), loaded)) {
    say("The saved game is damaged.  Nothing was loaded.\n");
    return;
  }
  game = loaded;
  describeRoom();
  say("Game loaded.\n");
}
