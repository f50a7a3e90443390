// The command loop: reads UCI and console commands from standard input and
// executes them, also re-entrantly while a search polls for input.
#pragma once

#include "search/control.h"

void Loop();
void LoopCall();
void GetString(char* buf, int size);
