#include "eval/weights.h"

#include "eval/eval_hash.h"
#include "eval/king_safety.h"
#include "options/options.h"

int pawnValueOp, pawnValueEn;
int doubledPawnPenalty;
int kingShelterWeight, pawnStormWeight;
int kingAttackWeight;
int mobilityWeight;
int passedPawnWeightOp, passedPawnWeightEn;
int weakSquareWeight;
int rookInOpenFile[2];

namespace {

struct WeightOption {
  const char* name;
  int* global;
  int lo, hi;
  int drawn = -1;  // in place of the option's value when not negative
};

WeightOption weight_options[] = {
    {"DoubledPawnPenalty", &doubledPawnPenalty, 0, 100},
    {"PawnValueOp", &pawnValueOp, 70, 110},
    {"PawnValueEn", &pawnValueEn, 90, 150},
    {"MobilityWeight", &mobilityWeight, 0, 100000},
    {"KingAttackWeight", &kingAttackWeight, 0, 100000},
    {"KingShelterWeight", &kingShelterWeight, 0, 100000},
    {"PawnStormWeight", &pawnStormWeight, 0, 100000},
    {"PassedPawnWeightOp", &passedPawnWeightOp, 0, 100000},
    {"PassedPawnWeightEn", &passedPawnWeightEn, 0, 100000},
    {"WeakSquareWeight", &weakSquareWeight, 0, 100000},
    {"RookInOpenFileOp", &rookInOpenFile[0], 0, 100},
    {"RookInOpenFileEn", &rookInOpenFile[1], 0, 100},
};

int clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

// The piece values the cached evaluations were computed with.
int piece_values_in_use[8];

bool piece_values_changed() {
  const int now[8] = {OptionUci.knight_value_op, OptionUci.knight_value_en, OptionUci.bishop_value_op,
                      OptionUci.bishop_value_en, OptionUci.rook_value_op,   OptionUci.rook_value_en,
                      OptionUci.queen_value_op,  OptionUci.queen_value_en};
  bool changed = false;
  for (int i = 0; i < 8; ++i) {
    changed |= now[i] != piece_values_in_use[i];
    piece_values_in_use[i] = now[i];
  }
  return changed;
}

}  // namespace

void draw_weight(const char* name, int value) {
  for (WeightOption& o : weight_options)
    if (my_StringIsEqual(o.name, name)) o.drawn = value;
}

// Cached values outlive a change of weights, so a change drops the caches
// that depend on it: the next search must see the new weights at once.
void OptionUpdate() {
  bool eval_stale = piece_values_changed();
  bool pawns_stale = false, shelter_stale = false;
  for (const WeightOption& o : weight_options) {
    const int v = clamp(o.drawn >= 0 ? o.drawn : OptionGetInt(o.name), o.lo, o.hi);
    if (v == *o.global) continue;
    *o.global = v;
    eval_stale = true;
    pawns_stale |= o.global == &doubledPawnPenalty;
    shelter_stale |= o.global == &kingShelterWeight || o.global == &pawnStormWeight;
  }
  if (shelter_stale) scale_shelter_tables();
  clear_eval_caches(eval_stale, pawns_stale, shelter_stale);
  if (eval_stale || pawns_stale || shelter_stale) eval_caches_outdated();
}
