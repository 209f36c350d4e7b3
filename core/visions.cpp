#include "console/console.hpp"
#include "console/random.hpp"
#include "core/game.hpp"
#include "core/world.hpp"

namespace {
constexpr int LAST_SEQUENCE_STAGE = 8;
constexpr int FIRST_BEACH_STAGE = 9;
constexpr int VISIONS_DONE = 12;
}  // namespace

void runVisions() {
  bool hit = randomBelow(3) == 1;
  if (hit && game.visionStage <= LAST_SEQUENCE_STAGE) {
    say(visionSequenceText[game.visionStage]);
    game.visionStage += 1;
    say("\n");
    return;
  }
  int room = game.currentRoom;
  if (room == CHASM_NORTH) say(treeVisionText);
  if (room == SHORE && hit && locationOf(SAILOR) == SHORE) say(sailorVisionText);
  bool onBeach = room == SHORE || room == BEACH || room == COVE;
  if (onBeach && !hit && game.visionStage >= FIRST_BEACH_STAGE && game.visionStage < VISIONS_DONE) {
    say(beachSceneText[game.visionStage - FIRST_BEACH_STAGE]);
    game.visionStage += 1;
  }
  if (room == CLIFF_TOP) say(oceanVisionText);
  if (room == LEDGE) say(cliffVisionText);
  if (room == GNOME_ROOM) say(deadThingsVisionText);
  say("\n");
}
