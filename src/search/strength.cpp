#include "search/strength.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "eval/weights.h"
#include "options/options.h"

namespace {

// budget = e^((elo - kBudgetOffset) / kBudgetScale), fitted by tools/fit_strength.py
constexpr double kBudgetOffset = 550.4;
constexpr double kBudgetScale = 131.4;

constexpr const char* kDrawnWeights[] = {"MobilityWeight", "KingAttackWeight", "PassedPawnWeightOp",
                                         "PassedPawnWeightEn"};

// The option's own value, clamped as "setoption" clamps it.
int option_value(const PieceValueOption& p) { return std::clamp(OptionGetInt(p.name), p.lo, p.hi); }

// A uniform draw from lo..hi.
int draw(int lo, int hi) { return lo + std::rand() % (hi - lo + 1); }

int clamp_level(int elo) { return std::clamp(elo, kWeakestElo, kFullStrengthElo); }

// How far a level lies below full strength, 0 at and above it.
constexpr int kSpan = kFullStrengthElo - kWeakestElo;
int below_full(int elo) { return kFullStrengthElo - clamp_level(elo); }

}  // namespace

std::int64_t strength_node_budget(int elo) {
  if (below_full(elo) == 0) return 0;
  const double nodes = std::exp((clamp_level(elo) - kBudgetOffset) / kBudgetScale);
  return nodes < 1 ? 1 : static_cast<std::int64_t>(nodes);
}

int strength_piece_draw_chance(int elo) { return 65 * below_full(elo) / kSpan; }

PercentRange strength_weight_range(int elo) {
  return {100 - 75 * below_full(elo) / kSpan, 100 + 900 * below_full(elo) / kSpan};
}

// A search draws each piece's values with some chance and otherwise plays
// with the options' own: drawn values must not outlive their search.
void RandomizeEvalFeatures() {
  const int chance = strength_piece_draw_chance(OptionUci.elo);
  for (const PieceValueOption& p : PieceValueOptions)
    OptionUci.*p.field = std::rand() % 100 < chance ? draw(p.lo, p.hi) : option_value(p);
  // Where nothing is left to draw, the options' own weights, whatever they are.
  const PercentRange range = strength_weight_range(OptionUci.elo);
  for (const char* name : kDrawnWeights) draw_weight(name, range.lo < range.hi ? draw(range.lo, range.hi) : -1);
  OptionUpdate();
}

void end_weakened_play() {
  for (const PieceValueOption& p : PieceValueOptions) OptionUci.*p.field = option_value(p);
  for (const char* name : kDrawnWeights) draw_weight(name, -1);
  OptionUpdate();
}
