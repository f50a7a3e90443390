// Playing below full strength: random piece values and weights, drawn anew
// for every search (the node budget comes with "isready").
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "board/per_thread.h"
#include "eval/weights.h"
#include "options/options.h"
#include "search/think.h"

PER_THREAD_BEGIN

void RandomizeEvalFeatures() {
  const int level = OptionUci.elo / 28;
  struct PieceValues {
    int OptionValues::*op;
    int OptionValues::*en;
    int base, spread;
  };
  static const PieceValues pieces[] = {
      {&OptionValues::queen_value_op, &OptionValues::queen_value_en, 500, 1001},
      {&OptionValues::rook_value_op, &OptionValues::rook_value_en, 300, 501},
      {&OptionValues::bishop_value_op, &OptionValues::bishop_value_en, 200, 301},
      {&OptionValues::knight_value_op, &OptionValues::knight_value_en, 200, 301},
  };
  for (const PieceValues& p : pieces) {
    const int r = std::rand() % 100 + 1;
    if (level > r) continue;
    OptionUci.*p.op = std::rand() % p.spread + p.base;
    OptionUci.*p.en = std::rand() % p.spread + p.base;
  }
  for (const char* name : {"MobilityWeight", "KingAttackWeight", "PassedPawnWeightOp", "PassedPawnWeightEn"}) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", std::rand() % 976 + 25);
    OptionSet(name, text);
  }
  OptionUpdate();
}

PER_THREAD_END
