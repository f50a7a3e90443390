// Console commands outside UCI for testing the engine from a terminal.
#pragma once

extern bool gDoPerft;  // true while "perft" runs: every promotion is generated

void start_perft(int depth);
double perft(int depth);
void bench();
void symtestpos();
