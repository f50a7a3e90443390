#include "board/bitboard.h"

#include <initializer_list>

bool gUseHwPopCnt = false;

u64 SquareBB[64];
u64 FileBB[8], RankBB[8], AdjacentFilesBB[8];
u64 InFrontBB[2][8];
u64 ForwardBB[2][64], PawnAttackSpan[2][64], PassedPawnMask[2][64];
u64 PawnAttacks[2][64], PseudoAttacks[6][64];
u64 LineBB[64][64], BetweenBB[64][64];
std::uint8_t SquareDistance[64][64];

u64 RANKMASK[64], FILEMASK[64], DIAGA1H8MASK[64], DIAGA8H1MASK[64];
u64 FILEMAGIC[64], DIAGA1H8MAGIC[64], DIAGA8H1MAGIC[64];
int constRankshift[64];
u64 FromRankAttacks[64][64], FromFileAttacks[64][64];
u64 DIAGA1H8_ATTACKS[64][64], DIAGA8H1_ATTACKS[64][64];

namespace {

constexpr u64 constFileMAGIC[8] = {
    0x8040201008040200ULL, 0x4020100804020100ULL, 0x2010080402010080ULL, 0x1008040201008040ULL,
    0x0804020100804020ULL, 0x0402010080402010ULL, 0x0201008040201008ULL, 0x0100804020100804ULL,
};

// clang-format off
// Indexed by file - rank + 7 (files and ranks counted from 1).
constexpr u64 constDiagA1H8MAGIC[16] = {
    0, 0,
    0x0101010101010100ULL, 0x0101010101010100ULL, 0x0101010101010100ULL,
    0x0101010101010100ULL, 0x0101010101010100ULL, 0x0101010101010100ULL,
    0x8080808080808000ULL, 0x4040404040400000ULL, 0x2020202020000000ULL,
    0x1010101000000000ULL, 0x0808080000000000ULL,
    0, 0, 0,
};

// Indexed by file + rank - 2.
constexpr u64 constDiagA8H1MAGIC[16] = {
    0, 0,
    0x0101010101010100ULL, 0x0101010101010100ULL, 0x0101010101010100ULL,
    0x0101010101010100ULL, 0x0101010101010100ULL, 0x0101010101010100ULL,
    0x0080808080808080ULL, 0x0040404040404040ULL, 0x0020202020202020ULL,
    0x0010101010101010ULL, 0x0008080808080808ULL,
    0, 0, 0,
};
// clang-format on

// File and rank 1..8 to a single-bit set, or 0 off the board.
u64 bit_at(int file, int rank) {
  if (file < 1 || file > 8 || rank < 1 || rank > 8) return 0;
  return 1ULL << (8 * (rank - 1) + file - 1);
}

// Attacks along one line of eight positions: slider at p, inner occupancy s
// (bit i = position i + 1 occupied; the end positions count as empty).
unsigned char sliding_pattern(int p, int s) {
  unsigned occupied = static_cast<unsigned>(s) << 1;
  unsigned result = 0;
  for (int q = p + 1; q < 8; ++q) {
    result |= 1u << q;
    if (occupied & (1u << q)) break;
  }
  for (int q = p - 1; q >= 0; --q) {
    result |= 1u << q;
    if (occupied & (1u << q)) break;
  }
  return static_cast<unsigned char>(result);
}

// Maps a line pattern back to squares; square_of(q) gives the set of position q.
template <class SquareOf>
u64 pattern_to_set(unsigned char pattern, SquareOf square_of) {
  u64 set = 0;
  for (int q = 0; q < 8; ++q)
    if (pattern & (1u << q)) set |= square_of(q);
  return set;
}

void line_tables_init() {
  for (int b = 0; b < 64; ++b) {
    const int f = b % 8 + 1, r = b / 8 + 1;
    RANKMASK[b] = 0x7EULL << (8 * (r - 1));
    FILEMASK[b] = 0x0001010101010100ULL << (f - 1);
    DIAGA1H8MASK[b] = DIAGA8H1MASK[b] = 0;
    for (int ff = 2; ff <= 7; ++ff)
      for (int rr = 2; rr <= 7; ++rr) {
        if (ff - rr == f - r) DIAGA1H8MASK[b] |= bit_at(ff, rr);
        if (ff + rr == f + r) DIAGA8H1MASK[b] |= bit_at(ff, rr);
      }
    FILEMAGIC[b] = constFileMAGIC[f - 1];
    DIAGA1H8MAGIC[b] = constDiagA1H8MAGIC[f - r + 7];
    DIAGA8H1MAGIC[b] = constDiagA8H1MAGIC[f + r - 2];
    constRankshift[b] = 8 * (r - 1) + 1;

    for (int s = 0; s < 64; ++s) {
      FromRankAttacks[b][s] = static_cast<u64>(sliding_pattern(f - 1, s)) << (8 * (r - 1));
      FromFileAttacks[b][s] = pattern_to_set(sliding_pattern(8 - r, s), [&](int q) { return bit_at(f, 8 - q); });
      const int lo = f - r > 0 ? f - r : 0, hi = f - r < 0 ? f - r : 0;
      DIAGA1H8_ATTACKS[b][s] = pattern_to_set(sliding_pattern((f < r ? f : r) - 1, s),
                                              [&](int q) { return bit_at(q + 1 + lo, q + 1 - hi); });
      const int d = f + r;
      const int p = f - 1 < 8 - r ? f - 1 : 8 - r;
      DIAGA8H1_ATTACKS[b][s] = pattern_to_set(
          sliding_pattern(p, s), [&](int q) { return d > 9 ? bit_at(d - 8 + q, 8 - q) : bit_at(q + 1, d - 1 - q); });
    }
  }
}

// Step targets from sq by (file, row) offsets, dropping those off the board.
u64 step_targets(int sq, const int (*steps)[2], int count) {
  u64 set = 0;
  for (int i = 0; i < count; ++i) {
    int f = file_of(sq) + steps[i][0], r = row_of(sq) + steps[i][1];
    if (f >= 0 && f < 8 && r >= 0 && r < 8) set |= SquareBB[r * 8 + f];
  }
  return set;
}

}  // namespace

