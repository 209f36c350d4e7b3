// GIVE: the gold for a passage home.
#include "actions/actions.hpp"
#include "console/console.hpp"
#include "core/prose.hpp"
#include "core/state.hpp"
#include "core/world.hpp"

void doGive() {
  if (game.noun != GOLD) {
    cant("%s give that!\n");
  } else if (game.currentRoom == SHORE && locationOf(SHIP) == SHORE && isCarried(GOLD)) {
    clearScreen();
    say("The sailor chuckles and says \"Welcome aboard mate!\"\n"
        "You board the ship and set sail for home!\n");
    if (locationOf(MUSHROOMS) == NOWHERE) say(sunsetPassage);
    say(cloudPassage);
    say("\n\nCONGRATULATIONS, YOU HAVE SOLVED THE ADVENTURE!\n");
    game.gameOver = 1;
    readKey();
  } else {
    cant("%s give the gold...yet.\n");
  }
}
