// The action handlers, one per verb group. Each reads verb, noun and the rest
// of the game state, tries its rules in order and applies the first that
// matches.
#pragma once

// Movement
void doGo();
void doEnter();
void doExit();
void doJump();
void doDive();
void doClimb();

// Carrying
void doTake();
void doDrop();
void doInventory();

// Fire and light
void doLight();
void doExtinguish();

// Examining and reading
void doExamine();
void doRead();

// The chest
void doUnlock();
void doLock();
void doOpen();
void doClose();

// The temple and the wine
void doPour();
void doDrink();
void doSummon();
void doWear();
void doRub();

// Rope and tools
void doTurn();
void doThrow();
void doTie();
void doEat();

// Combat and rescue
void doAttack();
void fightGnome();
void doGive();
