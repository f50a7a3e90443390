// Square sets (bitboards) and the attack tables built once at start-up.
// Bit b of a set is square b ^ 56: bit 0 = a1, bit 63 = h8.
#pragma once

#include <bit>
#include <cstdint>

#include "board/types.h"
#include "platform/platform.h"

// Counting bits: the POPCNT instruction when the processor has it.
extern bool gUseHwPopCnt;

extern u64 SquareBB[64];        // by engine square
extern u64 FileBB[8];           // file a..h
extern u64 RankBB[8];           // rank index 0 = first rank
extern u64 AdjacentFilesBB[8];  // the neighbouring files
extern u64 InFrontBB[2][8];     // [side][rank index]: ranks ahead for that side
extern u64 ForwardBB[2][64];    // [side][sq]: the squares ahead on the file
extern u64 PawnAttackSpan[2][64];
extern u64 PassedPawnMask[2][64];
extern u64 PawnAttacks[2][64];    // squares a pawn of that side on sq attacks
extern u64 PseudoAttacks[6][64];  // empty-board attacks by kind
extern u64 LineBB[64][64];        // the whole line through two aligned squares
extern u64 BetweenBB[64][64];     // the squares strictly between them

// Line lookups: the inner occupancy of a line, multiplied onto the top bits,
// indexes the precomputed attacks of that line.
extern u64 RANKMASK[64], FILEMASK[64], DIAGA1H8MASK[64], DIAGA8H1MASK[64];
extern u64 FILEMAGIC[64], DIAGA1H8MAGIC[64], DIAGA8H1MAGIC[64];
extern int constRankshift[64];
extern u64 FromRankAttacks[64][64], FromFileAttacks[64][64];
extern u64 DIAGA1H8_ATTACKS[64][64], DIAGA8H1_ATTACKS[64][64];

void buildBitboardAttackTable();

inline int soft_popcount(u64 b) {
  b -= (b >> 1) & 0x5555555555555555ULL;
  b = (b & 0x3333333333333333ULL) + ((b >> 2) & 0x3333333333333333ULL);
  b = (b + (b >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<int>((b * 0x0101010101010101ULL) >> 56);
}

inline int popCount(u64 b) { return gUseHwPopCnt ? hw_popcount(b) : soft_popcount(b); }

inline int lsb(u64 b) { return std::countr_zero(b); }       // bit index
inline int msb(u64 b) { return 63 - std::countl_zero(b); }  // bit index
inline bool more_than_one(u64 b) { return (b & (b - 1)) != 0; }

// Clears the lowest bit and returns its engine square.
inline int pop_lsb(u64* b) {
  int s = lsb(*b) ^ 56;
  *b &= *b - 1;
  return s;
}

inline u64 rook_attacks(int sq, u64 occ) {
  int b = sq ^ 56;
  u64 file = FromFileAttacks[b][((occ & FILEMASK[b]) * FILEMAGIC[b]) >> 57];
  u64 rank = FromRankAttacks[b][(occ & RANKMASK[b]) >> constRankshift[b]];
  return file | rank;
}

inline u64 bishop_attacks(int sq, u64 occ) {
  int b = sq ^ 56;
  u64 d1 = DIAGA1H8_ATTACKS[b][((occ & DIAGA1H8MASK[b]) * DIAGA1H8MAGIC[b]) >> 57];
  u64 d2 = DIAGA8H1_ATTACKS[b][((occ & DIAGA8H1MASK[b]) * DIAGA8H1MAGIC[b]) >> 57];
  return d1 | d2;
}

inline u64 queen_attacks(int sq, u64 occ) { return rook_attacks(sq, occ) | bishop_attacks(sq, occ); }

inline u64 attacks_bb(int kind, int sq, u64 occ) {
  switch (kind) {
    case BISHOP: return bishop_attacks(sq, occ);
    case ROOK: return rook_attacks(sq, occ);
    case QUEEN: return queen_attacks(sq, occ);
    default: return PseudoAttacks[kind][sq];
  }
}

inline bool aligned(int sq1, int sq2, int sq3) { return (SquareBB[sq3] & LineBB[sq1][sq2]) != 0; }

// King distance: the larger of the file and row differences.
extern std::uint8_t SquareDistance[64][64];
inline int distance(int a, int b) { return SquareDistance[a][b]; }

// One-step shifts of whole sets; the masks keep a step from wrapping across
// the a/h edge.
inline u64 nortOne(u64 b) { return b << 8; }
inline u64 soutOne(u64 b) { return b >> 8; }
inline u64 eastOne(u64 b) { return (b << 1) & 0xFEFEFEFEFEFEFEFEULL; }
inline u64 westOne(u64 b) { return (b >> 1) & 0x7F7F7F7F7F7F7F7FULL; }
inline u64 noEaOne(u64 b) { return (b << 9) & 0xFEFEFEFEFEFEFEFEULL; }
inline u64 soEaOne(u64 b) { return (b >> 7) & 0x00FEFEFEFEFEFEFEULL; }
inline u64 soWeOne(u64 b) { return (b >> 9) & 0x007F7F7F7F7F7F7FULL; }
inline u64 noWeOne(u64 b) { return (b << 7) & 0x7F7F7F7F7F7F7F7FULL; }

// The set moved one rank ahead for that side.
inline u64 StopBB(int side, u64 b) { return side == WHITE ? nortOne(b) : soutOne(b); }
// The squares the pawns of that side in b attack, all together.
inline u64 pawn_set_attacks(int side, u64 b) {
  return side == WHITE ? noWeOne(b) | noEaOne(b) : soWeOne(b) | soEaOne(b);
}
inline int stop_square(int side, int sq) { return side == WHITE ? sq - 8 : sq + 8; }
// Rank counted from that side's first rank (0..7); row = sq >> 3.
inline int relative_rank(int side, int row) { return side == WHITE ? 7 - row : row; }
// The square as White sees it: black pieces read White's tables mirrored.
inline int FlipSq(int side, int sq) { return side == WHITE ? sq : sq ^ 56; }
// Bit index of the rearmost square of b for that side.
inline int backmost_sq(int side, u64 b) { return side == WHITE ? lsb(b) : msb(b); }
