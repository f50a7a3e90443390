#include "movegen/movetext.h"

#include <cstdint>

#include "board/castling.h"
#include "movegen/movestack.h"

namespace {

bool is_file(char c) { return c >= 'a' && c <= 'h'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Where the text of a move says it goes: in Chess960 castling is written as
// the king taking its own rook.
int text_target(const move_bytes& m) {
  if (!chess960 || !(m.bits & MF_CASTLE)) return m.to;
  return castling_rules[castling_right(row_of(m.from) == 7 ? WHITE : BLACK, m.to)].rook_from;
}

}  // namespace

// Rank digits 0 and 9 give squares off the board, which simply match no move.
int parse_move(const char* text) {
  if (!is_file(text[0]) || !is_digit(text[1]) || !is_file(text[2]) || !is_digit(text[3])) return -1;
  const int from = (text[0] - 'a') + ('8' - text[1]) * 8;
  const int to = (text[2] - 'a') + ('8' - text[3]) * 8;
  for (int i = 0; i < first_move[1]; ++i) {
    const move_bytes& m = gen_dat[i].m.b;
    if (m.from != from || text_target(m) != to) continue;
    if (!(m.bits & MF_PROMOTE)) return i;
    // The four promotions of one pawn move stand together: knight, bishop, rook, queen.
    switch (text[4]) {
      case 'N':
      case 'n': return i;
      case 'B':
      case 'b': return i + 1;
      case 'R':
      case 'r': return i + 2;
      default: return i + 3;
    }
  }
  return -1;
}

char* move_str(move_bytes m) {
  static char text[6];
  text[0] = static_cast<char>('a' + m.from % 8);
  text[1] = static_cast<char>('8' - m.from / 8);
  const int to = text_target(m);
  text[2] = static_cast<char>('a' + to % 8);
  text[3] = static_cast<char>('8' - to / 8);
  text[4] = '\0';
  if (m.bits & MF_PROMOTE) {
    text[4] = m.promote == 1 ? 'n' : m.promote == 2 ? 'b' : m.promote == 3 ? 'r' : 'q';
    text[5] = '\0';
  }
  return text;
}
