// Leaf counts of the legal-move tree against the published numbers. The
// deeper counts take long and run only with CORVANTIS_DEEP_PERFT=1.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ostream>

#include "board/position.h"
#include "engine/diagnostics.h"
#include "test_support.h"

namespace {

struct PerftCase {
  const char* name;
  const char* fen;
  int depth;
  double nodes;
  bool deep;
};

void PrintTo(const PerftCase& c, std::ostream* os) { *os << c.name << " depth " << c.depth; }

const char* const kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char* const kKiwipete = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
const char* const kEndgame = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1";
const char* const kPromotions = "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1";
const char* const kPos5 = "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8";
const char* const kPos6 = "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10";

const PerftCase kCases[] = {
    {"start", kStart, 1, 20, false},
    {"start", kStart, 2, 400, false},
    {"start", kStart, 3, 8902, false},
    {"start", kStart, 4, 197281, false},
    {"start", kStart, 5, 4865609, false},
    {"start", kStart, 6, 119060324, true},
    {"kiwipete", kKiwipete, 1, 48, false},
    {"kiwipete", kKiwipete, 2, 2039, false},
    {"kiwipete", kKiwipete, 3, 97862, false},
    {"kiwipete", kKiwipete, 4, 4085603, true},
    {"kiwipete", kKiwipete, 5, 193690690, true},
    {"endgame", kEndgame, 1, 14, false},
    {"endgame", kEndgame, 2, 191, false},
    {"endgame", kEndgame, 3, 2812, false},
    {"endgame", kEndgame, 4, 43238, false},
    {"endgame", kEndgame, 5, 674624, false},
    {"endgame", kEndgame, 6, 11030083, true},
    {"promotions", kPromotions, 1, 6, false},
    {"promotions", kPromotions, 2, 264, false},
    {"promotions", kPromotions, 3, 9467, false},
    {"promotions", kPromotions, 4, 422333, false},
    {"promotions", kPromotions, 5, 15833292, true},
    {"position5", kPos5, 1, 44, false},
    {"position5", kPos5, 2, 1486, false},
    {"position5", kPos5, 3, 62379, false},
    {"position5", kPos5, 4, 2103487, true},
    {"position6", kPos6, 1, 46, false},
    {"position6", kPos6, 2, 2079, false},
    {"position6", kPos6, 3, 89890, false},
    {"position6", kPos6, 4, 3894594, true},
};

bool deep_perft_enabled() {
  const char* v = std::getenv("CORVANTIS_DEEP_PERFT");
  return v && std::strcmp(v, "1") == 0;
}

class Perft : public ::testing::TestWithParam<PerftCase> {};

TEST_P(Perft, MatchesPublishedCount) {
  const PerftCase& c = GetParam();
  if (c.deep && !deep_perft_enabled()) GTEST_SKIP() << "set CORVANTIS_DEEP_PERFT=1 to run";
  PerftMode perft_mode;
  set_position(c.fen);
  const u64 key = hash;
  EXPECT_EQ(perft(c.depth), c.nodes);
  EXPECT_EQ(hash, key);  // the position is left as it was
  EXPECT_EQ(hply, 0);
}

INSTANTIATE_TEST_SUITE_P(Published, Perft, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<PerftCase>& info) {
                           return std::string(info.param.name) + "_depth" + std::to_string(info.param.depth);
                         });

}  // namespace