void buildBitboardAttackTable() {
  for (int sq = 0; sq < 64; ++sq) SquareBB[sq] = 1ULL << (sq ^ 56);
  line_tables_init();

  for (int i = 0; i < 8; ++i) {
    FileBB[i] = 0x0101010101010101ULL << i;
    RankBB[i] = 0xFFULL << (8 * i);
  }
  for (int f = 0; f < 8; ++f) AdjacentFilesBB[f] = (f > 0 ? FileBB[f - 1] : 0) | (f < 7 ? FileBB[f + 1] : 0);
  InFrontBB[BLACK][0] = 0;
  for (int r = 1; r < 8; ++r) InFrontBB[BLACK][r] = InFrontBB[BLACK][r - 1] | RankBB[r - 1];
  for (int r = 0; r < 7; ++r) InFrontBB[WHITE][r] = ~InFrontBB[BLACK][r + 1];
  InFrontBB[WHITE][7] = 0;

  for (int c = WHITE; c <= BLACK; ++c)
    for (int sq = 0; sq < 64; ++sq) {
      const int f = file_of(sq), rank_index = 7 - row_of(sq);
      ForwardBB[c][sq] = FileBB[f] & InFrontBB[c][rank_index];
      PawnAttackSpan[c][sq] = AdjacentFilesBB[f] & InFrontBB[c][rank_index];
      PassedPawnMask[c][sq] = (FileBB[f] | AdjacentFilesBB[f]) & InFrontBB[c][rank_index];
    }

  static const int white_pawn[2][2] = {{-1, -1}, {1, -1}};
  static const int black_pawn[2][2] = {{-1, 1}, {1, 1}};
  static const int knight[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
  static const int king[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
  for (int sq = 0; sq < 64; ++sq) {
    PawnAttacks[WHITE][sq] = step_targets(sq, white_pawn, 2);
    PawnAttacks[BLACK][sq] = step_targets(sq, black_pawn, 2);
    PseudoAttacks[PAWN][sq] = 0;
    PseudoAttacks[KNIGHT][sq] = step_targets(sq, knight, 8);
    PseudoAttacks[KING][sq] = step_targets(sq, king, 8);
    PseudoAttacks[BISHOP][sq] = bishop_attacks(sq, 0);
    PseudoAttacks[ROOK][sq] = rook_attacks(sq, 0);
    PseudoAttacks[QUEEN][sq] = PseudoAttacks[BISHOP][sq] | PseudoAttacks[ROOK][sq];
  }

  for (int a = 0; a < 64; ++a)
    for (int b = 0; b < 64; ++b) {
      const int df = file_of(a) > file_of(b) ? file_of(a) - file_of(b) : file_of(b) - file_of(a);
      const int dr = row_of(a) > row_of(b) ? row_of(a) - row_of(b) : row_of(b) - row_of(a);
      SquareDistance[a][b] = static_cast<std::uint8_t>(df > dr ? df : dr);
    }

  for (int s1 = 0; s1 < 64; ++s1)
    for (int kind : {BISHOP, ROOK})
      for (int s2 = 0; s2 < 64; ++s2) {
        if (!(PseudoAttacks[kind][s1] & SquareBB[s2])) continue;
        LineBB[s1][s2] = (attacks_bb(kind, s1, 0) & attacks_bb(kind, s2, 0)) | SquareBB[s1] | SquareBB[s2];
        BetweenBB[s1][s2] = attacks_bb(kind, s1, SquareBB[s2]) & attacks_bb(kind, s2, SquareBB[s1]);
      }
}
