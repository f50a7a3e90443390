#include "test_support.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "board/castling.h"
#include "board/fen.h"
#include "board/makemove.h"
#include "board/position.h"
#include "engine/diagnostics.h"
#include "engine/startup.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "movegen/movetext.h"
#include "search/ordering.h"
#include "search/think.h"

void engine_setup() {
  static bool done = false;
  if (done) return;
  done = true;
  init_engine();
  set_position(spos);
}

void set_position(const char* fen, unsigned seed) {
  engine_setup();
  std::srand(seed);
  if (!init_board(fen)) {
    ADD_FAILURE() << "position rejected: " << fen;
    init_board(spos);
  }
  gen();
  root_hply = hply;
}

namespace {

const char* const kCorpus[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
    "r3k2r/1P4P1/8/8/8/8/1p4p1/R3K2R w KQkq - 0 1",
    "r3k2r/1P4P1/8/8/8/8/1p4p1/R3K2R b KQkq - 0 1",
    "8/8/8/8/R1B4k/8/8/4K3 w - - 0 1",    // bishop uncovers a rook
    "8/8/7k/8/8/8/3P4/2B1K3 w - - 0 1",   // pawn steps uncover a bishop
    "4k3/8/8/8/4N3/8/8/4RK2 w - - 0 1",   // knight uncovers a rook
    "7k/8/8/8/3R4/8/1B6/4K3 w - - 0 1",   // rook uncovers a bishop
    "4k3/8/8/8/8/8/4K3/4R3 w - - 0 1",    // king uncovers a rook
    "8/RP5k/8/8/8/8/8/K7 w - - 0 1",      // promotion uncovers a rook
    "4k2b/8/8/8/3p4/8/8/K7 b - - 0 1",    // black pawn uncovers a bishop
    "8/8/8/4k3/8/5P2/3P4/4K3 w - - 0 1",  // pawn checks by single and double step
    "4k3/3p4/8/8/4K3/8/8/8 b - - 0 1",    // black double-step check
    "4k3/8/8/2n1pP2/8/3N4/8/4K3 w - e6 0 2",
    "r1b1r1k1/pp4bp/5np1/2qPB3/8/6NP/PPP1Q1B1/R4R1K w - - 0 1",
    "4n1q1/1k1b4/2p4R/2Pp4/1p1N1rpQ/3B4/PPP2P2/2K5 w - - 0 1",
    "8/2b2k1p/2N2pp1/P2p4/3KnP2/6BP/P5P1/8 w - - 0 1",
    "1r1q1k1r/Q4ppp/2B2n2/8/Pbbp4/1P4P1/2PP1P1P/R1B1K2R b - - 0 1",
    "4k3/8/8/8/8/8/8/3rK2r w - - 0 1",         // double check, one checker x-rayed through the king
    "8/8/8/6k1/3Pp3/8/8/2B1K3 b - d3 0 1",     // discovered check that en passant cannot answer
    "8/8/8/2k5/3Pp3/8/8/4K3 b - d3 0 1",       // pawn check answered en passant
    "4k3/8/8/8/1b6/8/3N4/4K2q w - - 0 1",      // pinned blocker, check along the rank
    "4r2K/3P1P2/8/8/8/8/8/k7 w - - 0 1",       // checks met by promotions
    "8/5pk1/6p1/8/8/6P1/4BPK1/2b5 w - - 0 1",  // endings for the evaluation
    "8/1p3pk1/p5p1/P2p3p/3P3P/6P1/1P3PK1/8 w - - 0 1",
    "3r4/8/4k3/8/8/3KB3/8/4R3 w - - 0 1",
    "r3k2r/pp3ppp/2n1bn2/2bpp3/4P3/2NB1N2/PPP2PPP/R1B1K2R w KQkq - 0 1",
};

// Played with UCI_Chess960 on.
const char* const kChess960Corpus[] = {
    "qbbrnnkr/pppppppp/8/8/8/8/PPPPPPPP/QBBRNNKR w HDhd - 0 1",
    "rkrbbqnn/pppppppp/8/8/8/8/PPPPPPPP/RKRBBQNN w CAca - 0 1",
    "bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w HFhf - 0 1",
    "1rk2r2/pppppppp/8/8/8/8/PPPPPPPP/R4K1R b HAfb - 0 1",
};

}  // namespace

int sq(const char* name) { return (name[0] - 'a') + ('8' - name[1]) * 8; }

move board_move(int from, int to, int bits) {
  move m{};
  m.b = {static_cast<std::uint8_t>(from), static_cast<std::uint8_t>(to), static_cast<std::uint8_t>(piece[from]),
         static_cast<std::uint8_t>(EMPTY), static_cast<std::uint8_t>(bits)};
  return m;
}

std::vector<gen_entry> level_moves() {
  return std::vector<gen_entry>(gen_dat + first_move[ply], gen_dat + first_move[ply + 1]);
}

