// Console commands outside UCI for testing the engine from a terminal.
#pragma once

void start_perft(int depth);
double perft(int depth);
void bench();
void symtestpos();
