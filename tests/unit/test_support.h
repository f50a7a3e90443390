// Engine set-up for in-process tests.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "board/types.h"
#include "movegen/move.h"

// Runs the engine's start-up once per test binary (tables, options, hash
// tables, start position), with fixed random keys.
void engine_setup();

// Loads a position with init_board after re-seeding the key generator, so
// keys are the same in every run.
void set_position(const char* fen, unsigned seed = 12345);

// Square index from its name: "a8" = 0, "h1" = 63.
int sq(const char* name);

// The entries of the current level of the move stack, in generation order.
std::vector<gen_entry> level_moves();

// The moves of the current level that makemove accepts (each made and taken back).
std::vector<move> legal_level_moves();

// Generates the current level and returns the move from -> to (with that
// promotion kind); u == 0 when it is not generated.
move generated_move(int from, int to, int promote = EMPTY);

// Generates and plays one legal move chosen by rng; false (nothing played)
// when there is none.
bool play_random_move(std::mt19937& rng);

// Attack set of a piece of that kind on sq over occ, found by walking the
// board square by square; the reference for the table lookups.
u64 walk_attacks(int kind, int sq, u64 occ, int pawn_color = WHITE);

// Every promotion is generated while perft mode is on, as the "perft" command does.
struct PerftMode {
  PerftMode();
  ~PerftMode();
};
