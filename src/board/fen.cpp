#include "board/fen.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/attacks.h"
#include "board/castling.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "output/output.h"

#ifndef CORVANTIS_HELPER_COPY
const char* const square_name[64] = {
    "a8", "b8", "c8", "d8", "e8", "f8", "g8", "h8", "a7", "b7", "c7", "d7", "e7", "f7", "g7", "h7",
    "a6", "b6", "c6", "d6", "e6", "f6", "g6", "h6", "a5", "b5", "c5", "d5", "e5", "f5", "g5", "h5",
    "a4", "b4", "c4", "d4", "e4", "f4", "g4", "h4", "a3", "b3", "c3", "d3", "e3", "f3", "g3", "h3",
    "a2", "b2", "c2", "d2", "e2", "f2", "g2", "h2", "a1", "b1", "c1", "d1", "e1", "f1", "g1", "h1",
};
#endif

PER_THREAD_BEGIN

namespace {

constexpr char piece_letters[] = "PNBRQK";

void put_piece(int k, int c, int s) {
  piece_add(k, c, s);
  hash ^= hash_piece[c][k][s];
  if (k == PAWN) phash ^= hash_piece[c][k][s];
  add_material(k, c, 1);
}

// An en-passant square is kept only where a double step can just have
// happened; anything else would let a capture remove a pawn that is not there.
bool plausible_ep(int sq) {
  if (sq < 0 || sq > 63) return false;
  const int behind = side == WHITE ? sq + 8 : sq - 8;  // where the enemy pawn stands
  const int origin = side == WHITE ? sq - 8 : sq + 8;  // where it came from
  return row_of(sq) == (side == WHITE ? 2 : 5) && piece[sq] == EMPTY && piece[origin] == EMPTY &&
         piece[behind] == PAWN && color[behind] == xside;
}

// Positions the engine cannot work with: wrong kings, pawns on the first or
// last rank, more than sixteen men of a side, the side not to move in check,
// or kings standing next to each other.
bool usable_position() {
  if (popCount(myPiece[WHITE][KING]) != 1 || popCount(myPiece[BLACK][KING]) != 1) return false;
  if ((myPiece[WHITE][PAWN] | myPiece[BLACK][PAWN]) & (RankBB[0] | RankBB[7])) return false;
  if (popCount(Pos[WHITE]) > 16 || popCount(Pos[BLACK]) > 16) return false;
  if (distance(wking_loc, bking_loc) < 2) return false;
  return !in_check(xside);
}

bool rook_on(int sq, int c) { return piece[sq] == ROOK && color[sq] == c; }

// KQkq, granted only where king and rook stand on their squares of standard chess.
const char* read_standard_rights(const char* p) {
  standard_castling();
  castle = 0;
  for (; *p && std::strchr("KQkq-", *p); ++p) {
    const bool white_king_home = piece[60] == KING && color[60] == WHITE;
    const bool black_king_home = piece[4] == KING && color[4] == BLACK;
    if (*p == 'K' && white_king_home && rook_on(63, WHITE)) castle |= 1;
    if (*p == 'Q' && white_king_home && rook_on(56, WHITE)) castle |= 2;
    if (*p == 'k' && black_king_home && rook_on(7, BLACK)) castle |= 4;
    if (*p == 'q' && black_king_home && rook_on(0, BLACK)) castle |= 8;
  }
  return p;
}

// The rook a Chess960 castling letter names, -1 when there is none: K/Q (k/q)
// the outermost rook on that side of the king, a file letter the rook on
// that file of the back rank. The king must stand on its back rank too.
int named_rook(char letter, int colour, int* right) {
  const int back_rank = colour == WHITE ? 56 : 0;
  const int king = KingLocation(colour);
  if (king < 0 || row_of(king) != row_of(back_rank)) return -1;
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  int rook = -1;
  if (upper == 'K') {
    for (int f = 7; f > file_of(king) && rook < 0; --f)
      if (rook_on(back_rank + f, colour)) rook = back_rank + f;
  } else if (upper == 'Q') {
    for (int f = 0; f < file_of(king) && rook < 0; ++f)
      if (rook_on(back_rank + f, colour)) rook = back_rank + f;
  } else if (rook_on(back_rank + upper - 'A', colour)) {
    rook = back_rank + upper - 'A';
  }
  if (rook < 0) return -1;
  *right = 2 * colour + (file_of(rook) < file_of(king) ? 1 : 0);
  return rook;
}

// X-FEN or Shredder-FEN letters; a right named twice keeps its first rook.
const char* read_chess960_rights(const char* p) {
  int rook_from[4] = {-1, -1, -1, -1};
  castle = 0;
  for (; *p && std::strchr("KQkqABCDEFGHabcdefgh-", *p); ++p) {
    if (*p == '-') continue;
    int right = 0;
    const int rook = named_rook(*p, std::isupper(static_cast<unsigned char>(*p)) ? WHITE : BLACK, &right);
    if (rook < 0 || (castle & (1 << right))) continue;
    rook_from[right] = rook;
    castle |= 1 << right;
  }
  const int kings[2] = {wking_loc, bking_loc};
  set_castling(rook_from, kings);
  return p;
}

}  // namespace

