// EXAMINE and READ: the clues, the labels, the watch and the skeleton's card.
#include "actions/actions.hpp"
#include "console/console.hpp"
#include "core/prose.hpp"
#include "core/state.hpp"
#include "core/world.hpp"

namespace {

bool closetDoorBroken() { return game.exits[LOCKSMITH][EAST - 1] == CLOSET_INSIDE; }

const char* const CARD_TEXT = "It says 'Orlath, Starving Artist'.\n";
const char* const PAPER_TEXT = "It says 'HELP' in red ink.\n";

void describeChest() {
  say(game.chestLocked == 1 ? "It's locked and" : "It's unlocked and");
  say(game.chestClosed == 0 ? " open.\n" : " closed.\n");
}

void readBottleLabel() {
  say("The label reads:\n\n'NECTAR OF THE GODS'\n      CHABLIS\n      A.D. 57\n\n");
  say(nameHoldsWine() ? "It contains wine.\n" : "The bottle is empty.\n");
}

}  // namespace

void doExamine() {
  int room = game.currentRoom;
  int noun = game.noun;
  if (room == QUIET_JUNGLE && noun == NOUN_BIRD) {
    say("The small bird is not here.\n");
  } else if (room == LOCKSMITH && noun == CLOSET && !closetDoorBroken()) {
    say("It seems to be locked and bolted. You may have to break in.\n");
  } else if (room == CHART_ROOM && noun == NOUN_CHART) {
    say(chartText);
  } else if (room == BEACH && noun == RED_STONE) {
    say("There is a message carved into the stone.\n");
  } else if (room == UNDERWATER_CAVE && noun == SKELETON && locationOf(BUSINESS_CARD) == NOWHERE) {
    say("He is holding a business card.\n");
    moveObject(BUSINESS_CARD, UNDERWATER_CAVE);
  } else if (noun == BUSINESS_CARD && isAtHand(BUSINESS_CARD)) {
    say(CARD_TEXT);
  } else if (noun == CHEST && room == ALCOVE) {
    describeChest();
  } else if (room == CLIFF_TOP && noun == NOUN_CLIFF) {
    say("It is very uneven and has many small ledges and crevices.\n");
  } else if (noun == PAPER && isCarried(PAPER)) {
    say(PAPER_TEXT);
  } else if (noun == BOTTLE && isCarried(BOTTLE)) {
    readBottleLabel();
  } else if (noun == STATUE && (room == PRAYER_ROOM || room == ENTRANCE_CHAMBER)) {
    say("It is a statue of the greek god of the sea, Neptune.\n");
  } else if (noun == ROBE && isAtHand(ROBE)) {
    say("It looks like a ceremonial robe.\n");
  } else if (noun == NOUN_WATCH && room == BEDROOM) {
    sayNumber("Turn %i.\n", game.turn);
  } else if (noun == PILL && isCarried(PILL)) {
    say("The writing on the pill says: 'SPINACH TABLETS'.\n");
  } else if (noun == ANCHOR && isAtHand(ANCHOR)) {
    say("It looks heavy.\n");
  } else if (noun == AMULET && isAtHand(AMULET)) {
    say("It is carved in the form of a shark. \n");
  } else {
    say("You see nothing special.\n");
  }
}

void doRead() {
  int room = game.currentRoom;
  int noun = game.noun;
  if (room == BEACH && (noun == RED_STONE || noun == NOUN_MESSAGE)) {
    say("It says 'THE GODS ARE THIRSTY'.\n");
  } else if (room == UNDERWATER_CAVE && noun == NOUN_MESSAGE) {
    say("It says: 'Ship passes on the hundredth turn'.\n");
  } else if (noun == PAPER && isCarried(PAPER)) {
    say(PAPER_TEXT);
  } else if (noun == BUSINESS_CARD && isAtHand(BUSINESS_CARD)) {
    say(CARD_TEXT);
  } else if (room == PREPARATION_CHAMBER && noun == NOUN_RUNES) {
    say("May all creatures of Neptune's domain be your companions.\n");
  } else {
    cant("%s read that!\n");
  }
}
