#include "eval/endgame.h"

void initializeKnownEndgames() {}
