// Handlers of the commands that take parameters; the loop dispatches to them.
#pragma once

void uci_position(const char* line);
void uci_setoption(char* line);
void uci_go(const char* line);
