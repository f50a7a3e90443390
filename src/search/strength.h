// Playing below full strength at a level given in Elo (UCI_Elo). Three
// things weaken the search, their numbers fitted against a reference
// engine's own levels (tools/fit_strength.py): a node budget, piece values
// drawn at random for some searches, and four evaluation weights drawn from
// a range that narrows to their own values as the level rises.
#pragma once

#include <cstdint>

constexpr int kWeakestElo = 1000, kStrongestElo = 2800;  // the option's range
// The engine's own strength on the reference's scale, playing alone: the
// levels from there up all play at full strength.
constexpr int kFullStrengthElo = 2200;

std::int64_t strength_node_budget(int elo);  // 0 (none) at full strength
// Percent chance that a piece value is drawn for a search.
int strength_piece_draw_chance(int elo);
// The range of the drawn weights, on the options' scale (100 is normal).
struct PercentRange {
  int lo, hi;
};
PercentRange strength_weight_range(int elo);

// Draws the values for the next search at OptionUci.elo.
void RandomizeEvalFeatures();
// Back to the options' own piece values and weights.
void end_weakened_play();
