// The one record of everything that changes while the game is played.
#pragma once
#include <cstdint>

#include "core/world.hpp"

inline constexpr int NAME_CAPACITY = 80;  // room for 79 characters and the terminator

struct GameState {
  std::int32_t visionStage;
  std::int32_t quitRequested;
  // From currentRoom to gameOver the fields form one run, in the order the
  // save file writes them.
  std::int32_t currentRoom;
  std::int32_t matchesLeft;
  std::int32_t turn;
  std::int32_t chestLocked;
  std::int32_t chestClosed;
  std::int32_t scubaAir;
  std::int32_t scubaOn;
  std::int32_t carriedCount;
  std::int32_t matchLit;
  std::int32_t matchTurns;
  std::int32_t torchLit;
  std::int32_t torchFuel;
  std::int32_t birdSeen;
  std::int32_t gameOver;
  std::int32_t verb;
  std::int32_t noun;
  std::int32_t redrawPending;
  std::int32_t commandRejected;
  std::uint8_t exits[ROOM_COUNT + 1][DIRECTION_COUNT];
  std::int8_t objectLocation[OBJECT_COUNT];
  char objectName[OBJECT_COUNT][NAME_CAPACITY];
};

extern GameState game;

// The state of a freshly started program: start values everywhere, visions
// not begun.
void resetProgramState();

// The fifteen values a new game starts from (everything but visionStage and
// the command fields).
void setNewGameValues();

// Fills the exits, object locations and object names from the world tables.
void startGame();

// Gives an object a new display name (copied; the object owns its text).
void renameObject(int object, const char* name);

// Three puzzle states live only in the wording of a name.
bool nameIsEmptyBottle();  // "An empty bottle"
bool nameHoldsWine();      // "A bottle of wine"
bool gobletIsFull();       // "A goblet full of wine"

// Small readable tests on object locations.
inline int locationOf(int object) { return game.objectLocation[object]; }
inline bool isCarried(int object) { return game.objectLocation[object] == CARRIED; }
inline bool isHere(int object) { return game.objectLocation[object] == game.currentRoom; }
inline bool isAtHand(int object) { return isCarried(object) || isHere(object); }

// Puts an object somewhere else: a room, NOWHERE, CARRIED or WORN. The only
// way play moves an object, so that the count of things in the hands goes
// up as one is taken into them and down as one leaves them.
void moveObject(int object, int location);
