// Engine set-up and board helpers for in-process tests.
#pragma once

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "board/move.h"
#include "board/types.h"

// The engine's start-up, once per test binary, with fixed random keys.
void engine_setup();

// Loads a position with init_board after re-seeding the key generator, so
// keys are the same in every run. A rejected text is a test failure.
void set_position(const char* fen, unsigned seed = 12345);

// Square index from its name: "a8" = 0, "h1" = 63.
int sq(const char* name);

// A move as a hash move or killer holds it: the kind now on from, no promotion.
move board_move(int from, int to, int bits = 0);
inline move board_move(const char* from, const char* to) { return board_move(sq(from), sq(to)); }

// The entries of the current level of the move stack, in generation order.
std::vector<gen_entry> level_moves();

// The moves of the current level that makemove accepts (each made and taken back).
std::vector<move> legal_level_moves();

// Plays the legal move written as text ("g1f3", "e7e8q"); false when there is none.
bool play(const char* text);

// Plays a legal move chosen by rng; false when there is none.
bool play_random_move(std::mt19937& rng);

// Attacks of that kind on sq over occ by walking the board: the reference for the tables.
u64 walk_attacks(int kind, int sq, u64 occ, int pawn_color = WHITE);

// Calls visit for each of a set of hand-picked positions (promotions, en
// passant, castling, discovered and direct checks for both colours) and for
// every position met along random games played from them with a fixed seed.
// visit must leave the board unchanged. Returns the number of positions visited.
int for_each_corpus_position(const std::function<void()>& visit);

std::string board_fen();  // for failure messages

std::string move_text(const move& m);  // "e7e8q"; castling as the engine writes it

// Killers, counter moves and history as at the start of a search.
void reset_ordering_tables();

// Perft of fen to each depth whose expected count is at most limit (every
// depth with CORVANTIS_DEEP_PERFT=1), with every promotion generated as the
// "perft" command does; the position must be left as it was.
void expect_perft_counts(const char* fen, const std::vector<double>& nodes, double limit);

// UCI_Chess960 on for the scope: X-FEN and Shredder-FEN castling letters, and
// castling written as the king taking its own rook.
struct Chess960Mode {
  Chess960Mode();
  ~Chess960Mode();
};

// The colour mirror of a FEN: ranks reversed, colours and the side to move
// swapped, castling letters and the en-passant square mirrored too.
std::string mirrored(const std::string& fen);
