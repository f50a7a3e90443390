#include "eval/king_safety.h"

#include <cstdint>

#include "board/bitboard.h"
#include "board/makemove.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "eval/eval_cache.h"
#include "eval/eval_state.h"
#include "eval/weights.h"

#ifndef CORVANTIS_HELPER_COPY
int shelter_scaled[4][8], storm_scaled[4][8], blocked_storm_scaled;

namespace {

// [distance of the file from the nearer edge][relative rank of the pawn, 0 = none]
constexpr int shelter_bonus_table[4][8] = {{-6, 81, 93, 58, 39, 18, 25, 0},
                                           {-43, 61, 35, -49, -29, -11, -63, 0},
                                           {-10, 75, 23, -2, 32, 3, -45, 0},
                                           {-39, -13, -29, -52, -48, -67, -166, 0}};
constexpr int storm_attack_table[4][8] = {{89, 107, 123, 93, 57, 45, 51, 0},
                                          {44, -18, 123, 46, 39, -7, 23, 0},
                                          {4, 52, 162, 37, 7, -14, -2, 0},
                                          {-10, -14, 90, 15, 2, -7, -16, 0}};
constexpr int BlockedStorm = 66;  // an enemy pawn stopped by ours on the third rank

}  // namespace

void scale_shelter_tables() {
  for (int d = 0; d < 4; ++d)
    for (int r = 0; r < 8; ++r) {
      shelter_scaled[d][r] = shelter_bonus_table[d][r] * kingShelterWeight / 100;
      storm_scaled[d][r] = storm_attack_table[d][r] * pawnStormWeight / 100;
    }
  blocked_storm_scaled = BlockedStorm * pawnStormWeight / 100;
}
#endif

PER_THREAD_BEGIN

namespace {

constexpr int TrappedInCorner = 374;

constexpr u64 FilesAC = 0x0707070707070707ULL, FilesAD = 0x0F0F0F0F0F0F0F0FULL;
constexpr u64 FilesCF = 0x3C3C3C3C3C3C3C3CULL, FilesEH = 0xF0F0F0F0F0F0F0F0ULL, FilesFH = 0xE0E0E0E0E0E0E0E0ULL;
constexpr u64 KingFlank[8] = {FilesAC, FilesAD, FilesAD, FilesCF, FilesCF, FilesEH, FilesEH, FilesFH};
constexpr u64 Camp[2] = {0x000000FFFFFFFFFFULL, 0xFFFFFFFFFF000000ULL};  // ranks 1-5, ranks 4-8

constexpr Score PawnlessFlank = make_score(18, 94);
constexpr Score CloseEnemies = make_score(7, 0);

constexpr int QueenCheck = 780, RookCheck = 880, BishopCheck = 435, KnightCheck = 790;

// Relative rank of the pawn on bit index b.
int pawn_rank(int us, int b) { return relative_rank(us, row_of(b ^ 56)); }

// Checks the enemy can give: safe ones count at once, unsafe ones are
// collected to count later as a weaker threat.
int check_threats(int us, u64 safe, u64* unsafe) {
  const int them = us ^ 1;
  const EvalInfo& ei = evalref;
  const int k = KingLocation(us);
  const u64 occupied = Pos[2] & ~myPiece[us][QUEEN];
  const u64 rook_lines = rook_attacks(k, occupied), bishop_lines = bishop_attacks(k, occupied);
  int danger = 0;
  if ((rook_lines | bishop_lines) & ei.attacked_by[them][QUEEN] & ~ei.attacked_by[us][QUEEN] & safe)
    danger += QueenCheck;
  const u64 checks[3] = {rook_lines & ei.attacked_by[them][ROOK], bishop_lines & ei.attacked_by[them][BISHOP],
                         PseudoAttacks[KNIGHT][k] & ei.attacked_by[them][KNIGHT]};
  constexpr int weights[3] = {RookCheck, BishopCheck, KnightCheck};
  for (int i = 0; i < 3; ++i) {
    if (checks[i] & safe) danger += weights[i];
    else *unsafe |= checks[i];
  }
  return danger;
}

}  // namespace

