// Chess960: perft against counts from an independent generator (which also
// pins the castling moves of the hand-made cases), mirrored positions and
// the castling field.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "board/position.h"
#include "movegen/gen.h"
#include "test_support.h"

namespace {

// Start positions, positions after random moves from them, and hand-made
// cases with the castling moves they allow.
const struct {
  const char* fen;
  std::vector<double> nodes;
} kPositions[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w HAha - 0 1", {20, 400, 8902, 197281}},
    {"rq2kbnr/ppp1pppp/2n5/3p1b2/2B5/2N1PN2/PPPP1PPP/R1BQK2R w HAha - 3 5", {36, 1160, 40775, 1283306}},
    {"rnb1kb1r/1pqp1ppN/2p1p3/p7/6n1/1P6/P1PPPPBP/RNBQK2R w HAha - 0 9", {30, 1052, 31233, 1123923}},
    {"qbbrnnkr/pppppppp/8/8/8/8/PPPPPPPP/QBBRNNKR w HDhd - 0 1", {20, 400, 9024, 201145}},
    {"1bbrn1kr/p1pp2pp/1p4n1/4pp2/4q2P/1P1NN3/P1PPPPP1/QBBR1RK1 b hd - 1 8", {36, 1032, 36835, 1090729}},
    {"3r2kr/p1b1pppp/b1q1nn2/1pp3N1/P7/4N3/1PPPPPPP/1BBR2KR w HDhd - 2 9", {30, 1487, 43028}},
    {"rkrbbqnn/pppppppp/8/8/8/8/PPPPPPPP/RKRBBQNN w CAca - 0 1", {19, 361, 7718, 164609}},
    {"rk2b1nn/ppr1ppqp/2p5/3p2p1/Bb1P2P1/2P4N/PP2PP1P/RKR1Q2N b CAa - 1 8", {30, 709, 22125, 567013}},
    {"rk2b2q/pp1pppp1/1br3nn/2p4p/2P3P1/1P4NN/P1RPPPQP/RK1BB3 b Aa - 4 8", {31, 962, 29662, 947774}},
    {"bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w HFhf - 0 1", {20, 400, 9006, 201143}},
    {"nqrkbbrn/pppppppp/8/8/8/8/PPPPPPPP/NQRKBBRN w GCgc - 0 1", {19, 361, 7729, 164721}},
    {"1qrk2rn/ppp1ppbp/1n4p1/3p4/b3N2B/PN3P2/1PPPP1PP/1QRK1BR1 b GCgc - 0 6", {33, 1010, 32076, 957750}},
    {"1qrkbbr1/ppp1pppp/1n4n1/3p4/P5P1/1P1P4/2P1PP1P/NQRKBBRN b GCgc - 0 4", {27, 674, 19041, 497695}},
    // king already on g1: castling moves only the rook; castling: g1h1
    {"r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R5KR w Hha - 0 1", {23, 575, 13131, 319417}},
    // king already on c1: queen side moves only the rook, king side the king four squares; castling: c1a1 c1h1
    {"r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R1K4R w HAha - 0 1", {25, 625, 15156, 368690}},
    // king and rook swap squares (f1g1); the queen-side right names the inner rook b1; castling: f1b1 f1g1
    {"1r3kr1/pppppppp/8/8/8/8/PPPPPPP1/RR3KR1 w GBgb - 0 1", {21, 504, 10803, 253864}},
    // king and rook swap squares on the queen side; castling: d1c1 d1h1
    {"2rk3r/pppppppp/8/8/8/8/PPPPPPPP/2RK3R w HChc - 0 1", {24, 576, 13566, 319462}},
    // the castling rook shields the king's target c1 from the rook on a1; castling: none
    {"4k3/3p4/8/8/8/8/3PPP2/rR1K4 w B - 0 1", {11, 147, 2161, 34108, 582648}},
    // the castling rook shields the king, already on c1, from the queen on a1; castling: none
    {"4k3/4p3/8/8/8/8/1PPPP3/qRK5 w B - 0 1", {10, 153, 1489, 28788, 319224}},
    // the same shield: illegal on the queen side, legal on the king side, where b1 keeps blocking; castling: d1h1
    {"4k3/3p4/8/8/8/8/2PPPP2/rR1K3R w HB - 0 1", {23, 301, 7401, 113044}},
    // the enemy king guards squares the king crosses; castling: none
    {"8/8/6p1/8/8/8/PP1k4/1K5R w H - 0 1", {17, 80, 1444, 8692, 159541, 1012232}},
    // an attacked square that only the rook crosses; castling: f1a1
    {"4k3/4p3/8/8/4b3/8/5PPP/R4K2 w A - 0 1", {21, 359, 6735, 101185, 1923068}},
    // in check, with both rights; castling: none
    {"r2k3r/4pp2/8/8/b7/8/4PPP1/R2K3R w HAha - 0 1", {4, 122, 3288, 94172}},
    // Black: the rook already on f8, the king already on c8; castling: c8b8 c8f8
    {"1rk2r2/pppppppp/8/8/8/8/PPPPPPPP/R4K1R b HAfb - 0 1", {24, 600, 14056, 341368}},
    // rook targets taken: a knight on d1, a bishop on f8 (the black king stays on g8); castling: none
    {"5bkr/pppppppp/8/8/8/8/PPPPPPPP/RK1N4 w Ah - 0 1", {19, 304, 5798, 95265, 1844575}},
};

TEST(Chess960, PerftMatchesReferenceCounts) {
  Chess960Mode chess960_mode;
  for (const auto& c : kPositions) expect_perft_counts(c.fen, c.nodes, 1e6);
}

// Squares and flags of the legal moves, the colour mirror's mapped back.
std::vector<std::uint32_t> legal_move_keys(bool mirror) {
  std::vector<std::uint32_t> keys;
  gen();
  for (const move& m : legal_level_moves()) {
    const int from = mirror ? m.b.from ^ 56 : m.b.from, to = mirror ? m.b.to ^ 56 : m.b.to;
    keys.push_back(static_cast<std::uint32_t>(from | to << 8 | m.b.promote << 16 | m.b.bits << 24));
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

TEST(Chess960, MirroredPositionsMirrorTheirMoves) {
  Chess960Mode chess960_mode;
  for (const auto& c : kPositions) {
    set_position(c.fen);
    const std::vector<std::uint32_t> moves = legal_move_keys(false);
    set_position(mirrored(c.fen).c_str());
    EXPECT_EQ(legal_move_keys(true), moves) << c.fen;
  }
}

std::string castling_field() {
  const std::string fen = board_fen();
  const std::size_t start = fen.find(' ', fen.find(' ') + 1) + 1;
  return fen.substr(start, fen.find(' ', start) - start);
}

// X-FEN letters name the outermost rook, file letters any rook of the back
// rank; a right without its rook or king, or named twice, is dropped.
TEST(Chess960, CastlingFieldReadAndWritten) {
  const struct {
    const char* fen;
    const char* standard;  // the field with the option off
    const char* chess960;
  } cases[] = {
      {"qbbrnnkr/pppppppp/8/8/8/8/PPPPPPPP/QBBRNNKR w KQkq - 0 1", "-", "HDhd"},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w HAha - 0 1", "-", "HAha"},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "KQkq", "HAha"},
      {"1r3kr1/pppppppp/8/8/8/8/PPPPPPP1/RR3KR1 w KQkq - 0 1", "-", "GAgb"},    // outermost rooks
      {"1r3kr1/pppppppp/8/8/8/8/PPPPPPP1/RR3KR1 w BGbgAa - 0 1", "-", "GBgb"},  // first letter of a side wins
      {"rk5r/pppppppp/8/8/8/8/PPPPPPPP/RK5R w HAhaHAhaC - 0 1", "-", "HAha"},   // repeated letters
      {"rk5r/pppppppp/8/8/8/8/PPPPPPPP/RK5R w BCDEFGbcdefg - 0 1", "-", "-"},   // no rook there
      {"r6r/pppppppp/8/8/k7/8/PPPPPPPP/R5KR w KQkq - 0 1", "-", "HA"},          // black king off its rank
      {"rk5r/pppppppp/8/8/8/8/PPPPPPPP/RK5R w K?Qkq - 0 1", "-", "H"},          // an unknown character ends the field
  };
  for (const auto& c : cases) {
    set_position(c.fen);
    EXPECT_EQ(castling_field(), c.standard) << c.fen;
    EXPECT_EQ(hash, scratch_hash()) << c.fen;
    Chess960Mode chess960_mode;
    set_position(c.fen);
    EXPECT_EQ(castling_field(), c.chess960) << c.fen;
    EXPECT_EQ(hash, scratch_hash()) << c.fen;
  }
}

}  // namespace
