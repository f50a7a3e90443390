// The command loop: reads UCI and console commands from standard input and
// executes them, also re-entrantly while a search polls for input.
#pragma once

#include "search/control.h"

void Loop();
// Runs one command line instead of the loop; the exit status: 0, or 1 for a
// line that is no command.
int run_command_line(char* line);
void LoopCall();
void GetString(char* buf, int size);