std::vector<move> legal_level_moves() {
  std::vector<move> legal;
  for (const gen_entry& g : level_moves()) {
    if (!makemove(g.m.b)) continue;
    takeback();
    legal.push_back(g.m);
  }
  return legal;
}

bool play(const char* text) {
  gen();
  for (const move& m : legal_level_moves())
    if (move_text(m) == text) return makemove(m.b);
  return false;
}

bool play_random_move(std::mt19937& rng) {
  gen();
  const std::vector<move> legal = legal_level_moves();
  if (legal.empty()) return false;
  return makemove(legal[rng() % legal.size()].b);
}

u64 walk_attacks(int kind, int s, u64 occ, int pawn_color) {
  // (file, row) steps; rows grow towards the first rank. Sliders repeat theirs.
  static const int lines[8][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}, {1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  static const int jumps[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
  const int up = pawn_color == WHITE ? -1 : 1;
  const int pawn[2][2] = {{-1, up}, {1, up}};
  const int(*d)[2] = kind == KNIGHT ? jumps : kind == PAWN ? pawn : lines;
  const int first = kind == ROOK ? 4 : 0, last = kind == PAWN ? 2 : kind == BISHOP ? 4 : 8;
  const bool slides = kind == BISHOP || kind == ROOK || kind == QUEEN;
  u64 result = 0;
  for (int i = first; i < last; ++i)
    for (int f = file_of(s) + d[i][0], r = row_of(s) + d[i][1]; f >= 0 && f < 8 && r >= 0 && r < 8;
         f += d[i][0], r += d[i][1]) {
      const u64 bit = 1ULL << ((r * 8 + f) ^ 56);
      result |= bit;
      if (!slides || (occ & bit)) break;
    }
  return result;
}

int for_each_corpus_position(const std::function<void()>& visit) {
  std::mt19937 rng(20240601);
  int visited = 0;
  auto play_games = [&](const char* start) {
    for (int game = 0; game < 3; ++game) {
      set_position(start);
      if (game == 0) visit(), ++visited;
      for (int p = 0; p < 50 && play_random_move(rng); ++p) visit(), ++visited;
    }
  };
  for (const char* start : kCorpus) play_games(start);
  {
    Chess960Mode chess960_mode;
    for (const char* start : kChess960Corpus) play_games(start);
  }
  set_position(spos);
  return visited;
}

std::string board_fen() {
  char buf[256] = {};
  get_fen(buf);
  return buf;
}

std::string move_text(const move& m) {
  if (m.b.bits & MF_CASTLE) return move_str(m.b);
  std::string s = std::string(square_name[m.b.from]) + square_name[m.b.to];
  if (m.b.bits & MF_PROMOTE) s += "pnbrq"[m.b.promote];
  return s;
}

std::string mirrored(const std::string& fen) {
  std::istringstream in(fen);
  std::string board, to_move, rights = "-", passed = "-", clock = "0", number = "1", row;
  in >> board >> to_move >> rights >> passed >> clock >> number;
  auto swap_case = [](std::string text) {
    for (char& c : text)
      c = static_cast<char>(std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c) : std::toupper(c));
    return text;
  };
  std::vector<std::string> rows;
  std::istringstream board_rows(board);
  while (std::getline(board_rows, row, '/')) rows.insert(rows.begin(), swap_case(row));
  std::string result;
  for (const std::string& r : rows) result += (result.empty() ? "" : "/") + r;
  if (passed.size() == 2) passed[1] = static_cast<char>('1' + '8' - passed[1]);
  result += to_move == "w" ? " b " : " w ";
  return result + swap_case(rights) + " " + passed + " " + clock + " " + number;
}

void reset_ordering_tables() {
  for (int p = 0; p < MAX_PLY; ++p) killer1[p] = killer2[p] = mkiller1[p] = gen_entry{};
  for (auto& row : counterMove)
    for (gen_entry& e : row) e = gen_entry{};
  HistoryScoreInit();
}

void expect_perft_counts(const char* fen, const std::vector<double>& nodes, double limit) {
  const char* deep = std::getenv("CORVANTIS_DEEP_PERFT");
  if (deep && std::strcmp(deep, "1") == 0) limit = 1e12;
  set_position(fen);  // start-up clears the perft flag, so it is set after
  gDoPerft = true;
  const u64 key = hash;
  for (int d = 1; d <= static_cast<int>(nodes.size()) && nodes[d - 1] <= limit; ++d)
    EXPECT_EQ(perft(d), nodes[d - 1]) << fen << " depth " << d;
  gDoPerft = false;
  EXPECT_TRUE(hash == key && hply == 0) << fen;
}

Chess960Mode::Chess960Mode() {
  engine_setup();
  chess960 = true;
}
Chess960Mode::~Chess960Mode() { chess960 = false; }
