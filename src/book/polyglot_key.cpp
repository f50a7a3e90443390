// The Polyglot key is computed from FEN text rather than from the board
// arrays, so that it follows the book standard and not the engine's own
// square numbering or en-passant bookkeeping.
#include "book/polyglot_key.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

constexpr char EMPTY_SQUARE = '-';

// Character board [file][row], row 0 = the first rank. Characters that would
// fall off the board in malformed text are dropped.
void lay_out(const char* placement, char board[8][8]) {
  std::memset(board, EMPTY_SQUARE, 64);
  int file = 0, row = 7;
  for (const char* c = placement; *c; ++c) {
    if (*c >= '1' && *c <= '8') {
      file += *c - '0';
    } else if (*c == '/') {
      --row;
      file = 0;
    } else {
      if (row >= 0 && file < 8) board[file][row] = *c;
      ++file;
    }
  }
}

int piece_index(char c) {
  const char* p = std::strchr(piece_names, c);
  return c != '\0' && p ? static_cast<int>(p - piece_names) : -1;
}

// The en-passant file counts only when a pawn of the side to move could make
// the capture.
bool ep_capture_possible(const char board[8][8], int ep_file, bool white_to_move) {
  const char pawn = white_to_move ? 'P' : 'p';
  const int row = white_to_move ? 4 : 3;
  for (const int f : {ep_file - 1, ep_file + 1})
    if (f >= 0 && f < 8 && board[f][row] == pawn) return true;
  return false;
}

}  // namespace

std::uint64_t hash_pg_key(const char* fen) {
  char placement[73] = {};
  char side_letter = 0;
  char castling[5] = {};
  char ep_field[3] = "-";  // get_fen leaves the field out when there is no square
  std::sscanf(fen, "%72s %c %4s %2s", placement, &side_letter, castling, ep_field);

  char board[8][8];
  lay_out(placement, board);

  std::uint64_t key = 0;
  for (int file = 0; file < 8; ++file)
    for (int row = 0; row < 8; ++row) {
      const int p = piece_index(board[file][row]);
      if (p >= 0) key ^= RandomPiece[64 * p + 8 * row + file];
    }

  constexpr const char* rights = "KQkq";
  for (const char* c = castling; *c; ++c)
    if (const char* right = std::strchr(rights, *c)) key ^= RandomCastle[right - rights];

  const bool white_to_move = side_letter == 'w';
  if (ep_field[0] != '-') {
    const int f = ep_field[0] - 'a';
    if (f >= 0 && f < 8 && ep_capture_possible(board, f, white_to_move)) key ^= RandomEnPassant[f];
  }

  if (white_to_move) key ^= RandomTurn[0];
  return key;
}
