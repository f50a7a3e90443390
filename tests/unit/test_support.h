// Engine set-up for in-process tests.
#pragma once

// Runs the engine's start-up once per test binary (tables, options, hash
// tables, start position), with fixed random keys.
void engine_setup();

// Loads a position with init_board after re-seeding the key generator, so
// keys are the same in every run.
void set_position(const char* fen, unsigned seed = 12345);
