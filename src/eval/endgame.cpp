#include "eval/endgame.h"

#include <cstring>

#include "board/bitboard.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "eval/eval_state.h"

#ifndef CORVANTIS_HELPER_COPY
std::map<u64, std::int32_t> knownEndgames;
#endif

PER_THREAD_BEGIN

namespace {

#ifndef CORVANTIS_HELPER_COPY
struct KnownConfig {
  const char* white;  // the men of each side, king first, as FEN letters
  const char* black;
  KnownEndgame code;
  bool either_side;  // also entered with the colours swapped
};

// clang-format off
constexpr KnownConfig known_configs[] = {
    {"K", "K", BareKings, false},
    {"KN", "K", LoneMinor, true},
    {"KB", "K", LoneMinor, true},
    {"KNN", "K", TwoKnights, true},
    {"KNP", "KN", MinorPawnVsMinor, false},
    {"KNP", "KB", MinorPawnVsMinor, false},
    {"KBP", "KN", MinorPawnVsMinor, false},
    {"KBP", "KB", MinorPawnVsMinor, false},
    {"KBN", "KN", MinorsVsMinor, true},
    {"KBN", "KB", MinorsVsMinor, true},
    {"KBB", "KB", MinorsVsMinor, true},
    {"KRN", "KR", RookMinorVsRook, true},
    {"KRB", "KR", RookMinorVsRook, true},
    {"KR", "KN", RookVsMinor, true},
    {"KR", "KB", RookVsMinor, true},
    {"KQN", "KQ", QueenMinorVsQueen, true},
    {"KQB", "KQ", QueenMinorVsQueen, true},
    {"KQ", "KRN", QueenVsRookMinor, true},
    {"KQ", "KRB", QueenVsRookMinor, true},
    {"KQ", "KRNP", QueenVsRookMinor, true},
    {"KQ", "KRBP", QueenVsRookMinor, true},
    {"KN", "KP", MinorVsPawn, true},
    {"KB", "KP", MinorVsPawn, true},
    {"KBP", "K", BishopRookPawn, true},
    {"KBP", "KP", BishopRookPawn, true},
    {"KBP", "KPP", BishopRookPawn, true},
    {"KBN", "K", BishopKnightMate, true},
    {"KQ", "KR", QueenVsRook, true},
};
// clang-format on

// The material key of one side's men.
u64 side_key(int c, const char* men) {
  constexpr char letters[] = "PNBRQK";
  int count[6] = {};
  u64 key = 0;
  for (const char* p = men; *p; ++p) {
    const int k = static_cast<int>(std::strchr(letters, *p) - letters);
    key ^= materialHash[c][k][count[k]++];
  }
  return key;
}
#endif

// By the square of the king being mated, for a light-squared bishop: the
// light corners a8 and h1 are the goal.
// clang-format off
constexpr int kbnk_light_tab[64] = {
    200,  150,  100,  50,  -50,  -100, -150, -200,
    150,  100,  50,   30,  -30,  -50,  -100, -150,
    100,  50,   30,   10,  -10,  -30,  -50,  -100,
    50,   30,   10,   0,   0,    -10,  -30,  -50,
    -50,  -30,  -10,  0,   0,    10,   30,   50,
    -100, -50,  -30,  -10, 10,   30,   50,   100,
    -150, -100, -50,  -30, 30,   50,   100,  150,
    -200, -150, -100, -50, 50,   100,  150,  200,
};

// By the square of the king being mated: any corner.
constexpr int corner_scores[64] = {
    100, 90, 80, 70, 70, 80, 90, 100,
    90,  70, 60, 50, 50, 60, 70, 90,
    80,  60, 40, 30, 30, 40, 60, 80,
    70,  50, 30, 20, 20, 30, 50, 70,
    70,  50, 30, 20, 20, 30, 50, 70,
    80,  60, 40, 30, 30, 40, 60, 80,
    90,  70, 60, 50, 50, 60, 70, 90,
    100, 90, 80, 70, 70, 80, 90, 100,
};
// clang-format on

// By the distance between the kings.
constexpr int close_distance_bonus[8] = {0, 0, 100, 80, 60, 40, 20, 10};

constexpr int flip(int sq) { return sq ^ 56; }

// A rook pawn whose bishop does not control the promotion corner: a draw
// unless the pawn simply runs home.
int wrong_bishop_divisor() {
  const int c = wb == 1 ? WHITE : BLACK;
  const int pawn_file = file_of(lsb(myPiece[c][PAWN]));
  if (pawn_file != 0 && pawn_file != 7) return 0;
  const int bishop = lsb(myPiece[c][BISHOP]) ^ 56;
  const bool controls_corner = sqcolor[bishop] == sqcolor[FlipSq(c, pawn_file)];
  const int runners = c == WHITE ? wUcPasserCnt : bUcPasserCnt;
  return !controls_corner && runners == 0 ? 63 : 0;
}

void bishop_knight_mate() {
  const int c = wb ? WHITE : BLACK;
  const int lone_king = KingLocation(c ^ 1);
  const bool light_bishop = sqcolor[lsb(myPiece[c][BISHOP]) ^ 56] == 0;
  const int v = kbnk_light_tab[light_bishop ? lone_king : flip(lone_king)];
  score += c == WHITE ? v : -v;
}

void queen_against_rook() {
  const int c = wq ? WHITE : BLACK;
  const int v = close_distance_bonus[kkDistance] + corner_scores[KingLocation(c ^ 1)];
  score += c == WHITE ? v : -v;
}

}  // namespace

int opposite_bishops() {
  const bool only_bishops = !(wq + bq + wr + br + wn + bn) && wpc == 1 && bpc == 1;
  const bool opposite = (wbwc && bbbc) || (wbbc && bbwc);
  const bool close_in_pawns = wp - bp <= 1 && bp - wp <= 1;
  return only_bishops && opposite && close_in_pawns ? (bp - wp) * 50 : 0;
}

#ifndef CORVANTIS_HELPER_COPY
// Keys of earlier key sets can never match again, so they are dropped.
void initializeKnownEndgames() {
  knownEndgames.clear();
  for (const KnownConfig& e : known_configs) {
    knownEndgames[side_key(WHITE, e.white) ^ side_key(BLACK, e.black)] = e.code;
    if (e.either_side) knownEndgames[side_key(WHITE, e.black) ^ side_key(BLACK, e.white)] = e.code;
  }
}
#endif

int EvaluateEnding() {
  if (wpc + bpc > 3) return 0;
  const auto found = knownEndgames.find(gMatHash);
  if (found == knownEndgames.end()) return 0;
  switch (found->second) {
    case BareKings:
    case LoneMinor:
    case TwoKnights: return 63;
    case MinorPawnVsMinor:
    case MinorsVsMinor:
    case RookMinorVsRook:
    case RookVsMinor:
    case QueenMinorVsQueen:
    case QueenVsRookMinor:
    case MinorVsPawn: return 7;
    case BishopRookPawn: return wrong_bishop_divisor();
    case BishopKnightMate: bishop_knight_mate(); return 0;
    case QueenVsRook: queen_against_rook(); return 0;
    default: return 0;
  }
}

PER_THREAD_END
