// One hand-built position per evaluation term where its effect is plain,
// each read after a fresh evaluation of that position.
#include <gtest/gtest.h>

#include "board/bitboard.h"
#include "board/position.h"
#include "eval/endgame.h"
#include "eval/eval.h"
#include "eval/eval_state.h"
#include "eval/king_safety.h"
#include "eval/passed_pawns.h"
#include "eval/pawn_structure.h"
#include "eval/pawns.h"
#include "eval/pieces.h"
#include "eval/space.h"
#include "eval/threats.h"
#include "test_support.h"

namespace {

// One side's pawn rules run again on a fresh state.
void rerun_pawn_rules(int us) {
  score = en_score = 0;
  draw_divisor = 1;
  passedPawn[us] = 0;
  wUcPasserCnt = bUcPasserCnt = 0;
  eval_pawn_loop(us);
}

// What each row reads, White's terms unless it says otherwise.
int structure() { return evaluate_pawns(); }
int front_passer_on_e3() { return passedPawn[WHITE] == SquareBB[sq("e3")]; }
int passer() { return evaluate_passer(WHITE); }
int uncatchable() { return rerun_pawn_rules(WHITE), wUcPasserCnt; }
int kpk_score() { return rerun_pawn_rules(WHITE), score; }
int kpk_divisor() { return rerun_pawn_rules(WHITE), draw_divisor; }
int candidate_c4() { return candidatePasser(WHITE, sq("c4")); }
int hidden_b5() { return hiddenPasser(WHITE, sq("b5")); }
int knight() { return eval_knight(WHITE); }
int bishop() { return eval_bishop(WHITE); }
int rook() { return eval_rook(WHITE); }
int queen() { return eval_queen(WHITE); }
int mobility() { return compact_mob[WHITE]; }
int bishop_pair() { return score = op_score = en_score = 0, eval_bishop_colours(), score; }
int bad_bishop() { return score = op_score = en_score = 0, eval_bishop_colours(), make_score(op_score, en_score); }
int black_king_zone() { return popCount(evalref.king_zone[BLACK]); }
int zone_attack_weight() { return evalref.king_attack_weight[WHITE]; }
int shelter_g1() { return PawnShelterAndStorm<WHITE>(sq("g1")); }
int king_danger() { return evaluate_king_safety(WHITE); }
int threats() { return evaluate_threats(WHITE); }
int space() { return evaluate_space(WHITE); }
int holes() { return EvaluateHoles(WHITE); }
int divisor() { return draw_divisor; }
int mating_bonus() { return score = 0, EvaluateEnding() == 0 ? score : -99999; }  // the bonus alone
int opposite() { return opposite_bishops(); }

// The king term at the default weight: both halves scaled by 7000 / 25600.
constexpr Score king_term(int mg, int eg) { return make_score(mg * 7000 / 25600, 7000 * eg / 25600); }
// The queen on d3: one attacker (weight 10, one hit on f1), a safe check on
// d1 or b1, f1 weak, eight attacked flank squares, queen mobility 21 against none.
constexpr int kDanger = 780 + 10 + 69 + 185 + 64 / 4 - 6 * 85 / 8 + 25 - 30;

const struct {
  const char* what;
  const char* fen;
  int (*value)();
  int expected;
} kTerms[] = {
    {"doubled and isolated", "4k3/8/8/8/8/4P3/4P3/4K3 w - - 0 1", structure, -30},
    {"backward", "4k3/8/5p2/4p3/2P5/3P4/8/4K3 w - - 0 1", structure, -8},
    {"level with its neighbour", "4k3/8/5p2/4p3/8/2PP4/8/4K3 w - - 0 1", structure, 0},
    {"only the front pawn passed", "4k3/8/8/8/8/4P3/4P3/4K3 w - - 0 1", front_passer_on_e3, 1},
    {"free passer", "7k/8/8/4P3/8/8/8/K7 w - - 0 1", passer, make_score(-8 + 18 + 7 * 6, 29 + (2 * 3 - 5) * 6 + 7 * 6)},
    {"blocked passer", "7k/8/4n3/4P3/8/8/8/K7 w - - 0 1", passer, make_score(-8 + 18, (29 + (2 * 3 - 5) * 6) / 2)},
    {"outside the square", "8/8/8/P7/4k3/8/8/K7 w - - 0 1", uncatchable, 1},
    {"square reached with the move", "8/8/8/P7/4k3/8/8/K7 b - - 0 1", uncatchable, 0},
    {"double step counts", "8/8/6k1/8/8/8/P7/K7 w - - 0 1", uncatchable, 1},
    {"candidate", "8/5k2/8/1p6/1PP5/8/5K2/8 w - - 0 1", candidate_c4, 1},
    {"hidden passer", "8/5k2/1p6/1P6/2P5/8/5K2/8 w - - 0 1", hidden_b5, 1},
    {"king in front of its pawn", "8/8/3K4/4P3/8/8/8/6k1 w - - 0 1", kpk_score, 500},
    {"defender on the stop square", "8/8/4k3/4P3/8/8/8/2K5 w - - 0 1", kpk_divisor, 33},
    {"rook pawn, defender in front", "8/8/8/k7/8/8/P7/4K3 w - - 0 1", kpk_divisor, 33},
    {"opposition, defender to move", "3k4/8/3KP3/8/8/8/8/8 b - - 0 1", kpk_divisor, 17},
    {"knight far from its king", "4k3/8/8/8/8/8/8/N3K3 w - - 0 1", knight, -3 * make_score(1, 4)},
    {"knight outpost", "4k3/8/8/4N3/3P1K2/8/8/8 w - - 0 1", knight, 2 * make_score(14, 5)},
    {"outpost a pawn can chase", "4k3/5p2/8/4N3/3P1K2/8/8/8 w - - 0 1", knight, 0},
    {"long diagonal", "4k3/8/8/8/8/2B5/8/4K3 w - - 0 1", bishop, make_score(9, 0) - make_score(1, 2)},
    {"rook on an open file", "4k3/8/8/8/8/8/8/R3K3 w - - 0 1", rook, make_score(32, 16)},
    {"rook on a half-open file", "4k3/8/p7/8/8/8/8/R3K3 w - - 0 1", rook, make_score(16, 4)},
    {"pinned queen", "3r2k1/8/8/8/8/8/3N4/3QK3 w - - 0 1", queen, -make_score(12, 3)},
    {"queen avoids rook attacks", "2r1kr2/8/8/8/8/8/8/3QK3 w - - 0 1", mobility, make_score(23, 41)},
    {"bishop pair", "4k3/8/8/8/8/8/8/2B1KB2 w - - 0 1", bishop_pair, 50},
    {"bishop among its own pawns", "4k3/8/8/8/8/P1P5/1P1P4/2B1K3 w - - 0 1", bad_bishop, make_score(-12, -9)},
    {"king zone needs material", "4k3/8/8/8/8/8/8/RN2K3 w - - 0 1", black_king_zone, 0},
    {"king zone one rank deeper", "4k3/8/8/8/8/8/8/RB2K3 w - - 0 1", black_king_zone, 8},
    {"zone attack weight", "4k3/8/8/3N4/8/8/8/R3K2B w - - 0 1", zone_attack_weight, 77},
    {"shelter and storm", "6k1/8/8/8/8/8/5PPP/6K1 w - - 0 1", shelter_g1, 5 + 75 + 61 + 81 - (4 + 44 + 89)},
    {"blocked storm pawn", "6k1/8/8/8/8/6p1/5PPP/6K1 w - - 0 1", shelter_g1, 5 + 75 + 61 + 81 - (4 + 66 + 89)},
    {"quiet king", "6k1/8/8/8/8/8/5PPP/6K1 w - - 0 1", king_danger, king_term(85, 0)},
    {"queen on d3", "k7/8/8/8/8/3q4/5PPP/6K1 w - - 0 1", king_danger,
     king_term(85 - kDanger * kDanger / 4096 - 8 * 7, -kDanger / 16)},
    {"pawn hits a knight", "8/3k4/2p5/3n4/4P3/3P4/8/4K3 w - - 0 1", threats, make_score(70, 55)},
    {"hanging rook", "4k3/8/r7/8/8/8/8/4KB2 w - - 0 1", threats, make_score(29, 43) + make_score(19, 10)},
    {"safe pawn push", "8/3k4/2n1r3/8/3P4/8/8/4K3 w - - 0 1", threats, 2 * make_score(15, 9)},
    {"space at the start", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", space, 8},
    {"space behind e5", "rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 2", space, 9},
    {"hole on d3", "4k3/8/8/8/1np5/4P3/P7/4K3 w - - 0 1", holes, 15},
    {"bare kings", "8/8/4k3/8/8/3K4/8/8 w - - 0 1", divisor, 64},
    {"rook and minor against rook", "3r4/8/4k3/8/8/3KB3/8/4R3 w - - 0 1", divisor, 8},
    {"minor and pawn against minor", "4k1n1/8/8/8/8/8/4P3/2B1K3 w - - 0 1", divisor, 8},
    {"the same only for White", "2b1k3/4p3/8/8/8/8/8/4K1N1 b - - 0 1", divisor, 1},
    {"right bishop for the rook pawn", "8/8/2k5/P7/8/3K4/2B5/8 w - - 0 1", divisor, 1},
    {"wrong bishop", "8/8/2k5/P7/8/3K4/8/2B5 w - - 0 1", divisor, 64},
    {"bishop and knight, right corner", "k7/8/2K5/8/8/8/8/4NB2 w - - 0 1", mating_bonus, 200},
    {"bishop and knight, wrong corner", "8/8/8/8/8/2K5/8/k3NB2 w - - 0 1", mating_bonus, -200},
    {"queen against rook", "k7/8/1K6/8/8/8/3Q4/7r w - - 0 1", mating_bonus, 200},
    {"opposite bishops", "4k3/p7/8/8/8/8/PP6/2B1Kb2 w - - 0 1", opposite, -50},
    {"bishops of one colour", "4k3/p7/8/6b1/8/8/PP6/2B1K3 w - - 0 1", opposite, 0},
};

TEST(EvalTerms, HandBuiltPositions) {
  for (const auto& t : kTerms) {
    set_position(t.fen);
    eval();
    EXPECT_EQ(t.value(), t.expected) << t.what << ": " << t.fen;
  }
}

}  // namespace
