// Boards for tests that check a property over many positions.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "movegen/move.h"

// Calls visit for each of a set of hand-picked positions (promotions, en
// passant, castling, discovered and direct checks for both colours) and for
// every position met along random games played from them with a fixed seed.
// The board is the engine's global position; visit must leave it unchanged.
// Returns the number of positions visited.
int for_each_corpus_position(const std::function<void()>& visit);

// The current position as FEN text, for failure messages.
std::string board_fen();

// A move as text, e.g. "e7e8q".
std::string move_text(const move& m);

// Identity of a generated move for comparing lists as multisets: origin,
// destination, promotion kind, flags and (optionally) the ordering score.
struct MoveKey {
  int from, to, promote, bits, score;
  auto operator<=>(const MoveKey&) const = default;
};

// The entries of the current level, sorted; score 0 unless with_score.
std::vector<MoveKey> level_keys(bool with_score);
