// The one saved game, a text file in the working directory.
#pragma once

inline constexpr const char* SAVE_FILE_NAME = "Kestle_save.txt";

// SAVE: writes the whole game to the save file and says "Game saved.". The
// new file is written beside the old one and only then put in its place, so
// a save that fails part way keeps the previous saved game; the player is
// told that nothing was saved.
void saveGame();

// LOAD: reads the save file, and only when all of it is a game that play
// could have reached does it replace the current game, show the room and
// say "Game loaded.". A missing, unreadable or damaged file leaves the game
// exactly as it was and says that nothing was loaded.
void loadGame();