bool fen(const char* text) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%s", text);

  for (u64& b : Pos) b = 0;
  for (auto& row : myPiece)
    for (u64& b : row) b = 0;
  hash = phash = gMatHash = 0;
  for (int s = 0; s < 64; ++s) piece[s] = color[s] = EMPTY;
  wking_loc = bking_loc = -1;

  bool fits = true;
  const char* p = buf;
  int s = 0;
  for (; *p; ++p) {
    const char c = *p;
    if (c >= '1' && c <= '8') {
      s += c - '0';
    } else if (c == '/') {
    } else if (const char* k = std::strchr(piece_letters, std::toupper(static_cast<unsigned char>(c)))) {
      if (s > 63) {
        fits = false;
        break;
      }
      put_piece(static_cast<int>(k - piece_letters), std::isupper(static_cast<unsigned char>(c)) ? WHITE : BLACK, s++);
    } else {
      ++p;
      break;
    }
  }
  if (s > 64) fits = false;

  bool side_given = false;
  for (; *p == 'w' || *p == 'b'; ++p) {
    side_given = true;
    side = *p == 'w' ? WHITE : BLACK;
    xside = side ^ 1;
    if (*p == 'b') hash ^= hash_side;
  }
  if (*p) ++p;

  p = chess960 ? read_chess960_rights(p) : read_standard_rights(p);
  if (*p) ++p;
  hash ^= hash_castle[castle];
  phash ^= hash_castle[castle];

  int ep_sq = -1;
  for (; *p && std::strchr("abcdefgh12345678-", *p); ++p) {
    if (*p >= 'a' && *p <= 'h') ep_sq = *p - 'a';
    else if (*p >= '1' && *p <= '8') ep_sq += ('8' - *p) * 8;
  }

  // The half-move clock is the fifth blank-separated word.
  fifty = 0;
  const char* word = buf;
  for (int i = 0; i < 4 && word; ++i) {
    word = std::strchr(word, ' ');
    while (word && *word == ' ') ++word;
  }
  if (word && *word) {
    long n = std::strtol(word, nullptr, 10);
    fifty = n < 0 ? 0 : n > 10000 ? 10000 : static_cast<int>(n);
  }

  if (!fits || !side_given || !usable_position()) return false;
  gMatHash = calculateMaterialHash();  // only now are the piece counts known to fit the key table
  ep = plausible_ep(ep_sq) ? ep_sq : -1;
  if (ep != -1) {
    hash ^= hash_ep[ep];
    phash ^= hash_ep[ep];
  }
  return true;
}

static int write_board_fields(char* out) {
  int n = 0;
  for (int row = 0; row < 8; ++row) {
    int empty = 0;
    for (int f = 0; f < 8; ++f) {
      const int s = row * 8 + f;
      if (piece[s] == EMPTY) {
        ++empty;
        continue;
      }
      if (empty) out[n++] = static_cast<char>('0' + empty);
      empty = 0;
      const char letter = piece_letters[piece[s]];
      out[n++] = color[s] == WHITE ? letter : static_cast<char>(std::tolower(letter));
    }
    if (empty) out[n++] = static_cast<char>('0' + empty);
    if (row < 7) out[n++] = '/';
  }
  out[n++] = ' ';
  out[n++] = side == WHITE ? 'w' : 'b';
  out[n++] = ' ';
  if (!castle) out[n++] = '-';
  for (int i = 0; i < 4; ++i) {
    if (!(castle & (1 << i))) continue;
    // Chess960 names each right by its rook's file (Shredder-FEN).
    const char letter = chess960 ? static_cast<char>('A' + file_of(castling_rules[i].rook_from)) : "KQKQ"[i];
    out[n++] = i < 2 ? letter : static_cast<char>(std::tolower(letter));
  }
  out[n++] = ' ';
  out[n] = '\0';
  return n;
}

void print_my_fen() {
  char text[160];
  int n = write_board_fields(text);
  std::snprintf(text + n, sizeof text - n, "%s %d %d", ep == -1 ? "-" : square_name[ep], fifty, hply / 2 + 1);
  SendInfo("%s", text);
}

void get_fen(char* dst) {
  char text[160];
  int n = write_board_fields(text);
  if (ep != -1) std::snprintf(text + n, sizeof text - n, "%s", square_name[ep]);
  std::snprintf(dst, 128, "%.127s", text);
}

PER_THREAD_END