template <int Us>
int PawnShelterAndStorm(int ksq) {
  constexpr int Them = Us ^ 1;
  // Only pawns on the king's rank or ahead of it shelter or storm.
  const u64 behind_king = InFrontBB[Them][7 - row_of(ksq)];
  const u64 ours = myPiece[Us][PAWN] & ~behind_king, theirs = myPiece[Them][PAWN] & ~behind_king;
  const u64 corners =
      SquareBB[FlipSq(Us, 56)] | SquareBB[FlipSq(Us, 63)] | SquareBB[FlipSq(Us, 48)] | SquareBB[FlipSq(Us, 55)];
  int safety = (corners & SquareBB[ksq]) && (theirs & SquareBB[stop_square(Us, ksq)]) ? TrappedInCorner : 5;
  const int file = file_of(ksq);
  const int center = file < 1 ? 1 : file > 6 ? 6 : file;
  for (int f = center - 1; f <= center + 1; ++f) {
    const u64 o = ours & FileBB[f], t = theirs & FileBB[f];
    const int our_rank = o ? pawn_rank(Us, backmost_sq(Us, o)) : 0;
    const int their_rank = t ? pawn_rank(Us, backmost_sq(Us, t)) : 0;
    const int d = f < 7 - f ? f : 7 - f;
    safety += shelter_scaled[d][our_rank];
    const bool blocked = our_rank && our_rank == their_rank - 1;
    safety -= blocked ? (their_rank == 2 ? blocked_storm_scaled : 0) : storm_scaled[d][their_rank];
  }
  return safety;
}

template int PawnShelterAndStorm<WHITE>(int);
template int PawnShelterAndStorm<BLACK>(int);

// One entry: a side's value is reused only while both the pawn key and that
// side's king square are the ones it was computed for.
void king_shelters() {
  ShelterCacheEntry& e = kShelterTable[0];
  const bool same_pawns = e.key == phash;
  if (!same_pawns || e.wking != wking_loc) {
    e.wking = wking_loc;
    e.wvalue = PawnShelterAndStorm<WHITE>(wking_loc);
  }
  if (!same_pawns || e.bking != bking_loc) {
    e.bking = bking_loc;
    e.bvalue = PawnShelterAndStorm<BLACK>(bking_loc);
  }
  e.key = phash;
  king_safety[WHITE] = e.wvalue;
  king_safety[BLACK] = e.bvalue;
}

Score evaluate_king_safety(int us) {
  const int them = us ^ 1;
  const EvalInfo& ei = evalref;
  const int k = KingLocation(us);
  const int their_queens = popCount(myPiece[them][QUEEN]);
  Score s = make_score(king_safety[us], 0);

  // Enemy attacks on the king's flank within our camp, double attacks counted twice.
  const u64 flank = KingFlank[file_of(k)];
  const u64 b = flank & Camp[us] & ei.attacked_by[them][ALL_PIECES];
  const int tropism = popCount(b) + popCount(b & ei.attacked_twice[them]);

  if (ei.king_attackers[them] > 1 - their_queens) {
    // Squares only our king or queen defends, or nothing at all.
    const u64 weak = ei.attacked_by[them][ALL_PIECES] & ~ei.attacked_twice[us] &
                     (ei.attacked_by[us][QUEEN] | ei.attacked_by[us][KING] | ~ei.attacked_by[us][ALL_PIECES]);
    const u64 safe = ~Pos[them] & (~ei.attacked_by[us][ALL_PIECES] | (weak & ei.attacked_twice[them]));
    u64 unsafe = 0;
    std::int64_t danger = check_threats(us, safe, &unsafe);
    unsafe &= ei.mobility_area[them];
    const u64 blockers = hist_dat[hply].blockers[us];
    danger += ei.king_attackers[them] * ei.king_attack_weight[them] + 69 * ei.king_zone_hits[them] +
              185 * popCount(ei.king_zone[us] & weak) + 150 * popCount(unsafe | blockers) + tropism * tropism / 4 -
              (their_queens ? 0 : 873) - 6 * mg_value(s) / 8 + mg_value(compact_mob[them] - compact_mob[us]) - 30;
    if (danger > 0) s -= make_score(static_cast<int>(danger * danger / 4096), static_cast<int>(danger / 16));
  }
  if (!(flank & (myPiece[WHITE][PAWN] | myPiece[BLACK][PAWN]))) s -= PawnlessFlank;
  s -= tropism * CloseEnemies;

  const std::int64_t scale = static_cast<std::int64_t>(kingAttackWeight) * 70;
  return make_score(static_cast<int>(mg_value(s) * scale / 25600), static_cast<int>(scale * eg_value(s) / 25600));
}

PER_THREAD_END
