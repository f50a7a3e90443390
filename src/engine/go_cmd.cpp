// The "go" command.
#include <cstdio>

#include "engine/commands.h"

void uci_go(const char* line) { std::printf("info string searching is not available yet\n"); }
