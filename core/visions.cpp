#include "console/console.hpp"
#include "console/random.hpp"
#include "core/game.hpp"
#include "core/prose.hpp"
#include "core/state.hpp"
#include "core/world.hpp"

void runVisions() {
  bool hit = randomBelow(3) == 1;
  if (hit && game.visionStage < DREAM_STAGES) {
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
