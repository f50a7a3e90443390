#include "book/book.h"

#include <cstdio>
#include <cstring>

#include "board/makemove.h"
#include "board/position.h"
#include "book/book_choice.h"
#include "book/book_file.h"
#include "book/book_report.h"
#include "book/polyglot_key.h"
#include "movegen/movestack.h"
#include "movegen/movetext.h"
#include "options/options.h"
#include "output/output.h"

namespace {

constexpr const char* promote_pieces = " nbrq";  // by the move's promotion field

// Castling as the book stores it (king takes own rook) and as the engine reads it.
constexpr const char* castle_texts[4][2] = {{"e1h1", "e1g1"}, {"e1a1", "e1c1"}, {"e8h8", "e8g8"}, {"e8a8", "e8c8"}};

// The entries of key, in file order; 0 when there are none or more than MAX_BOOK_MOVES.
int read_candidates(std::FILE* f, std::uint64_t key, entry_t* candidates) {
  entry_t entry;
  const std::int64_t index = find_key(f, key, &entry);
  if (entry.key != key) return 0;
  candidates[0] = entry;
  int count = 1;
  if (std::fseek(f, static_cast<long>((index + 1) * BOOK_ENTRY_SIZE), SEEK_SET) != 0) return count;
  // A truncated last entry fails to read and ends the list like another key.
  while (entry_from_file(f, &entry) == 0 && entry.key == key) {
    if (count == MAX_BOOK_MOVES) return 0;
    candidates[count++] = entry;
  }
  return count;
}

// parse_move takes a missing or unknown promotion letter for a queen and
// ignores a letter after a move that does not promote; a book entry has to
// name exactly the move it means.
bool promotion_agrees(move_bytes m, const char* text) {
  if (!(m.bits & MF_PROMOTE)) return text[4] == '\0';
  return text[4] != '\0' && text[4] == promote_pieces[m.promote];
}

// A legal root move whose position has not occurred before in the game.
bool playable(const char* text) {
  const int index = parse_move(text);
  if (index < 0) return false;
  const move_bytes m = gen_dat[index].m.b;
  if (!promotion_agrees(m, text) || !makemove(m)) return false;
  const bool repeats = reps() > 0;
  takeback();
  return !repeats;
}

}  // namespace

std::uint64_t pg_key(const char* fen) { return hash_pg_key(fen); }

void move_to_string(char* text, std::uint16_t move) {
  const int to_file = move & 7, to_row = (move >> 3) & 7;
  const int from_file = (move >> 6) & 7, from_row = (move >> 9) & 7;
  const int promotion = (move >> 12) & 7;
  text[0] = static_cast<char>('a' + from_file);
  text[1] = static_cast<char>('1' + from_row);
  text[2] = static_cast<char>('a' + to_file);
  text[3] = static_cast<char>('1' + to_row);
  text[4] = '\0';
  if (promotion != 0) {
    // Fields 5 to 7 name no piece; '?' keeps such an entry from being played.
    text[4] = promotion <= 4 ? promote_pieces[promotion] : '?';
    text[5] = '\0';
  }
  // Only a king makes these castling moves: a rook going from e1 to h1 stays what it is.
  const int from = from_file + (7 - from_row) * 8;
  if (piece[from] != KING) return;
  for (const auto& c : castle_texts)
    if (std::strcmp(text, c[0]) == 0) std::memcpy(text, c[1], 5);
}

int pg_show(std::uint64_t key, char* move_text, int game_ply) {
  const char* name = OptionGetString("BookFilename");
  const BookFile file = open_book(name);
  if (!file) {
    SendInfo("info string opening book %s is missing!!", name);
    return 0;
  }
  entry_t candidates[MAX_BOOK_MOVES];
  const int count = read_candidates(file.get(), key, candidates);
  if (count == 0) return 0;

  char texts[MAX_BOOK_MOVES][BOOK_MOVE_TEXT];
  std::uint64_t total_weight = 0;
  for (int i = 0; i < count; ++i) {
    move_to_string(texts[i], candidates[i].move);
    total_weight += candidates[i].weight;
  }
  report_book_moves(texts, count);
  if (total_weight == 0) return 0;
  report_book_table(candidates, texts, count, total_weight);

  const char* reason = nullptr;
  const int chosen = choose_book_move(candidates, count, OptionGetString("BookMoveSelect"), game_ply, &reason);
  std::strcpy(move_text, texts[chosen]);
  if (!playable(move_text)) return 0;
  report_choice(move_text, reason);
  return 1;
}
