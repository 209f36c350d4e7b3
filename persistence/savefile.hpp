// The one saved game, a text file in the working directory.
#pragma once

inline constexpr const char* SAVE_FILE_NAME = "Kestle_save.txt";

void saveGame();
void loadGame();
