// The saved game as text: a game written out as the save file's bytes, and
// those bytes read back into a game. Nothing here touches a disk; where the
// bytes are kept is the console's business.
#pragma once
#include <cstddef>

#include "core/state.hpp"

// More than any game that can be saved needs, with room to spare for a
// hand-edited file's blanks. LOAD refuses a larger file as damaged.
inline constexpr std::size_t SAVE_TEXT_CAPACITY = 8192;

// True when every value a save holds lies where play can put it. The loader
// takes nothing else, and the saver writes nothing else, so whatever is saved
// loads back.
bool isSavableGame(const GameState& state);

// Writes the game as the text of a save file, with this platform's line
// ends. Its length, or 0 when the game cannot be saved (a value outside what
// play can give it) or the text does not fit.
std::size_t formatSavedGame(const GameState& state, char* text, std::size_t capacity);

// Reads the text of a save file into loaded, field by field. True only when
// the whole text is a game that play could have reached; otherwise loaded is
// left part-way and must be thrown away. What a save does not hold is left
// as loaded had it.
bool parseSavedGame(const char* text, std::size_t length, GameState& loaded);
