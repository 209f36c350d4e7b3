#include "persistence/savefile.hpp"

#include "console/console.hpp"

// Saving and loading come with the save-file work; for now they only say so.
void saveGame() { say("The game cannot be saved yet.\n"); }
void loadGame() { say("No game was loaded.\n"); }
