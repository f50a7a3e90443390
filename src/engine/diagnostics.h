// Console commands outside UCI for testing the engine from a terminal.
#pragma once

void start_perft(int depth);
double perft(int depth);
void bench();
void symtestpos();
// Self-play games for the learned evaluation: "datagen games G nodes N plies P seed S file F".
void datagen(const char* args);
